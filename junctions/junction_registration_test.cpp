#include "junctions/junction_registration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <utility>

#include "testing/fake_file_system.h"

namespace pathshrink {
namespace {

using ::testing::_;
using ::testing::Return;
using ::testing::Throw;

class JunctionRegistrationTest : public ::testing::Test {
 protected:
  JunctionRegistrationTest() {
    fs.AddDirectory("C:\\Program Files", "C:\\PROGRA~1");
    fs.AddDirectory("C:\\pf", "C:\\pf");
    fs.AddJunction("C:\\pf", "C:\\Program Files");
  }

  void Register(const std::string& junction) { RegisterJunction(junction, fs, table, err); }

  FakeFileSystem fs;
  JunctionTable table;
  std::ostringstream err;
};

TEST_F(JunctionRegistrationTest, AUsableJunctionBecomesOneEntry) {
  fs.SetCurrentFolder("C:\\Program Files");
  fs.AddDirectory("C:\\Program Files\\Tools", "C:\\PROGRA~1\\Tools");
  const struct {
    const char* typed;
    const char* shortJunction;
  } cases[] = {
      {"c:\\PF", "c:\\PF"},  // as the query answered
      {"C:\\pf\\", "C:\\pf"},
      // Counts from the current folder, so entries written through it stay
      // absolute; the savings count the absolute path.
      {"..\\pf", "C:\\pf"},
      {"\\pf", "C:\\pf"},
  };
  for (const auto& c : cases) {
    table.clear();
    Register(c.typed);
    ASSERT_EQ(table.size(), 1u) << c.typed;
    EXPECT_EQ(table[0].shortJunction, c.shortJunction);
    EXPECT_EQ(table[0].shortTarget, "c:\\progra~1");
    EXPECT_EQ(table[0].savings, 16 - 5) << c.typed;
  }
  EXPECT_EQ(err.str(), "");
}

TEST_F(JunctionRegistrationTest, Complaints) {
  fs.AddDirectory("C:\\Windows", "C:\\Windows");
  fs.AddDirectory("C:\\dangling", "C:\\DANGLI~1");
  fs.AddJunction("C:\\dangling", "C:\\Deleted Directory");
  fs.AddDirectory("C:\\symlink", "C:\\symlink");
  fs.AddUnreadableJunction("C:\\symlink", JunctionError::Kind::kNotAMountPoint);
  const struct {
    const char* junction;
    const char* complaint;
  } cases[] = {
      {"C:\\Windows", "[can't process junction 'C:\\Windows']\n"},
      {"C:\\Missing", "[can't process junction 'C:\\Missing']\n"},
      {"C:\\symlink", "[can't process junction 'C:\\symlink']\n"},
      {"C:\\dangling", "[can't use junction 'C:\\dangling']\n"},
  };
  for (const auto& c : cases) {
    err.str("");
    Register(c.junction);
    EXPECT_EQ(err.str(), c.complaint) << c.junction;
  }
  EXPECT_TRUE(table.empty());
}

TEST_F(JunctionRegistrationTest, NoSavingsNoEntryAndNoMessage) {
  fs.AddDirectory("C:\\Tools\\Eleven Long", "C:\\Tools\\ELEVEN~1");
  fs.AddDirectory("C:\\Sixteen-Chars", "C:\\SIXTEE~1");
  fs.AddJunction("C:\\Sixteen-Chars", "C:\\Program Files");
  fs.AddDirectory("C:\\Tools\\Long Junction", "C:\\Tools\\LONGJU~1");
  fs.AddJunction("C:\\Tools\\Long Junction", "C:\\Tools\\Eleven Long");
  Register("C:\\Sixteen-Chars\\");       // 16 without its separator: savings 0
  Register("C:\\Tools\\Long Junction");  // savings -2
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(err.str(), "");
}

TEST_F(JunctionRegistrationTest, SavingsCountLongFormsNotShortOnes) {
  // Short junction (14 bytes) is longer than the short target (11 bytes),
  // but the long forms save 2: the junction is kept.
  fs.AddDirectory("C:\\Jn\\Jn\\Jn\\Jn", "C:\\Jn\\Jn\\Jn\\Jn");
  fs.AddJunction("C:\\Jn\\Jn\\Jn\\Jn", "C:\\Program Files");
  Register("C:\\Jn\\Jn\\Jn\\Jn");
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0].savings, 2);
}

class MockFileSystem : public FileSystemQueries {
 public:
  MOCK_METHOD(bool, ShortPathName, (std::string, std::string&), (override));
  MOCK_METHOD(bool, LongPathName, (std::string, std::string&), (override));
  MOCK_METHOD(Unresolved, WhyUnresolved, (const std::string&), (override));
  MOCK_METHOD(bool, IsDirectory, (const std::string&), (override));
  MOCK_METHOD(std::optional<DirectoryIdentity>, Identity, (const std::string&), (override));
  MOCK_METHOD(OrdinaryUserRights, RightsOfOrdinaryUsers, (const std::string&), (override));
  MOCK_METHOD(bool, HasShortNameSiblings, (const std::string&, const std::string&), (override));
  MOCK_METHOD(std::optional<bool>, MakesShortNames, (const std::string&), (override));
  MOCK_METHOD(std::string, ReadJunctionTarget, (std::string), (override));
  MOCK_METHOD(std::string, AbsolutePath, (std::string), (override));
  MOCK_METHOD(bool, FilesIn, (const std::string&, std::vector<FolderFile>&), (override));
  MOCK_METHOD(PathConventions, Conventions, (), (const, override));
};

// A mock that answers every path as absolute already, on Windows.
void AnswerAsGiven(MockFileSystem& fs, PathConventions conventions = kWindowsConventions) {
  EXPECT_CALL(fs, AbsolutePath(_)).WillRepeatedly([](std::string path) { return path; });
  EXPECT_CALL(fs, Conventions()).WillRepeatedly(Return(conventions));
}

TEST(JunctionRegistrationFailureTest, AnyFailureIsCaughtAndLeavesNoEntry) {
  MockFileSystem fs;
  AnswerAsGiven(fs);
  EXPECT_CALL(fs, ReadJunctionTarget("C:\\j")).WillOnce(Return("C:\\Target"));
  EXPECT_CALL(fs, ShortPathName(_, _)).WillOnce(Throw(std::bad_alloc()));
  JunctionTable table;
  std::ostringstream err;
  RegisterJunction("C:\\j", fs, table, err);
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(err.str(), "[can't process junction 'C:\\j']\n");
}

TEST(JunctionRegistrationFailureTest, CaseIsKeptWhereNamesDoNotFoldIt) {
  MockFileSystem fs;
  AnswerAsGiven(fs, kPosixConventions);
  EXPECT_CALL(fs, ReadJunctionTarget("/j")).WillOnce(Return("/Opt/Tools"));
  EXPECT_CALL(fs, ShortPathName(_, _)).WillRepeatedly([](std::string path, std::string& shortPath) {
    shortPath = std::move(path);
    return true;
  });
  JunctionTable table;
  std::ostringstream err;
  RegisterJunction("/j", fs, table, err);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0].shortTarget, "/Opt/Tools");
}

}  // namespace
}  // namespace pathshrink
