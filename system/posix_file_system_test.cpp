#include "system/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "system/junction_errors.h"
#include "testing/junction_target_for_tests.h"

namespace pathshrink {
namespace {

using testing::TargetOrMessage;

namespace fs = std::filesystem;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  PosixFileSystemTest() {
    std::string pattern = (fs::temp_directory_path() / "pathshrink-XXXXXX").string();
    root = ::mkdtemp(pattern.data());
    fs::create_directories(root + "/Long Directory/sub");
    fs::create_symlink(root + "/Long Directory", root + "/absolute");
    fs::create_symlink("Long Directory/sub", root + "/relative");
    fs::create_symlink(root + "/Deleted", root + "/dangling");
  }
  ~PosixFileSystemTest() override { fs::remove_all(root); }

  std::string root;
  PosixFileSystem queries;
};

TEST_F(PosixFileSystemTest, AnExistingPathIsItsOwnShortForm) {
  const struct {
    std::string path;
    bool found;
  } cases[] = {
      {root + "/Long Directory", true},
      {root + "/Long Directory/", true},
      {root + "/absolute/sub", true},
      {root + "/long directory", false},  // case matters here
      {root + "/dangling", false},
      {root + "/Missing", false},
      {"", false},
  };
  for (const auto& c : cases) {
    std::string answer = "untouched";
    EXPECT_EQ(queries.ShortPathName(c.path, answer), c.found) << c.path;
    EXPECT_EQ(answer, c.found ? c.path : "untouched") << c.path;
  }
  // The directory a path opens to, as stat says: the look just taken
  // answers for that path alone, not for another of the same length.
  fs::create_directories(root + "/Other Director");
  std::string answer;
  ASSERT_TRUE(queries.ShortPathName(root + "/Long Directory", answer));
  for (const std::string& path : {answer, root + "/Other Director"}) {
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0) << path;
    const std::optional<DirectoryIdentity> identity = queries.Identity(path);
    ASSERT_TRUE(identity) << path;
    EXPECT_EQ(identity->file, static_cast<std::uint64_t>(info.st_ino)) << path;
  }
}

TEST_F(PosixFileSystemTest, ASymbolicLinkStandsInForAJunction) {
  EXPECT_EQ(TargetOrMessage(queries, root + "/absolute"), root + "/Long Directory");
  EXPECT_EQ(TargetOrMessage(queries, root + "/relative"), root + "/Long Directory/sub");
  EXPECT_EQ(TargetOrMessage(queries, root + "/dangling"), root + "/Deleted");
  EXPECT_EQ(TargetOrMessage(queries, root + "/Long Directory"), junction_errors::kNotAReparsePoint);
  EXPECT_EQ(TargetOrMessage(queries, root + "/Missing"),
            std::string(junction_errors::kUnableToOpen) + root + "/Missing");
}

TEST_F(PosixFileSystemTest, ARelativeLinkPathCountsFromTheWorkingDirectory) {
  const fs::path before = fs::current_path();
  fs::current_path(root + "/Long Directory");
  fs::create_symlink("sub", "here");
  const std::string fromHere = TargetOrMessage(queries, "here");
  fs::current_path(root);
  const std::string fromParent = TargetOrMessage(queries, "relative");
  fs::current_path(before);
  EXPECT_EQ(fromHere, root + "/Long Directory/sub");
  EXPECT_EQ(fromParent, root + "/Long Directory/sub");
}

}  // namespace
}  // namespace pathshrink
