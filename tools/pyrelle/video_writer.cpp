#include "tools/pyrelle/video_writer.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/pyrelle/ffmpeg_common.h"

namespace pyrelle::tools {
namespace {

// An encoder and its stream: frames in, packets to the muxer.
struct encoded_stream {
    codec_holder codec;
    AVStream* stream = nullptr;
    std::int64_t next_pts = 0;
};

constexpr std::int64_t audio_bit_rate_per_channel = 48'000;

// The rate at which a container's sound encoder takes the song.
enum class sound_rate {
    // The song's own when the encoder takes it and it is at most 48 kHz, else 48 kHz: above that a
    // lossy encoder spends its bit rate on sound no one hears, and many players refuse it.
    song_up_to_48k,
    always_48k,  // Opus is always 48 kHz inside
    song,        // PCM keeps the song's own samples
};

// What each container holds: its muxer, its video encoder and that encoder's picture formats, and
// its sound encoder.
struct container_recipe {
    const char* muxer;  // libavformat's name
    const char* name;   // the container's and its video's names in messages
    const char* video_encoder;
    const char* video_what;
    AVPixelFormat opaque_format;
    AVPixelFormat alpha_format;  // AV_PIX_FMT_NONE: the codec has no alpha
    const char* sound_encoder;
    const char* sound_what;
    sound_rate rate;
    bool lossy_sound;  // takes a bit rate
};

const container_recipe& recipe_for(video_container container)
{
    // clang-format off
    static const container_recipe mp4{"mp4", "MP4", "libx264", "H.264 video",
                                      AV_PIX_FMT_YUV420P, AV_PIX_FMT_NONE,
                                      "aac", "AAC audio", sound_rate::song_up_to_48k, true};
    static const container_recipe webm{"webm", "WebM", "libvpx-vp9", "VP9 video",
                                       AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVA420P,
                                       "libopus", "Opus audio", sound_rate::always_48k, true};
    // ProRes 4444 is 4:4:4 in 10 bits, its alpha plane coded without loss.
    static const container_recipe mov{"mov", "MOV", "prores_ks", "ProRes video",
                                      AV_PIX_FMT_YUV444P10LE, AV_PIX_FMT_YUVA444P10LE,
                                      "pcm_s16le", "PCM audio", sound_rate::song, false};
    // clang-format on
    switch (container) {
    case video_container::webm:
        return webm;
    case video_container::mov:
        return mov;
    case video_container::mp4:
        break;
    }
    return mp4;
}

}  // namespace

struct video_writer::impl {
    output_file& file;
    video_container container;
    const container_recipe& recipe;
    bool alpha;
    std::int32_t width, height;
    std::uint32_t period_ms;
    std::string write_error;  // what the output said when the muxer's write failed

    io_holder io;
    output_holder format;
    encoded_stream video, audio;
    frame_holder picture, sound_frame;
    packet_holder packet{av_packet_alloc()};
    scaler_holder to_yuv;
    resampler_holder resampler;
    fifo_holder fifo;
    // The song's sound: samples wait in `pending` (interleaved, from song sample frame `sound_fed`
    // on) until the pictures reach their time, so that the sound ends where the video ends.
    sound_format song;
    const char* sound_what = "";
    int sound_frame_size = 0;
    std::vector<float> pending;
    std::uint64_t sound_fed = 0;          // sample frames of the song handed to the resampler
    std::vector<std::uint8_t> converted;  // the resampler's output on its way to the FIFO
    bool header_written = false;

    impl(output_file& f, video_container c, bool a, std::int32_t w, std::int32_t h, std::uint32_t period,
         std::optional<sound_format> s)
        : file(f),
          container(c),
          recipe(recipe_for(c)),
          alpha(a),
          width(w),
          height(h),
          period_ms(period),
          song(s.value_or(sound_format{}))
    {
    }

    [[noreturn]] void fail(const std::string& what, int error) const
    {
        const std::string reason = write_error.empty() ? ffmpeg_text(error) : write_error;
        throw std::runtime_error("cannot write '" + file.path() + "': " + what + ": " + reason);
    }

    void check(int result, const char* what) const
    {
        if (result < 0) {
            fail(what, result);
        }
    }

    static int write_packet(void* opaque, std::uint8_t* data, int size)
    {
        auto* self = static_cast<impl*>(opaque);
        try {
            self->file.write(data, static_cast<std::size_t>(size));
            return size;
        } catch (const std::exception& e) {
            // The muxer is C: the exception stops here and its text comes back through fail().
            self->write_error = e.what();
            return AVERROR(EIO);
        }
    }

