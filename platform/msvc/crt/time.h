#pragma once
// Wine's time.h, completed with the UCRT's struct timespec, which libc++'s Win32 thread support
// uses for timed waits.
#include_next <time.h>

#ifndef _TIMESPEC_DEFINED
#define _TIMESPEC_DEFINED
struct timespec {
    time_t tv_sec;
    long tv_nsec;
};
#endif
