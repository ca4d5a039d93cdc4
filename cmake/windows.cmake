# 32-bit Windows build: the portable core, the module and the Windows programs, with the tests run
# under Wine. Every program and DLL lands in one folder beside the compiler's runtime DLLs, which
# they share so that C++ exceptions can cross between the module and its host.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

include(${CMAKE_CURRENT_LIST_DIR}/wine_tests.cmake)

# The compiler knows where its DLLs are on Debian; MSYS2 keeps them beside the compiler.
set(PYRELLE_RUNTIME_DLLS)
get_filename_component(compiler_folder ${CMAKE_CXX_COMPILER} DIRECTORY)
foreach(dll libstdc++-6.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
    find_file(dll_path_${dll} ${dll} PATHS ${compiler_folder} /usr/i686-w64-mingw32/lib
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    set(dll_path ${dll_path_${dll}})
  endif()
  list(APPEND PYRELLE_RUNTIME_DLLS ${dll_path})
endforeach()
file(COPY ${PYRELLE_RUNTIME_DLLS} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})

# GoogleTest as installed for the target (MSYS2's mingw-w64-i686-gtest), or else built with the
# cross compiler from Debian's source package.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  set(PYRELLE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources, built when no GoogleTest is installed")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${PYRELLE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

add_subdirectory(tests)

# ---- The host's `shared` library -------------------------------------------------------------
# The module imports uCreateWindowEx and uChooseColor from shared.dll by name. The host stand-in
# builds that DLL (host_standin/shared); the module links an import library made from the .def.
add_subdirectory(host_standin/shared)

# ---- The module -----------------------------------------------------------------------------
include(${CMAKE_CURRENT_LIST_DIR}/module_sources.cmake)
pyrelle_add_module(dxguid)

add_subdirectory(tests/windows)
add_subdirectory(bench)
add_subdirectory(bench/windows)
add_subdirectory(host_standin/orvanel_host)

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
