#pragma once

#include <windows.h>

#include <streambuf>
#include <string>

namespace pathshrink {

// Whether the handle is a console (and not a file or a pipe).
bool IsConsole(HANDLE handle);

// Shows UTF-8 text on a Windows console: the console is written in UTF-16
// with WriteConsoleW, so it shows every letter whatever its code page. A
// sequence cut at the end of a write waits for the rest.
class WindowsConsoleStreamBuf : public std::streambuf {
 public:
  explicit WindowsConsoleStreamBuf(HANDLE console) : console_(console) {}
  // The end: whatever is left goes out, a cut sequence as U+FFFD.
  ~WindowsConsoleStreamBuf() override { Write(true); }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  int Write(bool final);

  HANDLE console_;
  std::string pending_;
};

}  // namespace pathshrink
