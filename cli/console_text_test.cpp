#include "cli/console_text.h"

#include <gtest/gtest.h>

#include <string>

namespace pathshrink {
namespace {

TEST(ConsoleTextTest, NoWriteCutsALetter) {
  // A sequence cut at the end waits, but not at the very end.
  EXPECT_EQ(WritableUtf8Length("ab\xE6\x97", false), 2u);
  EXPECT_EQ(WritableUtf8Length("ab\xE6\x97", true), 4u);
  EXPECT_EQ(WritableUtf8Length("ab\xE6\x97\xA5", false), 5u);
  // A chunk does not end between the halves of a pair.
  std::u16string units(8191, u'a');
  units += u"\U0001F600";
  EXPECT_EQ(Utf16ChunkLength<char16_t>(units, 0, 8192), 8191u);
  EXPECT_EQ(Utf16ChunkLength<char16_t>(units, 8191, 8192), 2u);
  // A chunk that ends on the second half has the whole pair.
  const std::u16string pairLast = std::u16string(8190, u'a') + u"\U0001F600b";
  EXPECT_EQ(Utf16ChunkLength<char16_t>(pairLast, 0, 8192), 8192u);
  EXPECT_EQ(Utf16ChunkLength<char16_t>(std::u16string(9000, u'a'), 0, 8192), 8192u);
}

}  // namespace
}  // namespace pathshrink
