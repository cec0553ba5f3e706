#include "report/redactor.h"

#include <gtest/gtest.h>

namespace pathshrink {
namespace {

TEST(RedactorTest, ReplacesTheProfileAndNameWhereTheyStandWhole) {
  const Redactor windows({"C:\\Users\\root", "C:\\Users\\ROOT~1"}, "root", true);
  const Redactor accented({"C:\\Users\\\xC3\x84rger"}, "", true);  // Ärger
  const Redactor posix({"/home/root"}, "root", false);
  const struct {
    const char* name;
    const Redactor& redact;
    std::string text;
    std::string redacted;
  } cases[] = {
      {"the folder", windows, "C:\\Users\\root\\bin", "<user-profile>\\bin"},
      {"its short spelling", windows, "C:\\Users\\ROOT~1\\bin", "<user-profile>\\bin"},
      {"at the end of an entry", windows, "C:\\Users\\root;D:\\x", "<user-profile>;D:\\x"},
      {"in another case", windows, "c:\\USERS\\Root\\bin", "<user-profile>\\bin"},
      {"with forward slashes", windows, "C:/users/root/bin", "<user-profile>/bin"},
      {"another user's folder that begins alike", windows, "C:\\users\\ROOT2\\bin",
       "C:\\users\\ROOT2\\bin"},
      {"the name as a component", windows, "D:\\root\\x", "D:\\<user-name>\\x"},
      {"the name inside a word", windows, "D:\\rooted\\x", "D:\\rooted\\x"},
      {"another folder whose name goes on after a space", windows, "C:\\Users\\root x\\bin",
       "C:\\Users\\root x\\bin"},
      {"exactly the folder, at the very end", windows, "[entry 'x' names C:\\Users\\root",
       "[entry 'x' names <user-profile>"},
      {"a real reference stays", windows, "%USERPROFILE%\\bin", "%USERPROFILE%\\bin"},
      {"a letter outside ASCII, in another case", accented, "c:\\users\\\xC3\xA4rger\\bin",
       "<user-profile>\\bin"},
      {"case counts on POSIX", posix, "/home/Root/bin", "/home/Root/bin"},
      {"and so does the separator", posix, "/home/root/bin", "<user-profile>/bin"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.redact(c.text), c.redacted) << c.name;
}

}  // namespace
}  // namespace pathshrink
