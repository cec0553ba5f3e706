# GoogleTest: the installed package natively; a cross build compiles it from
# the sources Debian ships in /usr/src/googletest, for the target.
if(CMAKE_CROSSCOMPILING)
  set(PATHSHRINK_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory("${PATHSHRINK_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# Under Wine the tests of a cross build need a prefix of their own; it is
# made on first use.
set(PATHSHRINK_TEST_ENVIRONMENT
  "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
  "WINEDEBUG=-all"
  "WINEDLLOVERRIDES=mscoree,mshtml=")
if(CMAKE_CROSSCOMPILING)
  # As a hosted runner has it (scripts/wine-as-runner.sh readies the
  # prefix): the user runneradmin, whose profile's name needs a short form
  # and below which the temporary folder lies, spelled short; the cases'
  # folders outside the profile, as the workflow puts them.
  list(APPEND PATHSHRINK_TEST_ENVIRONMENT
    "USER=runneradmin" "LOGNAME=runneradmin" "PATHSHRINK_TEST_TEMP=C:\\pathshrink-temp")
endif()

# pathshrink_test(NAME SOURCES ... LIBRARIES ... [ARGS ...]): one GoogleTest
# program, registered with CTest as one test run with ARGS. A program whose
# every test skips is reported as skipped, never as passed.
function(pathshrink_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES;ARGS")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} ${arg_ARGS})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${PATHSHRINK_TEST_ENVIRONMENT}"
    SKIP_REGULAR_EXPRESSION "\\[  PASSED  \\] 0 tests\\.\n\\[  SKIPPED \\]")
endfunction()
