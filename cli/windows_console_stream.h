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

// Writes to a file or a pipe in a few calls: the text gathers here and goes
// out with WriteFile when flushed, at the end, or every 64 KiB, its lines
// ending in CR LF. (The C runtime's stdout may be unbuffered, as MinGW's
// is on a character device, and then writes a byte a call.)
class WindowsFileStreamBuf : public std::streambuf {
 public:
  explicit WindowsFileStreamBuf(HANDLE file) : file_(file) {}
  ~WindowsFileStreamBuf() override { sync(); }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  static constexpr std::size_t kFlushAt = std::size_t{64} * 1024;
  HANDLE file_;
  std::string pending_;
};

}  // namespace pathshrink
