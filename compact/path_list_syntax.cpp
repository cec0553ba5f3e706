#include "compact/path_list_syntax.h"

namespace pathshrink {

std::vector<std::string_view> SplitPathList(std::string_view list, bool quotesGroup) {
  std::vector<std::string_view> entries;
  std::size_t start = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == '"' && quotesGroup) {
      const std::size_t close = list.find('"', i + 1);
      if (close != std::string_view::npos) i = close;  // the ';' inside stay
    } else if (list[i] == ';') {
      entries.push_back(list.substr(start, i - start));
      start = i + 1;
    }
  }
  entries.push_back(list.substr(start));
  return entries;
}

std::string Unquoted(std::string_view entry) {
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

}  // namespace pathshrink
