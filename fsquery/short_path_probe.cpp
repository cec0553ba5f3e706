// A test aid for the Windows suite: prints what GetShortPathNameA answers for
// each argument, one line each, or "?" where it fails. The suite compares the
// tool's output with these answers, since Wine hashes its short names.
#include <windows.h>

#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    std::vector<char> buffer(MAX_PATH);
    DWORD length = ::GetShortPathNameA(argv[i], buffer.data(), MAX_PATH);
    if (length >= buffer.size()) {
      buffer.resize(length);
      length = ::GetShortPathNameA(argv[i], buffer.data(), length);
    }
    if (length == 0 || length >= buffer.size()) {
      std::puts("?");
    } else {
      std::puts(buffer.data());
    }
  }
  return 0;
}
