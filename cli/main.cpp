#include <iostream>

#include "cli/run_pathshrink.h"
#include "system/environment.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <string>
#include <vector>

#include "cli/windows_console_stream.h"
#include "system/windows_environment_store.h"
#include "system/windows_file_system.h"
#include "system/windows_utf8.h"
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
  const std::vector<std::string> arguments = pathshrink::Utf8Arguments(argc, argv);
  std::vector<const char*> pointers;
  pointers.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  pointers.push_back(nullptr);

  // The list on standard input is taken byte for byte: text mode would end
  // it at a Ctrl-Z.
  _setmode(_fileno(stdin), _O_BINARY);

  // A console is written in UTF-16; files and pipes get the UTF-8 bytes.
  const HANDLE stdOut = ::GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE stdErr = ::GetStdHandle(STD_ERROR_HANDLE);
  pathshrink::WindowsConsoleStreamBuf outConsole(stdOut);
  pathshrink::WindowsConsoleStreamBuf errConsole(stdErr);
  pathshrink::WindowsFileStreamBuf outFile(stdOut);
  pathshrink::WindowsFileStreamBuf errFile(stdErr);
  const bool outIsConsole = pathshrink::IsConsole(stdOut);
  std::ostream out(outIsConsole ? static_cast<std::streambuf*>(&outConsole) : &outFile);
  std::ostream err(pathshrink::IsConsole(stdErr) ? static_cast<std::streambuf*>(&errConsole)
                                                 : &errFile);
  err.setf(std::ios::unitbuf);

  pathshrink::WindowsFileSystem fileSystem;
  pathshrink::SystemEnvironment environment;
  pathshrink::WindowsEnvironmentStore store;
  pathshrink::SystemAccess system{fileSystem, &environment, &store, &std::cin};
  system.rootProbe = &pathshrink::AskWindowsRoot;
  // Piped into cmd.exe's for /f, the output is read in the console's code
  // page (none where there is no console).
  const UINT codePage = ::GetConsoleOutputCP();
  system.outputReadInOtherCodePage = !outIsConsole && codePage != 0 && codePage != CP_UTF8;
  // --explain's table fits the console's window.
  CONSOLE_SCREEN_BUFFER_INFO screen{};
  if (outIsConsole && ::GetConsoleScreenBufferInfo(stdOut, &screen)) {
    system.outputColumns =
        static_cast<std::size_t>(screen.srWindow.Right - screen.srWindow.Left + 1);
  }
  // Standard input that is not UTF-8 (echo %PATH%| pathshrink -) comes in
  // the console's input code page, or the OEM one where there is no console.
  const UINT inputCodePage = ::GetConsoleCP() != 0 ? ::GetConsoleCP() : ::GetOEMCP();
  system.decodeInputCodePage = [inputCodePage](std::string_view bytes, std::string& utf8) {
    return pathshrink::CodePageToUtf8(bytes, inputCodePage, utf8);
  };
  return pathshrink::RunPathShrink(argc, pointers.data(), system, out, err);
}
#else
#include <sys/ioctl.h>
#include <unistd.h>

#include "system/posix_file_system.h"

int main(int argc, char* argv[]) {
  pathshrink::PosixFileSystem fileSystem;
  pathshrink::SystemEnvironment environment;
  pathshrink::SystemAccess system{fileSystem, &environment, nullptr, &std::cin};
  // --explain's table fits the terminal's window.
  winsize window{};
  if (::isatty(STDOUT_FILENO) != 0 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &window) == 0) {
    system.outputColumns = window.ws_col;
  }
  return pathshrink::RunPathShrink(argc, argv, system, std::cout, std::cerr);
}
#endif
