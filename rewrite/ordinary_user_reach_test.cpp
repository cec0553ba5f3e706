#include "rewrite/ordinary_user_reach.h"

#include <gtest/gtest.h>

#include "testing/fake_file_system.h"

namespace pathshrink {
namespace {

OrdinaryUserRights Rights(bool addFiles, bool addFolders, bool deleteChildren, bool replaceItself) {
  OrdinaryUserRights rights;
  rights.addFiles = addFiles;
  rights.addFolders = addFolders;
  rights.deleteChildren = deleteChildren;
  rights.replaceItself = replaceItself;
  return rights;
}

TEST(OrdinaryUserReachTest, TheFirstFolderOnTheWayThroughWhichUsersCanChangeAPath) {
  const struct {
    const char* name;
    const char* folder;  // the one folder given rights; every other allows nothing
    OrdinaryUserRights rights;
    const char* path;
    bool orAddFiles;
    bool unknownCounts;
    const char* through;
  } cases[] = {
      {"nothing allowed", "C:\\", Rights(false, false, false, false), "C:\\a\\b", true, true, ""},
      {"a drive's root cannot be replaced: that does not count", "C:\\",
       Rights(false, false, false, true), "C:\\a\\b", true, true, ""},
      {"a folder below it can", "C:\\a", Rights(false, false, false, true), "C:\\a\\b", false, true,
       "C:\\a"},
      {"what is in the root can be deleted", "C:\\", Rights(false, false, true, false), "C:\\a\\b",
       false, true, "C:\\"},
      {"files added to the path itself", "C:\\a\\b", Rights(true, false, false, false), "C:\\a\\b",
       true, true, "C:\\a\\b"},
      {"folders added to it", "C:\\a\\b", Rights(false, true, false, false), "C:\\a\\b", true, true,
       "C:\\a\\b"},
      {"added, but not asked about", "C:\\a\\b", Rights(true, true, false, false), "C:\\a\\b",
       false, true, ""},
      {"files added to a folder on the way change nothing", "C:\\a",
       Rights(true, true, false, false), "C:\\a\\b", true, true, ""},
      {"a folder the system cannot tell about, counted", "C:\\", Rights(false, false, false, false),
       "C:\\a\\gone", true, true, "C:\\a\\gone"},
      {"and not", "C:\\", Rights(false, false, false, false), "C:\\a\\gone", true, false, ""},
  };
  for (const auto& c : cases) {
    FakeFileSystem fs;
    fs.AddDirectory("C:\\a\\b", "C:\\a\\b");
    fs.SetRightsOfOrdinaryUsers(c.folder, c.rights);
    OrdinaryUserReach reach(fs);
    EXPECT_EQ(reach.ChangeableOnTheWay(c.path, c.orAddFiles, c.unknownCounts), c.through) << c.name;
  }
  FakeFileSystem fs;
  fs.AddDirectory("C:\\a\\b", "C:\\a\\b");
  fs.SetRightsOfOrdinaryUsers("C:\\a", Rights(false, true, false, false));
  OrdinaryUserReach reach(fs);
  EXPECT_TRUE(reach.MayMakeFoldersIn("C:\\a"));
  EXPECT_FALSE(reach.MayMakeFoldersIn("C:\\a\\b"));
  EXPECT_TRUE(reach.MayMakeFoldersIn("C:\\gone"));  // the system cannot tell: it may
}

}  // namespace
}  // namespace pathshrink
