#include "host_standin/playback/track_decoder.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace pyrelle::standin {

std::string short_of_stated(std::uint64_t decoded, std::uint64_t stated, std::uint32_t rate)
{
    const double decoded_seconds = static_cast<double>(decoded) / rate;
    const double stated_seconds = static_cast<double>(stated) / rate;
    if (stated == 0 || decoded_seconds >= 0.9 * stated_seconds || decoded_seconds + 1.0 >= stated_seconds) {
        return {};
    }
    char text[96];
    std::snprintf(text, sizeof text, "the rest of its %.1f s could not be decoded", stated_seconds);
    return text;
}

track_decoder::track_decoder(std::string name, opener open, notifier notify, std::uint32_t window_seconds)
    : name_(std::move(name)),
      notify_(std::move(notify)),
      thread_([this, open = std::move(open), window_seconds] { run(open, window_seconds); })
{
}

track_decoder::~track_decoder()
{
    cancel();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void track_decoder::cancel() noexcept
{
    cancelled_ = true;
    std::shared_ptr<sample_window> window;
    {
        std::lock_guard<std::mutex> hold(lock_);
        window = window_;
    }
    if (window) {
        window->cancel();
    }
}

decoder_stage track_decoder::stage() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return stage_;
}

std::shared_ptr<sample_window> track_decoder::window() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return stage_ == decoder_stage::playable ? window_ : nullptr;
}

std::string track_decoder::failure() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return failure_.empty() ? failure_ : name_ + ": " + failure_;
}

std::string track_decoder::reader() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return reader_;
}

void track_decoder::set_stage(decoder_stage stage, const std::string& failure)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (stage_ == stage && failure.empty()) {
            return;
        }
        stage_ = stage;
        failure_ = failure;
    }
    if (notify_) {
        notify_();
    }
}

void track_decoder::run(const opener& open, std::uint32_t window_seconds) noexcept
{
    try {
        std::unique_ptr<sound_source> source = open();
        if (!cancelled_) {
            // Many channels at a high rate would make seconds into tens of megabytes in a 32-bit
            // process; such windows hold fewer seconds instead.
            constexpr std::uint64_t most_samples = std::uint64_t{1} << 22;
            const std::uint64_t capacity = std::min<std::uint64_t>(std::uint64_t{source->rate()} * window_seconds,
                                                                   most_samples / source->channels());
            auto window =
                std::make_shared<sample_window>(source->rate(), source->channels(), capacity, source->stated_frames());
            {
                std::lock_guard<std::mutex> hold(lock_);
                window_ = window;
                reader_ = source->reader_name();
            }
            // A cancel that came while the window was made has not reached it.
            if (cancelled_) {
                window->cancel();
            }
            decode(*source);
        }
    } catch (const std::exception& error) {
        if (stage() == decoder_stage::opening) {
            set_stage(decoder_stage::failed, error.what());
        }
    } catch (...) {
        if (stage() == decoder_stage::opening) {
            set_stage(decoder_stage::failed, "the decoder failed");
        }
    }
    finished_ = true;
    if (notify_) {
        notify_();
    }
}

void track_decoder::decode(sound_source& source)
{
    sample_window& window = *window_;
    const std::uint32_t channels = source.channels();
    std::vector<float> block;
    for (;;) {
        if (window.take_restart()) {
            source.rewind();
        }
        std::string why_early;
        bool more = false;
        try {
            more = source.next_block(block);
        } catch (const std::exception& error) {
            why_early = error.what();
        }
        if (more) {
            if (!window.write(block.data(), block.size() / channels)) {
                if (window.cancelled()) {
                    return;
                }
                continue;  // a restart: the top of the loop seeks back
            }
            if (!block.empty()) {
                set_stage(decoder_stage::playable);
            }
            continue;
        }

        const bool first_pass = !window.length_known();
        const std::uint64_t decoded = window.decoded_frames();
        // Once playable, no frames means playback went back to the start just now, not a file
        // without sound.
        if (first_pass && decoded == 0 && stage() != decoder_stage::playable) {
            set_stage(decoder_stage::failed, why_early.empty() ? "holds no sound" : why_early);
            return;
        }
        if (first_pass && why_early.empty()) {
            why_early = short_of_stated(decoded, source.stated_frames(), source.rate());
        }
        const bool again = window.end_pass(why_early);
        if (first_pass) {
            set_stage(decoder_stage::playable);
            if (notify_) {
                notify_();  // the length is known now, and maybe why it is short
            }
        }
        if (again) {
            source.rewind();
        } else if (!window.wait_for_restart()) {
            return;
        }
    }
}

}  // namespace pyrelle::standin
