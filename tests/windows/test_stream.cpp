#include "tests/windows/test_stream.h"

#include <windows.h>

#include <stdexcept>

namespace pyrelle::test {
namespace {

void fill_with(audio_chunk& chunk, std::uint32_t count, float value)
{
    chunk.set_sample_count(count);
    float* const samples = chunk.samples();
    for (std::uint32_t i = 0; i < count; ++i) {
        samples[i] = value;
    }
}

}  // namespace

bool test_stream::current_time(double* time)
{
    ++time_calls;
    if (throws) {
        throw std::runtime_error("test stream failure");
    }
    if (!has_time) {
        return false;
    }
    *time = 1.5;
    return true;
}

bool test_stream::fill_chunk(audio_chunk& chunk, double, std::uint32_t)
{
    if (fill_calls++ == 0) {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        first_fill_ticks = now.QuadPart;
    }
    if (fill_fails) {
        return false;
    }
    fill_with(chunk, samples_per_fill, fill_value);
    return true;
}

bool test_stream::fill_chunk_fallback(audio_chunk& chunk, double, std::uint32_t)
{
    ++fallback_calls;
    fill_with(chunk, samples_per_fill, fallback_value);
    return true;
}

void test_manager::create_stream(service_ref& out, std::uint32_t)
{
    ++streams_created;
    out.assign(&stream_);
}

}  // namespace pyrelle::test
