#include "compact/path_list_syntax.h"

#include <algorithm>
#include <cctype>

namespace pathshrink {

namespace {

// The next ';' (or '"' when quotes group) from `at` on, or npos. A list is
// mostly names: without quotes this is a memchr.
std::size_t NextStop(std::string_view list, std::size_t at, bool quotesGroup) {
  if (!quotesGroup) return list.find(';', at);
  for (; at < list.size(); ++at) {
    if (list[at] == ';' || list[at] == '"') return at;
  }
  return std::string_view::npos;
}

}  // namespace

std::vector<std::string_view> SplitPathList(std::string_view list, bool quotesGroup) {
  std::vector<std::string_view> entries;
  std::size_t start = 0;
  for (std::size_t at = NextStop(list, 0, quotesGroup); at != std::string_view::npos;
       at = NextStop(list, at + 1, quotesGroup)) {
    if (list[at] == '"') {
      const std::size_t close = list.find('"', at + 1);
      if (close != std::string_view::npos) at = close;  // the ';' inside stay
      continue;
    }
    if (at > start) entries.push_back(list.substr(start, at - start));
    start = at + 1;
  }
  if (list.size() > start) entries.push_back(list.substr(start));
  return entries;
}

std::string Unquoted(std::string_view entry) {
  if (entry.find('"') == std::string_view::npos) return std::string(entry);
  std::string text;
  text.reserve(entry.size());
  for (const char c : entry) {
    if (c != '"') text += c;
  }
  return text;
}

std::string QuotedForList(std::string entry) {
  if (entry.find(';') == std::string::npos) return entry;
  return '"' + entry + '"';
}

bool HoldsControlCharacter(std::string_view entry) {
  for (const char c : entry) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

bool HoldsEnvironmentReference(std::string_view entry) {
  const std::size_t open = entry.find('%');
  if (open == std::string_view::npos) return false;
  // Two '%' with a name between them: "%%" alone is no reference.
  for (std::size_t at = open; at != std::string_view::npos;) {
    const std::size_t close = entry.find('%', at + 1);
    if (close == std::string_view::npos) return false;
    if (close > at + 1) return true;
    at = close;
  }
  return false;
}

Expansion ExpandReferences(std::string_view entry, Environment& environment) {
  Expansion expansion;
  std::size_t at = 0;
  while (at < entry.size()) {
    const std::size_t open = entry.find('%', at);
    if (open == std::string_view::npos) break;
    expansion.text.append(entry.substr(at, open - at));
    const std::size_t close = entry.find('%', open + 1);
    if (close == std::string_view::npos) return {Expansion::kLonePercent, "", 0};
    if (close == open + 1) {
      // No name: the first '%' is a plain one, and the second may open one.
      expansion.text += '%';
      at = close;
      continue;
    }
    const std::string name(entry.substr(open + 1, close - open - 1));
    expansion.names.push_back(name);
    const std::optional<std::string> value = environment.Variable(name);
    if (!value) return {Expansion::kUndefined, name, 0};
    expansion.text += *value;
    expansion.end = close + 1;
    at = close + 1;
  }
  if (at < entry.size()) expansion.text.append(entry.substr(at));
  return expansion;
}

bool IsWindowsOwnVariable(std::string_view name) {
  static constexpr std::string_view kOwn[] = {"SystemRoot",
                                              "windir",
                                              "SystemDrive",
                                              "ProgramFiles",
                                              "ProgramFiles(x86)",
                                              "ProgramW6432",
                                              "CommonProgramFiles",
                                              "CommonProgramFiles(x86)",
                                              "CommonProgramW6432",
                                              "ProgramFiles(Arm)",  // ARM64
                                              "CommonProgramFiles(Arm)",
                                              "ProgramData",
                                              "PUBLIC",
                                              "ALLUSERSPROFILE",
                                              "USERPROFILE",
                                              "LOCALAPPDATA",
                                              "APPDATA",
                                              "HOMEDRIVE",
                                              "HOMEPATH",
                                              "USERNAME",
                                              "COMPUTERNAME"};
  for (const std::string_view own : kOwn) {
    if (own.size() == name.size() &&
        std::equal(own.begin(), own.end(), name.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        })) {
      return true;
    }
  }
  return false;
}

}  // namespace pathshrink
