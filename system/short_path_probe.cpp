// A test aid for the Windows suite: prints what GetShortPathNameW answers for
// each argument, in UTF-8, one line each, or "?" where it fails. The suite
// compares the tool's output with these answers, since Wine hashes its
// short names.
#include <windows.h>

#include <cstdio>
#include <vector>

int wmain(int argc, wchar_t* argv[]) {
  for (int i = 1; i < argc; ++i) {
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = ::GetShortPathNameW(argv[i], buffer.data(), MAX_PATH);
    if (length >= buffer.size()) {
      buffer.resize(length);
      length = ::GetShortPathNameW(argv[i], buffer.data(), length);
    }
    if (length == 0 || length >= buffer.size()) {
      std::puts("?");
      continue;
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, buffer.data(), static_cast<int>(length),
                                           nullptr, 0, nullptr, nullptr);
    std::vector<char> utf8(static_cast<std::size_t>(size));
    ::WideCharToMultiByte(CP_UTF8, 0, buffer.data(), static_cast<int>(length), utf8.data(), size,
                          nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::puts("");
  }
  return 0;
}
