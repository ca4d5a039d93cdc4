#pragma once
// Included before every source of the Microsoft-ABI build (-include). Wine's winnt.h defines the
// 64-bit and pointer _Interlocked* functions inline for 32-bit x86, where clang knows them as
// builtins and refuses a definition. Renamed here before winnt.h is read, Wine's definitions
// become ordinary inline functions under names of their own; the code's calls of
// InterlockedExchangePointer and the others reach them through winnt.h's macros all the same.
// Microsoft's own headers leave these to the compiler, so nothing else changes.
#define _InterlockedAnd64 pyrelle_wine_InterlockedAnd64
#define _InterlockedCompareExchangePointer pyrelle_wine_InterlockedCompareExchangePointer
#define _InterlockedExchangeAdd64 pyrelle_wine_InterlockedExchangeAdd64
#define _InterlockedExchangePointer pyrelle_wine_InterlockedExchangePointer
#define _InterlockedIncrement64 pyrelle_wine_InterlockedIncrement64
#define _InterlockedDecrement64 pyrelle_wine_InterlockedDecrement64
#define _InterlockedOr64 pyrelle_wine_InterlockedOr64
#define _InterlockedXor64 pyrelle_wine_InterlockedXor64
