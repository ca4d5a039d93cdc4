# 32-bit Windows in the Microsoft C++ ABI, as the players that load the module are built: Debian's
# clang in MSVC mode with lld-link, libc++'s headers, Wine's C runtime and Windows headers, and
# import libraries of Wine's DLLs (the sysroot that scripts/msvc-sysroot makes). What Microsoft's
# static runtime objects would add to each program comes from platform/msvc.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(PYRELLE_MSVC_SYSROOT ${CMAKE_CURRENT_LIST_DIR}/../build/msvc-sysroot
    CACHE PATH "The Microsoft-ABI sysroot that scripts/msvc-sysroot makes")
get_filename_component(PYRELLE_MSVC_SYSROOT ${PYRELLE_MSVC_SYSROOT} ABSOLUTE)
if(NOT EXISTS ${PYRELLE_MSVC_SYSROOT}/.msvc-sysroot)
  message(FATAL_ERROR "No Microsoft-ABI sysroot at ${PYRELLE_MSVC_SYSROOT}: run scripts/msvc-sysroot (scripts/setup does)")
endif()
get_filename_component(platform_msvc ${CMAKE_CURRENT_LIST_DIR}/../platform/msvc ABSOLUTE)

set(target i686-pc-windows-msvc)
set(CMAKE_C_COMPILER clang-19)
set(CMAKE_C_COMPILER_TARGET ${target})
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_CXX_COMPILER_TARGET ${target})
set(CMAKE_RC_COMPILER llvm-rc-19)
set(CMAKE_AR llvm-ar-19 CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib-19 CACHE FILEPATH "")

# Headers in this order: the vcruntime stand-ins and libc++'s configuration, libc++, where Wine's
# C headers fall short of the UCRT's, clang's own, Wine's C runtime, Wine's Windows headers.
execute_process(COMMAND clang-19 -print-resource-dir OUTPUT_VARIABLE clang_resources OUTPUT_STRIP_TRAILING_WHITESPACE)
set(include_flags "-nostdinc -isystem ${platform_msvc}/include -isystem ${PYRELLE_MSVC_SYSROOT}/include/c++/v1")
string(APPEND include_flags " -isystem ${platform_msvc}/crt -isystem ${clang_resources}/include")
string(APPEND include_flags " -isystem ${PYRELLE_MSVC_SYSROOT}/include/msvcrt -isystem ${PYRELLE_MSVC_SYSROOT}/include/windows")
string(APPEND include_flags " -include ${platform_msvc}/include/wine_interlocked.h")

# Floating point in SSE registers, never the x87 unit, so the fire is bit-identical to the other
# builds. WCHAR is wchar_t, as in Microsoft's headers (Wine's default is char16_t).
set(common_flags "${include_flags} -msse2 -mfpmath=sse -fms-compatibility-version=19.33 -DWINE_UNICODE_NATIVE")
set(CMAKE_C_FLAGS_INIT "${common_flags}")
set(CMAKE_CXX_FLAGS_INIT "${common_flags}")
set(CMAKE_RC_FLAGS_INIT "-I ${PYRELLE_MSVC_SYSROOT}/include/windows -I ${PYRELLE_MSVC_SYSROOT}/include/msvcrt")

# lld-link (CMake asks clang for it, and clang-19 runs the lld-link beside it), the sysroot's import
# libraries, and none of the default libraries that the objects name (Microsoft's runtime
# libraries): platform/msvc and Wine's DLLs stand in for them. /safeseh is what Microsoft's linker
# does by default for this machine; lld-link makes it an error when an object cannot take part,
# which is the check this build wants.
set(link_flags "-Xlinker /libpath:${PYRELLE_MSVC_SYSROOT}/lib")
string(APPEND link_flags " -Xlinker /nodefaultlib -Xlinker /safeseh -Xlinker /dynamicbase -Xlinker /nxcompat -Xlinker /opt:ref,icf")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${link_flags}")
# Each target names the DLLs it imports from; CMake's default list names some the sysroot lacks.
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "")

# The compiler checks link nothing: a program here needs platform/msvc's entry points first.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# Test programs run through Wine; the script chooses the prefix and, when asked, the desktop.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
