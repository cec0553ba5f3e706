#include "pathtext/path_key.h"

namespace pathshrink {

std::string FoldCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string PathKey(std::string_view normalized, const PathConventions& conventions) {
  std::string key(normalized);
  return conventions.foldsCase ? FoldCase(std::move(key)) : key;
}

}  // namespace pathshrink
