#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pathshrink {

// The size of the buffer that a reparse-point query fills.
inline constexpr std::size_t kReparseQueryBufferSize = 16383;
inline constexpr std::uint32_t kMountPointReparseTag = 0xA0000003;

using Utf16ToUtf8Converter = bool (*)(const std::u16string& units, std::string& utf8);

// Reads the target out of mount-point reparse data: the substitute name,
// converted to UTF-8 with `convert`, without a leading "\??\". Reads nothing
// beyond min(bufferSize, returnedBytes). Throws std::runtime_error with one
// of the fixed junction texts: "Not a mount point" for another tag, "Unable
// to query junction" when the header or the name lies outside the returned
// data, "Unable to convert w2a" when the conversion fails (an empty name).
std::string ParseMountPointTarget(const unsigned char* buffer, std::size_t bufferSize,
                                  std::size_t returnedBytes, Utf16ToUtf8Converter convert);

}  // namespace pathshrink
