// The built binary against real directories and symbolic links (which stand
// in for junctions on POSIX).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "testing/expected_report_for_tests.h"
#include "testing/report_schema_for_tests.h"
#include "testing/subprocess_for_tests.h"

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
  EXPECT_EQ(result.err, "[invalid entry '" + missing + "']\n" + ExpectedReport(list, expected));
  const ProcessResult json = Run({"--json", list});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(testing::SchemaProblems(json.out), "") << json.out;
}

TEST_F(EndToEndTest, UsageAndUnknownFlag) {
  ProcessResult result = RunProcess(testing::ToolCommand(PATHSHRINK_BINARY));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "[no list given: name one as an argument, - (standard input), --env NAME, "
            "--user or --machine]\n" +
                testing::ToolBinary(PATHSHRINK_BINARY) +
                " [options] (fullpath | - | --env NAME | --user | --machine)\n");
  EXPECT_EQ(result.out, "");

  result = Run({tools, "-j", tools, "-J", tools});
  EXPECT_EQ(result.status, 1);
  // Nothing is registered before the whole command line is understood.
  // The usage that follows (its every form) is the in-process tests' to pin.
  EXPECT_EQ(result.err.rfind("Unknown flag [-J]\n" + testing::ToolBinary(PATHSHRINK_BINARY) +
                                 " [options] fullpath\n",
                             0),
            0u)
      << result.err;
  EXPECT_EQ(result.out, "");

  // There is no stored Path to read here.
  result = Run({"--user"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "[--user and --machine read the Path stored in the Windows registry; there is none "
            "here]\n");
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

TEST_F(EndToEndTest, RelativeJunctionsAndRepeatsThatJunctionsMake) {
  Link(tmp.path() + "/Program Files", "pf");
  const std::string pf = tmp.path() + "/pf";
  // The same directory through the link and through its target, the
  // second also with a trailing separator and a "." in it.
  const std::string list = pf + "/Tools;" + tmp.path() + "/Program Files/./Tools/;" + other;
  const std::string expected = pf + "/Tools;" + other;
  // Run from the folder that holds the link, named relatively and with a
  // trailing separator: entries stay absolute.
  const ProcessResult result =
      RunProcess({"/bin/sh", "-c", "cd \"$1\" && exec \"$2\" \"$3\" -j pf/", "sh", tmp.path(),
                  PATHSHRINK_BINARY, list});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected + "\n");
  EXPECT_EQ(result.err, ExpectedReport(list, expected));
  // Without the link named, the system opens both to one directory all the
  // same: the first stays.
  const ProcessResult unnamed = Run({list});
  EXPECT_EQ(unnamed.status, 0);
  EXPECT_EQ(unnamed.out, expected + "\n");
}

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? resolved : "?" + path;
}

TEST_F(EndToEndTest, SuggestedLinksGiveThePredictedListOfTheSameDirectories) {
  const std::vector<std::string> directories = {
      tmp.MakeDirectories("Program Files/Another Long Vendor Name/Utilities"),
      tmp.MakeDirectories("Program Files/Another Long Vendor Name/Other Utilities"),
      bin,
      tmp.MakeDirectories("Program Files (x86)/Legacy Build Tools/bin"),
      other,
  };
  Link(tmp.path() + "/Program Files", "pf");  // given: some entries are under it already
  const std::string links = tmp.MakeDirectories("links");
  Link(tmp.path() + "/Gone", "links/a");  // a name taken by a dangling link
  std::string list;
  for (const std::string& directory : directories) list += directory + ";";
  list += tmp.path() + "/pf/Tools";  // already written through the given link
  const std::string pf = tmp.path() + "/pf";

  const ProcessResult suggested = Run({"--suggest", "--junctions-in", links, list, "-j", pf});
  ASSERT_EQ(suggested.status, 0) << suggested.err;
  const std::string predicted = suggested.err.substr(suggested.err.rfind("New path ["));

  // Run the proposals as a script, then the tool as they say.
  const std::string script = tmp.path() + "/make-links.sh";
  std::ofstream(script) << suggested.out;
  ASSERT_EQ(RunProcess({"/bin/sh", "-e", script}).status, 0) << suggested.out;
  std::istringstream lines(suggested.out);
  std::string line, command;
  while (std::getline(lines, line)) {
    if (line.rfind("# pathshrink ", 0) == 0) command = line.substr(2);
  }
  ASSERT_NE(command, "") << suggested.out;
  ASSERT_NE(command.find("-j '" + links + "/b'"), std::string::npos) << command;
  const ProcessResult applied = RunProcess(
      {"/bin/sh", "-c", "LIST=\"$1\"; PATH=\"$2:$PATH\"; eval \"$3\"", "sh", list,
       std::string(PATHSHRINK_BINARY).substr(0, std::string(PATHSHRINK_BINARY).rfind('/')),
       command});
  ASSERT_EQ(applied.status, 0) << applied.err;
  EXPECT_EQ(applied.err.substr(applied.err.rfind("New path [")), predicted);
  EXPECT_LT(applied.out.size(), Run({list, "-j", pf}).out.size());

  std::set<std::string> before;
  for (const std::string& directory : directories) before.insert(RealPath(directory));
  std::set<std::string> after;
  std::istringstream entries(applied.out.substr(0, applied.out.size() - 1));
  for (std::string entry; std::getline(entries, entry, ';');) after.insert(RealPath(entry));
  before.insert(RealPath(tmp.path() + "/pf/Tools"));
  EXPECT_EQ(after, before);

  // Links go into a folder, never into a file.
  std::ofstream(tmp.path() + "/a file") << "not a folder";
  const ProcessResult file = Run({"--suggest", "--junctions-in", tmp.path() + "/a file", list});
  EXPECT_EQ(file.status, 1);
  EXPECT_EQ(file.err,
            "[the folder for the junctions '" + tmp.path() + "/a file' is not a folder]\n");
}

TEST_F(EndToEndTest, NamesThatDifferInCaseAreDifferentDirectories) {
  const std::string lower = tmp.MakeDirectories("opt/x");
  const std::string upper = tmp.MakeDirectories("Opt/x");
  Link(tmp.path() + "/opt", "o");
  const ProcessResult result = Run({upper + ";" + lower, "-j", tmp.path() + "/o"});
  EXPECT_EQ(result.out, upper + ";" + tmp.path() + "/o/x\n");
}

// On Linux, --shadows names the file a shell runs: the first executable
// one of that name in the list's order, as the shell itself answers; and
// the one pwsh takes, the first of that name, runnable or not.
TEST_F(EndToEndTest, ShadowsNameWhatTheShellRuns) {
  for (const std::string& folder : {tools, bin, other}) {
    std::ofstream(folder + "/tool") << "#!/bin/sh\n";
  }
  ASSERT_EQ(::chmod((bin + "/tool").c_str(), 0755), 0);
  ASSERT_EQ(::chmod((other + "/tool").c_str(), 0755), 0);
  Link(bin, "again");
  const std::string again = tmp.path() + "/again";
  const ProcessResult shell = RunProcess({"/bin/sh", "-c", "PATH=\"$1\" command -v tool", "sh",
                                          tools + ":" + bin + ":" + again + ":" + other});
  ASSERT_EQ(shell.out, bin + "/tool\n");
  const ProcessResult result = Run({"--shadows", tools + ";" + bin + ";" + again + ";" + other});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "tool\n  shell  pwsh   file\n  -      runs   " + tools +
                            "/tool\n  runs   never  " + bin + "/tool\n  never  never  " + other +
                            "/tool\n");
}

}  // namespace
}  // namespace pathshrink
