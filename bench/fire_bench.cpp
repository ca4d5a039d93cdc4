// The cost of one drawn frame of the fire (seeding, propagation, copy to a surface) as the run's
// fire_simulation draws it, against the plain scalar reference of the same three steps, measured
// in one process: the two alternate round by round, each round times a batch of frames, and the
// best round of each counts. Then the same frames drawn both ways from fresh generators must give
// identical bytes. Also the palette rebuild of a run whose three colours all flow.
//
// Builds natively and for 32-bit Windows (run it under Wine); see docs/performance.md.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fire/fire_simulation.h"
#include "fire/heat_field.h"

namespace {

using namespace pyrelle;
using clock_type = std::chrono::steady_clock;

constexpr char usage[] =
    "usage: fire_bench [--rounds N] [--min-speedup R] [--quick]\n"
    "  --rounds N        timed rounds of each implementation, alternating; the best counts (5)\n"
    "  --min-speedup R   exit status 1 when fire_simulation is less than R times as fast as the\n"
    "                    scalar reference at any size\n"
    "  --quick           one short round: checks that it runs and that the bytes agree\n"
    "Exit status 1 also when the two implementations give different bytes; 2 for bad options.\n";

struct options {
    int rounds = 5;
    double min_speedup = 0;
    bool quick = false;
};

struct frame_size {
    std::int32_t width, height;
};
constexpr frame_size sizes[] = {{640, 480}, {1024, 768}, {1920, 1080}};

std::vector<float> music_like_chunk()
{
    std::vector<float> samples(8192);  // 4096 stereo frames, as the host hands over
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i);
        samples[i] = static_cast<float>(0.4 * std::sin(t * 0.05) + 0.1 * std::sin(t * 0.9));
    }
    return samples;
}

// The three steps as plain scalar code, on a field of its own.
class scalar_frame {
public:
    explicit scalar_frame(frame_size s) : size_(s), heat_(heat_field_bytes(s.width, s.height), 0) {}
    void draw(const std::vector<float>& samples, std::uint8_t* surface)
    {
        seed_bottom_rows(heat_.data(), size_.width, size_.height, samples.data(),
                         static_cast<std::uint32_t>(samples.size()), random_);
        propagate_heat_reference(heat_.data(), size_.width, size_.height);
        copy_frame(surface, heat_.data(), size_.width, size_.height, 0);
    }
    const std::vector<std::uint8_t>& heat() const { return heat_; }

private:
    frame_size size_;
    std::vector<std::uint8_t> heat_;
    random_state random_;
};

class simulation_frame {
public:
    explicit simulation_frame(frame_size s) : fire_(s.width, s.height, fire_colours{}) {}
    void draw(const std::vector<float>& samples, std::uint8_t* surface)
    {
        fire_.advance(samples.data(), static_cast<std::uint32_t>(samples.size()), random_);
        fire_.copy_to(surface, 0);
    }
    const std::vector<std::uint8_t>& heat() const { return fire_.heat(); }

private:
    fire_simulation fire_;
    random_state random_;
};

// Seconds per frame over one batch.
template <typename Frame>
double time_batch(Frame& frame, const std::vector<float>& samples, std::vector<std::uint8_t>& surface, int frames)
{
    const auto start = clock_type::now();
    for (int k = 0; k < frames; ++k) {
        frame.draw(samples, surface.data());
    }
    const std::chrono::duration<double> spent = clock_type::now() - start;
    return spent.count() / frames;
}

// Both implementations, each from its own fresh generator: field and picture must agree.
bool same_bytes(frame_size s, const std::vector<float>& samples, int frames)
{
    const std::size_t pixels = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height);
    std::vector<std::uint8_t> surface_a(pixels), surface_b(pixels);
    scalar_frame a(s);
    simulation_frame b(s);
    for (int k = 0; k < frames; ++k) {
        a.draw(samples, surface_a.data());
        b.draw(samples, surface_b.data());
    }
    return a.heat() == b.heat() && surface_a == surface_b;
}

double palette_rebuild_seconds(int frames)
{
    // The smallest field: what is left is the flow's per-frame work.
    fire_simulation fire(min_field_width, min_field_height, fire_colours{0, 0, 0, true, true, true});
    random_state random;
    fire.start_colours(random);
    fire.start_ramps();
    const float sample = 0.0f;
    const auto start = clock_type::now();
    for (int k = 0; k < frames; ++k) {
        fire.advance(&sample, 1, random);
    }
    const std::chrono::duration<double> spent = clock_type::now() - start;
    return spent.count() / frames;
}

bool parse(int argc, char** argv, options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            std::exit(0);
        } else if (a == "--quick") {
            o.quick = true;
        } else if (a == "--rounds" && has_value) {
            o.rounds = std::atoi(argv[++i]);
            if (o.rounds < 1) {
                std::fprintf(stderr, "fire_bench: --rounds needs a whole number of at least 1\n");
                return false;
            }
        } else if (a == "--min-speedup" && has_value) {
            char* end = nullptr;
            o.min_speedup = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(o.min_speedup >= 0)) {
                std::fprintf(stderr, "fire_bench: --min-speedup needs a number such as 5\n");
                return false;
            }
        } else {
            std::fprintf(stderr, "fire_bench: unknown option or missing value '%s'\n%s", a.c_str(), usage);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    options o;
    if (!parse(argc, argv, o)) {
        return 2;
    }
    const int rounds = o.quick ? 1 : o.rounds;
    const std::vector<float> samples = music_like_chunk();
    bool ok = true;

    std::printf("fire frame: seed + propagate + copy; best of %d alternating rounds\n", rounds);
    std::printf("%-11s %18s %18s %9s\n", "size", "scalar reference", "fire_simulation", "speedup");
    for (const frame_size s : sizes) {
        const std::size_t pixels = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height);
        // About 60 ms of scalar work per round at any size.
        const int frames = o.quick ? 2 : std::max(10, static_cast<int>(60e6 / static_cast<double>(pixels)));
        std::vector<std::uint8_t> surface(pixels);
        scalar_frame scalar(s);
        simulation_frame simulation(s);
        double best_scalar = 1e30, best_simulation = 1e30;
        for (int r = 0; r < rounds; ++r) {
            best_scalar = std::min(best_scalar, time_batch(scalar, samples, surface, frames));
            best_simulation = std::min(best_simulation, time_batch(simulation, samples, surface, frames));
        }
        const double speedup = best_scalar / best_simulation;
        const std::string label = std::to_string(s.width) + "x" + std::to_string(s.height);
        std::printf("%-11s %15.1f us %15.1f us %8.2fx\n", label.c_str(), best_scalar * 1e6, best_simulation * 1e6,
                    speedup);
        if (!same_bytes(s, samples, o.quick ? 3 : 10)) {
            std::printf("FAIL %s: fire_simulation and the scalar reference give different bytes\n", label.c_str());
            ok = false;
        } else {
            std::printf("%-11s identical bytes\n", "");
        }
        if (speedup < o.min_speedup) {
            std::printf("FAIL %s: speedup %.2fx is below %.2fx\n", label.c_str(), speedup, o.min_speedup);
            ok = false;
        }
    }
    std::printf("palette rebuild with flow: %.2f us\n", palette_rebuild_seconds(o.quick ? 100 : 100000) * 1e6);
    return ok ? 0 : 1;
}
