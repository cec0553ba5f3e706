# Boost String Algorithms is header-only. Natively it is found as a package.
# A cross build must not search the host's /usr/include (glibc's headers
# would shadow the target's), so it gets a directory that holds nothing but
# a link to the host's boost/ headers, which are plain C++ and serve any
# target.
if(CMAKE_CROSSCOMPILING)
  find_path(PATHSHRINK_HOST_BOOST_INCLUDE_DIR boost/algorithm/string.hpp
    PATHS /usr/include /usr/local/include
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT PATHSHRINK_HOST_BOOST_INCLUDE_DIR)
    message(FATAL_ERROR "Boost headers not found on the host (Debian: libboost-dev)")
  endif()
  set(staged "${CMAKE_BINARY_DIR}/host-boost")
  file(MAKE_DIRECTORY "${staged}")
  file(CREATE_LINK "${PATHSHRINK_HOST_BOOST_INCLUDE_DIR}/boost" "${staged}/boost" SYMBOLIC)
  add_library(pathshrink_boost INTERFACE)
  target_include_directories(pathshrink_boost SYSTEM INTERFACE "${staged}")
else()
  find_package(Boost 1.71 REQUIRED)
  add_library(pathshrink_boost INTERFACE)
  target_link_libraries(pathshrink_boost INTERFACE Boost::headers)
endif()
