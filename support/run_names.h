#pragma once
// The names by which other programs know a run: its full-screen window's class, which the module
// registers and whoever looks for a run's window from outside (the stand-in player's script, the
// tests) finds the window by, and its frame timer's. They are identities toward other programs, so
// they never change.
#include <array>
#include <cstddef>

namespace pyrelle {

inline constexpr char run_window_class_name[] = "{A25BCA8A-BB31-4738-861F-42907A2FB640}";

namespace detail {
template <std::size_t size>
constexpr std::array<wchar_t, size> widened(const char (&ascii)[size]) noexcept
{
    std::array<wchar_t, size> wide{};
    for (std::size_t i = 0; i < size; ++i) {
        wide[i] = static_cast<wchar_t>(ascii[i]);
    }
    return wide;
}
}  // namespace detail

// The same name for the wide Win32 calls (the name is plain ASCII), terminator included.
inline constexpr std::array<wchar_t, sizeof(run_window_class_name)> run_window_class_name_wide =
    detail::widened(run_window_class_name);

// The waitable timer that paces a run's frames (a second run beside it takes a private one).
inline constexpr char frame_timer_name[] = "{B636A55C-AC58-4b5e-86BE-2217B47ECA6F}";
inline constexpr std::array<wchar_t, sizeof(frame_timer_name)> frame_timer_name_wide =
    detail::widened(frame_timer_name);

}  // namespace pyrelle
