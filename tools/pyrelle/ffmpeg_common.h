#pragma once
// What the song's decoder and the video writer share of FFmpeg: one owner per object kind, each
// freeing its object through FFmpeg's own function, and the text of FFmpeg's error codes.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <new>
#include <string>

namespace pyrelle::tools {
namespace ffmpeg_release {

struct input {
    void operator()(AVFormatContext* f) const noexcept { avformat_close_input(&f); }
};
struct output {
    void operator()(AVFormatContext* f) const noexcept { avformat_free_context(f); }
};
struct codec {
    void operator()(AVCodecContext* c) const noexcept { avcodec_free_context(&c); }
};
struct frame {
    void operator()(AVFrame* f) const noexcept { av_frame_free(&f); }
};
struct packet {
    void operator()(AVPacket* p) const noexcept { av_packet_free(&p); }
};
struct scaler {
    void operator()(SwsContext* s) const noexcept { sws_freeContext(s); }
};
struct resampler {
    void operator()(SwrContext* s) const noexcept { swr_free(&s); }
};
struct fifo {
    void operator()(AVAudioFifo* f) const noexcept { av_audio_fifo_free(f); }
};
// An I/O context made with avio_alloc_context: its buffer is the caller's to free, with it.
struct io {
    void operator()(AVIOContext* c) const noexcept
    {
        av_freep(&c->buffer);
        avio_context_free(&c);
    }
};

}  // namespace ffmpeg_release

using input_holder = std::unique_ptr<AVFormatContext, ffmpeg_release::input>;    // avformat_open_input's
using output_holder = std::unique_ptr<AVFormatContext, ffmpeg_release::output>;  // an output's context
using codec_holder = std::unique_ptr<AVCodecContext, ffmpeg_release::codec>;
using frame_holder = std::unique_ptr<AVFrame, ffmpeg_release::frame>;
using packet_holder = std::unique_ptr<AVPacket, ffmpeg_release::packet>;
using scaler_holder = std::unique_ptr<SwsContext, ffmpeg_release::scaler>;
using resampler_holder = std::unique_ptr<SwrContext, ffmpeg_release::resampler>;
using fifo_holder = std::unique_ptr<AVAudioFifo, ffmpeg_release::fifo>;
using io_holder = std::unique_ptr<AVIOContext, ffmpeg_release::io>;

// An I/O context over callbacks (avio_alloc_context's, `writing` 1 for an output), with a buffer
// of its own. Throws std::bad_alloc.
inline io_holder make_io_context(void* opaque, int writing, int (*read)(void*, std::uint8_t*, int),
                                 int (*write)(void*, std::uint8_t*, int),
                                 std::int64_t (*seek)(void*, std::int64_t, int))
{
    constexpr int buffer_size = 1 << 16;
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(buffer_size));
    if (buffer == nullptr) {
        throw std::bad_alloc();
    }
    io_holder io(avio_alloc_context(buffer, buffer_size, writing, opaque, read, write, seek));
    if (!io) {
        av_free(buffer);
        throw std::bad_alloc();
    }
    return io;
}

// FFmpeg's words for an error code (AVERROR(...)).
inline std::string ffmpeg_text(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

}  // namespace pyrelle::tools
