#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pathshrink {

// What stands in for the user's profile folder and name in a redacted
// report: no stored reference can be spelled so, so a reader can tell a
// redaction from a real %USERPROFILE% entry.
inline constexpr std::string_view kProfileMark = "<user-profile>";
inline constexpr std::string_view kUserNameMark = "<user-name>";

// Replaces what would name the user in a report that leaves the machine
// (the profile folder, in any spelling given, and the user name) by marks
// that name no one.
class Redactor {
 public:
  Redactor() = default;  // redacts nothing
  // `profileFolders`: the profile folder's spellings (long, short);
  // `userName` the user's name. Where `windows`, compared as Windows
  // compares names (without regard to case, in Latin, Greek and Cyrillic
  // letters too) and with either slash as a separator.
  Redactor(std::vector<std::string> profileFolders, std::string userName, bool windows);
  // `text` with each of them replaced where it stands whole: a folder
  // where it ends at a separator or the end of an entry (C:\Users\ann2 is
  // another user's), the name where it is a whole component or word.
  std::string operator()(std::string_view text) const;
  bool Empty() const { return replacements_.empty(); }

 private:
  std::vector<std::pair<std::string, std::string_view>> replacements_;  // longest first
  bool windows_ = false;
};

}  // namespace pathshrink
