#include "pathtext/path_key.h"

#include "pathtext/path_parts.h"

namespace pathshrink {

std::string FoldCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string PathKey(std::string_view normalized, const PathConventions& conventions) {
  std::string key;
  if (conventions.win32Syntax && IsDevicePath(normalized)) {
    // "\\?\C:\x" names C:\x, and "\\?\UNC\server\share" names \\server\share.
    if (IsDeviceUncPath(normalized)) {
      key = "\\\\";
      key += normalized.substr(8);
    } else {
      key = normalized.substr(4);
    }
    // Taken as it is, but for a separator at its end, which names nothing
    // more ("\\?\C:\x\" is C:\x; a root such as "c:\" keeps its own).
    if (key.size() > 3 && key.back() == '\\') key.pop_back();
  } else {
    key = normalized;
  }
  return conventions.foldsCase ? FoldCase(std::move(key)) : key;
}

}  // namespace pathshrink
