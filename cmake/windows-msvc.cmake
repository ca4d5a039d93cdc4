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
add_library(pyrelle_module_objects OBJECT ${PYRELLE_MODULE_SOURCES})
target_link_libraries(pyrelle_module_objects PUBLIC pyrelle_core shared_import ddraw pyrelle_directdraw_guids
                                                    user32 gdi32 comctl32)
target_compile_definitions(pyrelle_module_objects PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

add_library(pyrelle_module SHARED
  $<TARGET_OBJECTS:pyrelle_module_objects>
  host/pyrelle.def
  prefs/pyrelle.rc
)
set_target_properties(pyrelle_module PROPERTIES OUTPUT_NAME pyrelle PREFIX "")
target_link_libraries(pyrelle_module PRIVATE pyrelle_module_objects)

add_subdirectory(tests/windows_msvc)
