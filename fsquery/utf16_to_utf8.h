#pragma once

#include <string>

namespace pathshrink {

// Converts UTF-16 code units to UTF-8, the whole result kept. Returns false
// for an empty input, as the Windows converter rejects a conversion of zero
// units. An unpaired surrogate becomes U+FFFD, as Windows does by default.
bool PortableUtf16ToUtf8(const std::u16string& units, std::string& utf8);

}  // namespace pathshrink
