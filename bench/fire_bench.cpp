// Cost of one drawn frame of the fire: seeding, propagation and the copy to a surface, at common
// display sizes; and the per-frame palette rebuild of a run whose three colours all flow.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "fire/fire_simulation.h"
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
    fire_simulation fire(width, height, fire_colours{});
    fire.start_colours();
    fire.start_ramps();
    std::vector<std::uint8_t> surface(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const std::vector<float> samples = music_like_chunk();
    for (auto _ : state) {
        fire.advance(samples.data(), static_cast<std::uint32_t>(samples.size()));
        fire.copy_to(surface.data(), 0);
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::to_string(width) + "x" + std::to_string(height));
}
BENCHMARK(frame)->Args({640, 480})->Args({1024, 768})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);

void palette_with_flow(benchmark::State& state)
{
    // The smallest field: what is left is the flow's per-frame work.
    fire_simulation fire(min_field_width, min_field_height, fire_colours{0, 0, 0, true, true, true});
    fire.start_colours();
    fire.start_ramps();
    const float sample = 0.0f;
    for (auto _ : state) {
        fire.advance(&sample, 1);
        benchmark::DoNotOptimize(fire.palette());
    }
}
BENCHMARK(palette_with_flow)->Unit(benchmark::kMicrosecond);

}  // namespace
