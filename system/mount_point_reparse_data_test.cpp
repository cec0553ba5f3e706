#include "system/mount_point_reparse_data.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <stdexcept>
#include <vector>

#include "pathtext/utf16_to_utf8.h"
#include "system/junction_errors.h"
#ifdef _WIN32
#include "system/windows_file_system.h"
#endif

namespace pathshrink {
namespace {

// A zero-filled query buffer as the file system would leave it.
struct ReparseData {
  std::vector<unsigned char> bytes = std::vector<unsigned char>(kReparseQueryBufferSize, 0);
  std::size_t returned = 0;

  // Mount-point data whose path buffer holds `pathBuffer`; the substitute
  // name starts `offset` bytes into it and is `length` bytes long.
  static ReparseData MountPoint(const std::u16string& pathBuffer, std::size_t offset,
                                std::size_t length, std::uint32_t tag = kMountPointReparseTag) {
    ReparseData data;
    data.Put32(0, tag);
    data.Put16(8, offset);
    data.Put16(10, length);
    for (std::size_t i = 0; i < pathBuffer.size(); ++i) {
      data.Put16(16 + 2 * i, pathBuffer[i]);
    }
    data.returned = 16 + 2 * pathBuffer.size();
    return data;
  }
  static ReparseData Name(const std::u16string& name) {
    return MountPoint(name, 0, 2 * name.size());
  }

  void Put16(std::size_t at, std::size_t value) {
    bytes[at] = static_cast<unsigned char>(value & 0xFF);
    bytes[at + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
  }
  void Put32(std::size_t at, std::uint32_t value) {
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
  }
};

struct ParseCase {
  const char* name;
  ReparseData data;
  std::string expected;  // the target, or the failure's message
};

std::vector<ParseCase> Cases() {
  ReparseData odd = ReparseData::MountPoint(u"C:\\abZ", 0, 2 * 5 + 1);
  ReparseData atEnd = ReparseData::Name(u"C:\\x");
  ReparseData pastReturned = ReparseData::Name(u"C:\\x");
  pastReturned.returned -= 1;
  ReparseData pastBuffer = ReparseData::MountPoint(u"", 16360, 20);
  pastBuffer.returned = 20000;
  ReparseData fillsBuffer = ReparseData::MountPoint(u"", 0, 16368);
  fillsBuffer.returned = kReparseQueryBufferSize;
  ReparseData headerOnlyTag = ReparseData::Name(u"C:\\x");
  headerOnlyTag.returned = 12;
  ReparseData noTag = ReparseData::Name(u"C:\\x");
  noTag.returned = 3;
  ReparseData symlinkTagOnly = ReparseData::MountPoint(u"", 0, 0, 0xA000000C);
  symlinkTagOnly.returned = 4;

  using namespace junction_errors;
  return {
      {"with the prefix", ReparseData::Name(u"\\??\\C:\\Program Files"), "C:\\Program Files"},
      {"without the prefix", ReparseData::Name(u"C:\\Target"), "C:\\Target"},
      {"shorter than the prefix", ReparseData::Name(u"C:"), "C:"},
      {"the prefix alone", ReparseData::Name(u"\\??\\"), ""},
      {"after the print name", ReparseData::MountPoint(u"C:\\print\\??\\C:\\sub", 16, 20),
       "C:\\sub"},
      {"an odd length drops the half unit", odd, "C:\\ab"},
      {"name ends where the returned data ends", atEnd, "C:\\x"},
      {"non-ASCII letters keep every byte",
       ReparseData::Name(u"\\??\\C:\\\u00c9t\u00e9\\\u65e5\u672c"),
       "C:\\\xc3\x89t\xc3\xa9\\\xe6\x97\xa5\xe6\x9c\xac"},
      {"one byte more than units", ReparseData::Name(u"C:\\\u00e9"), "C:\\\xc3\xa9"},
      {"a symbolic link", ReparseData::MountPoint(u"C:\\x", 0, 8, 0xA000000C), kNotAMountPoint},
      {"another tag, only the tag returned", symlinkTagOnly, kNotAMountPoint},
      {"an empty name", ReparseData::Name(u""), kUnableToConvert},
      {"name past the returned data", pastReturned, kUnableToQuery},
      {"name past the buffer", pastBuffer, kUnableToQuery},
      {"name past the buffer by one unit", fillsBuffer, kUnableToQuery},
      {"header cut short", headerOnlyTag, kUnableToQuery},
      {"not even a tag", noTag, kUnableToQuery},
  };
}

class ParseMountPointTargetTest : public ::testing::TestWithParam<Utf16ToUtf8Converter> {};

TEST_P(ParseMountPointTargetTest, ReadsTheTargetOrFailsWithAFixedText) {
  for (const ParseCase& c : Cases()) {
    std::string answer;
    try {
      answer = ParseMountPointTarget(c.data.bytes.data(), c.data.bytes.size(), c.data.returned,
                                     GetParam());
    } catch (const std::runtime_error& e) {
      answer = e.what();
    }
    EXPECT_EQ(answer, c.expected) << c.name;
  }
}

TEST_P(ParseMountPointTargetTest, ReadsNoFurtherThanTheBufferItIsGiven) {
  // A buffer cut right after the name: reading past it would be caught by
  // the sanitizers, and the answer must still be whole.
  const ReparseData data = ReparseData::Name(u"C:\\x");
  const std::vector<unsigned char> exact(
      data.bytes.begin(), data.bytes.begin() + static_cast<std::ptrdiff_t>(data.returned));
  EXPECT_EQ(ParseMountPointTarget(exact.data(), exact.size(), 100000, GetParam()), "C:\\x");
  EXPECT_THROW(ParseMountPointTarget(exact.data(), exact.size() - 1, 100000, GetParam()),
               std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(Portable, ParseMountPointTargetTest,
                         ::testing::Values(&PortableUtf16ToUtf8));
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Windows, ParseMountPointTargetTest,
                         ::testing::Values(&WindowsUtf16ToUtf8));
#endif

}  // namespace
}  // namespace pathshrink
