#include "sources/standard_input.h"

#include "pathtext/utf16_to_utf8.h"

namespace pathshrink {
namespace {

// `list` in UTF-8: whole where it is, else decoded entry by entry.
std::string AsUtf8(const std::string& list, const CodePageDecoder& decode) {
  if (IsUtf8(list) || !decode) return list;
  std::string whole;
  if (decode(list, whole)) return whole;
  std::string decoded;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = list.find(';', start);
    const std::string_view entry = std::string_view(list).substr(start, end - start);
    std::string text;
    if (!IsUtf8(entry) && decode(entry, text)) {
      decoded += text;
    } else {
      decoded += entry;
    }
    if (end == std::string::npos) break;
    decoded += ';';
    start = end + 1;
  }
  return decoded;
}

}  // namespace

std::string ListFromStandardInput(std::string bytes, bool windows, const CodePageDecoder& decode) {
  if (windows) {
    const std::size_t ctrlZ = bytes.find('\x1A');
    if (ctrlZ != std::string::npos) bytes.resize(ctrlZ);
  }
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  std::string list;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::size_t lineEnd = end;
    if (lineEnd > start && bytes[lineEnd - 1] == '\r') --lineEnd;
    if (lineEnd > start) {
      if (!list.empty()) list += ';';
      list.append(bytes, start, lineEnd - start);
    }
    start = end + 1;
  }
  return AsUtf8(list, decode);
}

}  // namespace pathshrink
