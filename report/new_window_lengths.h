#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace pathshrink {

// A length past which something breaks, for a new window's PATH.
struct LengthLimit {
  std::size_t length;  // the longest that still works
  const char* what;    // what breaks past it
  // Whether it applies to each stored value alone, as typed (the dialog
  // edits one value at a time), rather than to the PATH they make.
  bool eachValue;
};
// The Environment Variables dialog, cmd.exe, and any variable at all
// (32,767 units with its terminating NUL).
inline constexpr LengthLimit kNewWindowLimits[] = {
    {2047, "the Environment Variables dialog refuses it", true},
    {8191, "cmd.exe ignores it", false},
    {32766, "Windows holds no longer variable (32767 with its terminating NUL)", false},
};

// A new window's PATH (the machine's Path, a ';', the user's, each as the
// logon expands it) and the two stored values as they are typed.
struct NewWindowText {
  std::string window;
  std::string machine;
  std::string user;
};

// A new window's PATH before and after the run, in UTF-16 units, and the
// limits it or a stored value is past.
struct NewWindowLengths {
  std::size_t before = 0;
  std::size_t after = 0;
  struct Crossed {
    LengthLimit limit;
    const char* of;  // "newWindow" (the PATH), "machine" or "user" (a stored value)
    bool before = false;
    bool after = false;
  };
  std::vector<Crossed> crossed;  // in the order of kNewWindowLimits, the machine's first
};
NewWindowLengths LengthsOf(const NewWindowText& before, const NewWindowText& after);

// The report's line about them, without its brackets.
std::string NewWindowLine(const NewWindowLengths& lengths);

}  // namespace pathshrink
