#pragma once

#include <string>
#include <string_view>

namespace pathshrink {

// Converts UTF-16 code units to UTF-8, the whole result kept. Returns false
// for an empty input, as the Windows converter rejects a conversion of zero
// units. An unpaired surrogate becomes U+FFFD, as Windows does by default.
bool PortableUtf16ToUtf8(const std::u16string& units, std::string& utf8);

// The other way, strictly: false for bytes that are not UTF-8 (a stray
// continuation byte, a cut or overlong sequence, a surrogate, past U+10FFFF).
bool PortableUtf8ToUtf16(std::string_view utf8, std::u16string& units);

}  // namespace pathshrink
