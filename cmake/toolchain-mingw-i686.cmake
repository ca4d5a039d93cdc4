# 32-bit Windows through mingw-w64. The -posix variant is the one with std::thread, which
# GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# Floating point in SSE registers on every thread: with the x87 unit a result would depend on the
# precision the calling thread happens to run with (the heat field's seeding picks its samples by
# double arithmetic). SSE2 also carries the heat filter's vector code. The compiler realigns the
# stack where SSE needs it (-mstackrealign is its default with SSE on this target).
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run through Wine; the script chooses the prefix and, when asked, the desktop.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)

# On Windows itself, MSYS2's MINGW32 environment: its gcc is the 32-bit mingw-w64 compiler (with
# POSIX threads), what it needs is found under its own prefix, and the tests run without Wine.
if(CMAKE_HOST_WIN32)
  set(CMAKE_C_COMPILER gcc)
  set(CMAKE_CXX_COMPILER g++)
  set(CMAKE_RC_COMPILER windres)
  unset(CMAKE_FIND_ROOT_PATH)
  unset(CMAKE_CROSSCOMPILING_EMULATOR)
endif()
