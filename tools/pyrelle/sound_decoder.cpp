#include "tools/pyrelle/sound_decoder.h"

#include <unistd.h>

#include <cerrno>
#include <new>
#include <stdexcept>

#include "tools/pyrelle/ffmpeg_common.h"
#include "tools/pyrelle/interruption.h"

namespace pyrelle::tools {
namespace {

// A channel layout that frees what it may have allocated (a custom channel order).
struct owned_layout {
    AVChannelLayout value{};
    owned_layout() = default;
    owned_layout(const owned_layout&) = delete;
    owned_layout& operator=(const owned_layout&) = delete;
    ~owned_layout() { av_channel_layout_uninit(&value); }

    void assign(const AVChannelLayout& from)
    {
        av_channel_layout_uninit(&value);
        if (av_channel_layout_copy(&value, &from) < 0) {
            throw std::bad_alloc();
        }
    }
};

// Standard input as FFmpeg reads it: forward only, never sought.
int read_standard_input(void*, std::uint8_t* buffer, int size)
{
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, static_cast<std::size_t>(size));
        if (got > 0) {
            return static_cast<int>(got);
        }
        if (got == 0) {
            return AVERROR_EOF;
        }
        if (errno != EINTR || interruption_signal() != 0) {
            return AVERROR(errno);
        }
    }
}

class decoded_song final : public sound_source {
public:
    explicit decoded_song(const std::string& path)
        : name_(path == "-" ? "standard input" : "'" + path + "'"), packet_(av_packet_alloc()), frame_(av_frame_alloc())
    {
        if (!packet_ || !frame_) {
            throw std::bad_alloc();
        }
        open_input(path);
        open_decoder();
        // The first decoded frame tells the song's real format (an AAC stream with SBR, for one,
        // decodes at twice the rate its header gives).
        if (!read(first_)) {
            throw std::runtime_error("audio " + name_ + " holds no samples");
        }
    }

    sound_format format() const override { return format_; }

    std::optional<std::uint64_t> expected_length() const override { return expected_length_; }

    bool read(std::vector<float>& samples) override
    {
        if (!first_.empty()) {
            samples.insert(samples.end(), first_.begin(), first_.end());
            first_.clear();
            first_.shrink_to_fit();
            return true;
        }
        const std::size_t before = samples.size();
        while (samples.size() == before) {
            const int got = avcodec_receive_frame(decoder_.get(), frame_.get());
            if (got == 0) {
                convert(samples);
                av_frame_unref(frame_.get());
                continue;
            }
            if (got == AVERROR_EOF) {
                drain(samples);
                return samples.size() != before;
            }
            if (got != AVERROR(EAGAIN) && got != AVERROR_INVALIDDATA) {
                fail(got);
            }
            send_next_packet();
        }
        return true;
    }

private:
    [[noreturn]] void fail(int error) const
    {
        throw std::runtime_error("cannot read audio from " + name_ + ": " + ffmpeg_text(error));
    }

    void open_input(const std::string& path)
    {
        AVFormatContext* f = avformat_alloc_context();
        if (f == nullptr) {
            throw std::bad_alloc();
        }
        if (path == "-") {
            try {
                io_ = make_io_context(nullptr, 0, &read_standard_input, nullptr, nullptr);
            } catch (...) {
                avformat_free_context(f);
                throw;
            }
            io_->seekable = 0;
            f->pb = io_.get();
            f->flags |= AVFMT_FLAG_CUSTOM_IO;
        }
        // Only local files: a playlist inside a song must not make the tool open URLs.
        AVDictionary* options = nullptr;
        av_dict_set(&options, "protocol_whitelist", "file", 0);
        // "file:" so that a name with a colon is a file name, never a protocol.
        const std::string url = path == "-" ? std::string() : "file:" + path;
        const int opened = avformat_open_input(&f, url.c_str(), nullptr, &options);
        av_dict_free(&options);
        if (opened < 0) {
            fail(opened);  // avformat_open_input has freed the context
        }
        input_.reset(f);
        const int found = avformat_find_stream_info(f, nullptr);
        if (found < 0) {
            fail(found);
        }
        if (path != "-" && f->duration != AV_NOPTS_VALUE && f->duration > 0) {
            duration_us_ = f->duration;
        }
    }

    void open_decoder()
    {
        const AVCodec* codec = nullptr;
        stream_ = av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (stream_ == AVERROR_STREAM_NOT_FOUND) {
            throw std::runtime_error("audio " + name_ + " holds no audio stream");
        }
        if (stream_ < 0) {
            fail(stream_);
        }
        // The demuxer need not hand over the pictures of a music video.
        for (unsigned i = 0; i < input_->nb_streams; ++i) {
            if (static_cast<int>(i) != stream_) {
                input_->streams[i]->discard = AVDISCARD_ALL;
            }
        }
        decoder_.reset(avcodec_alloc_context3(codec));
        if (!decoder_) {
            throw std::bad_alloc();
        }
        int result = avcodec_parameters_to_context(decoder_.get(), input_->streams[stream_]->codecpar);
        if (result >= 0) {
            result = avcodec_open2(decoder_.get(), codec, nullptr);
        }
        if (result < 0) {
            fail(result);
        }
    }

