#pragma once
// A visualisation manager and stream for whole runs: the test chooses how the stream behaves
// (audio, no current time, failing fills, empty chunks, exceptions) and reads how often the render
// thread called it. The render thread calls in while the test thread reads, hence the atomics.
#include <atomic>
#include <cstdint>

#include "host/host_interfaces.h"

namespace pyrelle::test {

class test_stream final : public visualisation_stream {
public:
    // Behaviour, changed by the test at any time.
    std::atomic<bool> has_time{true};     // false: current_time reports no audio
    std::atomic<bool> fill_fails{false};  // fill_chunk returns false, so the fallback is used
    std::atomic<bool> throws{false};      // current_time throws std::runtime_error
    std::atomic<std::uint32_t> samples_per_fill{requested_chunk_size};  // what each fill leaves
    std::atomic<float> fill_value{0.25f};       // every sample fill_chunk writes (0.25 -> heat 128)
    std::atomic<float> fallback_value{0.125f};  // every sample fill_chunk_fallback writes

    // What happened.
    std::atomic<int> time_calls{0};
    std::atomic<int> fill_calls{0};
    std::atomic<int> fallback_calls{0};
    std::atomic<int> references{0};                 // held by the module
    std::atomic<std::int64_t> first_fill_ticks{0};  // QueryPerformanceCounter at the first fill

    std::uint32_t release() override { return static_cast<std::uint32_t>(--references); }
    std::uint32_t add_ref() override { return static_cast<std::uint32_t>(++references); }
    bool query(service_ref&, const guid&) override { return false; }
    bool current_time(double* time) override;
    bool is_active() override { return true; }
    bool fill_chunk(audio_chunk& chunk, double time, std::uint32_t size) override;
    void set_channel_mode(std::uint32_t) override {}
    bool fill_chunk_fallback(audio_chunk& chunk, double time, std::uint32_t size) override;
};

class test_manager final : public visualisation_manager {
public:
    explicit test_manager(test_stream& stream) noexcept : stream_(stream) {}

    std::atomic<int> streams_created{0};

    std::uint32_t release() override { return 1; }
    std::uint32_t add_ref() override { return 1; }
    bool query(service_ref&, const guid&) override { return false; }
    void create_stream(service_ref& out, std::uint32_t flags) override;

private:
    test_stream& stream_;
};

}  // namespace pyrelle::test
