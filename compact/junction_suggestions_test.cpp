#include "compact/junction_suggestions.h"

#include <gtest/gtest.h>

#include <sstream>

#include "testing/fake_file_system.h"

namespace pathshrink {
namespace {

TEST(SuggestJunctionsTest, ProposalsCountAsTheToolWillWriteAndOutliveVersions) {
  FakeFileSystem fs;
  const std::string cuda = "C:\\Program Files\\NVIDIA GPU Computing Toolkit\\CUDA";
  fs.AddDirectory(cuda + "\\v12.4\\bin", "C:\\PROGRA~1\\NVIDIA~1\\CUDA\\v12.4\\bin");
  fs.AddDirectory(cuda + "\\v12.4\\libnvvp", "C:\\PROGRA~1\\NVIDIA~1\\CUDA\\v12.4\\libnvvp");
  const std::string java = "C:\\Program Files\\Eclipse Adoptium Java";
  fs.AddDirectory(java + "\\jdk-17.0.2\\bin", "C:\\PROGRA~1\\ECLIPS~1\\JDK-17~1.2\\bin");
  const std::string python = "C:\\Users\\Some User Name\\AppData\\Local\\Programs\\Python";
  fs.AddDirectory(python + "\\Python311\\Scripts",
                  "C:\\Users\\SOMEUS~1\\AppData\\Local\\PROGRA~1\\Python\\PYTHON~1\\Scripts");
  const std::string msvc = "C:\\Program Files\\Microsoft Visual Studio Tools\\MSVC";
  fs.AddDirectory(msvc + "\\14.35.32215\\bin\\Hostx64\\x64",
                  "C:\\PROGRA~1\\MICROS~1\\MSVC\\1435~1.322\\bin\\Hostx64\\x64");
  fs.AddDirectory("C:\\Users\\john99\\Long Tool Folder\\bin", "C:\\Users\\john99\\LONGTO~1\\bin");
  const std::string tools = "C:\\Program Files\\Tools Long Name";
  for (const char* leaf : {"deep\\x1", "deep\\x2", "deep\\x3"}) {
    fs.AddDirectory(tools + "\\" + leaf, std::string("C:\\PROGRA~1\\TOOLSL~1\\") + leaf);
  }
  fs.AddDirectory(tools + "\\Another Long Directory", "C:\\PROGRA~1\\TOOLSL~1\\ANOTHE~1");
  fs.AddDirectory(tools + "\\Yet Another Long Directory", "C:\\PROGRA~1\\TOOLSL~1\\YETANO~1");
  const JunctionTable none;
  const JunctionTable toProgramFiles = {{"C:\\p", "c:\\progra~1", 12}};
  const JunctionTable toDeep = {{"C:\\q", "c:\\progra~1\\toolsl~1\\deep", 32}};
  const struct {
    std::string entry;
    const JunctionTable& given;
    const char* target;  // of the one proposal, or none
  } cases[] = {
      {cuda + "\\v12.4\\bin;" + cuda + "\\v12.4\\libnvvp", none,
       "C:\\Program Files\\NVIDIA GPU Computing Toolkit\\CUDA"},
      {java + "\\jdk-17.0.2\\bin", none, "C:\\Program Files\\Eclipse Adoptium Java"},
      {python + "\\Python311\\Scripts", none,
       "C:\\Users\\Some User Name\\AppData\\Local\\Programs\\Python"},
      {msvc + "\\14.35.32215\\bin\\Hostx64\\x64", none,
       "C:\\Program Files\\Microsoft Visual Studio Tools\\MSVC"},
      // A user's name with a number is no version.
      {"C:\\Users\\john99\\Long Tool Folder\\bin", none,
       "C:\\Users\\john99\\Long Tool Folder\\bin"},
      {"C:\\Program Files", toProgramFiles, nullptr},  // C:\p writes it as short as a link
      // Entries that a given junction writes shorter than a new link would
      // count for nothing, not against it.
      {tools + "\\deep\\x1;" + tools + "\\deep\\x2;" + tools + "\\deep\\x3;" + tools +
           "\\Another Long Directory;" + tools + "\\Yet Another Long Directory",
       toDeep, "C:\\Program Files\\Tools Long Name"},
  };
  for (const auto& c : cases) {
    const std::vector<ResolvedEntry> entries = ResolveEntries(c.entry, fs).entries;
    const std::vector<SuggestedJunction> proposals =
        SuggestJunctions(entries, c.given, "C:\\", fs, {1, 1});
    if (c.target == nullptr) {
      EXPECT_TRUE(proposals.empty()) << c.entry << " -> " << proposals[0].target;
      continue;
    }
    ASSERT_EQ(proposals.size(), 1u) << c.entry;
    EXPECT_EQ(proposals[0].target, c.target) << c.entry;
    EXPECT_EQ(proposals[0].link, "C:\\a") << c.entry;
  }
}

}  // namespace
}  // namespace pathshrink
