# For both Windows builds: every test that runs a Windows program does so under Wine, which needs
# a machine whose kernel runs 32-bit programs. Where it does not, scripts/wine-run and the e2e
# scripts exit 77 (scripts/wine-usable), which CTest reports as skipped, never as passed. Called at
# the end of a folder's CMakeLists.txt, for that folder's tests.
function(pyrelle_skip_tests_without_wine)
  get_property(tests DIRECTORY PROPERTY TESTS)
  if(tests)
    set_tests_properties(${tests} PROPERTIES SKIP_RETURN_CODE 77)
  endif()
endfunction()
