# 32-bit Windows in the Microsoft C++ ABI (the `windows` preset, cmake/toolchain-msvc-i686.cmake):
# pyrelle.dll from the module's own sources, unchanged, as the players that load it are built;
# the boundary test, a host built the same way; and checks of the DLL that need no Wine.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

include(${CMAKE_CURRENT_LIST_DIR}/wine_tests.cmake)

add_subdirectory(platform/msvc)
link_libraries(pyrelle_msvc_platform)

# ---- The host's `shared` library ------------------------------------------------------------
# The stand-in's shared.dll, which the module imports from by name, and its import library.
add_subdirectory(host_standin/shared)

# ---- The module -----------------------------------------------------------------------------
include(${CMAKE_CURRENT_LIST_DIR}/module_sources.cmake)
pyrelle_add_module(pyrelle_directdraw_guids user32 gdi32 comctl32)

add_subdirectory(tests/windows_msvc)
