#include "testing/fake_file_system.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "system/junction_errors.h"

namespace pathshrink {
namespace {

class FakeFileSystemTest : public ::testing::Test {
 protected:
  FakeFileSystemTest() {
    fs.AddDirectory("C:\\Program Files\\Common Files", "C:\\PROGRA~1\\COMMON~1");
    fs.AddDirectory("C:\\Windows\\System32", "C:\\Windows\\System32");
  }
  FakeFileSystem fs;
};

struct ShortNameCase {
  const char* path;
  const char* shortForm;  // nullptr: the query fails
};

TEST_F(FakeFileSystemTest, AnswersLikeWindows) {
  const ShortNameCase cases[] = {
      {"C:\\Program Files", "C:\\PROGRA~1"},
      {"c:\\program files\\common files", "c:\\PROGRA~1\\COMMON~1"},
      // A component given in short form keeps the case it was given in.
      {"C:\\progra~1\\Common Files", "C:\\progra~1\\COMMON~1"},
      {"C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32"},
      // Separators, a trailing one included, come back as given.
      {"C:\\Program Files\\", "C:\\PROGRA~1\\"},
      {"C:/Program Files/Common Files", "C:/PROGRA~1/COMMON~1"},
      {"C:\\", "C:\\"},
      {"C:\\Nowhere", nullptr},
      {"C:\\Program Files\\Nowhere", nullptr},
      {"D:\\Program Files", nullptr},
      {"", nullptr},
  };
  for (const ShortNameCase& c : cases) {
    std::string answer = "untouched";
    const bool found = fs.ShortPathName(c.path, answer);
    if (c.shortForm == nullptr) {
      EXPECT_FALSE(found) << c.path;
      EXPECT_EQ(answer, "untouched") << c.path;
    } else {
      EXPECT_TRUE(found) << c.path;
      EXPECT_EQ(answer, c.shortForm) << c.path;
    }
  }
}

TEST_F(FakeFileSystemTest, CountsEveryQuery) {
  std::string answer;
  fs.ShortPathName("C:\\Windows", answer);
  fs.ShortPathName("C:\\Windows", answer);
  fs.ShortPathName("C:\\Nowhere", answer);
  EXPECT_EQ(fs.shortNameQueries(), 3);
}

TEST_F(FakeFileSystemTest, JunctionsAnswerTheirTargetOrFail) {
  fs.AddDirectory("C:\\pf", "C:\\pf");
  fs.AddJunction("C:\\pf", "C:\\Program Files");
  fs.AddDirectory("C:\\odd", "C:\\odd");
  fs.AddUnreadableJunction("C:\\odd", JunctionError::Kind::kNotAMountPoint);

  EXPECT_EQ(fs.ReadJunctionTarget("c:\\PF"), "C:\\Program Files");
  const std::pair<const char*, std::string> failures[] = {
      {"C:\\odd", junction_errors::kNotAMountPoint},
      {"C:\\Windows", junction_errors::kNotAReparsePoint},
      {"C:\\Nowhere", std::string(junction_errors::kUnableToOpen) + "C:\\Nowhere"},
  };
  for (const auto& [path, message] : failures) {
    try {
      fs.ReadJunctionTarget(path);
      ADD_FAILURE() << "no failure for " << path;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
}

TEST_F(FakeFileSystemTest, RejectsAMismatchedSetUp) {
  EXPECT_THROW(fs.AddDirectory("C:\\a\\b", "C:\\a"), std::invalid_argument);
  EXPECT_THROW(fs.AddJunction("C:\\Nowhere", "C:\\"), std::invalid_argument);
}

}  // namespace
}  // namespace pathshrink