    static std::int64_t seek(void* opaque, std::int64_t offset, int whence)
    {
        auto* self = static_cast<impl*>(opaque);
        if (whence == AVSEEK_SIZE) {
            return -1;
        }
        const off_t at = ::lseek(self->file.descriptor(), static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
        return at < 0 ? AVERROR(errno) : at;
    }

    void open_container()
    {
        io = make_io_context(this, 1, nullptr, &write_packet, file.seekable() ? &seek : nullptr);
        io->seekable = file.seekable() ? AVIO_SEEKABLE_NORMAL : 0;
        AVFormatContext* f = nullptr;
        check(avformat_alloc_output_context2(&f, nullptr, recipe.muxer, nullptr), recipe.name);
        format.reset(f);
        format->pb = io.get();
        format->flags |= AVFMT_FLAG_CUSTOM_IO;
    }

    encoded_stream open_stream(const AVCodec* codec)
    {
        encoded_stream s;
        s.codec.reset(avcodec_alloc_context3(codec));
        s.stream = avformat_new_stream(format.get(), nullptr);
        if (!s.codec || s.stream == nullptr) {
            throw std::bad_alloc();
        }
        if (format->oformat->flags & AVFMT_GLOBALHEADER) {
            s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        return s;
    }

    void open_video()
    {
        const char* what = recipe.video_what;
        const AVCodec* codec = avcodec_find_encoder_by_name(recipe.video_encoder);
        if (codec == nullptr) {
            fail(what, AVERROR_ENCODER_NOT_FOUND);
        }
        video = open_stream(codec);
        AVCodecContext& c = *video.codec;
        c.width = width;
        c.height = height;
        c.pix_fmt = alpha ? recipe.alpha_format : recipe.opaque_format;
        // One tick per frame of the module's timer: 1000 / (1000 / F truncated) frames a second.
        c.time_base = AVRational{static_cast<int>(period_ms), 1000};
        c.framerate = AVRational{1000, static_cast<int>(period_ms)};
        // The RGB to YUV conversion below is BT.601 in limited range; say so, or players guess.
        c.color_range = AVCOL_RANGE_MPEG;
        c.colorspace = AVCOL_SPC_SMPTE170M;
        c.color_primaries = AVCOL_PRI_SMPTE170M;
        c.color_trc = AVCOL_TRC_SMPTE170M;
        set_video_quality(c);
        check(avcodec_open2(&c, codec, nullptr), what);
        check(avcodec_parameters_from_context(video.stream->codecpar, &c), what);
        video.stream->time_base = c.time_base;
        video.stream->avg_frame_rate = c.framerate;

        picture.reset(av_frame_alloc());
        if (!picture) {
            throw std::bad_alloc();
        }
        picture->format = c.pix_fmt;
        picture->width = width;
        picture->height = height;
        check(av_frame_get_buffer(picture.get(), 0), what);
        to_yuv.reset(sws_getContext(width, height, alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24, width, height, c.pix_fmt,
                                    SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
        if (!to_yuv) {
            fail("colour conversion", AVERROR(EINVAL));
        }
    }

    void set_video_quality(AVCodecContext& c) const
    {
        switch (container) {
        case video_container::mp4:
            // Fire changes every pixel every frame. A fast preset keeps a song's render well under
            // the song's length; quality 33 without psycho-visual tuning (which spends bits keeping
            // grain) keeps every frame above 31 dB against the exact pictures at the usual display
            // sizes, at about 250 kilobits a second (a three-minute song in 5-6 MB). Below that the
            // margin over 30 dB goes faster than the size.
            av_opt_set(c.priv_data, "preset", "veryfast", 0);
            av_opt_set(c.priv_data, "crf", "33", 0);
            av_opt_set(c.priv_data, "x264-params", "psy-rd=0.0,0.0:deblock=1,1", 0);
            break;
        case video_container::webm:
            // Constant quality (no bit rate target) at libvpx's fastest setting: on fire, whose
            // every pixel moves, the slower ones bought nothing measurable. Quality 24 keeps the
            // alpha plane within 4 of the exact opacity for 99 % of the pixels at 640x480 (mean
            // 0.25; 32 doubles that) at about 2 megabits a second; the colour is bounded by 4:2:0
            // chroma more than by the quality.
            c.bit_rate = 0;
            av_opt_set(c.priv_data, "crf", "24", 0);
            av_opt_set(c.priv_data, "deadline", "realtime", 0);
            av_opt_set(c.priv_data, "cpu-used", "8", 0);
            av_opt_set(c.priv_data, "row-mt", "1", 0);
            break;
        case video_container::mov:
            // 4444 with alpha or without; Apple's vendor tag, which some editing programs look for.
            av_opt_set(c.priv_data, "profile", "4444", 0);
            av_opt_set(c.priv_data, "vendor", "apl0", 0);
            break;
        }
    }

    // The song's rate when the encoder takes it and it is at most `highest`; else `fallback`.
    static int encoder_rate(const AVCodec* codec, std::uint32_t song_rate, int highest, int fallback)
    {
        const int own = static_cast<int>(song_rate);
        if (own > highest) {
            return fallback;
        }
        if (codec->supported_samplerates == nullptr) {
            return own;
        }
        for (const int* rate = codec->supported_samplerates; *rate != 0; ++rate) {
            if (*rate == own) {
                return own;
            }
        }
        return fallback;
    }

    // Any sound encoder: the song's samples reach it through the resampler (its rate, sample
    // format and planes) and the FIFO (its frame size).
    void open_sound(const AVCodec* codec, int rate, std::int64_t bit_rate, const char* what)
    {
        sound_what = what;
        audio = open_stream(codec);
        AVCodecContext& c = *audio.codec;
        const int channels = static_cast<int>(song.channels);
        av_channel_layout_default(&c.ch_layout, channels);
        c.sample_fmt = codec->sample_fmts != nullptr ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLT;
        c.sample_rate = rate;
        c.bit_rate = bit_rate;
        c.time_base = AVRational{1, rate};
        check(avcodec_open2(&c, codec, nullptr), what);
        check(avcodec_parameters_from_context(audio.stream->codecpar, &c), what);
        audio.stream->time_base = c.time_base;
        // An encoder that takes any frame size (PCM) gets frames of this many.
        sound_frame_size = c.frame_size > 0 ? c.frame_size : 1024;

        SwrContext* swr = nullptr;
        check(swr_alloc_set_opts2(&swr, &c.ch_layout, c.sample_fmt, c.sample_rate, &c.ch_layout, AV_SAMPLE_FMT_FLT,
                                  static_cast<int>(song.sample_rate), 0, nullptr),
              what);
        resampler.reset(swr);
        check(swr_init(swr), what);
        fifo.reset(av_audio_fifo_alloc(c.sample_fmt, channels, sound_frame_size));
        sound_frame.reset(av_frame_alloc());
        if (!fifo || !sound_frame) {
            throw std::bad_alloc();
        }
        sound_frame->format = c.sample_fmt;
        sound_frame->sample_rate = c.sample_rate;
        check(av_channel_layout_copy(&sound_frame->ch_layout, &c.ch_layout), what);
        sound_frame->nb_samples = sound_frame_size;
        check(av_frame_get_buffer(sound_frame.get(), 0), what);
    }

    // The container's sound encoder on the song; a song resampled for it is resampled for the
    // video's sound only (the fire still gets the song's own samples).
    void open_song_sound()
    {
        const AVCodec* codec = avcodec_find_encoder_by_name(recipe.sound_encoder);
        if (codec == nullptr) {
            fail(recipe.sound_what, AVERROR_ENCODER_NOT_FOUND);
        }
        const std::int64_t bit_rate =
            recipe.lossy_sound ? audio_bit_rate_per_channel * std::min(static_cast<int>(song.channels), 2) : 0;
        open_sound(codec, sound_rate_for(codec), bit_rate, recipe.sound_what);
    }

    int sound_rate_for(const AVCodec* codec) const
    {
        switch (recipe.rate) {
        case sound_rate::always_48k:
            return 48000;
        case sound_rate::song:
            return static_cast<int>(song.sample_rate);
        case sound_rate::song_up_to_48k:
            break;
        }
        return encoder_rate(codec, song.sample_rate, 48000, 48000);
    }

    // Sends one frame (or, with null, the end) and writes every packet the encoder has ready.
    void encode(encoded_stream& s, AVFrame* frame, const char* what)
    {
        check(avcodec_send_frame(s.codec.get(), frame), what);
        for (;;) {
            const int got = avcodec_receive_packet(s.codec.get(), packet.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
                return;
            }
            check(got, what);
            av_packet_rescale_ts(packet.get(), s.codec->time_base, s.stream->time_base);
            packet->stream_index = s.stream->index;
            check(av_interleaved_write_frame(format.get(), packet.get()), what);
        }
    }

    // `count` song sample frames (null and 0: drain the resampler) converted into the FIFO.
    void resample(const float* samples, int count)
    {
        const int channels = audio.codec->ch_layout.nb_channels;
        const AVSampleFormat fmt = audio.codec->sample_fmt;
        const int room = swr_get_out_samples(resampler.get(), count) + 1;
        check(room, sound_what);
        const int bytes = av_samples_get_buffer_size(nullptr, channels, room, fmt, 1);
        check(bytes, sound_what);
        converted.resize(static_cast<std::size_t>(bytes));
        std::vector<std::uint8_t*> planes(static_cast<std::size_t>(channels));
        check(av_samples_fill_arrays(planes.data(), nullptr, converted.data(), channels, room, fmt, 1), sound_what);
        const auto* in = reinterpret_cast<const std::uint8_t*>(samples);
        const int made = swr_convert(resampler.get(), planes.data(), room, count ? &in : nullptr, count);
        check(made, sound_what);
        check(av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(planes.data()), made), sound_what);
    }

    // Whole encoder frames out of the FIFO; with `last` also the shorter one that ends the sound.
    void encode_fifo(bool last)
    {
        while (av_audio_fifo_size(fifo.get()) >= sound_frame_size || (last && av_audio_fifo_size(fifo.get()) > 0)) {
            check(av_frame_make_writable(sound_frame.get()), sound_what);
            const int n = std::min(av_audio_fifo_size(fifo.get()), sound_frame_size);
            sound_frame->nb_samples = n;
            check(av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(sound_frame->data), n), sound_what);
            sound_frame->pts = audio.next_pts;
            audio.next_pts += n;
            encode(audio, sound_frame.get(), sound_what);
        }
    }

    // Pending song samples up to sample frame `end` into the encoder.
    void feed_sound(std::uint64_t end)
    {
        const std::size_t channels = song.channels;
        std::size_t taken = 0;
        const std::size_t held = pending.size() / channels;
        while (sound_fed < end && taken < held) {
            const auto count = static_cast<int>(std::min<std::uint64_t>({end - sound_fed, held - taken, 8192}));
            resample(pending.data() + taken * channels, count);
            taken += static_cast<std::size_t>(count);
            sound_fed += static_cast<std::uint64_t>(count);
            encode_fifo(false);
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(taken * channels));
    }

    std::uint64_t sound_frames_until(std::uint64_t video_frames) const
    {
        return video_frames * period_ms * song.sample_rate / 1000;
    }
};

video_writer::video_writer(output_file& file, video_container container, bool alpha, std::int32_t width,
                           std::int32_t height, std::uint32_t period_ms, std::optional<sound_format> sound)
    : impl_(std::make_unique<impl>(file, container, alpha, width, height, period_ms, sound))
{
    const container_recipe& recipe = impl_->recipe;
    if (width % 2 != 0 || height % 2 != 0) {
        throw std::runtime_error("cannot write '" + file.path() + "': a video needs an even width and height, not " +
                                 std::to_string(width) + "x" + std::to_string(height));
    }
    if (alpha && recipe.alpha_format == AV_PIX_FMT_NONE) {
        throw std::runtime_error("cannot write '" + file.path() + "': an " + recipe.name + " has no alpha");
    }
    impl& v = *impl_;
    if (!v.packet) {
        throw std::bad_alloc();
    }
    v.open_container();
    v.open_video();
    if (sound && sound->channels != 0 && sound->sample_rate != 0) {
        v.open_song_sound();
    }
    AVDictionary* options = nullptr;
    // MP4 and MOV: a straight-through output gets fragments (WebM needs no seeking back anyway).
    if (!file.seekable() && container != video_container::webm) {
        av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    }
    const int written = avformat_write_header(v.format.get(), &options);
    av_dict_free(&options);
    v.check(written, recipe.name);
    v.header_written = true;
}

video_writer::~video_writer() = default;

void video_writer::add_frame(const std::uint8_t* pixels)
{
    impl& v = *impl_;
    v.check(av_frame_make_writable(v.picture.get()), v.recipe.video_what);
    const std::uint8_t* source[1] = {pixels};
    const int stride[1] = {v.width * (v.alpha ? 4 : 3)};
    sws_scale(v.to_yuv.get(), source, stride, 0, v.height, v.picture->data, v.picture->linesize);
    v.picture->pts = v.video.next_pts++;
    v.encode(v.video, v.picture.get(), v.recipe.video_what);
    if (v.audio.codec) {
        v.feed_sound(v.sound_frames_until(static_cast<std::uint64_t>(v.video.next_pts)));
    }
}

void video_writer::add_sound(const float* samples, std::size_t sample_frames)
{
    impl& v = *impl_;
    if (!v.audio.codec) {
        return;
    }
    v.pending.insert(v.pending.end(), samples, samples + sample_frames * v.song.channels);
    v.feed_sound(v.sound_frames_until(static_cast<std::uint64_t>(v.video.next_pts)));
}

void video_writer::finish()
{
    impl& v = *impl_;
    v.encode(v.video, nullptr, v.recipe.video_what);
    if (v.audio.codec) {
        v.feed_sound(v.sound_frames_until(static_cast<std::uint64_t>(v.video.next_pts)));
        v.pending.clear();
        v.resample(nullptr, 0);  // what the resampler still holds
        v.encode_fifo(true);
        v.encode(v.audio, nullptr, v.sound_what);
    }
    v.check(av_write_trailer(v.format.get()), v.recipe.name);
    avio_flush(v.io.get());
    if (v.io->error < 0) {
        v.check(v.io->error, v.recipe.name);
    }
}

}  // namespace pyrelle::tools
