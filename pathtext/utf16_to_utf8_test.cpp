#include "pathtext/utf16_to_utf8.h"

#include <gtest/gtest.h>

#include "system/mount_point_reparse_data.h"
#ifdef _WIN32
#include "system/windows_file_system.h"
#endif

namespace pathshrink {
namespace {

class Utf16ToUtf8Test : public ::testing::TestWithParam<Utf16ToUtf8Converter> {};

TEST_P(Utf16ToUtf8Test, KeepsEveryByteOfTheResult) {
  const struct {
    std::u16string units;
    std::string utf8;
  } cases[] = {
      {u"C:\\Tools", "C:\\Tools"},
      {u"\u00e9", "\xc3\xa9"},                                        // two bytes from one unit
      {u"C:\\\u65e5\u672c", "C:\\\xe6\x97\xa5\xe6\x9c\xac"},          // three bytes
      {u"\U0001F600", "\xf0\x9f\x98\x80"},                            // a surrogate pair
      {std::u16string(1, char16_t(0xD800)) + u"x", "\xef\xbf\xbdx"},  // lone high
      {u"x" + std::u16string(1, char16_t(0xDC00)), "x\xef\xbf\xbd"},  // lone low
  };
  for (const auto& c : cases) {
    std::string utf8 = "old";
    EXPECT_TRUE(GetParam()(c.units, utf8));
    EXPECT_EQ(utf8, c.utf8);
  }
}

TEST_P(Utf16ToUtf8Test, RejectsZeroUnits) {
  std::string utf8 = "old";
  EXPECT_FALSE(GetParam()(u"", utf8));
  EXPECT_EQ(utf8, "old");
}

TEST(Utf8ToUtf16Test, TakesUtf8AndNothingElse) {
  const struct {
    std::string utf8;
    bool valid;
    std::u16string units;
  } cases[] = {
      {"C:\\Tools", true, u"C:\\Tools"},
      {"\xc3\xa9\xe6\x97\xa5", true, u"\u00e9\u65e5"},
      {"\xf0\x9f\x98\x80", true, u"\U0001F600"},  // a pair
      {"", true, u""},
      {"\xc0\x80", false, u""},          // overlong
      {"\xed\xa0\x80", false, u""},      // a surrogate
      {"\xf4\x90\x80\x80", false, u""},  // past U+10FFFF
      {"\xe6\x97", false, u""},          // cut short
      {"\x97x", false, u""},             // a stray continuation byte
  };
  for (const auto& c : cases) {
    std::u16string units = u"old";
    EXPECT_EQ(PortableUtf8ToUtf16(c.utf8, units), c.valid) << c.utf8;
    EXPECT_EQ(units, c.valid ? c.units : u"old") << c.utf8;
  }
}

INSTANTIATE_TEST_SUITE_P(Portable, Utf16ToUtf8Test, ::testing::Values(&PortableUtf16ToUtf8));
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Windows, Utf16ToUtf8Test, ::testing::Values(&WindowsUtf16ToUtf8));
#endif

}  // namespace
}  // namespace pathshrink
