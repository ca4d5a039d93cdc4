#pragma once
// The class name of the run's full-screen window: the module registers its window class under it,
// and whoever looks for a run's window from outside (the stand-in player's script, the tests)
// finds the window by it. It is the window's identity toward other programs, so it never changes.
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

}  // namespace pyrelle
