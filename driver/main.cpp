#include <iostream>

#include "driver/run_pathshrink.h"

#ifdef _WIN32
#include <string>
#include <vector>

#include "driver/windows_console_stream.h"
#include "fsquery/windows_file_system.h"
#include "fsquery/windows_utf8.h"
#ifdef __MINGW32__
// MinGW's runtime can expand wildcards in the arguments; a path list must
// reach the tool exactly as typed.
extern "C" int _dowildcard;
int _dowildcard = 0;
#endif

// The arguments arrive as UTF-16, exactly as typed, whatever the code page
// (the narrow ones would have letters outside it replaced by look-alikes);
// the tool works in UTF-8 from here on.
int wmain(int argc, wchar_t* argv[]) {
  std::vector<std::string> arguments(static_cast<std::size_t>(argc));
  std::vector<const char*> pointers;
  pointers.reserve(arguments.size() + 1);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    // An unpaired surrogate cannot be carried: such an argument names no
    // path the tool can resolve, and is reported as it comes.
    if (!pathshrink::WideToUtf8(argv[i], arguments[i])) arguments[i] = "\xEF\xBF\xBD";
    pointers.push_back(arguments[i].c_str());
  }
  pointers.push_back(nullptr);

  // A console is written in UTF-16; files and pipes get the UTF-8 bytes.
  pathshrink::WindowsConsoleStreamBuf outConsole(::GetStdHandle(STD_OUTPUT_HANDLE));
  pathshrink::WindowsConsoleStreamBuf errConsole(::GetStdHandle(STD_ERROR_HANDLE));
  std::ostream out(pathshrink::IsConsole(::GetStdHandle(STD_OUTPUT_HANDLE)) ? &outConsole
                                                                            : std::cout.rdbuf());
  std::ostream err(pathshrink::IsConsole(::GetStdHandle(STD_ERROR_HANDLE)) ? &errConsole
                                                                           : std::cerr.rdbuf());
  err.setf(std::ios::unitbuf);
  pathshrink::WindowsFileSystem fileSystem;
  return pathshrink::RunPathShrink(argc, pointers.data(), fileSystem, out, err);
}
#else
#include "fsquery/posix_file_system.h"

int main(int argc, char* argv[]) {
  pathshrink::PosixFileSystem fileSystem;
  return pathshrink::RunPathShrink(argc, argv, fileSystem, std::cout, std::cerr);
}
#endif
