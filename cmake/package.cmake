# What a user gets: `cmake --install` (with --strip) and the ZIP that the `package` target makes,
# build/win32/pyrelle-<version>-win32.zip. One top folder holds the player, the host's shared.dll,
# the module, the runtime DLLs that the player and the module share, README.txt and LICENSE, and
# nothing else: no test or benchmark program.
install(TARGETS orvanel_host shared pyrelle_module
  RUNTIME DESTINATION . COMPONENT player
  LIBRARY DESTINATION . COMPONENT player
  ARCHIVE DESTINATION lib COMPONENT development EXCLUDE_FROM_ALL)

install(FILES ${PYRELLE_RUNTIME_DLLS} DESTINATION . COMPONENT player)
# The compiler's runtime DLLs come with their debug information (libstdc++ alone is 20 MB); they
# are stripped with the programs.
foreach(dll ${PYRELLE_RUNTIME_DLLS})
  get_filename_component(dll_name ${dll} NAME)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${dll_name}\"
                      RESULT_VARIABLE stripped)
      if(NOT stripped EQUAL 0)
        message(FATAL_ERROR \"cannot strip ${dll_name}\")
      endif()
    endif()" COMPONENT player)
endforeach()

# Text files in Windows line endings, for whoever opens them in Notepad.
configure_file(${PROJECT_SOURCE_DIR}/package/README.txt ${CMAKE_BINARY_DIR}/package/README.txt
               @ONLY NEWLINE_STYLE WIN32)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/package/LICENSE @ONLY NEWLINE_STYLE WIN32)
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt ${CMAKE_BINARY_DIR}/package/LICENSE
        DESTINATION . COMPONENT player)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME pyrelle)
set(CPACK_PACKAGE_VENDOR "The Pyrelle developers")
set(PYRELLE_PACKAGE_NAME pyrelle-${PROJECT_VERSION}-win32)
set(CPACK_PACKAGE_FILE_NAME ${PYRELLE_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES TRUE)
include(CPack)

# The package test unzips what the `package` target makes, so that target runs first.
if(NOT CMAKE_HOST_WIN32)
  add_test(NAME package_build COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target package)
  add_test(NAME e2e_package_test
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/e2e/package_test.sh ${CMAKE_BINARY_DIR}
            ${CMAKE_BINARY_DIR}/tests/e2e/package_test ${CMAKE_BINARY_DIR}/${PYRELLE_PACKAGE_NAME}.zip)
  set_tests_properties(package_build PROPERTIES FIXTURES_SETUP package LABELS e2e RUN_SERIAL TRUE)
  set_tests_properties(e2e_package_test PROPERTIES
    FIXTURES_REQUIRED package
    ENVIRONMENT PYRELLE_WINE_DESKTOP=1
    LABELS e2e
    RUN_SERIAL TRUE
    TIMEOUT 150)
  pyrelle_skip_tests_without_wine()
endif()
