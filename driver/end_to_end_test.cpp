// The built binary against real directories and symbolic links (which stand
// in for junctions on POSIX).
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "driver/expected_report_for_tests.h"
#include "driver/subprocess_for_tests.h"

namespace pathshrink {
namespace {

using testing::ExpectedReport;
using testing::ProcessResult;
using testing::RunProcess;
using testing::TemporaryDirectory;

class EndToEndTest : public ::testing::Test {
 protected:
  EndToEndTest() {
    tools = tmp.MakeDirectories("Program Files/Tools");
    bin = tmp.MakeDirectories("Program Files/Tools/bin");
    other = tmp.MakeDirectories("Other");
  }

  ProcessResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> command = testing::ToolCommand(PATHSHRINK_BINARY);
    command.insert(command.end(), args.begin(), args.end());
    return RunProcess(command);
  }

  void Link(const std::string& target, const std::string& name) {
    ASSERT_EQ(::symlink(target.c_str(), (tmp.path() + "/" + name).c_str()), 0);
  }

  TemporaryDirectory tmp;
  std::string tools, bin, other;
};

TEST_F(EndToEndTest, KeepsResolvableEntriesOnceInOrder) {
  const std::string missing = tmp.path() + "/Missing";
  const std::string list = bin + ";" + missing + ";" + other + ";" + bin + ";;" + tools;
  const ProcessResult result = Run({list});
  const std::string expected = bin + ";" + other + ";" + tools;
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected + "\n");
  EXPECT_EQ(result.err, "[invalid entry '" + missing + "']\n[invalid entry '']\n" +
                            ExpectedReport(list, expected));
}

TEST_F(EndToEndTest, UsageAndUnknownFlag) {
  ProcessResult result = RunProcess(testing::ToolCommand(PATHSHRINK_BINARY));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, std::string(PATHSHRINK_BINARY) + " fullpath [-j junction]+\n");
  EXPECT_EQ(result.out, "");

  result = Run({tools, "-j", tools, "-J", tools});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "[can't process junction '" + tools + "']\nUnknown flag [-J]\n");
  EXPECT_EQ(result.out, "");
}

TEST_F(EndToEndTest, SubstitutesTheLargestSavingsFirst) {
  Link(tmp.path() + "/Program Files", "pf");
  Link(tools, "t");
  const std::string pf = tmp.path() + "/pf";
  const std::string t = tmp.path() + "/t";
  const std::string list = bin + ";" + other + ";" + tmp.path() + "/Program Files";
  // "t" saves more than "pf", so it wins for entries below Tools although
  // it is given second.
  const ProcessResult result = Run({list, "-j", pf, "-j", t});
  const std::string expected = t + "/bin;" + other + ";" + pf;
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected + "\n");
  EXPECT_EQ(result.err, ExpectedReport(list, expected));
}

TEST_F(EndToEndTest, ErrorOutputOrderAndJunctionComplaints) {
  Link(tmp.path() + "/Deleted", "dangling");
  Link("Program Files", "relative");  // counts from the link's directory
  const std::string missingEntry = tmp.path() + "/Gone";
  const std::string list = missingEntry + ";" + tools;
  const std::vector<std::string> junctions = {other, tmp.path() + "/nothing",
                                              tmp.path() + "/dangling", tmp.path() + "/relative"};
  std::vector<std::string> args = {list};
  for (const std::string& j : junctions) {
    args.push_back("-j");
    args.push_back(j);
  }
  const ProcessResult result = Run(args);
  const std::string expected = tmp.path() + "/relative/Tools";
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected + "\n");
  EXPECT_EQ(result.err, "[can't process junction '" + junctions[0] + "']\n" +
                            "[can't process junction '" + junctions[1] + "']\n" +
                            "[can't use junction '" + junctions[2] + "']\n" + "[invalid entry '" +
                            missingEntry + "']\n" + ExpectedReport(list, expected));
}

TEST_F(EndToEndTest, NamesThatDifferInCaseAreDifferentDirectories) {
  const std::string lower = tmp.MakeDirectories("opt/x");
  const std::string upper = tmp.MakeDirectories("Opt/x");
  Link(tmp.path() + "/opt", "o");
  const ProcessResult result = Run({upper + ";" + lower, "-j", tmp.path() + "/o"});
  EXPECT_EQ(result.out, upper + ";" + tmp.path() + "/o/x\n");
}

}  // namespace
}  // namespace pathshrink
