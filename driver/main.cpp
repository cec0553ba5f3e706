#include <iostream>

#include "driver/run_pathshrink.h"

#ifdef _WIN32
#include "fsquery/windows_file_system.h"
using PlatformFileSystem = pathshrink::WindowsFileSystem;
#ifdef __MINGW32__
// MinGW's runtime can expand wildcards in the arguments; a path list must
// reach the tool exactly as typed.
extern "C" int _dowildcard;
int _dowildcard = 0;
#endif
#else
#include "fsquery/posix_file_system.h"
using PlatformFileSystem = pathshrink::PosixFileSystem;
#endif

int main(int argc, char* argv[]) {
  PlatformFileSystem fileSystem;
  return pathshrink::RunPathShrink(argc, argv, fileSystem, std::cout, std::cerr);
}
