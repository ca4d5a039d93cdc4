// The parts of libc++'s compiled library that the code uses, written for this build: Debian ships
// libc++'s headers but no library for this target.
#include <charconv>
#include <string>

_LIBCPP_BEGIN_NAMESPACE_STD

// The members of basic_string that libc++'s headers declare as instantiated in its library, as
// its string.cpp instantiates them. The linker keeps only the ones a program calls.
#define PYRELLE_INSTANTIATE(...) template __VA_ARGS__;
_LIBCPP_STRING_V1_EXTERN_TEMPLATE_LIST(PYRELLE_INSTANTIATE, char)
_LIBCPP_STRING_V1_EXTERN_TEMPLATE_LIST(PYRELLE_INSTANTIATE, wchar_t)
#undef PYRELLE_INSTANTIATE

namespace {
template <class Integer>
wstring decimal_wide(Integer value)
{
    char digits[24];
    const to_chars_result end = to_chars(digits, digits + sizeof digits, value);
    return wstring(digits, end.ptr);
}
}  // namespace

wstring to_wstring(int value) { return decimal_wide(value); }
wstring to_wstring(unsigned value) { return decimal_wide(value); }
wstring to_wstring(long value) { return decimal_wide(value); }
wstring to_wstring(unsigned long value) { return decimal_wide(value); }
wstring to_wstring(long long value) { return decimal_wide(value); }
wstring to_wstring(unsigned long long value) { return decimal_wide(value); }

_LIBCPP_END_NAMESPACE_STD
