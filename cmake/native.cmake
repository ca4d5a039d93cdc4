# Native build: the portable core, the command-line tools, the unit tests and the benchmarks.
find_package(GTest REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(GIF REQUIRED)
find_package(CLI11 REQUIRED)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libswresample libavutil)
find_package(PNG REQUIRED)

include(GoogleTest)

add_subdirectory(tools)
include(cmake/deb_package.cmake)
add_subdirectory(tests)
add_subdirectory(bench)

if(PYRELLE_FUZZ)
  add_subdirectory(tests/fuzz)
endif()
