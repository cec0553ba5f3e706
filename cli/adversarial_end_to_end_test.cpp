// Hostile input for the built binary: the longest argument Linux passes,
// floods of empty entries, very long entries, odd bytes, many junctions.
// Every expectation is worked out here from how the tree was made.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
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

// Linux refuses a single argument of more than 32 pages (MAX_ARG_STRLEN),
// its terminating zero included.
constexpr std::size_t kLongestArgument = 32 * 4096 - 1;

std::string Join(const std::vector<std::string>& entries) {
  std::string joined;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) joined += ';';
    joined += entries[i];
  }
  return joined;
}

// What the tool must answer for `entries` when no junction applies: the
// existing ones once each, in order, and a complaint for each of the rest.
struct Expectation {
  std::string out;
  std::string err;
};
Expectation Expect(const std::vector<std::string>& entries, const std::set<std::string>& existing) {
  std::vector<std::string> kept;
  std::set<std::string> seen;
  std::string complaints;
  for (const std::string& entry : entries) {
    if (entry.empty()) continue;  // names nothing: no entry, and nothing said
    if (existing.count(entry) == 0) {
      complaints += "[invalid entry '" + entry + "']\n";
    } else if (seen.insert(entry).second) {
      kept.push_back(entry);
    }
  }
  const std::string list = Join(kept);
  return {list + "\n", complaints + ExpectedReport(Join(entries), list)};
}

class AdversarialTest : public ::testing::Test {
 protected:
  ProcessResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> command = testing::ToolCommand(PATHSHRINK_BINARY);
    command.insert(command.end(), args.begin(), args.end());
    return RunProcess(command);
  }
  void ExpectRun(const std::vector<std::string>& entries, const std::set<std::string>& existing) {
    const Expectation expected = Expect(entries, existing);
    const ProcessResult result = Run({Join(entries)});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out == expected.out) << "standard output differs";
    EXPECT_TRUE(result.err == expected.err) << "standard error differs";
    // The same run's report, as a fleet's engine reads it.
    const ProcessResult json = Run({"--json", Join(entries)});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(testing::SchemaProblems(json.out), "");
  }

  TemporaryDirectory tmp;
};

TEST_F(AdversarialTest, TheLongestListOneArgumentCarries) {
  std::vector<std::string> directories;
  std::set<std::string> existing;
  for (int i = 0; i < 1000; ++i) {
    directories.push_back(tmp.MakeDirectories("Long Directory " + std::to_string(i)));
    existing.insert(directories.back());
  }
  // Each directory, a repeat now and then, a missing entry now and then,
  // until the list is as long as an argument can be.
  std::vector<std::string> entries;
  std::size_t length = 0;
  for (std::size_t i = 0;; ++i) {
    std::string entry = i % 7 == 3   ? tmp.path() + "/Missing " + std::to_string(i)
                        : i % 5 == 4 ? directories[(i * 13) % directories.size()]
                                     : directories[i % directories.size()];
    const std::size_t room = 1 + tmp.path().size() + 1 + 100;
    if (length + 1 + entry.size() + room > kLongestArgument) {
      // A last, missing, entry fills the argument to the last byte.
      const std::size_t fill = kLongestArgument - length - 1 - tmp.path().size() - 1;
      entries.push_back(tmp.path() + "/" + std::string(fill, 'x'));
      break;
    }
    length += (entries.empty() ? 0 : 1) + entry.size();
    entries.push_back(entry);
  }
  ASSERT_EQ(Join(entries).size(), kLongestArgument);
  ASSERT_GT(entries.size(), 2000u);
  ExpectRun(entries, existing);
}

TEST_F(AdversarialTest, TwentyThousandEmptyEntries) {
  ExpectRun(std::vector<std::string>(20000, ""), {});
}

TEST_F(AdversarialTest, EntriesSeveralKilobytesLong) {
  // About 3.9 KiB: as deep as Linux lets a path be (4096 bytes).
  std::string deep;
  while (tmp.path().size() + deep.size() + 201 < 4000) {
    deep += (deep.empty() ? "" : "/") + std::string(200, 'd');
  }
  const std::string existingDeep = tmp.MakeDirectories(deep);
  const std::vector<std::string> entries = {
      existingDeep,
      existingDeep + "/" + std::string(200, 'e'),  // missing
      tmp.path() + "/" + std::string(20000, 'm'),  // past any limit, and a JSON buffer
      existingDeep,
  };
  ExpectRun(entries, {existingDeep});
}

TEST_F(AdversarialTest, OddBytesComeBackUnchanged) {
  std::string highBytes;
  for (int c = 0x80; c <= 0xFF; ++c) highBytes += static_cast<char>(c);
  const std::vector<std::string> names = {
      highBytes,
      "\xc3\x28 invalid \xe2\x82",
      "it's \"quoted\"",
      "[brackets] {x} (y)",
      "star * and ? mark",
      "tab\there",
      "-j",
      " leading and trailing ",
      "back\\slash",
  };
  std::vector<std::string> entries;
  std::set<std::string> existing;
  for (const std::string& name : names) {
    entries.push_back(tmp.MakeDirectories(name));
    existing.insert(entries.back());
    entries.push_back(tmp.path() + "/missing " + name);
  }
  ExpectRun(entries, existing);
}

TEST_F(AdversarialTest, ManyJunctionsOneGivenTwiceOneListedItself) {
  constexpr int kJunctions = 120;
  std::vector<std::string> args(1);
  std::vector<std::string> entries;
  std::vector<std::string> expected;
  for (int i = 0; i < kJunctions; ++i) {
    const std::string n = std::to_string(i);
    const std::string target = tmp.MakeDirectories("Long Target Directory " + n);
    tmp.MakeDirectories("Long Target Directory " + n + "/bin");
    const std::string link = tmp.path() + "/j" + n;
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    args.push_back("-j");
    args.push_back(link);
    entries.push_back(target + "/bin");
    expected.push_back(link + "/bin");
  }
  args.push_back("-j");
  args.push_back(tmp.path() + "/j7");  // given twice: no complaint, same result
  // The junction itself listed, then its target: both resolve (to different
  // texts), and the target is then written as the junction: one directory,
  // so only the first stays.
  entries.push_back(tmp.path() + "/j5");
  expected.push_back(tmp.path() + "/j5");
  entries.push_back(tmp.path() + "/Long Target Directory 5");
  args[0] = Join(entries);

  const ProcessResult result = Run(args);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, Join(expected) + "\n");
  EXPECT_EQ(result.err, ExpectedReport(args[0], Join(expected)));
}

}  // namespace
}  // namespace pathshrink
