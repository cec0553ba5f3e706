# libFuzzer targets, built with clang when PATHSHRINK_FUZZ is on. The fuzz
# preset compiles everything with -fsanitize=fuzzer-no-link and the
# sanitizers; the targets alone link libFuzzer's main.
if(PATHSHRINK_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "PATHSHRINK_FUZZ needs clang (libFuzzer)")
endif()

# pathshrink_fuzzer(NAME SOURCES ... LIBRARIES ...)
function(pathshrink_fuzzer name)
  if(NOT PATHSHRINK_FUZZ)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
