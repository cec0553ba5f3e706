#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pathshrink {

// How many bytes the UTF-8 sequence that starts with `byte` has, as its
// lead byte says (1 to 4); 0 for a continuation byte. The one reading of
// lead bytes here: counting, cutting and converting UTF-8 all use it.
constexpr std::size_t Utf8SequenceLength(unsigned char byte) {
  if (byte < 0x80) return 1;
  if ((byte & 0xC0) == 0x80) return 0;
  return byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
}

// Converts UTF-16 code units to UTF-8, the whole result kept. Returns false
// for an empty input, as the Windows converter rejects a conversion of zero
// units. An unpaired surrogate becomes U+FFFD, as Windows does by default.
bool PortableUtf16ToUtf8(const std::u16string& units, std::string& utf8);

// The other way, strictly: false for bytes that are not UTF-8 (a stray
// continuation byte, a cut or overlong sequence, a surrogate, past U+10FFFF).
bool PortableUtf8ToUtf16(std::string_view utf8, std::u16string& units);

// Whether `text` is UTF-8 as that reads it (ASCII, most paths, at once).
bool IsUtf8(std::string_view text);

}  // namespace pathshrink
