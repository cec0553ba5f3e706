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

// `bytes` after a UTF-16 byte-order mark, as UTF-8 (a surrogate without its
// partner as U+FFFD); false where they are not UTF-16, an odd count, `why`
// saying so.
bool FromUtf16(std::string_view bytes, bool bigEndian, std::string& utf8, std::string& why) {
  const std::string mark = "it begins with a UTF-16 byte-order mark, ";
  if (bytes.size() % 2 != 0) {
    why = mark + "and its last character has one byte of two";
    return false;
  }
  utf8.clear();
  if (bytes.empty()) return true;  // the mark alone: empty input
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  PortableUtf16ToUtf8(units, utf8);  // fails on no units alone
  return true;
}

}  // namespace

bool ListFromStandardInput(std::string bytes, bool windows, const CodePageDecoder& decode,
                           std::string& list, std::string& why) {
  list.clear();
  const bool little = bytes.compare(0, 2, "\xFF\xFE") == 0;
  if (little || bytes.compare(0, 2, "\xFE\xFF") == 0) {
    std::string utf8;
    if (!FromUtf16(std::string_view(bytes).substr(2), !little, utf8, why)) return false;
    bytes = std::move(utf8);
  }
  if (windows) {
    const std::size_t ctrlZ = bytes.find('\x1A');
    if (ctrlZ != std::string::npos) bytes.resize(ctrlZ);
  }
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  // A NUL is in no text but UTF-16's: entries full of them would all be
  // left out, and the list come out empty.
  if (bytes.find('\0') != std::string::npos) {
    why = "it holds a NUL byte, and is not UTF-16 with a byte-order mark";
    return false;
  }
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
  list = AsUtf8(list, decode);
  return true;
}

}  // namespace pathshrink
