#include "audio/demo_track.h"

#include <cmath>

namespace pyrelle::demo {
namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double beats_per_minute = 120.0;

// A tiny generator of its own, so the noise of the drums is the same on every platform.
struct noise {
    std::uint32_t state = 0x2545F491u;
    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state) / 2147483648.0f - 1.0f;
    }
};

// Root notes (Hz) of the chord for each bar: A minor, F major, C major, G major.
constexpr double chord_roots[] = {220.0, 174.61, 261.63, 196.0};
constexpr double chord_steps[] = {1.0, 1.189207, 1.498307};  // root, minor third, fifth

double chord(double t, std::uint32_t bar)
{
    const double root = chord_roots[bar % 4];
    double sum = 0.0;
    for (double step : chord_steps) {
        sum += std::sin(2.0 * pi * root * step * t) + 0.3 * std::sin(4.0 * pi * root * step * t);
    }
    return sum / 4.0;
}

}  // namespace

pcm_audio make_demo_track()
{
    pcm_audio audio;
    audio.sample_rate = demo_sample_rate;
    audio.channels = 2;
    const std::uint32_t frames = demo_sample_rate * demo_seconds;
    audio.samples.resize(static_cast<std::size_t>(frames) * 2);

    const double beat = 60.0 / beats_per_minute;
    noise hiss;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / demo_sample_rate;
        const double in_beat = std::fmod(t, beat);
        const auto beat_index = static_cast<std::uint32_t>(t / beat);
        const auto bar = beat_index / 4;

        // Kick on every beat: a falling sine that dies within a quarter of a second.
        const double kick_phase = 2.0 * pi * (50.0 * in_beat + 25.0 * (1.0 - std::exp(-in_beat * 30.0)));
        const double kick = std::sin(kick_phase) * std::exp(-in_beat * 9.0);
        // Snare on beats 2 and 4, hi-hat on every off-beat.
        const double snare = (beat_index % 2 == 1) ? hiss.next() * std::exp(-in_beat * 18.0) * 0.5 : 0.0;
        const double off_beat = std::fmod(t + beat / 2.0, beat);
        const double hat = hiss.next() * std::exp(-off_beat * 60.0) * 0.15;
        // Sustained chords swell in and out with each bar.
        const double bar_phase = std::fmod(t, 4.0 * beat) / (4.0 * beat);
        const double pad = chord(t, bar) * (0.25 + 0.2 * std::sin(pi * bar_phase));

        const double left = 0.55 * kick + snare + hat + pad;
        const double right = 0.55 * kick + snare * 0.8 + hat * 1.2 + pad;
        audio.samples[2 * static_cast<std::size_t>(i)] = static_cast<float>(std::tanh(left));
        audio.samples[2 * static_cast<std::size_t>(i) + 1] = static_cast<float>(std::tanh(right));
    }
    return audio;
}

}  // namespace pyrelle::demo
