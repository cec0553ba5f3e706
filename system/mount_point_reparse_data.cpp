#include "system/mount_point_reparse_data.h"

#include <algorithm>
#include <stdexcept>

#include "system/junction_errors.h"

namespace pathshrink {
namespace {

// Offsets into REPARSE_DATA_BUFFER's mount-point layout (little-endian).
constexpr std::size_t kTagOffset = 0;
constexpr std::size_t kSubstituteNameOffset = 8;
constexpr std::size_t kSubstituteNameLength = 10;
constexpr std::size_t kPathBuffer = 16;

std::uint16_t ReadU16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

std::string ParseMountPointTarget(const unsigned char* buffer, std::size_t bufferSize,
                                  std::size_t returnedBytes, Utf16ToUtf8Converter convert) {
  const std::size_t readable = std::min(bufferSize, returnedBytes);
  if (readable < kTagOffset + 4) {
    throw JunctionError(JunctionError::Kind::kUnableToQuery);
  }
  if (ReadU32(buffer + kTagOffset) != kMountPointReparseTag) {
    throw JunctionError(JunctionError::Kind::kNotAMountPoint);
  }
  if (readable < kPathBuffer) {
    throw JunctionError(JunctionError::Kind::kUnableToQuery);
  }
  // An odd byte length leaves a half unit, which is ignored.
  const std::size_t units = ReadU16(buffer + kSubstituteNameLength) / 2;
  const std::size_t begin = kPathBuffer + ReadU16(buffer + kSubstituteNameOffset);
  // Both fields are 16-bit, so this cannot overflow; a name that reaches
  // past what the query returned is never read.
  if (begin + units * 2 > readable) {
    throw JunctionError(JunctionError::Kind::kUnableToQuery);
  }

  std::u16string name(units, u'\0');
  for (std::size_t i = 0; i < units; ++i) {
    name[i] = static_cast<char16_t>(ReadU16(buffer + begin + 2 * i));
  }
  std::string target;
  if (!convert(name, target)) {
    throw JunctionError(JunctionError::Kind::kUnableToConvert);
  }
  // The substitute name is an NT path; "\??\" marks its DOS-device form.
  if (target.compare(0, 4, "\\??\\") == 0) target.erase(0, 4);
  return target;
}

}  // namespace pathshrink
