// Cost of one drawn frame of the fire: seeding, propagation and the copy to a surface, at common
// display sizes; and the per-frame palette rebuild of a run whose three colours all flow.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "fire/colour_flow.h"
#include "fire/heat_field.h"

namespace {

using namespace pyrelle;

std::vector<float> music_like_chunk()
{
    std::vector<float> samples(8192);  // 4096 stereo frames, as the host hands over
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(0.4 * std::sin(static_cast<double>(i) * 0.05) + 0.1 * std::sin(static_cast<double>(i) * 0.9));
    }
    return samples;
}

void frame(benchmark::State& state)
{
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    std::vector<std::uint8_t> heat(heat_field_bytes(width, height), 0);
    std::vector<std::uint8_t> surface(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const std::vector<float> samples = music_like_chunk();
    for (auto _ : state) {
        seed_bottom_rows(heat.data(), width, height, samples.data(), static_cast<std::uint32_t>(samples.size()));
        propagate_heat(heat.data(), width, height);
        copy_frame(surface.data(), heat.data(), width, height, 0);
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::to_string(width) + "x" + std::to_string(height));
}
BENCHMARK(frame)->Args({640, 480})->Args({1024, 768})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);

void palette_with_flow(benchmark::State& state)
{
    std::vector<palette_entry> palette(palette_size);
    std::vector<colour> low(ramp_size), middle(ramp_size), high(ramp_size);
    colour_flow flow;
    flow.low_flow = flow.middle_flow = flow.high_flow = true;
    flow.palette_entries = palette.data();
    flow.low_ramp = low.data();
    flow.middle_ramp = middle.data();
    flow.high_ramp = high.data();
    start_colour_flow(flow);
    start_colour_ramps(flow);
    for (auto _ : state) {
        advance_colour_flow(flow);
        benchmark::DoNotOptimize(palette.data());
    }
}
BENCHMARK(palette_with_flow)->Unit(benchmark::kMicrosecond);

}  // namespace
