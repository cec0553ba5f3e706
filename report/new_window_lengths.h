#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace pathshrink {

// A length past which something breaks, for a new window's PATH.
struct LengthLimit {
  std::size_t length;  // the longest that still works
  const char* what;    // what breaks past it
};
// The Environment Variables dialog, cmd.exe, and any variable at all
// (32,767 units with its terminating NUL).
inline constexpr LengthLimit kNewWindowLimits[] = {
    {2047, "the Environment Variables dialog refuses it"},
    {8191, "cmd.exe ignores it"},
    {32766, "Windows holds no longer variable (32767 with its terminating NUL)"},
};

// A new window's PATH before and after the run, in UTF-16 units, and the
// limits either is past.
struct NewWindowLengths {
  std::size_t before = 0;
  std::size_t after = 0;
  struct Crossed {
    LengthLimit limit;
    bool before = false;
    bool after = false;
  };
  std::vector<Crossed> crossed;  // in the order of kNewWindowLimits
};
NewWindowLengths LengthsOf(const std::string& before, const std::string& after);

// The report's line about them, without its brackets.
std::string NewWindowLine(const NewWindowLengths& lengths);

}  // namespace pathshrink