    // The next packet of the song's stream to the decoder, or the end.
    void send_next_packet()
    {
        if (ended_) {
            return;  // the decoder has the end and will answer EOF
        }
        for (;;) {
            const int got = av_read_frame(input_.get(), packet_.get());
            if (got == AVERROR_EOF) {
                ended_ = true;
                avcodec_send_packet(decoder_.get(), nullptr);
                return;
            }
            if (got < 0) {
                fail(got);
            }
            if (packet_->stream_index != stream_) {
                av_packet_unref(packet_.get());
                continue;
            }
            const int sent = avcodec_send_packet(decoder_.get(), packet_.get());
            av_packet_unref(packet_.get());
            // A damaged packet is skipped, as players do; the song goes on after it.
            if (sent < 0 && sent != AVERROR_INVALIDDATA) {
                fail(sent);
            }
            return;
        }
    }

    // The decoded frame as interleaved floats. The first frame sets the song's format; a later
    // frame in another format is converted to it.
    void convert(std::vector<float>& samples)
    {
        const AVFrame& f = *frame_;
        if (f.nb_samples <= 0) {
            return;
        }
        if (!resampler_) {
            if (format_.channels == 0) {
                format_ = {static_cast<std::uint32_t>(f.sample_rate),
                           static_cast<std::uint32_t>(f.ch_layout.nb_channels)};
                check_format();
                if (duration_us_ > 0) {
                    expected_length_ =
                        static_cast<std::uint64_t>(av_rescale(duration_us_, format_.sample_rate, AV_TIME_BASE));
                }
                layout_.assign(f.ch_layout);
            }
            configure(f);
        } else if (f.format != in_format_ || f.sample_rate != in_rate_ ||
                   av_channel_layout_compare(&f.ch_layout, &in_layout_.value) != 0) {
            configure(f);
        }
        const int room = swr_get_out_samples(resampler_.get(), f.nb_samples);
        if (room < 0) {
            fail(room);
        }
        put(samples, room, const_cast<const std::uint8_t**>(f.extended_data), f.nb_samples);
    }

    void check_format() const
    {
        if (format_.sample_rate == 0 || format_.channels == 0) {
            throw std::runtime_error("audio " + name_ + " holds no samples");
        }
    }

    void configure(const AVFrame& f)
    {
        in_format_ = f.format;
        in_rate_ = f.sample_rate;
        in_layout_.assign(f.ch_layout);
        SwrContext* swr = nullptr;
        int result =
            swr_alloc_set_opts2(&swr, &layout_.value, AV_SAMPLE_FMT_FLT, static_cast<int>(format_.sample_rate),
                                &in_layout_.value, static_cast<AVSampleFormat>(f.format), f.sample_rate, 0, nullptr);
        resampler_.reset(swr);
        if (result >= 0) {
            result = swr_init(swr);
        }
        if (result < 0) {
            fail(result);
        }
    }

    // Up to `room` converted sample frames appended to `samples` (null input: what the resampler
    // still holds).
    void put(std::vector<float>& samples, int room, const std::uint8_t** in, int count)
    {
        const std::size_t at = samples.size();
        samples.resize(at + static_cast<std::size_t>(room) * format_.channels);
        auto* out = reinterpret_cast<std::uint8_t*>(samples.data() + at);
        const int made = swr_convert(resampler_.get(), &out, room, in, count);
        if (made < 0) {
            fail(made);
        }
        samples.resize(at + static_cast<std::size_t>(made) * format_.channels);
    }

    // At the end, what the resampler still holds (only a song whose format changed leaves any).
    void drain(std::vector<float>& samples)
    {
        if (!resampler_ || drained_) {
            return;
        }
        drained_ = true;
        const int room = swr_get_out_samples(resampler_.get(), 0);
        if (room > 0) {
            put(samples, room, nullptr, 0);
        }
    }

    std::string name_;
    io_holder io_;  // standard input's reader; outlives input_
    input_holder input_;
    codec_holder decoder_;
    packet_holder packet_;
    frame_holder frame_;
    resampler_holder resampler_;
    int stream_ = -1;
    bool ended_ = false;    // the demuxer is at its end and the decoder knows
    bool drained_ = false;  // the resampler has given what it held
    std::int64_t duration_us_ = 0;
    sound_format format_;
    std::optional<std::uint64_t> expected_length_;
    owned_layout layout_;  // the song's, from its first frame
    int in_format_ = -1;   // what the resampler is set up to take
    int in_rate_ = 0;
    owned_layout in_layout_;
    std::vector<float> first_;  // decoded while opening, handed out by the first read()
};

}  // namespace

std::unique_ptr<sound_source> open_sound_file(const std::string& path) { return std::make_unique<decoded_song>(path); }

}  // namespace pyrelle::tools
