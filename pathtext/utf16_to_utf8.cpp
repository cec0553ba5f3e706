#include "pathtext/utf16_to_utf8.h"

namespace pathshrink {
namespace {

void AppendCodePoint(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

bool PortableUtf16ToUtf8(const std::u16string& units, std::string& utf8) {
  if (units.empty()) return false;
  constexpr char32_t kReplacement = 0xFFFD;
  std::string out;
  out.reserve(units.size() * 3);
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (IsHighSurrogate(u) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      const char32_t high = u - 0xD800;
      const char32_t low = units[++i] - 0xDC00;
      AppendCodePoint(0x10000 + (high << 10) + low, out);
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      AppendCodePoint(kReplacement, out);
    } else {
      AppendCodePoint(u, out);
    }
  }
  utf8.swap(out);
  return true;
}

bool PortableUtf8ToUtf16(std::string_view utf8, std::u16string& units) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = Utf8SequenceLength(lead);
    // No sequence starts with a continuation byte, or past U+10FFFF.
    if (length == 0 || lead > 0xF4) return false;
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    if (i + length > utf8.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto byte = static_cast<unsigned char>(utf8[i + k]);
      if ((byte & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (byte & 0x3F);
    }
    const bool overlong =
        (length == 2 && cp < 0x80) || (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += length;
  }
  units.swap(out);
  return true;
}

bool IsUtf8(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      std::u16string units;
      return PortableUtf8ToUtf16(text, units);
    }
  }
  return true;
}

}  // namespace pathshrink
