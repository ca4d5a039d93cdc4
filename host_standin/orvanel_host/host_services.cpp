#include "host_standin/orvanel_host/host_services.h"

#include <algorithm>

#include "audio/demo_track.h"

namespace pyrelle::standin {

// What a chunk's host values mean to this host: the rate, the channel count and the channel
// layout (bit n: speaker n), and the chunk's start frame, which the module never reads.
class visualisation_service::stream final : public transient_service<visualisation_stream> {
public:
    explicit stream(visualisation_service& owner) noexcept : owner_(owner) {}

    bool current_time(double* time) override { return owner_.source_.current_time(*time); }
    bool is_active() override { return owner_.source_.state() == playback_state::playing; }

    bool fill_chunk(audio_chunk& chunk, double time, std::uint32_t size) override
    {
        ++owner_.fill_chunk_calls_;
        // Held for the copy: the user-interface thread may load the next track meanwhile. The window
        // holds the seconds around the playing position, which is where the module asks.
        const std::shared_ptr<const track> playing = owner_.source_.playing_track();
        if (!playing || size == 0 || !(time >= 0.0)) {
            return false;
        }
        const sample_window& audio = *playing->samples;
        shape(chunk, audio.rate(), audio.channels(), size);
        audio.read(frame_at(time, audio.rate(), audio.length_frames()), size, chunk.samples());
        return true;
    }

    void set_channel_mode(std::uint32_t) override {}

    // Silence of the form the current track has, or of the demo's form while stopped.
    bool fill_chunk_fallback(audio_chunk& chunk, double, std::uint32_t size) override
    {
        const std::shared_ptr<const track> playing = owner_.source_.playing_track();
        const std::uint32_t rate = playing ? playing->samples->rate() : demo::demo_sample_rate;
        const std::uint32_t channels = playing ? playing->samples->channels() : 2;
        shape(chunk, rate, channels, size);
        std::fill(chunk.samples(), chunk.samples() + chunk.sample_count(), 0.0f);
        return true;
    }

private:
    static void shape(audio_chunk& chunk, std::uint32_t rate, std::uint32_t channels, std::uint32_t frames)
    {
        chunk.set_sample_count(frames * channels);
        chunk.set_host_value_1(rate);
        chunk.set_host_values_2_3(channels, channels >= 32 ? 0xFFFFFFFFu : (1u << channels) - 1);
        chunk.set_host_value_4(0);
    }

    visualisation_service& owner_;
};

void visualisation_service::create_stream(service_ref& out, std::uint32_t) { out.adopt(new stream(*this)); }

}  // namespace pyrelle::standin
