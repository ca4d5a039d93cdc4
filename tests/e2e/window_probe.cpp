// Measures how quickly a window answers: finds the top-level window of a class, then sends it
// WM_NULL every few milliseconds with SendMessageTimeout until it is gone or the time is up, and
// prints the slowest answer. A window that does not answer within the bound fails the probe.
//   window_probe.exe CLASS SECONDS BOUND_MS
// Exit status: 0 every answer came within the bound; 1 one did not; 2 no such window appeared.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: window_probe CLASS SECONDS BOUND_MS\n");
        return 2;
    }
    const char* class_name = argv[1];
    const ULONGLONG seconds = std::strtoul(argv[2], nullptr, 10);
    const UINT bound_ms = static_cast<UINT>(std::strtoul(argv[3], nullptr, 10));

    // The window appears once the player has loaded the module and read its settings.
    HWND window = nullptr;
    const ULONGLONG search_ends = ::GetTickCount64() + 30000;
    while ((window = ::FindWindowA(class_name, nullptr)) == nullptr) {
        if (::GetTickCount64() > search_ends) {
            std::fprintf(stderr, "window_probe: no window of that class within 30 s\n");
            return 2;
        }
        ::Sleep(20);
    }

    const ULONGLONG ends = ::GetTickCount64() + seconds * 1000;
    ULONGLONG worst = 0;
    unsigned long probes = 0;
    unsigned long unanswered = 0;
    while (::GetTickCount64() < ends && ::IsWindow(window)) {
        DWORD_PTR result = 0;
        const ULONGLONG sent = ::GetTickCount64();
        const bool answered = ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, bound_ms, &result) != 0;
        const ULONGLONG took = ::GetTickCount64() - sent;
        if (!answered && ::IsWindow(window)) {
            ++unanswered;
        }
        if (took > worst) {
            worst = took;
        }
        ++probes;
        ::Sleep(10);
    }
    std::printf("window_probe: %lu probes, slowest answer %llu ms, %lu unanswered within %u ms\n", probes,
                static_cast<unsigned long long>(worst), unanswered, bound_ms);
    return unanswered == 0 ? 0 : 1;
}
