#pragma once
// Wine's math.h, completed where it falls short of the Universal CRT's for C++: the UCRT declares
// isnan, isinf and the other classification and comparison functions as functions, and libc++
// relies on finding them in the global namespace; Wine has them as macros only.
#include_next <math.h>

#ifdef __cplusplus
#undef isfinite
#undef isinf
#undef isnan
#undef isnormal
#undef isgreater
#undef isgreaterequal
#undef isless
#undef islessequal
#undef islessgreater
#undef isunordered

extern "C++" {
// Integers are classified as the double they convert to, as the UCRT does.
#define PYRELLE_CRT_CLASSIFY(name)                                           \
    inline bool name(float x) noexcept { return __builtin_##name(x); }       \
    inline bool name(double x) noexcept { return __builtin_##name(x); }      \
    inline bool name(long double x) noexcept { return __builtin_##name(x); } \
    template <class T>                                                       \
    inline bool name(T x) noexcept                                           \
    {                                                                        \
        return __builtin_##name(static_cast<double>(x));                     \
    }
PYRELLE_CRT_CLASSIFY(isfinite)
PYRELLE_CRT_CLASSIFY(isinf)
PYRELLE_CRT_CLASSIFY(isnan)
PYRELLE_CRT_CLASSIFY(isnormal)
#undef PYRELLE_CRT_CLASSIFY

// Both arguments in their common type, at least double: a float compares the same there.
#define PYRELLE_CRT_COMPARE(name)                                            \
    template <class T, class U>                                              \
    inline bool name(T x, U y) noexcept                                      \
    {                                                                        \
        using real = decltype(x + y + 0.0);                                  \
        return __builtin_##name(static_cast<real>(x), static_cast<real>(y)); \
    }
PYRELLE_CRT_COMPARE(isgreater)
PYRELLE_CRT_COMPARE(isgreaterequal)
PYRELLE_CRT_COMPARE(isless)
PYRELLE_CRT_COMPARE(islessequal)
PYRELLE_CRT_COMPARE(islessgreater)
PYRELLE_CRT_COMPARE(isunordered)
#undef PYRELLE_CRT_COMPARE
}
#endif
