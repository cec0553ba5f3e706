#include "report/json_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace pathshrink {
namespace {

// JSON's own rule, byte by byte: '"' and '\' escaped, bytes below 0x20 as
// \u00XX, the rest (ASCII and whole UTF-8 sequences) as they are.
std::string Expected(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20) {
      const char* digits = "0123456789abcdef";
      json += "\\u00";
      json += digits[byte >> 4];
      json += digits[byte & 0xF];
    } else {
      json += c;
    }
  }
  return json + "\"";
}

TEST(JsonTextTest, EveryByteThatNeedsAnEscapeIsFoundWhereverItStands) {
  // Lengths below 8, from 8 to 15 (read 8 bytes a step) and from 16 (16 a
  // step where the processor can), with the byte first, last, and in the
  // block that overlaps the one before.
  for (const char special : {'"', '\\', '\n', '\x01', '\x1f'}) {
    for (std::size_t length = 1; length <= 40; ++length) {
      for (std::size_t at = 0; at < length; ++at) {
        std::string text(length, 'a');
        text[at] = special;
        std::ostringstream out;
        {
          JsonText json(out);
          json.Quoted(text);
        }
        ASSERT_EQ(out.str(), Expected(text)) << "length " << length << ", at " << at;
      }
    }
  }
  // A byte of 0x20 and above is plain; a letter outside ASCII stays whole;
  // bytes that are no UTF-8 become U+FFFD.
  for (const auto& [text, json] : std::vector<std::pair<std::string, std::string>>{
           {" !#~", "\" !#~\""},
           {"C:\\Users\\\xC3\xA4rger-and-more-letters",
            "\"C:\\\\Users\\\\\xC3\xA4rger-and-more-letters\""},
           {"C:\\x\xFFy", "\"C:\\\\x\xEF\xBF\xBDy\""},
           // From 8 to 15 bytes, read 8 a step: a high byte that is no UTF-8.
           {"abcdefg\xFF", "\"abcdefg\xEF\xBF\xBD\""},
           {"abcdefghijk\xFEmn", "\"abcdefghijk\xEF\xBF\xBDmn\""}}) {
    std::ostringstream out;
    {
      JsonText json(out);
      json.Quoted(text);
    }
    EXPECT_EQ(out.str(), json) << text;
  }
}

TEST(JsonTextTest, TextsAroundAndBeyondTheBufferGoOutWhole) {
  // Texts that end just before, at and past the end of the buffer, and one
  // longer than the buffer itself, plain and with escapes.
  // (16 * 1024 - 23: the 20 p's, quoted, leave exactly one byte to spare.)
  for (const std::size_t before :
       {16 * 1024 - 30, 16 * 1024 - 23, 16 * 1024 - 12, 16 * 1024 - 2, 16 * 1024}) {
    for (const std::string& text :
         {std::string(20, 'p'), std::string(9, 'q') + "\"" + std::string(9, 'q'),
          std::string(40000, 'r'), std::string(20000, '\n')}) {
      std::ostringstream out;
      {
        JsonText json(out);
        json.Raw(std::string(before, ' '));
        json.Quoted(text);
        json.Number(18446744073709551615u);
      }
      EXPECT_EQ(out.str(), std::string(before, ' ') + Expected(text) + "18446744073709551615")
          << before << ", " << text.size();
    }
  }
}

}  // namespace
}  // namespace pathshrink
