#pragma once
// Timing for the presentation benchmarks: wall time from the performance counter and the whole
// process's CPU time (every thread, user and kernel), and the report both programs print so that
// scripts/bench-windows can compare them line by line. The whole-run tests pump and time with the
// same functions.
#include <windows.h>

#include <cstdio>

namespace pyrelle::bench {

inline double seconds_now()
{
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double process_cpu_seconds()
{
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Seconds to run from the first argument, 10 when absent or unreadable.
inline double run_seconds(int argc, char** argv)
{
    double seconds = 0;
    if (argc > 1 && std::sscanf(argv[1], "%lf", &seconds) == 1 && seconds > 0) {
        return seconds;
    }
    return 10;
}

struct run_report {
    double wall_seconds;        // from the start of the run to its stop
    double cpu_seconds;         // process CPU over the same span
    long frames;                // flips
    double first_flip_seconds;  // from the start to the first flip's return; negative if none
    double last_flip_seconds;   // from the start to the last flip's return
};

// Frames per second of the paced span, from the first flip to the last: the start-up (window,
// mode change) is reported on its own as first_flip_ms.
inline double paced_rate(const run_report& r)
{
    const double span = r.last_flip_seconds - r.first_flip_seconds;
    return r.frames > 1 && span > 0 ? (r.frames - 1) / span : 0;
}

inline void print_report(const char* program, const run_report& r)
{
    std::printf("program %s\n", program);
    std::printf("run_seconds %.3f\n", r.wall_seconds);
    std::printf("frames %ld\n", r.frames);
    std::printf("frames_per_second %.3f\n", paced_rate(r));
    std::printf("cpu_per_second %.5f\n", r.cpu_seconds / r.wall_seconds);
    std::printf("first_flip_ms %.1f\n", r.first_flip_seconds * 1000);
    std::fflush(stdout);
}

// Dispatches this thread's messages until `deadline` (seconds_now() scale).
inline void pump_until(double deadline)
{
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        const double left = deadline - seconds_now();
        if (left <= 0) {
            return;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, left > 0.05 ? 50 : static_cast<DWORD>(left * 1000) + 1,
                                    QS_ALLINPUT);
    }
}

}  // namespace pyrelle::bench
