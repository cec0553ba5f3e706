// Reads a real junction made with mklink /J. Only a real NTFS volume can
// make one (Wine cannot), so elsewhere every test here reports a skip.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "system/windows_file_system.h"

namespace pathshrink {
namespace {

class RealJunctionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathA(sizeof temp, temp);
    const std::string base = std::string(temp, length) + "pathshrink junction " +
                             std::to_string(::GetCurrentProcessId());
    target = base + "\\Long Target Directory";
    junction = base + "\\j";
    ::CreateDirectoryA(base.c_str(), nullptr);
    ::CreateDirectoryA(target.c_str(), nullptr);
    const std::string command = "mklink /J \"" + junction + "\" \"" + target + "\" >NUL 2>&1";
    std::system(command.c_str());
    const DWORD attributes = ::GetFileAttributesA(junction.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      GTEST_SKIP() << "this system cannot make junctions";
    }
  }
  void TearDown() override {
    ::RemoveDirectoryA(junction.c_str());  // removes the link, not the target
    ::RemoveDirectoryA(target.c_str());
    ::RemoveDirectoryA(target.substr(0, target.rfind('\\')).c_str());
  }

  std::string target, junction;
};

TEST_F(RealJunctionTest, ReadsTheTargetWithoutItsDevicePrefix) {
  WindowsFileSystem queries;
  EXPECT_EQ(queries.ReadJunctionTarget(junction), target);
}

}  // namespace
}  // namespace pathshrink
