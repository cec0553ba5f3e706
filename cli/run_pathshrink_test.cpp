#include "cli/run_pathshrink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/command_line.h"
#include "store/registry_backup.h"
#include "store/stored_path.h"
#include "testing/ascii_fold_for_tests.h"
#include "testing/expected_report_for_tests.h"
#include "testing/fake_file_system.h"
#include "testing/in_memory_environment.h"
#include "testing/in_memory_environment_store.h"
#ifndef _WIN32
#include "testing/report_schema_for_tests.h"
#endif

namespace pathshrink {
namespace {

using testing::ExpectedReport;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class RunPathShrinkTest : public ::testing::Test {
 protected:
  RunPathShrinkTest() {
    fs.AddDirectory("C:\\Program Files\\Tools", "C:\\PROGRA~1\\Tools");
    fs.AddDirectory("C:\\Windows", "C:\\Windows");
    fs.AddDirectory("C:\\pf", "C:\\pf");
    fs.AddJunction("C:\\pf", "C:\\Program Files");
    fs.AddDirectory("C:\\p2", "C:\\p2");
    fs.AddJunction("C:\\p2", "C:\\Program Files");
    fs.AddDirectory("C:\\tl", "C:\\tl");
    fs.AddJunction("C:\\tl", "C:\\Program Files\\Tools");
  }

  Outcome Run(const std::vector<std::string>& args) {
    std::ostringstream out;
    return Run(args, out);
  }
  Outcome Run(const std::vector<std::string>& args, std::ostream& out) {
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    std::ostringstream err;
    SystemAccess system{fs, &env, &store, &input};
    system.outputReadInOtherCodePage = otherCodePage;
    system.decodeInputCodePage = decodeInput;
    system.outputColumns = columns;
    system.rootProbe = probe;
    const int status = RunPathShrink(static_cast<int>(args.size()), argv.data(), system, out, err);
    const auto* written = dynamic_cast<std::ostringstream*>(&out);
    return {status, written != nullptr ? written->str() : "", err.str()};
  }

  FakeFileSystem fs;
  InMemoryEnvironment env;
  InMemoryEnvironmentStore store;
  std::istringstream input;
  bool otherCodePage = false;
  CodePageDecoder decodeInput;
  std::size_t columns = 0;
  RootProbe probe;
};

TEST_F(RunPathShrinkTest, WithoutAListPrintsTheUsageLine) {
  const Outcome outcome = Run({"C:\\bin\\pathshrink.exe"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err,
            "[no list given: name one as an argument, - (standard input), --env NAME, --user or "
            "--machine]\n"
            "C:\\bin\\pathshrink.exe [options] (fullpath | - | --env NAME | --user | --machine)\n");
  EXPECT_EQ(outcome.out, "");
}

TEST_F(RunPathShrinkTest, WithoutEvenAProgramNameUsesAnEmptyOne) {
  const char* argv[] = {nullptr};
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunPathShrink(0, argv, fs, out, err), 1);
  EXPECT_EQ(err.str(),
            "[no list given: name one as an argument, - (standard input), --env NAME, --user or "
            "--machine]\n"
            " [options] (fullpath | - | --env NAME | --user | --machine)\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(RunPathShrinkTest, ListOnlyResolvesAndReports) {
  const std::string list = "C:\\Program Files\\Tools;C:\\Program Files\\Tools;C:\\Missing";
  const Outcome outcome = Run({"pathshrink", list});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "C:\\PROGRA~1\\Tools\n");
  EXPECT_EQ(outcome.err,
            "[invalid entry 'C:\\Missing']\n" + ExpectedReport(list, "C:\\PROGRA~1\\Tools"));
}

TEST_F(RunPathShrinkTest, AListThatCannotBeWrittenIsAFailure) {
  std::ostream broken(nullptr);  // every write fails, as on a full disk
  const Outcome outcome = Run({"pathshrink", "C:\\Windows"}, broken);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err,
            ExpectedReport("C:\\Windows", "C:\\Windows") + "[can't write standard output]\n");
}

TEST_F(RunPathShrinkTest, OptionsInPlaceOfAList) {
  const struct {
    const char* option;
    const char* start;
  } cases[] = {
      {"--help",
       "usage: pathshrink [options] (fullpath | - | --env NAME | --user | --machine)\n\n"},
      {"-h", "usage: pathshrink [options] (fullpath | - | --env NAME | --user | --machine)\n\n"},
      {"/?", "usage: pathshrink [options] (fullpath | - | --env NAME | --user | --machine)\n\n"},
      {"--version", "pathshrink " PATHSHRINK_VERSION "\n"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run({"pathshrink", c.option});
    EXPECT_EQ(outcome.status, 0) << c.option;
    EXPECT_EQ(outcome.out.substr(0, std::string(c.start).size()), c.start) << c.option;
    EXPECT_EQ(outcome.err, "") << c.option;
  }
  // An option that wants a list does not take the usage line's place.
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"pathshrink", "--suggest"}, {"pathshrink", "--suggest", "--junctions-in", "C:\\"}}) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err,
              "[no list given: name one as an argument, - (standard input), --env NAME, --user or "
              "--machine]\n"
              "pathshrink [options] (fullpath | - | --env NAME | --user | --machine)\n");
  }
}

TEST_F(RunPathShrinkTest, AnEmptyListHasNoEntries) {
  for (const char* list : {"", ";", ";;"}) {
    const Outcome outcome = Run({"pathshrink", list});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "\n");
    EXPECT_EQ(outcome.err, ExpectedReport(list, "")) << list;
    const std::string check = Run({"pathshrink", "--check", list}).out;
    EXPECT_NE(check.find("; 0 entries, 0 missing, "), std::string::npos) << check;
  }
}

TEST_F(RunPathShrinkTest, ArgumentWalk) {
  const std::string list = "C:\\Program Files\\Tools\\";
  const std::string usage =
      "pathshrink [options] fullpath\n"
      "pathshrink [options] -\n"
      "pathshrink [options] --env NAME\n"
      "pathshrink [options] --user [--write]\n"
      "pathshrink [options] --machine [--write]\n"
      "pathshrink --help | -h | /? | --version\n";
  const struct {
    const char* name;
    std::vector<std::string> args;  // "L" stands for the list
    int status;
    std::string out;
    std::string complaints;  // before the report, when there is one
  } cases[] = {
      {"options after the list", {"L", "-j", "C:\\pf"}, 0, "C:\\pf\\Tools\n", ""},
      {"options before the list", {"-j", "C:\\pf", "L"}, 0, "C:\\pf\\Tools\n", ""},
      {"a repeat named with --verbose", {"--verbose", "L"}, 0, "C:\\PROGRA~1\\Tools\n", ""},
      {"the flag alone", {"L", "-j"}, 1, "", "Missing value after [-j]\n" + usage},
      {"a flag is no junction",
       {"L", "-j", "--verbose"},
       1,
       "",
       "Missing value after [-j]\n" + usage},
      {"--write does not go with --suggest",
       {"--user", "--write", "--suggest"},
       1,
       "",
       "Option [--write] does not go with --suggest\n" + usage},
      {"an extra argument", {"L", "extra"}, 1, "", "Unexpected argument [extra]\n" + usage},
      {"a second source", {"L", "--env", "PATH"}, 1, "", "Unexpected argument [--env]\n" + usage},
      {"two stored sources",
       {"--user", "--machine"},
       1,
       "",
       "Unexpected argument [--machine]\n" + usage},
      {"an unknown flag after a junction",
       {"L", "-j", "C:\\pf", "-x"},
       1,
       "",
       "Unknown flag [-x]\n" + usage},
      {"flags are case-sensitive", {"L", "-J", "C:\\pf"}, 1, "", "Unknown flag [-J]\n" + usage},
      {"nothing registered before an argument is refused",
       {"L", "-j", "C:\\Nope", "--", "C:\\pf"},
       1,
       "",
       "Unknown flag [--]\n" + usage},
      {"--write stores only a stored Path",
       {"L", "--write"},
       1,
       "",
       "Option [--write] needs --user or --machine\n" + usage},
      {"--junctions-in a folder that is not there",
       {"--suggest", "--junctions-in", "C:\\Nope", "L"},
       1,
       "",
       "[the folder for the junctions 'C:\\Nope' does not exist]\n"},
      {"/user typed for --user",
       {"/user"},
       1,
       "",
       "Unknown flag [/user]: did you mean --user?\n" + usage},
      {"/check typed for --check",
       {"L", "/check"},
       1,
       "",
       "Unknown flag [/check]: did you mean --check?\n" + usage},
      {"help and a list", {"/?", "L"}, 1, "", "Option [/?] goes alone\n" + usage},
      {"the version and a list",
       {"L", "--version"},
       1,
       "",
       "Option [--version] goes alone\n" + usage},
      {"a target past what a variable holds",
       {"--target", "32767", "L"},
       1,
       "",
       "Option [--target] needs a length from 1 to 32766, not [32767]\n" + usage},
      {"a wait in minutes",
       {"--wait", "2m", "L"},
       1,
       "",
       "Option [--wait] needs a number of seconds from 0 to 86400, not [2m]\n" + usage},
      {"a wait with a point and nothing after it",
       {"--wait", "2.", "L"},
       1,
       "",
       "Option [--wait] needs a number of seconds from 0 to 86400, not [2.]\n" + usage},
      {"a wait of half a second",
       {"--wait", "0.5", "L", "--verbose"},
       0,
       "C:\\PROGRA~1\\Tools\n",
       ""},
      {"--target twice",
       {"--target", "10", "--target", "20", "L"},
       1,
       "",
       "Option [--target] given twice\n" + usage},
      {"a switch twice, as any option",
       {"--json", "L", "--json"},
       1,
       "",
       "Option [--json] given twice\n" + usage},
      {"a switch twice beside --check, which says it cannot answer",
       {"--check", "--redact", "L", "--redact"},
       10,
       "",
       "Option [--redact] given twice\n" + usage},
      {"--junctions-in without --suggest",
       {"L", "--junctions-in", "C:\\"},
       1,
       "",
       "Option [--junctions-in] needs --suggest\n" + usage},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"pathshrink"};
    for (const std::string& arg : c.args) args.push_back(arg == "L" ? list : arg);
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, c.status) << c.name;
    EXPECT_EQ(outcome.out, c.out) << c.name;
    const std::string report =
        c.status == 0 ? ExpectedReport(list, c.out.substr(0, c.out.size() - 1)) : "";
    EXPECT_EQ(outcome.err, c.complaints + report) << c.name;
  }
}

TEST_F(RunPathShrinkTest, EverySourceGivesTheSameList) {
  const std::string list = "C:\\Program Files\\Tools;C:\\PROGRA~1\\Tools\\;C:\\Missing;C:\\Windows";
  const std::string expected = "C:\\PROGRA~1\\Tools;C:\\Windows";
  env.Set("MyList", list);
  store.Set(Scope::kUser, "Path", {list, StoredType::kExpandString});
  store.Set(Scope::kMachine, "PATH", {list, StoredType::kString});
  // As Windows PowerShell 5.1 writes a file: UTF-16 with a byte-order mark.
  const auto utf16 = [](const std::string& ascii, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
  };
  // A stored Path's report adds a new window's PATH: the other scope's
  // (12 characters), a ';', then the list's (63 before, 28 after).
  const std::string window =
      "[a new window's PATH (the machine's Path, then the user's): 76 characters before, 41 "
      "after]\n";
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    Scope other = Scope::kUser;
  } cases[] = {
      {"an argument", {list}, ""},
      {"standard input, with a byte-order mark and a line break",
       {"-"},
       "\xEF\xBB\xBF" + list + "\r\n"},
      {"standard input in UTF-16 LE", {"-"}, utf16(list + "\r\n", false)},
      {"standard input in UTF-16 BE", {"-"}, utf16(list + "\r\n", true)},
      {"an environment variable, any case", {"--env", "MYLIST"}, ""},
      {"the user's stored Path", {"--user"}, "", Scope::kMachine},
      {"the machine's stored Path", {"--machine"}, "", Scope::kUser},
  };
  for (const auto& c : cases) {
    input.clear();
    input.str(c.input);
    std::vector<std::string> args = {"pathshrink"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const bool stored = c.args[0] == "--user" || c.args[0] == "--machine";
    if (stored) store.Set(c.other, "Path", {"C:\\Elsewhere", StoredType::kString, {}});
    const Outcome outcome = Run(args);
    if (stored) {
      store.Set(
          c.other, "Path",
          {list, c.other == Scope::kUser ? StoredType::kExpandString : StoredType::kString, {}});
    }
    EXPECT_EQ(outcome.status, 0) << c.name;
    EXPECT_EQ(outcome.out, expected + "\n") << c.name;
    EXPECT_EQ(outcome.err, "[invalid entry 'C:\\Missing']\n" + (stored ? window : "") +
                               ExpectedReport(list, expected))
        << c.name;
  }
  EXPECT_EQ(store.writes, 0);  // a preview changes nothing
  // NUL bytes outside UTF-16 are no list: refused, never an empty one, and
  // said as what they are.
  const std::string nul = "it holds a NUL byte, and is not UTF-16 with a byte-order mark";
  const std::string mark = "it begins with a UTF-16 byte-order mark, and ";
  for (const auto& [notText, why] : std::vector<std::pair<std::string, std::string>>{
           {utf16(list, false).substr(2), nul},
           {std::string("C:\\Windows\0;C:\\Tools", 20), nul},
           {utf16(list, false) + "x", mark + "its last character has one byte of two"}}) {
    input.clear();
    input.str(notText);
    const Outcome refused = Run({"pathshrink", "-"});
    EXPECT_EQ(refused.status, 11) << why;
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "[standard input is not text: " + why + "]\n");
  }
  // A byte-order mark alone is empty input, not a NUL byte.
  for (const char* alone : {"\xFF\xFE", "\xFE\xFF"}) {
    input.clear();
    input.str(alone);
    EXPECT_EQ(Run({"pathshrink", "-"}).status, 0);
  }

  // A live list is what programs search, and Windows never expands %NAME%
  // there: such an entry is text. A stored REG_EXPAND_SZ value is expanded
  // at logon, with what is stored.
  const std::string live = "%Win%;C:\\Windows";
  env.Set("LIVE", live);
  env.Set("Win", "C:\\Windows");
  store.Set(Scope::kUser, "Win", {"C:\\Windows", StoredType::kString, {}});
  store.Set(Scope::kUser, "Path", {live, StoredType::kExpandString, {}});
  store.Set(Scope::kMachine, "Path", {"C:\\Elsewhere", StoredType::kString, {}});
  const std::string asText =
      "[unchecked entry '%Win%': Windows does not expand references here; kept as given]\n";
  for (const auto& [args, in, newList, lines] :
       std::vector<std::tuple<std::vector<std::string>, std::string, std::string, std::string>>{
           {{live}, "", live, asText},
           {{"-"}, live, live, asText},
           {{"--env", "LIVE"}, "", live, asText},
           {{"--user"},
            "",
            live,
            // (12, a ';', and "C:\Windows;C:\Windows")
            "[a new window's PATH (the machine's Path, then the user's): 34 characters before, 34 "
            "after]\n"}}) {
    input.clear();
    input.str(in);
    std::vector<std::string> argv = {"pathshrink"};
    argv.insert(argv.end(), args.begin(), args.end());
    const Outcome outcome = Run(argv);
    EXPECT_EQ(outcome.out, newList + "\n") << args[0];
    EXPECT_EQ(outcome.err, lines + ExpectedReport(live, newList)) << args[0];
  }

  // An entry that refers to a variable of the user's follows it: the
  // folder it names today stays beside it, and so does the entry when the
  // variable names another one. Two entries written the same way are one.
  fs.AddDirectory("C:\\Java\\jdk-17\\bin", "C:\\Java\\jdk-17\\bin");
  fs.AddDirectory("C:\\Java\\jdk-21\\bin", "C:\\Java\\jdk-21\\bin");
  const std::string java = "C:\\Java\\jdk-17\\bin;%JAVA_HOME%\\bin";
  store = InMemoryEnvironmentStore();
  store.Set(Scope::kUser, "Path", {java + ";%java_home%\\bin\\", StoredType::kExpandString, {}});
  for (const char* home : {"C:\\Java\\jdk-17", "C:\\Java\\jdk-21"}) {
    store.Set(Scope::kUser, "JAVA_HOME", {home, StoredType::kString, {}});
    const Outcome follows = Run({"pathshrink", "--user", "--verbose"});
    EXPECT_EQ(follows.out, java + "\n") << home;
    EXPECT_NE(follows.err.find("[entry '%JAVA_HOME%\\bin' follows its variable: it repeats only an "
                               "entry written the same way, never the folder the variable names "
                               "today]\n"),
              std::string::npos)
        << follows.err;
  }

  // Standard input as Windows sends it: a Ctrl-Z ends it, one entry a
  // line, bytes of the console's code page when they are not UTF-8.
  fs.AddDirectory("C:\\\xC3\x84rger", "C:\\\xC3\x84rger");
  const CodePageDecoder latin1 = [](std::string_view bytes, std::string& utf8) {
    utf8.clear();
    for (const char c : bytes) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x80) {
        utf8 += c;
      } else {
        utf8 += static_cast<char>(0xC0 | byte >> 6);
        utf8 += static_cast<char>(0x80 | (byte & 0x3F));
      }
    }
    return true;
  };
  decodeInput = latin1;
  // UTF-16 with its mark, "C:\\\u011A" among it: one of its bytes is 0x1A,
  // which ends text only where it is a character.
  fs.AddDirectory("C:\\\xC4\x9A", "C:\\\xC4\x9A");
  std::string withCtrlZByte = "\xFF\xFE";
  for (const char16_t unit : std::u16string(u"C:\\\u011A;C:\\Windows")) {
    withCtrlZByte += static_cast<char>(unit & 0xFF);
    withCtrlZByte += static_cast<char>(unit >> 8);
  }
  for (const auto& [in, newList] : std::vector<std::pair<std::string, std::string>>{
           {"C:\\Windows\r\nC:\\Program Files\\Tools\r\n\r\n", "C:\\Windows;C:\\PROGRA~1\\Tools"},
           {"C:\\\xC4rger;C:\\Windows\x1A;C:\\Program Files\\Tools",
            "C:\\\xC3\x84rger;C:\\Windows"},
           {withCtrlZByte, "C:\\\xC4\x9A;C:\\Windows"},
       }) {
    input.clear();
    input.str(in);
    EXPECT_EQ(Run({"pathshrink", "-"}).out, newList + "\n") << in;
  }

  const Outcome unset = Run({"pathshrink", "--env", "NOPE"});
  EXPECT_EQ(unset.status, 1);
  EXPECT_EQ(unset.out, "");
  EXPECT_EQ(unset.err, "[environment variable 'NOPE' is not set]\n");
}

// A share whose server is gone makes every question about it wait (about a
// minute each on Windows): its root is asked once, and waited for no
// longer than --wait; the entries on it are kept, and the run does not wait
// for the question still open (this one never returns while the volume
// lasts).
TEST_F(RunPathShrinkTest, ARootThatDoesNotAnswerCostsTheWaitOnce) {
  std::string hanging;
  for (int i = 0; i < 10; ++i) hanging += ";\\\\gone\\share\\Tool " + std::to_string(i);
  const std::string list = "C:\\Program Files\\Tools" + hanging;
  fs.HangOnRoot("\\\\GONE\\share");
  probe = fs.Probe();
  const std::string line =
      "': its drive or share '\\\\gone\\share' does not answer; kept as given]";
  for (const char* option : {"--verbose", "--check"}) {
    const auto start = std::chrono::steady_clock::now();
    const Outcome outcome = Run({"pathshrink", "--wait", "0.5", option, list});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(500)) << option;
    EXPECT_LT(took, std::chrono::milliseconds(2500)) << option;
    if (std::string(option) == "--check") {
      EXPECT_EQ(outcome.status, 1) << outcome.err;
      EXPECT_NE(outcome.out.find(" 1 to shorten, 10 unchecked"), std::string::npos) << outcome.out;
      continue;
    }
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "C:\\PROGRA~1\\Tools" + hanging + "\n");
    std::size_t lines = 0;
    for (std::size_t at = outcome.err.find(line); at != std::string::npos;
         at = outcome.err.find(line, at + 1)) {
      ++lines;
    }
    EXPECT_EQ(lines, 10u) << outcome.err;
  }
}

TEST_F(RunPathShrinkTest, VerboseNamesWhatEachRepeatRepeats) {
  fs.AddDirectory("C:\\Program Files\\Tools\\x", "C:\\PROGRA~1\\Tools\\x");
  fs.AddDirectory("C:\\tl\\x", "C:\\tl\\x");
  // A repeat when resolved, and one made by the junction.
  const std::string list = "C:\\Program Files\\Tools\\x;c:\\progra~1\\TOOLS\\X;C:\\tl\\x";
  const Outcome outcome = Run({"pathshrink", "--verbose", list, "-j", "C:\\tl"});
  EXPECT_EQ(outcome.out, "C:\\tl\\x\n");
  EXPECT_EQ(outcome.err,
            "[repeat 'c:\\progra~1\\TOOLS\\X' left out: it names 'C:\\Program Files\\Tools\\x']\n"
            "[repeat 'C:\\tl\\x' left out: it names 'C:\\Program Files\\Tools\\x']\n" +
                ExpectedReport(list, "C:\\tl\\x"));
}

TEST_F(RunPathShrinkTest, WarnsOfListsThatWindowsOrItsReaderCannotTake) {
  const struct {
    std::string name;  // of the one directory listed
    bool otherCodePage;
    std::string warning;
  } cases[] = {
      {std::string(8188, 'a'), true, ""},  // 8,191 characters
      {std::string(8189, 'a'), false,
       "[the new list is 8192 characters long: cmd.exe ignores a PATH longer than 8191]\n"},
      {std::string(32763, 'a'), false,
       "[the new list is 32766 characters long: cmd.exe ignores a PATH longer than 8191]\n"},
      {std::string(32764, 'a'), false,
       "[the new list is 32767 characters long: Windows cannot hold a variable longer than "
       "32766]\n"},
      {"\xC3\x84rger", false, ""},
      {"\xC3\x84rger", true,
       "[the new list holds letters outside ASCII, written as UTF-8, and the console's code page"
       " is not UTF-8: run chcp 65001 first, or they may be misread]\n"},
  };
  // A volume that makes short names, whose folders here were made without
  // (the lines of a volume that makes none are not these).
  fs.SetMakesShortNames("C:\\", true);
  for (const auto& c : cases) {
    const std::string entry = "C:\\" + c.name;
    fs.AddDirectory(entry, entry);
    otherCodePage = c.otherCodePage;
    const Outcome outcome = Run({"pathshrink", entry});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, c.warning + ExpectedReport(entry, entry)) << entry.size();
  }
}

// The bytes of the hex(...) data in a backup file, read back from its text:
// what reg import will store.
std::string BackupData(const std::string& file) {
  std::string text;  // the file is UTF-16LE, ASCII here: every other byte
  for (std::size_t i = 2; i < file.size(); i += 2) text += file[i];
  std::string data;
  const std::size_t start = text.find("):") + 2;
  for (std::size_t i = start; i + 1 < text.size(); ++i) {
    if (std::isxdigit(static_cast<unsigned char>(text[i])) != 0 &&
        std::isxdigit(static_cast<unsigned char>(text[i + 1])) != 0) {
      data += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
      ++i;
    }
  }
  return data;
}

// A new window's PATH is the machine's Path, then the user's: a user entry
// for a folder the machine's lists is never reached. It goes, is
// remembered, and comes back when the machine's Path lets it go.
TEST_F(RunPathShrinkTest, TheUsersPathBesideTheMachines) {
  fs.AddDirectory("C:\\Users\\me\\bin", "C:\\Users\\me\\bin");
  env.Set("LOCALAPPDATA", "C:\\Users\\me\\AppData\\Local");
  const std::string memory = "C:\\Users\\me\\AppData\\Local\\pathshrink\\Path-user.written-for";
  const std::string user = "C:\\Users\\me\\bin;C:\\Program Files\\Tools;C:\\Windows";
  const struct {
    const char* name;
    std::string machine;  // its entry for the user's 'C:\Program Files\Tools', if any
    std::string listedAs;
  } cases[] = {
      {"its short name", "C:\\PROGRA~1\\Tools", "C:\\PROGRA~1\\Tools"},
      {"a junction to it, with a trailing separator", "C:\\tl\\", "C:\\tl"},
      {"another case", "c:\\program files\\TOOLS", "c:\\program files\\TOOLS"},
  };
  for (const auto& c : cases) {
    store = InMemoryEnvironmentStore();
    store.Set(Scope::kMachine, "Path", {c.machine + ";C:\\Nowhere", StoredType::kString, {}});
    store.Set(Scope::kUser, "Path", {user, StoredType::kExpandString, {}});
    const Outcome left = Run({"pathshrink", "--user", "--write"});
    EXPECT_EQ(left.status, 0) << c.name;
    EXPECT_EQ(store.Get(Scope::kUser, "Path")->text, "C:\\Users\\me\\bin;C:\\Windows") << c.name;
    EXPECT_NE(left.err.find("[entry 'C:\\Program Files\\Tools' left out: the machine's Path lists "
                            "its folder as '" +
                            c.listedAs + "', and a new window searches that first]\n"),
              std::string::npos)
        << c.name << "\n"
        << left.err;
    EXPECT_EQ(store.files[memory],
              "pathshrink written-for 2\r\n*\t1\tC:\\Program Files\\Tools\t" + c.listedAs + "\r\n")
        << c.name;
    // Written again while the machine's Path still lists it: still remembered.
    const std::string remembered = store.files[memory];
    store.Set(Scope::kUser, "Path",
              {"C:\\Users\\me\\bin;C:\\Gone;C:\\Windows", StoredType::kExpandString, {}});
    EXPECT_EQ(Run({"pathshrink", "--user", "--write"}).status, 0) << c.name;
    EXPECT_EQ(store.files[memory], remembered) << c.name;
    // The machine's own run leaves the user's Path alone.
    EXPECT_EQ(Run({"pathshrink", "--machine", "--write"}).status, 0) << c.name;
    EXPECT_EQ(store.Get(Scope::kUser, "Path")->text, "C:\\Users\\me\\bin;C:\\Windows") << c.name;
    EXPECT_EQ(Run({"pathshrink", "--user", "--check"}).status, 0) << c.name;

    // The machine's Path no longer lists it: it goes back where it stood.
    store.Set(Scope::kMachine, "Path", {"C:\\Nowhere", StoredType::kString, {}});
    const Outcome check = Run({"pathshrink", "--user", "--check"});
    EXPECT_EQ(check.status, 1) << c.name;
    EXPECT_NE(check.out.find(", 1 put back as the machine's Path no longer lists them"),
              std::string::npos)
        << c.name << "\n"
        << check.out;
    const Outcome json = Run({"pathshrink", "--user", "--json"});
#ifndef _WIN32
    EXPECT_EQ(testing::SchemaProblems(json.out), "") << json.out;
#endif
    EXPECT_NE(
        json.out.find(
            "\"given\":\"C:\\\\Program Files\\\\Tools\",\"written\":\"C:\\\\PROGRA~1\\\\Tools\""),
        std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"putBack\":true"), std::string::npos) << json.out;
    // Given: the two entries stored, not the one put back.
    EXPECT_NE(json.out.find("\"counts\":{\"given\":2,"), std::string::npos) << json.out;
    const Outcome back = Run({"pathshrink", "--user", "--write"});
    EXPECT_EQ(back.status, 0) << c.name;
    EXPECT_NE(back.err.find("[entry 'C:\\Program Files\\Tools' put back as entry 2: the machine's "
                            "Path no longer lists its folder (it listed it as '" +
                            c.listedAs + "')]\n"),
              std::string::npos)
        << c.name << "\n"
        << back.err;
    EXPECT_EQ(store.Get(Scope::kUser, "Path")->text,
              "C:\\Users\\me\\bin;C:\\PROGRA~1\\Tools;C:\\Windows")
        << c.name;
    EXPECT_EQ(store.files[memory],
              "pathshrink written-for 2\r\nC:\\PROGRA~1\\Tools\tC:\\Program Files\\Tools\r\n")
        << c.name;
  }

  // Two left out at once, then put back one by one: each before the entry
  // it stood before (places count the entries stored, not the others left
  // out); an entry the user typed again in another spelling is the user's,
  // where the user put it; an entry written with a variable of Windows'
  // own comes back as it was left out.
  fs.AddDirectory("C:\\Users\\me\\one", "C:\\Users\\me\\one");
  fs.AddDirectory("C:\\Users\\me\\two", "C:\\Users\\me\\two");
  const auto userPath = [&] { return store.Get(Scope::kUser, "Path")->text; };
  const auto machineLists = [&](const std::string& machine) {
    store.Set(Scope::kMachine, "Path", {machine, StoredType::kString, {}});
    EXPECT_EQ(Run({"pathshrink", "--user", "--write"}).status, 0) << machine;
  };
  store = InMemoryEnvironmentStore();
  store.Set(Scope::kUser, "Path",
            {"C:\\Users\\me\\bin;C:\\Users\\me\\one;C:\\Users\\me\\two;C:\\Windows",
             StoredType::kExpandString,
             {}});
  machineLists("C:\\Users\\me\\one;C:\\Users\\me\\two");
  EXPECT_EQ(userPath(), "C:\\Users\\me\\bin;C:\\Windows");
  machineLists("C:\\Users\\me\\one");
  EXPECT_EQ(userPath(), "C:\\Users\\me\\bin;C:\\Users\\me\\two;C:\\Windows");
  machineLists("C:\\Nowhere");
  EXPECT_EQ(userPath(), "C:\\Users\\me\\bin;C:\\Users\\me\\one;C:\\Users\\me\\two;C:\\Windows");
  machineLists("C:\\Users\\me\\two");
  EXPECT_EQ(userPath(), "C:\\Users\\me\\bin;C:\\Users\\me\\one;C:\\Windows");
  store.Set(Scope::kUser, "Path",
            {"C:\\Users\\me\\bin;C:\\Users\\me\\one;C:\\Windows;c:\\users\\me\\TWO\\",
             StoredType::kExpandString,
             {}});
  machineLists("C:\\Nowhere");
  EXPECT_EQ(userPath(), "C:\\Users\\me\\bin;C:\\Users\\me\\one;C:\\Windows;c:\\users\\me\\TWO");
  store = InMemoryEnvironmentStore();
  store.Set(Scope::kProfile, "USERPROFILE", {"C:\\Users\\me", StoredType::kString, {}});
  store.Set(Scope::kUser, "Path",
            {"%USERPROFILE%\\bin;C:\\Windows", StoredType::kExpandString, {}});
  machineLists("C:\\Users\\me\\bin");
  EXPECT_EQ(userPath(), "C:\\Windows");
  machineLists("C:\\Nowhere");
  EXPECT_EQ(userPath(), "%USERPROFILE%\\bin;C:\\Windows");
  // The machine's entry that follows a variable an administrator defines
  // (beside one of Windows' own) names no folder for good: the user's entry
  // for the folder it names today stays.
  store = InMemoryEnvironmentStore();
  store.systemVariables = {{"ProgramFiles", {"C:\\Program Files", StoredType::kString, {}}}};
  store.Set(Scope::kMachine, "TOOLS", {"Tools", StoredType::kString, {}});
  store.Set(Scope::kMachine, "Path", {"%ProgramFiles%\\%TOOLS%", StoredType::kExpandString, {}});
  store.Set(Scope::kUser, "Path",
            {"C:\\Program Files\\Tools;C:\\Windows", StoredType::kExpandString, {}});
  EXPECT_EQ(Run({"pathshrink", "--user"}).out, "C:\\PROGRA~1\\Tools;C:\\Windows\n");
  // A machine's Path stored as REG_SZ is taken as it stands: its
  // %SystemRoot% is no folder in a new window.
  store.systemVariables = {{"SystemRoot", {"C:\\Windows", StoredType::kString, {}}}};
  store.Set(Scope::kMachine, "Path", {"%SystemRoot%\\System32", StoredType::kString, {}});
  store.Set(Scope::kUser, "Path", {"C:\\Windows", StoredType::kExpandString, {}});
  EXPECT_NE(Run({"pathshrink", "--user"})
                .err.find("[a new window's PATH (the machine's Path, then the user's): 32 "
                          "characters before, 32 after]\n"),
            std::string::npos);

  // A new window's length against what breaks: the machine's 8170
  // characters, a ';', and the user's 38 before and 15 after.
  store = InMemoryEnvironmentStore();
  store.Set(Scope::kMachine, "Path",
            {"C:\\PROGRA~1\\Tools;C:\\" + std::string(8149, 'x'), StoredType::kString, {}});
  store.Set(Scope::kUser, "Path",
            {"C:\\Users\\me\\bin;C:\\Program Files\\Tools", StoredType::kExpandString, {}});
  const std::string window =
      "a new window's PATH (the machine's Path, then the user's): 8209 characters before, 8186 "
      "after; the machine's Path past 2047 before and after: the Environment Variables dialog "
      "refuses it; past 8191 before: cmd.exe ignores it";
  const Outcome preview = Run({"pathshrink", "--user"});
  EXPECT_NE(preview.err.find("[" + window + "]\nOriginal path [38]:"), std::string::npos)
      << preview.err;
  EXPECT_NE(Run({"pathshrink", "--user", "--check"}).out.find("; " + window + "\n"),
            std::string::npos);
  const Outcome json = Run({"pathshrink", "--user", "--json"});
#ifndef _WIN32
  EXPECT_EQ(testing::SchemaProblems(json.out), "") << json.out;
#endif
  EXPECT_NE(json.out.find(
                "\"newWindow\":{\"before\":8209,\"after\":8186,\"limits\":[{\"length\":"
                "2047,\"what\":\"the Environment Variables dialog refuses it\",\"of\":"
                "\"machine\",\"before\":true,\"after\":true},{\"length\":8191,\"what\":"
                "\"cmd.exe ignores it\",\"of\":\"newWindow\",\"before\":true,\"after\":false}]}"),
            std::string::npos)
      << json.out;
  // Each value within what the dialog takes, the two together past it: the
  // dialog, which edits one value at a time, refuses neither.
  store.Set(Scope::kMachine, "Path", {"C:\\" + std::string(1500, 'y'), StoredType::kString, {}});
  store.Set(Scope::kUser, "Path",
            {"C:\\Users\\me\\bin;C:\\" + std::string(1000, 'z'), StoredType::kExpandString, {}});
  const Outcome within = Run({"pathshrink", "--user"});
  EXPECT_NE(within.err.find("[a new window's PATH (the machine's Path, then the user's): 2523 "
                            "characters before, 1519 after]\n"),
            std::string::npos)
      << within.err;
  store.Set(Scope::kUser, "Path",
            {"C:\\Users\\me\\bin;C:\\Program Files\\Tools", StoredType::kExpandString, {}});
  // Where the machine's Path cannot be read, the user's is judged alone.
  store.Set(Scope::kMachine, "Path", {"C:\\PROGRA~1\\Tools", StoredType::kMultiString, {}});
  const Outcome alone = Run({"pathshrink", "--user"});
  EXPECT_EQ(alone.out, "C:\\Users\\me\\bin;C:\\PROGRA~1\\Tools\n");
  EXPECT_EQ(alone.err, "[the Path in " + ScopeKeyName(Scope::kMachine) +
                           " is not a list Windows reads whole: a new window's PATH is not "
                           "judged]\n" +
                           ExpectedReport("C:\\Users\\me\\bin;C:\\Program Files\\Tools",
                                          "C:\\Users\\me\\bin;C:\\PROGRA~1\\Tools"));
}

// Shortening leaves out repeats and writes folders otherwise: never so
// that a name starts another program. The winners are worked out here from
// the volume's own listing, in the order cmd.exe and CreateProcess search.
TEST_F(RunPathShrinkTest, NothingWrittenChangesWhichProgramANameRuns) {
  const struct {
    const char* folder;
    const char* shortForm;
    std::vector<FolderFile> files;
  } folders[] = {
      {"C:\\Windows\\System32",
       "C:\\Windows\\System32",
       {{"where.exe"}, {"tar.exe"}, {"notepad.exe"}}},
      {"C:\\Windows", "C:\\Windows", {{"notepad.exe"}}},
      {"C:\\Windows\\System32\\OpenSSH", "C:\\Windows\\System32\\OpenSSH", {{"ssh.exe"}}},
      {"C:\\Program Files\\Git\\usr\\bin",
       "C:\\PROGRA~1\\Git\\usr\\bin",
       {{"ssh.exe"}, {"tar.exe"}, {"where.cmd"}}},
      {"C:\\Users\\me\\AppData\\Local\\Microsoft\\WindowsApps",
       "C:\\Users\\me\\AppData\\Local\\MICROS~1\\WINDOW~1",
       {{"python.exe", true, true}, {"winget.exe", true, true}}},
      {"C:\\Python 312", "C:\\PYTHON~1", {{"python.exe"}, {"pip.EXE"}}},
      {"C:\\Program Files\\nodejs", "C:\\PROGRA~1\\nodejs", {{"node.exe"}, {"npm.cmd"}}},
      {"C:\\Old Node", "C:\\OLDNOD~1", {{"node.exe"}, {"npm.bat"}, {"NPM.COM"}}},
      {"C:\\Tools A", "C:\\TOOLSA~1", {{"tool.cmd"}, {"readme.txt"}}},
      {"C:\\Tools B", "C:\\TOOLSB~1", {{"tool.exe"}, {"pip.ps1"}, {"npm.PS1"}}},
      {"C:\\Tools C", "C:\\TOOLSC~1", {{"tool.exe"}, {"tool.cmd"}}},
  };
  for (const auto& folder : folders) {
    fs.AddDirectory(folder.folder, folder.shortForm);
    for (const FolderFile& file : folder.files) fs.AddFile(folder.folder, file);
  }
  env.Set("SystemRoot", "C:\\Windows");
  const std::set<std::string> junctions = {"c:\\pf", "c:\\p2", "c:\\tl"};
  // The file `name` starts, as the folder it lies in and its name (folded);
  // empty where none does.
  enum Start { kCmd, kCreateProcess, kPwsh };
  const auto winner = [&](const std::string& list, const std::string& name, Start start) {
    std::vector<std::string> order;
    if (start == kCreateProcess) order = {"C:\\Windows\\System32", "C:\\Windows"};
    for (std::size_t start = 0; start <= list.size();) {
      const std::size_t end = std::min(list.find(';', start), list.size());
      order.push_back(list.substr(start, end - start));
      start = end + 1;
    }
    const std::vector<std::string> extensions =
        start == kCreateProcess ? std::vector<std::string>{".exe"}
        : start == kPwsh        ? std::vector<std::string>{".ps1", ".com", ".exe", ".bat", ".cmd"}
                                : std::vector<std::string>{".com", ".exe", ".bat", ".cmd"};
    for (const std::string& entry : order) {
      std::vector<FolderFile> files;
      if (entry.empty() || !fs.FilesIn(entry, files)) continue;
      for (const std::string& extension : extensions) {
        for (const FolderFile& file : files) {
          if (testing::AsciiFolded(file.name) == name + extension) {
            return *fs.DirectoryNamed(entry, junctions) + "\\" + testing::AsciiFolded(file.name);
          }
        }
      }
    }
    return std::string();
  };
  const struct {
    const char* name;
    std::vector<std::string> options;
    std::string list;
  } cases[] = {
      {"Git's ssh before Windows' own, and again in its short form",
       {},
       "C:\\Program "
       "Files\\Git\\usr\\bin;C:\\Windows\\System32\\OpenSSH;C:\\PROGRA~1\\Git\\usr\\bin"},
      {"Windows' own ssh first, Git's written through a junction",
       {"-j", "C:\\pf"},
       "C:\\Windows\\System32\\OpenSSH;C:\\Program Files\\Git\\usr\\bin;C:\\Windows\\System32"},
      {"the Store's python alias before a real Python, a missing folder between",
       {},
       "C:\\Users\\me\\AppData\\Local\\Microsoft\\WindowsApps;C:\\Missing;C:\\Python 312;"
       "C:\\PYTHON~1\\"},
      {"an old Node before the new one, and a repeat of each after",
       {"-j", "C:\\p2"},
       "C:\\Old Node;C:\\Program Files\\nodejs;C:\\OLDNOD~1;C:\\p2\\nodejs"},
      {"a .cmd in one folder before an .exe in the next",
       {"--target", "20"},
       "C:\\Tools A;C:\\Tools B;C:\\TOOLSA~1\\;C:\\Program Files\\Git\\usr\\bin"},
      {"a script pwsh runs before the program cmd.exe runs, and a repeat of each",
       {},
       "C:\\Tools B;C:\\Old Node;C:\\TOOLSB~1;C:\\Python 312;C:\\OLDNOD~1"},
  };
  const char* const kStartNames[] = {"cmd.exe", "CreateProcess", "pwsh"};
  for (const auto& c : cases) {
    std::vector<std::string> args = {"pathshrink", c.list};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Outcome outcome = Run(args);
    ASSERT_EQ(outcome.status, 0) << c.name;
    const std::string after = outcome.out.substr(0, outcome.out.size() - 1);
    EXPECT_NE(after, c.list) << c.name;  // the list was written otherwise
    for (const char* name : {"ssh", "python", "node", "npm", "tool", "tar", "where", "pip"}) {
      for (const Start start : {kCmd, kCreateProcess, kPwsh}) {
        EXPECT_EQ(winner(after, name, start), winner(c.list, name, start))
            << c.name << ": " << name << " (" << kStartNames[start] << ")\n"
            << after;
      }
    }
  }

  // --shadows shows the winners of the new list, an alias as such.
  const std::string list =
      "C:\\Users\\me\\AppData\\Local\\Microsoft\\WindowsApps;C:\\Tools A;"
      "C:\\Program Files\\Git\\usr\\bin;C:\\Tools B;C:\\Python 312";
  const Outcome shadows = Run({"pathshrink", "--shadows", "-j", "C:\\pf", list});
  EXPECT_EQ(shadows.status, 0);
  EXPECT_EQ(shadows.out,
            "pip\n"
            "  cmd.exe  CreateProcess  pwsh   file\n"
            "  -        -              runs   C:\\Tools B\\pip.ps1\n"
            "  runs     runs           never  C:\\PYTHON~1\\pip.EXE\n"
            "python\n"
            "  cmd.exe  CreateProcess  pwsh   file\n"
            "  runs     runs           runs   "
            "C:\\Users\\me\\AppData\\Local\\MICROS~1\\WINDOW~1\\python.exe"
            "  (App execution alias)\n"
            "  never    never          never  C:\\PYTHON~1\\python.exe\n"
            "tar\n"
            "  cmd.exe  CreateProcess  pwsh   file\n"
            "  -        runs           -      C:\\Windows\\System32\\tar.exe\n"
            "  runs     never          runs   C:\\pf\\Git\\usr\\bin\\tar.exe\n"
            "tool\n"
            "  cmd.exe  CreateProcess  pwsh   file\n"
            "  runs     -              runs   C:\\Tools A\\tool.cmd\n"
            "  never    runs           never  C:\\Tools B\\tool.exe\n"
            "where\n"
            "  cmd.exe  CreateProcess  pwsh   file\n"
            "  -        runs           -      C:\\Windows\\System32\\where.exe\n"
            "  runs     -              runs   C:\\pf\\Git\\usr\\bin\\where.cmd\n");
  EXPECT_NE(shadows.err.find("[cmd.exe looks in the current folder before the PATH "
                             "(NoDefaultCurrentDirectoryInExePath is not set); it is not listed "
                             "here]\n"),
            std::string::npos)
      << shadows.err;
  // A program in both the system folder and the Windows folder, which
  // CreateProcess searches in that order before the PATH; a folder with
  // tool.cmd and tool.exe only, where PATHEXT puts .EXE first.
  EXPECT_EQ(Run({"pathshrink", "--shadows", "C:\\Windows"}).out,
            "notepad\n"
            "  cmd.exe  CreateProcess  pwsh   file\n"
            "  -        runs           -      C:\\Windows\\System32\\notepad.exe\n"
            "  runs     never          runs   C:\\Windows\\notepad.exe\n");
  EXPECT_EQ(Run({"pathshrink", "--shadows", "C:\\Tools C;C:\\Tools A"}).out,
            "tool\n"
            "  cmd.exe  CreateProcess  pwsh   file\n"
            "  runs     runs           runs   C:\\Tools C\\tool.exe\n"
            "  never    -              never  C:\\Tools C\\tool.cmd\n"
            "  never    -              never  C:\\Tools A\\tool.cmd\n");
  // With the variable set, and PATHEXT putting .CMD before .EXE, its items
  // with a trailing space or dot, which cmd.exe trims as Windows trims names.
  env.Set("NoDefaultCurrentDirectoryInExePath", "1");
  env.Set("PATHEXT", ".CMD ;.EXE.");
  const Outcome own = Run({"pathshrink", "--shadows", "C:\\Tools B;C:\\Tools A"});
  EXPECT_EQ(own.out,
            "tool\n"
            "  cmd.exe  CreateProcess  pwsh   file\n"
            "  runs     runs           runs   C:\\Tools B\\tool.exe\n"
            "  never    -              never  C:\\Tools A\\tool.cmd\n");
  EXPECT_EQ(own.err.find("current folder"), std::string::npos) << own.err;
  // For a stored Path, a new window's whole PATH: the machine's Path, then
  // the user's (lengths alone could not tell a swap).
  store.Set(Scope::kMachine, "Path", {"C:\\Tools B", StoredType::kString, {}});
  store.Set(Scope::kUser, "Path", {"C:\\Tools C", StoredType::kExpandString, {}});
  EXPECT_EQ(Run({"pathshrink", "--shadows", "--user"}).out,
            "tool\n"
            "  cmd.exe  CreateProcess  pwsh   file\n"
            "  runs     runs           runs   C:\\Tools B\\tool.exe\n"
            "  never    never          never  C:\\Tools C\\tool.exe\n"
            "  never    -              never  C:\\Tools C\\tool.cmd\n");
}

TEST_F(RunPathShrinkTest, StoringAPathForGood) {
  const std::string before = "%SystemRoot%;C:\\Program Files\\Tools;C:\\Missing;%Only%\\x";
  const std::string after = "%SystemRoot%;C:\\PROGRA~1\\Tools;%Only%\\x";
  const std::string backup =
      "C:\\Users\\me\\AppData\\Local\\pathshrink\\backups\\Path-user-20261208-114500";
  const std::string user = ScopeKeyName(Scope::kUser);
  const std::string stored =
      "Stored the new Path in " + user +
      ".\n"
      "Backup of the old Path: " +
      backup +
      ".reg\n"
      "To undo: reg import \"" +
      backup +
      ".reg\"\n"
      "Windows already open keep their old PATH; new ones get the new one.\n";
  using Fault = std::function<void(InMemoryEnvironmentStore&, InMemoryEnvironment&)>;
  const struct {
    const char* name;
    std::vector<std::string> args;
    StoredValue value;  // the Path stored at first
    Fault fault;
    int status;
    std::string storedAfter;  // what the value holds at the end
    std::string lines;        // the end of standard error
    bool backupKept;
  } cases[] = {
      {"stored short, type and references kept",
       {"--user", "--write"},
       {before, StoredType::kExpandString, {}},
       nullptr,
       0,
       after,
       stored,
       true},
      {"a preview stores nothing",
       {"--user"},
       {before, StoredType::kExpandString, {}},
       nullptr,
       0,
       before,
       "New path [39]:\n",
       false},
      {"REG_SZ stays REG_SZ, and its references are not expanded",
       {"--write", "--user"},
       {"%SystemRoot%;C:\\Windows;C:\\Program Files\\Tools", StoredType::kString, {}},
       nullptr,
       0,
       "%SystemRoot%;C:\\Windows;C:\\PROGRA~1\\Tools",
       "[the stored Path is REG_SZ: Windows does not expand its %NAME% references]\n" + stored,
       true},
      {"references mean what the next logon makes of them, not what this window says",
       {"--user", "--write"},
       {"%JAVA_HOME%;C:\\Program Files\\Tools;%WINDOWONLY%;C:\\Windows",
        StoredType::kExpandString,
        {}},
       [](InMemoryEnvironmentStore& s, InMemoryEnvironment& e) {
         s.Set(Scope::kUser, "JAVA_HOME", {"C:\\Windows\\x", StoredType::kString, {}});
         e.Set("JAVA_HOME", "C:\\Program Files\\Tools");  // a window opened before it changed
         e.Set("WINDOWONLY", "C:\\Windows");
       },
       0,
       "%JAVA_HOME%;C:\\PROGRA~1\\Tools;%WINDOWONLY%;C:\\Windows",
       stored,
       true},
      {"the exact bytes stored go into the backup",
       {"--user", "--write"},
       {before, StoredType::kExpandString, StoredBytes(before) + std::string("\0\0\0", 3)},
       nullptr,
       0,
       after,
       stored,
       true},
      {"no backup, nothing stored",
       {"--user", "--write"},
       {before, StoredType::kExpandString, {}},
       [](InMemoryEnvironmentStore& s, InMemoryEnvironment&) {
         s.saveFails = StoreStatus::kFailed;
       },
       4,
       before,
       "[can't write the backup '" + backup + ".reg'; nothing stored]\n",
       false},
      {"a backup name a second for a hundred runs",
       {"--user", "--write"},
       {before, StoredType::kExpandString, {}},
       [&backup](InMemoryEnvironmentStore& s, InMemoryEnvironment&) {
         s.files[backup + ".reg"] = "first";
         for (int n = 2; n <= 99; ++n) s.files[backup + "-" + std::to_string(n) + ".reg"] = "";
       },
       0,
       after,
       "Backup of the old Path: " + backup + "-100.reg\nTo undo: reg import \"" + backup +
           "-100.reg\"\nWindows already open keep their old PATH; new ones get the new one.\n",
       true},
      {"a relative LOCALAPPDATA is no place for a backup",
       {"--user", "--write"},
       {before, StoredType::kExpandString, {}},
       [](InMemoryEnvironmentStore&, InMemoryEnvironment& e) { e.Set("LOCALAPPDATA", "AppData"); },
       4,
       before,
       "[can't write a backup: LOCALAPPDATA is not an absolute path ('AppData'); nothing stored]\n",
       false},
      {"changed since it was read",
       {"--user", "--write"},
       {before, StoredType::kExpandString, {}},
       [](InMemoryEnvironmentStore& s, InMemoryEnvironment&) { s.changeAfterReads = 1; },
       5,
       "changed by someone else",
       "[the Path in " + user + " changed since it was read; nothing stored: run again]\n",
       false},
      {"its type changed since it was read",
       {"--user", "--write"},
       {before, StoredType::kExpandString, {}},
       [&before](InMemoryEnvironmentStore& s, InMemoryEnvironment&) {
         s.changeAfterReads = 1;
         s.changedValue = {before, StoredType::kString, {}};
       },
       5,
       before,
       "[the Path in " + user + " changed since it was read; nothing stored: run again]\n",
       false},
      {"its bytes changed since it was read (a terminator added)",
       {"--user", "--write"},
       {before, StoredType::kExpandString, StoredBytes(before)},
       [&before](InMemoryEnvironmentStore& s, InMemoryEnvironment&) {
         s.changeAfterReads = 1;
         s.changedValue = {before, StoredType::kExpandString,
                           StoredBytes(before) + std::string(2, '\0')};
       },
       5,
       before,
       "[the Path in " + user + " changed since it was read; nothing stored: run again]\n",
       false},
      {"an empty result is refused",
       {"--user", "--write"},
       {"C:\\Missing", StoredType::kExpandString, {}},
       nullptr,
       6,
       "C:\\Missing",
       "[the new Path would be empty; nothing stored]\n",
       false},
      {"an empty Path stays as it is",
       {"--user", "--write"},
       {"", StoredType::kExpandString, {}},
       nullptr,
       0,
       "",
       "The stored Path is as short as it gets; nothing stored.\n",
       false},
      {"nothing to shorten",
       {"--user", "--write"},
       {after, StoredType::kExpandString, {}},
       nullptr,
       0,
       after,
       "The stored Path is as short as it gets; nothing stored.\n",
       false},
      {"access denied",
       {"--user", "--write"},
       {before, StoredType::kExpandString, {}},
       [](InMemoryEnvironmentStore& s, InMemoryEnvironment&) {
         s.writeFails = StoreStatus::kAccessDenied;
       },
       7,
       before,
       "[access denied writing the Path in " + user + ": run as administrator; nothing stored]\n",
       false},
      {"a wrong read-back is undone, and the undo read back",
       {"--user", "--write"},
       {before, StoredType::kExpandString, {}},
       [](InMemoryEnvironmentStore& s, InMemoryEnvironment&) { s.corruptWrites = 1; },
       8,
       before,
       "[the Path in " + user +
           " did not read back as written; the old value is stored again and read back as it"
           " was]\n",
       false},
      {"the undo writes back the very bytes read, a second terminator included",
       {"--user", "--write"},
       {before, StoredType::kExpandString, StoredBytes(before) + std::string(2, '\0')},
       [](InMemoryEnvironmentStore& s, InMemoryEnvironment&) { s.corruptWrites = 1; },
       8,
       before,
       "[the Path in " + user +
           " did not read back as written; the old value is stored again and read back as it"
           " was]\n",
       false},
      {"an undo that does not read back names the backup",
       {"--user", "--write"},
       {before, StoredType::kExpandString, {}},
       [](InMemoryEnvironmentStore& s, InMemoryEnvironment&) { s.corruptWrites = 2; },
       8,
       "C:\\garbled",
       "[the Path in " + user +
           " did not read back as written, and the old value could not be stored again: what it"
           " holds now is unknown; restore it with: reg import \"" +
           backup + ".reg\"]\n",
       true},
      {"a control character is never stored away",
       {"--user", "--write"},
       {"C:\\Program Files\\Tools;C:\\Windows\r\n", StoredType::kExpandString, {}},
       nullptr,
       9,
       "C:\\Program Files\\Tools;C:\\Windows\r\n",
       "[the Path in " + user +
           " holds a control character (a line break, a tab), which no directory's name can"
           " hold: mend it by hand; nothing stored]\n",
       false},
      {"a Path that is no text is named by its type",
       {"--user"},
       {"", StoredType::kMultiString, {}},
       nullptr,
       3,
       "",
       "[the Path in " + user +
           " is REG_MULTI_SZ, which Windows does not read as a list;"
           " nothing done]\n",
       false},
      {"a NUL inside the text, counted in characters",
       {"--user", "--write"},
       {std::string("C:\\W\xC3\xA4ndows\0C:\\Program Files", 28), StoredType::kExpandString, {}},
       nullptr,
       3,
       std::string("C:\\W\xC3\xA4ndows\0C:\\Program Files", 28),
       "[the Path in " + user +
           " holds a NUL character after 10 characters, and Windows reads it only up to there;"
           " nothing done]\n",
       false},
      {"no Path stored",
       {"--user"},
       {},
       [](InMemoryEnvironmentStore& s, InMemoryEnvironment&) { s = InMemoryEnvironmentStore(); },
       3,
       "",
       "[no Path is stored in " + user + "]\n",
       false},
  };
  for (const auto& c : cases) {
    store = InMemoryEnvironmentStore();
    store.systemVariables = {{"SystemRoot", {"C:\\Windows", StoredType::kString, {}}}};
    env = InMemoryEnvironment();
    env.Set("LOCALAPPDATA", "C:\\Users\\me\\AppData\\Local");
    store.Set(Scope::kUser, "Path", c.value);
    store.Set(Scope::kUser, "Only", {"C:\\Windows", StoredType::kString, {}});
    if (c.fault) c.fault(store, env);
    // The backups: what else is kept (what entries were written for) is not.
    const auto backups = [](const std::map<std::string, std::string>& files) {
      std::map<std::string, std::string> reg;
      for (const auto& [path, bytes] : files) {
        if (path.size() > 4 && path.compare(path.size() - 4, 4, ".reg") == 0) reg[path] = bytes;
      }
      return reg;
    };
    const std::map<std::string, std::string> filesBefore = backups(store.files);
    std::vector<std::string> args = {"pathshrink"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, c.status) << c.name;
    // The new list only where the run succeeded: a script that ignores the
    // status must not take a list that was not stored for one that was.
    EXPECT_EQ(outcome.out.empty(), c.status != 0) << c.name << ": " << outcome.out;
    const std::optional<StoredValue> now = store.Get(Scope::kUser, "Path");
    EXPECT_EQ(now ? now->text : "", c.storedAfter) << c.name;
    // Changed meanwhile by someone else, it is theirs.
    if (now && c.status != 5) EXPECT_EQ(now->type, c.value.type) << c.name;
    // Where nothing was stored and no backup is left, the value is the one
    // read, to the byte.
    const auto bytesOf = [](const StoredValue& v) {
      return v.bytes.empty() ? StoredBytes(v.text) : v.bytes;
    };
    if (now && c.status != 0 && c.status != 5 && !c.backupKept) {
      EXPECT_EQ(bytesOf(*now), bytesOf(c.value)) << c.name;
    }
    const std::string& err = outcome.err;
    ASSERT_GE(err.size(), c.lines.size()) << c.name << "\n" << err;
    EXPECT_EQ(err.substr(err.size() - c.lines.size()), c.lines) << c.name;
    // A backup is left only where a value was stored (or could not be put
    // back), and holds exactly the bytes that were stored before.
    const std::map<std::string, std::string> filesAfter = backups(store.files);
    ASSERT_EQ(filesAfter.size(), filesBefore.size() + (c.backupKept ? 1 : 0)) << c.name;
    for (const auto& [path, bytes] : filesAfter) {
      if (filesBefore.count(path) != 0) {
        EXPECT_EQ(bytes, filesBefore.at(path)) << c.name << ": " << path << " overwritten";
        continue;
      }
      EXPECT_EQ(BackupData(bytes),
                c.value.bytes.empty() ? StoredBytes(c.value.text) : c.value.bytes)
          << c.name;
    }
    EXPECT_EQ(store.announcements, c.status == 0 && c.backupKept ? 1 : 0) << c.name;
  }

  // The machine's Path is expanded before the user's variables exist.
  store = InMemoryEnvironmentStore();
  store.systemVariables = {{"SystemRoot", {"C:\\Windows", StoredType::kString, {}}}};
  store.Set(Scope::kMachine, "Path", {"%Only%;%SystemRoot%", StoredType::kExpandString, {}});
  store.Set(Scope::kUser, "Only", {"C:\\Windows", StoredType::kString, {}});
  EXPECT_EQ(Run({"pathshrink", "--machine"}).out, "%Only%;%SystemRoot%\n");

  // --check says what --write does, status included, so that a pair that
  // remediates (write where the check says 1) never loops: 0 where the
  // write stores nothing, 1 where it stores, its refusal where it refuses.
  const std::string cut = "C:\\Program Files\\Tools;C:\\Windows;C:\\" + std::string(987, 'x');
  ASSERT_EQ(cut.size(), 1024u);
  for (const std::string& value :
       std::vector<std::string>{"C:\\Missing", ";", "C:\\Missing;;C:\\Gone", "C:\\Windows;C:\\a\tb",
                                "C:\\Program Files\\Tools;C:\\Missing", "C:\\Windows", cut}) {
    store = InMemoryEnvironmentStore();
    store.Set(Scope::kUser, "Path", {value, StoredType::kExpandString, {}});
    const Outcome check = Run({"pathshrink", "--user", "--check"});
    const int write = Run({"pathshrink", "--user", "--write"}).status;
    const bool stored = store.Get(Scope::kUser, "Path")->text != value;
    EXPECT_EQ(check.status, write != 0 ? write : stored ? 1 : 0) << value << "\n" << check.out;
    if (write != 0) {
      EXPECT_NE(check.out.find("; --write would store nothing: "), std::string::npos) << check.out;
    }
  }

  // A value setx cut (1,024 characters, its last entry no folder) is said
  // to be, with the longer backups of its scope, newest first; it is
  // stored over only when --write is told twice. One character more or
  // less, or a last entry that is a folder, is no such mark.
  store = InMemoryEnvironmentStore();
  env.Set("LOCALAPPDATA", "C:\\Users\\me\\AppData\\Local");
  const std::string backups = "C:\\Users\\me\\AppData\\Local\\pathshrink\\backups\\";
  for (const auto& [name, length] : std::vector<std::pair<std::string, std::size_t>>{
           {"Path-user-20261201-100000.reg", 2000},
           {"Path-user-20261205-100000.reg", 1500},
           {"Path-user-20261205-100000-2.reg", 1025},
           {"Path-user-20261206-100000.reg", 1024},
           {"Path-machine-20261207-100000.reg", 3000}}) {
    store.files[backups + name] = RegistryBackup(
        name.find("machine") != std::string::npos ? Scope::kMachine : Scope::kUser, "Path",
        {"C:\\" + std::string(length - 3, 'y'), StoredType::kExpandString, {}});
  }
  store.Set(Scope::kUser, "Path", {cut, StoredType::kExpandString, {}});
  const std::string mark =
      "[the stored Path is exactly 1024 characters and its last entry, 'C:\\" +
      std::string(987, 'x') +
      "', names no folder: the mark of setx, which cuts what it stores at 1024 characters "
      "without a word; backups held here that are longer, newest first: '" +
      backups + "Path-user-20261205-100000-2.reg', '" + backups +
      "Path-user-20261205-100000.reg', '" + backups + "Path-user-20261201-100000.reg']\n";
  const Outcome seen = Run({"pathshrink", "--user"});
  EXPECT_NE(seen.err.find(mark), std::string::npos) << seen.err;
  EXPECT_EQ(Run({"pathshrink", "--user", "--write"}).status, kExitCutBySetx);
  EXPECT_EQ(store.Get(Scope::kUser, "Path")->text, cut);
  EXPECT_EQ(store.files.size(), 5u);  // no backup kept of a value not stored over
  EXPECT_EQ(Run({"pathshrink", "--user", "--write", "--force"}).status, 0);
  EXPECT_EQ(store.Get(Scope::kUser, "Path")->text, "C:\\PROGRA~1\\Tools;C:\\Windows");
  for (const std::string& other : {cut + "x", cut.substr(0, 1023),
                                   "C:\\Windows;C:\\" + std::string(1012, 'x') + ";C:\\Windows"}) {
    store.Set(Scope::kUser, "Path", {other, StoredType::kExpandString, {}});
    EXPECT_EQ(Run({"pathshrink", "--user"}).err.find("the mark of setx"), std::string::npos)
        << other.size();
  }

  // A list that cannot be written after the value was stored: said so.
  store = InMemoryEnvironmentStore();
  store.Set(Scope::kUser, "Path", {"C:\\Program Files\\Tools", StoredType::kExpandString, {}});
  std::ostream broken(nullptr);
  const Outcome lost = Run({"pathshrink", "--user", "--write"}, broken);
  EXPECT_EQ(lost.status, 2);
  EXPECT_EQ(store.Get(Scope::kUser, "Path")->text, "C:\\PROGRA~1\\Tools");
  EXPECT_NE(
      lost.err.find("[can't write standard output]\n[the new Path was stored all the same]\n"),
      std::string::npos);
}

// What a device-management engine reads: --check's status and line, and
// the --json report, valid against its schema.
TEST_F(RunPathShrinkTest, ChecksAndReportsForTheFleet) {
  fs.AddDirectory("C:\\Users\\Some Long Name\\bin", "C:\\Users\\SOMELO~1\\bin");
  env.Set("USERPROFILE", "C:\\Users\\Some Long Name");
  env.Set("USERNAME", "someone");
  const struct {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string out;  // the start of standard output
  } cases[] = {
      {"in the desired state",
       {"--check", "C:\\PROGRA~1\\Tools;C:\\Windows"},
       0,
       "pathshrink: in the desired state: 28 characters; 2 entries, 0 missing"},
      {"not",
       {"C:\\Program Files\\Tools;C:\\Windows;C:\\Missing;C:\\Windows", "--check"},
       1,
       "pathshrink: not in the desired state: 55 characters, 28 after; 4 entries, 1 missing, 1 "
       "repeated, 0 with control characters, 1 to shorten, 0 unchecked\n"},
      {"within the target: as given, and said what it holds",
       {"--check", "--target", "100", "C:\\Windows;C:\\Missing"},
       0,
       "pathshrink: in the desired state: 21 characters; 2 entries, 1 missing, 0 repeated"},
      {"an empty list has no entries",
       {"--check", ""},
       0,
       "pathshrink: in the desired state: 0 characters; 0 entries, 0 missing"},
      {"a stored Path that cannot be read", {"--check", "--user"}, 3, ""},
      {"a JSON report of a stored Path that cannot be read",
       {"--json", "--user"},
       3,
       "{\"schemaVersion\":1,"},
      {"an argument not understood, before --check", {"--bogus", "--check", "C:\\Windows"}, 10, ""},
      {"an argument not understood, after it", {"--check", "C:\\Windows", "-J", "x"}, 10, ""},
      {"a variable that is not set", {"--check", "--env", "NOPE"}, 10, ""},
      {"no list", {"--check"}, 10, ""},
      {"nothing to store with", {"--check", "--user", "--write"}, 10, ""},
      {"redacted",
       {"--check", "--redact", "C:\\Users\\Some Long Name\\bin;C:\\Users\\someone"},
       1,
       "pathshrink: not in the desired state"},
      {"a JSON report",
       {"--json", "--redact",
        std::string("C:\\Program Files\\Tools\\;\"C:\\Nope;C:\\x\";C:\\Missing;C:\\Windows;") +
            "c:\\windows;C:\\Users\\Some Long Name\\bin;C:\\Windows\r\n;bin",
        "-j", "C:\\pf"},
       0,
       "{\"schemaVersion\":1,"},
  };
  for (const auto& c : cases) {
    store = InMemoryEnvironmentStore();
    std::vector<std::string> args = {"pathshrink"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, c.status) << c.name << "\n" << outcome.err;
    EXPECT_EQ(outcome.out.substr(0, c.out.size()), c.out) << c.name;
    if (c.out.empty()) EXPECT_EQ(outcome.out, "") << c.name;
    if (std::find(args.begin(), args.end(), "--redact") != args.end()) {
      for (const char* named : {"Some Long Name", "SOMELO~1", "someone"}) {
        EXPECT_EQ(outcome.out.find(named), std::string::npos) << c.name << ": " << named;
        EXPECT_EQ(outcome.err.find(named), std::string::npos) << c.name << ": " << named;
      }
    }
    if (std::find(args.begin(), args.end(), "--json") == args.end()) continue;
#ifndef _WIN32
    EXPECT_EQ(testing::SchemaProblems(outcome.out), "") << outcome.out;
#endif
    if (c.status != 0) {
      EXPECT_NE(outcome.out.find("\"exitStatus\":3,\"error\":\"no Path is stored in "
                                 "HKEY_CURRENT_USER\\\\Environment\"}\n"),
                std::string::npos)
          << outcome.out;
      continue;
    }
    for (const char* record :
         {"{\"index\":0,\"given\":\"C:\\\\Program "
          "Files\\\\Tools\\\\\",\"written\":\"C:\\\\pf\\\\Tools\","
          "\"outcome\":\"junction\",\"reason\":\"junction C:\\\\pf\",\"saving\":12,\"why\":null,"
          "\"junction\":\"C:\\\\pf\",\"repeatOf\":null,"
          "\"userChangeable\":null,\"writtenFor\":null}",
          "\"written\":\"\\\"C:\\\\Nope;C:\\\\x\\\"\",\"outcome\":\"unchecked\"",
          "{\"index\":4,\"given\":\"c:\\\\windows\",\"written\":null,\"outcome\":\"repeat\","
          "\"reason\":\"repeat of "
          "#4\",\"saving\":11,\"why\":null,\"junction\":null,\"repeatOf\":3,\"userChangeable\":"
          "null,\"writtenFor\":"
          "null}",
          "\"outcome\":\"missing\"",
          "\"given\":\"<user-profile>\\\\bin\",\"written\":\"<user-profile>"
          "\\\\bin\",\"outcome\":\"shortForm\"",
          "\"given\":\"C:\\\\Windows\\u000d\\u000a\",\"written\":null,"
          "\"outcome\":\"controlCharacters\"",
          "\"given\":\"bin\",\"written\":\"bin\",\"outcome\":\"unchecked\""}) {
      EXPECT_NE(outcome.out.find(record), std::string::npos) << record << "\n" << outcome.out;
    }
  }

  // Stored and redacted: the undo line names the backup through the mark,
  // which no one can run as printed, and says so.
  store = InMemoryEnvironmentStore();
  env.Set("LOCALAPPDATA", "C:\\Users\\Some Long Name\\AppData\\Local");
  store.Set(Scope::kUser, "Path", {"C:\\Program Files\\Tools", StoredType::kExpandString, {}});
  const Outcome stored = Run({"pathshrink", "--user", "--write", "--explain", "--redact"});
  EXPECT_EQ(stored.status, 0) << stored.err;
  const std::size_t undo =
      stored.err.find("To undo: reg import \"<user-profile>\\AppData\\Local\\pathshrink\\");
  ASSERT_NE(undo, std::string::npos) << stored.err;
  const std::size_t end = stored.err.find(".reg\"", undo);
  EXPECT_EQ(stored.err.substr(end, stored.err.find('\n', end) - end),
            ".reg\" (redacted: run it with your profile folder, %USERPROFILE%, in place of "
            "<user-profile>)");

  // References already as short as they get are nothing to shorten.
  store = InMemoryEnvironmentStore();
  store.systemVariables = {{"SystemRoot", {"C:\\Windows", StoredType::kString, {}}}};
  store.Set(Scope::kUser, "Path", {"%SystemRoot%", StoredType::kExpandString, {}});
  EXPECT_EQ(
      Run({"pathshrink", "--check", "--user"}).out,
      "pathshrink: in the desired state: 12 characters; 1 entry, 0 missing, 0 repeated, 0 "
      "with control characters, 0 to shorten, 0 unchecked, 0 drifted; a new window's PATH (the "
      "machine's Path, then the user's): 10 characters before, 10 after\n");

  // --explain tells what --json tells, row by row: what each entry becomes
  // (null there, "(left out)" here) and, for a repeat, which entry it
  // repeats. A window wide enough that no text wraps.
  columns = 400;
  const auto jsonEntries = [](const std::string& json) {
    std::vector<std::pair<std::string, std::string>> entries;  // written (or null), outcome
    for (std::size_t at = json.find("{\"index\":"); at != std::string::npos;
         at = json.find("{\"index\":", at + 1)) {
      std::size_t w = json.find("\"written\":", at) + 10;
      std::string written;
      if (json.compare(w, 4, "null") == 0) {
        written = "(left out)";
      } else {
        for (++w; json[w] != '"'; ++w) {
          if (json[w] == '\\') ++w;  // the lists here hold no \u escapes
          written += json[w];
        }
      }
      const std::size_t o = json.find("\"outcome\":\"", at) + 11;
      entries.emplace_back(written, json.substr(o, json.find('"', o) - o));
    }
    return entries;
  };
  for (const std::vector<std::string>& explained : std::vector<std::vector<std::string>>{
           {"C:\\Program Files\\Tools;C:\\Missing;C:\\PROGRA~1\\Tools;C:\\Windows"},
           {"C:\\Program Files\\Tools\\;c:\\windows;C:\\Windows\r\n;bin;C:\\Windows", "-j",
            "C:\\pf"},
           {"C:\\Program Files\\Tools;C:\\Missing", "--target", "100"},
           {"C:\\Users\\Some Long Name\\bin;C:\\Windows", "--redact"}}) {
    std::vector<std::string> args = {"pathshrink"};
    args.insert(args.end(), explained.begin(), explained.end());
    args.push_back("--json");
    const Outcome json = Run(args);
    args.back() = "--explain";
    const Outcome table = Run(args);
    ASSERT_EQ(table.status, json.status) << explained[0];
#ifndef _WIN32
    EXPECT_EQ(testing::SchemaProblems(json.out), "") << json.out;
#endif
    const auto entries = jsonEntries(json.out);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < table.out.size();) {
      const std::size_t end = table.out.find('\n', at);
      lines.push_back(table.out.substr(at, end - at));
      at = end + 1;
    }
    // The header, a line for each entry, the total.
    ASSERT_EQ(lines.size(), entries.size() + 2) << table.out;
    const std::size_t becomesAt = lines[0].find("becomes");
    const std::size_t whyAt = lines[0].find("why");
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::string& line = lines[i + 1];
      std::string becomes = line.substr(becomesAt, whyAt - becomesAt);
      becomes.erase(becomes.find_last_not_of(' ') + 1);
      EXPECT_EQ(becomes, entries[i].first) << explained[0] << " #" << i + 1;
      const std::string why = line.substr(whyAt);
      if (entries[i].second == "repeat") {
        EXPECT_EQ(why.rfind("repeat of #", 0), 0u) << line;
      } else if (entries[i].second == "missing") {
        EXPECT_EQ(why.rfind("not there", 0), 0u) << line;
      } else if (entries[i].second == "asGiven") {
        // Under a target, written as given says nothing of shorter forms.
        const bool targeted =
            std::find(explained.begin(), explained.end(), "--target") != explained.end();
        EXPECT_EQ(why.rfind(targeted ? "as given: the target" : "as short as it gets", 0), 0u)
            << line;
      }
    }
    EXPECT_NE(lines.back().find("before " + std::to_string(explained[0].size())), std::string::npos)
        << lines.back();
  }
  // Columns stay in line by what a terminal shows: a CJK character takes
  // two columns (three bytes), a combining mark none (two bytes), so the
  // left-out entry's "becomes" stands 5 bytes further right than its column.
  const Outcome wide = Run({"pathshrink", "--explain",
                            "C:\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"
                            "e\xCC\x81;C:\\Windows"});
  std::vector<std::string> wideLines;
  for (std::size_t at = 0; at < wide.out.size();) {
    const std::size_t end = wide.out.find('\n', at);
    wideLines.push_back(wide.out.substr(at, end - at));
    at = end + 1;
  }
  ASSERT_EQ(wideLines.size(), 4u) << wide.out;
  const std::size_t windowsBecomes = wideLines[2].find("C:\\Windows", 8);
  EXPECT_EQ(wideLines[1].find("(left out)"), windowsBecomes + 5) << wide.out;
  // Ten thousand rows: '#' as wide as the last one's number.
  std::string many;
  for (int i = 0; i < 10000; ++i) many += "C:\\Windows;";
  const Outcome rows = Run({"pathshrink", "--explain", many});
  EXPECT_EQ(rows.out.rfind("    #  entry", 0), 0u) << rows.out.substr(0, 200);
  EXPECT_NE(rows.out.find("\n10000  C:\\Windows "), std::string::npos);
  columns = 0;
  // Each row whole, in a window of 100 columns: what it saves (a ';' with
  // what is left out) and why, word for word, adding up to the total.
  EXPECT_EQ(
      Run({"pathshrink", "--explain",
           "C:\\Program Files\\Tools;C:\\Missing;C:\\Windows;C:\\PROGRA~1\\Tools"})
          .out,
      "   #  entry                          becomes                   why                          "
      "   saves\n"
      "   1  C:\\Program Files\\Tools         C:\\PROGRA~1\\Tools         short name           "
      "               5\n"
      "   2  C:\\Missing                     (left out)                not there                   "
      " "
      "      11\n"
      "   3  C:\\Windows                     C:\\Windows                as short as it gets        "
      "  "
      "       0\n"
      "   4  C:\\PROGRA~1\\Tools              (left out)                repeat of #1               "
      "  "
      "      18\n"
      "      total                          before 62, after 28       characters, as Windows "
      "counts "
      "     34\n");

  // A volume that answers a short name which leads to another folder: the
  // entry is kept as given, and said so; the others are proved.
  fs.AddDirectory("C:\\Other Folder", "C:\\OTHER~1");  // the name opens this one
  fs.AddDirectory("C:\\Lying Folder", "C:\\OTHER~1");
  const std::string lied = "C:\\Lying Folder;C:\\Program Files\\Tools";
  const Outcome kept = Run({"pathshrink", lied});
  EXPECT_EQ(kept.out, "C:\\Lying Folder;C:\\PROGRA~1\\Tools\n");
  EXPECT_EQ(kept.err.substr(0, kept.err.find('\n') + 1),
            "[entry 'C:\\Lying Folder' kept as given: 'C:\\OTHER~1' would not lead to the same "
            "folder]\n");
  const Outcome proof = Run({"pathshrink", "--json", lied});
  EXPECT_NE(proof.out.find("\"given\":\"C:\\\\Lying Folder\",\"written\":\"C:\\\\Lying "
                           "Folder\",\"outcome\":\"unproven\""),
            std::string::npos)
      << proof.out;
  EXPECT_NE(proof.out.find("\"proved\":1,"), std::string::npos) << proof.out;
#ifndef _WIN32
  EXPECT_EQ(testing::SchemaProblems(proof.out), "") << proof.out;
#endif
  // A short name that opens nothing, one after a junction that leads to
  // another folder, and an entry kept as given comes back byte for byte
  // (its quotes and trailing separator too).
  fs.AddDirectory("C:\\Ghost Folder", "C:\\GHOST~1");
  fs.AddUncheckable("C:\\GHOST~1", Unresolved::kUnreachable);
  fs.AddDirectory("C:\\Program Files\\Other Tools", "C:\\PROGRA~1\\OTHERT~1");
  fs.AddDirectory("C:\\Program Files\\Lying Tools", "C:\\PROGRA~1\\OTHERT~1");
  for (const auto& [list, out, line] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {"C:\\Ghost Folder", "C:\\Ghost Folder", "'C:\\GHOST~1'"},
           {"C:\\Program Files\\Lying Tools", "C:\\Program Files\\Lying Tools",
            "'C:\\pf\\OTHERT~1'"},
           {"\"C:\\Lying Folder\\\"", "\"C:\\Lying Folder\\\"", "'C:\\OTHER~1'"}}) {
    const Outcome unproven = Run({"pathshrink", list, "-j", "C:\\pf"});
    EXPECT_EQ(unproven.out, out + "\n") << list;
    std::string said = "[entry '" + list;
    said.append("' kept as given: ").append(line).append(" would not lead to the same folder]\n");
    EXPECT_NE(unproven.err.find(said), std::string::npos) << unproven.err;
  }
  // An entry that follows a variable of the user's is proved too, expanded
  // as the logon will: spelled short after its reference, it would open
  // the other folder, so it stays as given, and the other one is proved.
  store = InMemoryEnvironmentStore();
  store.Set(Scope::kUser, "TOOLHOME", {"C:", StoredType::kString, {}});
  store.Set(
      Scope::kUser, "Path",
      {"%TOOLHOME%\\Lying Folder;%TOOLHOME%\\Program Files\\Tools", StoredType::kExpandString, {}});
  const Outcome followed = Run({"pathshrink", "--user", "--json"});
  EXPECT_NE(followed.out.find("\"given\":\"%TOOLHOME%\\\\Lying Folder\",\"written\":\"%TOOLHOME%"
                              "\\\\Lying Folder\",\"outcome\":\"unproven\""),
            std::string::npos)
      << followed.out;
  EXPECT_NE(followed.out.find("\"written\":\"%TOOLHOME%\\\\PROGRA~1\\\\Tools\""), std::string::npos)
      << followed.out;
  EXPECT_NE(followed.out.find("\"proved\":1,"), std::string::npos) << followed.out;

  // A Path that an engine lengthens again (an installer adds the long
  // spelling) comes back to the same fixed point.
  store = InMemoryEnvironmentStore();
  env.Set("LOCALAPPDATA", "C:\\Users\\me\\AppData\\Local");
  store.Set(
      Scope::kUser, "Path",
      {"C:\\PROGRA~1\\Tools;C:\\Windows;C:\\Program Files\\Tools", StoredType::kExpandString, {}});
  EXPECT_EQ(Run({"pathshrink", "--user", "--check"}).status, 1);
  EXPECT_EQ(Run({"pathshrink", "--user", "--write"}).status, 0);
  EXPECT_EQ(store.Get(Scope::kUser, "Path")->text, "C:\\PROGRA~1\\Tools;C:\\Windows");
  EXPECT_EQ(Run({"pathshrink", "--user", "--check"}).status, 0);
  const Outcome again = Run({"pathshrink", "--user", "--write", "--json"});
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.out.find("\"stored\":false,\"_inDesiredState\":true"), std::string::npos)
      << again.out;

  // An answer that cannot be written is no answer.
  std::ostream broken(nullptr);
  EXPECT_EQ(Run({"pathshrink", "--check", "C:\\Windows"}, broken).status, 2);
}

// Every process searches the machine's Path: nothing in it runs through a
// folder that users other than administrators can change.
TEST_F(RunPathShrinkTest, TheMachinesPathRunsThroughNoFolderUsersCanChange) {
  OrdinaryUserRights makeFolders;
  makeFolders.addFolders = true;  // as in a drive's root
  fs.SetRightsOfOrdinaryUsers("C:\\", makeFolders);
  OrdinaryUserRights modify;
  modify.addFiles = modify.addFolders = modify.deleteChildren = modify.replaceItself = true;
  fs.SetRightsOfOrdinaryUsers("C:\\pf", modify);  // made in the root: it inherits Modify
  fs.AddDirectory("C:\\Users\\Public\\bin", "C:\\Users\\Public\\bin");
  fs.SetRightsOfOrdinaryUsers("C:\\Users\\Public", modify);
  fs.AddDirectory("D:\\Safe Tools", "D:\\SAFETO~1");  // a root where users may not make folders
  const std::string list = "C:\\Program Files\\Tools;C:\\Users\\Public\\bin;D:\\Safe Tools";
  const struct {
    const char* scope;
    std::string out;
    std::string lines;
  } cases[] = {
      {"--machine", "C:\\Program Files\\Tools;C:\\Users\\Public\\bin;D:\\SAFETO~1\n",
       "[junction 'C:\\pf' not used for the machine's Path: users other than administrators can "
       "change 'C:\\pf']\n"
       "[entry 'C:\\Users\\Public\\bin' lies in 'C:\\Users\\Public', which users other than "
       "administrators can change: a program put there runs for every user; kept]\n"
       "[short name 'PROGRA~1' not used for the machine's Path: users other than administrators "
       "can make folders in 'C:\\']\n"
       "[a new window's PATH (the machine's Path, then the user's): 56 characters before, 54 "
       "after]\n"},
      {"--user", "C:\\pf\\Tools;C:\\Users\\Public\\bin;D:\\SAFETO~1\n",
       "[a new window's PATH (the machine's Path, then the user's): 56 characters before, 43 "
       "after]\n"},
  };
  for (const auto& c : cases) {
    store = InMemoryEnvironmentStore();
    store.Set(std::string(c.scope) == "--user" ? Scope::kUser : Scope::kMachine, "Path",
              {list, StoredType::kExpandString, {}});
    const Outcome outcome = Run({"pathshrink", c.scope, "-j", "C:\\pf"});
    EXPECT_EQ(outcome.status, 0) << c.scope;
    EXPECT_EQ(outcome.out, c.out) << c.scope;
    EXPECT_EQ(outcome.err, c.lines + ExpectedReport(list, c.out.substr(0, c.out.size() - 1)))
        << c.scope;
  }
  store.Set(Scope::kMachine, "Path", {list, StoredType::kExpandString, {}});
  const Outcome json = Run({"pathshrink", "--machine", "--json", "-j", "C:\\pf"});
  EXPECT_NE(json.out.find("\"userChangeable\":\"C:\\\\Users\\\\Public\""), std::string::npos)
      << json.out;
  // A folder where they may add files and nothing else: a program put
  // there runs for every user all the same.
  OrdinaryUserRights addFiles;
  addFiles.addFiles = true;
  fs.AddDirectory("D:\\Drop", "D:\\Drop");
  fs.SetRightsOfOrdinaryUsers("D:\\Drop", addFiles);
  store.Set(Scope::kMachine, "Path", {"D:\\Drop", StoredType::kExpandString, {}});
  EXPECT_NE(Run({"pathshrink", "--machine"})
                .err.find("[entry 'D:\\Drop' lies in 'D:\\Drop', which users other than "
                          "administrators can change: a program put there runs for every user; "
                          "kept]\n"),
            std::string::npos);

  // Links for the machine's Path go in a folder the script first makes
  // with rights only administrators and SYSTEM can change.
  store = InMemoryEnvironmentStore();
  store.systemVariables = {{"SystemDrive", {"C:", StoredType::kString, {}}}};
  fs.AddDirectory("C:\\l", "C:\\l");  // taken: the folder is C:\l2
  const std::string vendor = "D:\\Safe Tools\\A Rather Long Vendor Name";
  fs.AddDirectory(vendor + "\\One", "D:\\SAFETO~1\\ARATHE~1\\One");
  fs.AddDirectory(vendor + "\\Two", "D:\\SAFETO~1\\ARATHE~1\\Two");
  store.Set(Scope::kMachine, "Path",
            {vendor + "\\One;" + vendor + "\\Two", StoredType::kExpandString, {}});
  const Outcome script = Run({"pathshrink", "--machine", "--suggest"});
  EXPECT_EQ(script.status, 0) << script.err;
  const std::string made =
      "if exist C:\\l2 (echo C:\\l2 is there already, and may not be only administrators'; "
      "nothing made& exit /b 1)\n"
      "mkdir C:\\l2 || exit /b 1\n"
      "icacls C:\\l2 /setowner *S-1-5-32-544 || exit /b 1\n"
      "icacls C:\\l2 /reset || exit /b 1\n"
      "icacls C:\\l2 /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F "
      "*S-1-5-32-545:(OI)(CI)RX *S-1-5-11:(OI)(CI)RX || exit /b 1\n"
      "dir /a /b C:\\l2 2>nul | findstr \"^\" >nul && (echo C:\\l2 is not empty: someone put "
      "something in it; nothing linked& exit /b 1)\n"
      "mklink /J C:\\l2\\a \"D:\\Safe Tools\\A Rather Long Vendor Name\"\n";
  EXPECT_NE(script.out.find(made), std::string::npos) << script.out << script.err;
  // A system drive that is not there holds no folder for them: said, not
  // looked for without end.
  store.systemVariables = {{"SystemDrive", {"Q:", StoredType::kString, {}}}};
  const Outcome noDrive = Run({"pathshrink", "--machine", "--suggest"});
  EXPECT_EQ(noDrive.status, 1);
  EXPECT_EQ(noDrive.out, "");
  EXPECT_NE(noDrive.err.find("[no folder for the machine's links can be made in the root of the "
                             "system drive 'Q:'"),
            std::string::npos)
      << noDrive.err;
  store.systemVariables = {{"SystemDrive", {"C:", StoredType::kString, {}}}};
  // A folder named for them that users can change is refused.
  const Outcome refused =
      Run({"pathshrink", "--machine", "--suggest", "--junctions-in", "C:\\Users\\Public"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
}

// --target rewrites only what it takes, what lasts first; the profile's
// variables write a user's stored Path in a form that lasts.
TEST_F(RunPathShrinkTest, NoShorterThanNeededAndFormsThatLast) {
  fs.AddDirectory("C:\\Program Files\\Tools\\Long Folder Name", "C:\\PROGRA~1\\Tools\\LONGFO~1");
  fs.AddDirectory("C:\\Users\\me\\AppData\\Local\\Programs\\Tool Folder",
                  "C:\\Users\\me\\AppData\\Local\\Programs\\TOOLFO~1");
  const std::string tools = "C:\\Program Files\\Tools";
  const std::string list = tools + ";" + tools + "\\Long Folder Name;C:\\Missing;C:\\Windows";
  const std::string local = "C:\\Users\\me\\AppData\\Local\\Programs\\Tool Folder";
  const struct {
    const char* name;
    std::vector<std::string> args;  // "L" stands for the list
    std::string out;
    std::string line;  // before the report
  } cases[] = {
      {"a list within the target comes back as given", {"--target", "100", "L"}, list, ""},
      {"exactly as long as the target is within it",
       {"--target", std::to_string(list.size()), "L"},
       list,
       ""},
      {"one longer: what is not there goes first",
       {"--target", std::to_string(list.size() - 1), "L"},
       tools + ";" + tools + "\\Long Folder Name;C:\\Windows",
       ""},
      {"the largest target", {"--target", "32766", "L"}, list, ""},
      {"one rewrite, the one that saves most",
       {"--target", "70", "L"},
       tools + ";C:\\PROGRA~1\\Tools\\LONGFO~1;C:\\Windows",
       ""},
      {"one rewrite that lands on the target exactly: no more",
       {"--target", "60", "L"},
       tools + ";C:\\PROGRA~1\\Tools\\LONGFO~1;C:\\Windows",
       ""},
      {"two",
       {"--target", "56", "L"},
       "C:\\PROGRA~1\\Tools;C:\\PROGRA~1\\Tools\\LONGFO~1;C:\\Windows",
       ""},
      {"junctions after short names",
       {"--target", "40", "L", "-j", "C:\\tl"},
       "C:\\tl;C:\\tl\\LONGFO~1;C:\\Windows",
       ""},
      {"out of reach: the shortest list, and how far",
       {"L", "--target", "10", "-j", "C:\\tl"},
       "C:\\tl;C:\\tl\\LONGFO~1;C:\\Windows",
       "[the new list is 31 characters long, 21 more than the target 10: it is as short as the "
       "tool writes it]\n"},
      {"not a length", {"L", "--target", "x"}, "", ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"pathshrink"};
    for (const std::string& arg : c.args) args.push_back(arg == "L" ? list : arg);
    const Outcome outcome = Run(args);
    if (c.out.empty()) {
      EXPECT_EQ(outcome.status, 1) << c.name;
      continue;
    }
    EXPECT_EQ(outcome.status, 0) << c.name;
    EXPECT_EQ(outcome.out, c.out + "\n") << c.name;
    const std::string missing = c.out == list ? "" : "[invalid entry 'C:\\Missing']\n";
    EXPECT_EQ(outcome.err, missing + c.line + ExpectedReport(list, c.out)) << c.name;
  }
  // An entry a junction could shorten, left as given because the target
  // is reached without it, is no junction entry.
  const std::string notJunction =
      Run({"pathshrink", "--json", "--target", "60", list, "-j", "C:\\tl"}).out;
  EXPECT_NE(notJunction.find(
                "\"given\":\"C:\\\\Program Files\\\\Tools\",\"written\":\"C:\\\\Program "
                "Files\\\\Tools\",\"outcome\":\"asGiven\",\"reason\":\"as given: the target needs "
                "it no shorter\""),
            std::string::npos)
      << notJunction;
  // Within the target all the same, an entry with a line feed is left out:
  // standard output is one line.
  const std::string split = "C:\\Windows;C:\\a\nb";
  const Outcome lineFeed = Run({"pathshrink", "--target", "100", split});
  EXPECT_EQ(lineFeed.out, "C:\\Windows\n");
  EXPECT_EQ(lineFeed.err.substr(0, lineFeed.err.find('\n') + 1),
            "[entry 'C:\\a\\nb' holds a control character, which no directory's name can hold; "
            "left out]\n");

  // The profile's variables: in a user's Path stored as REG_EXPAND_SZ only,
  // and first under --target, though a short name saves more.
  const std::string both = local + ";" + tools + "\\Long Folder Name";
  const struct {
    const char* name;
    Scope scope;
    StoredType type;
    std::vector<std::string> args;
    std::string out;
  } stored[] = {
      {"the user's REG_EXPAND_SZ",
       Scope::kUser,
       StoredType::kExpandString,
       {"--user"},
       "%LOCALAPPDATA%\\Programs\\TOOLFO~1;C:\\PROGRA~1\\Tools\\LONGFO~1"},
      {"lasting first",
       Scope::kUser,
       StoredType::kExpandString,
       {"--user", "--target", "80"},
       "%LOCALAPPDATA%\\Programs\\TOOLFO~1;" + tools + "\\Long Folder Name"},
      {"never in REG_SZ",
       Scope::kUser,
       StoredType::kString,
       {"--user"},
       "C:\\Users\\me\\AppData\\Local\\Programs\\TOOLFO~1;C:\\PROGRA~1\\Tools\\LONGFO~1"},
      {"never in the machine's Path",
       Scope::kMachine,
       StoredType::kExpandString,
       {"--machine"},
       "C:\\Users\\me\\AppData\\Local\\Programs\\TOOLFO~1;C:\\PROGRA~1\\Tools\\LONGFO~1"},
  };
  for (const auto& c : stored) {
    store = InMemoryEnvironmentStore();
    store.Set(Scope::kProfile, "LOCALAPPDATA",
              {"C:\\Users\\me\\AppData\\Local", StoredType::kString, {}});
    store.Set(c.scope, "Path", {both, c.type, {}});
    std::vector<std::string> args = {"pathshrink"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(Run(args).out, c.out + "\n") << c.name;
  }
  // Only below the variable's folder, and only where shorter.
  fs.AddDirectory("C:\\Users\\me\\AppData\\Local2\\Tool Folder",
                  "C:\\Users\\me\\AppData\\LOCAL2~1\\TOOLFO~1");
  fs.AddDirectory("C:\\L\\Tool Folder", "C:\\L\\TOOLFO~1");
  // Folders whose short form is as long as "%LOCALAPPDATA%", or one or two
  // shorter.
  fs.AddDirectory("C:\\Folder Tie Long\\x", "C:\\ABCDEFGHIJK\\x");
  fs.AddDirectory("C:\\Folder One Long\\x", "C:\\ABCDEFGHIJ\\x");
  fs.AddDirectory("C:\\Folder Two Long\\x", "C:\\ABCDEFGHI\\x");
  fs.AddDirectory("C:\\Users\\Some Long User\\AppData\\Local\\Temp\\Tool Folder",
                  "C:\\Users\\SOMELO~1\\AppData\\Local\\Temp\\TOOLFO~1");
  for (const auto& [folder, entry, written] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {"C:\\Users\\me\\AppData\\Local", "C:\\Users\\me\\AppData\\Local2\\Tool Folder",
            "C:\\Users\\me\\AppData\\Local2\\TOOLFO~1"},
           {"C:\\L", "C:\\L\\Tool Folder", "C:\\L\\TOOLFO~1"},
           {"C:\\Folder Tie Long", "C:\\Folder Tie Long\\x", "C:\\ABCDEFGHIJK\\x"},
           {"C:\\Folder One Long", "C:\\Folder One Long\\x", "C:\\ABCDEFGHIJ\\x"},
           {"C:\\Folder Two Long", "C:\\Folder Two Long\\x", "C:\\ABCDEFGHI\\x"},
           // Spelled through the profile's short name, as %TEMP% is.
           {"C:\\Users\\Some Long User\\AppData\\Local",
            "C:\\Users\\SOMELO~1\\AppData\\Local\\Temp\\Tool Folder",
            "%LOCALAPPDATA%\\Temp\\TOOLFO~1"},
           {"C:\\Users\\SOMELO~1\\AppData\\Local",
            "C:\\Users\\Some Long User\\AppData\\Local\\Temp\\Tool Folder",
            "%LOCALAPPDATA%\\Temp\\TOOLFO~1"}}) {
    store = InMemoryEnvironmentStore();
    store.Set(Scope::kProfile, "LOCALAPPDATA", {folder, StoredType::kString, {}});
    store.Set(Scope::kUser, "Path", {entry, StoredType::kExpandString, {}});
    EXPECT_EQ(Run({"pathshrink", "--user"}).out, written + "\n") << entry;
  }
  env.Set("LOCALAPPDATA", "C:\\Users\\me\\AppData\\Local");
  EXPECT_EQ(Run({"pathshrink", local}).out, "C:\\Users\\me\\AppData\\Local\\Programs\\TOOLFO~1\n");

  // Short names that may not last are said, and rewritten last.
  fs.AddDirectory("C:\\Program Files\\Microsoft Office", "C:\\PROGRA~1\\MICROS~1");
  fs.AddDirectory("C:\\Program Files\\Microsoft VS Code", "C:\\PROGRA~1\\MICROS~2");
  fs.SetMakesShortNames("C:\\", false);
  const std::string code = "C:\\Program Files\\Microsoft VS Code";
  const std::string fragileList = code + ";" + tools + "\\Long Folder Name";
  const Outcome fragile = Run({"pathshrink", fragileList});
  EXPECT_EQ(fragile.out, "C:\\PROGRA~1\\MICROS~2;C:\\PROGRA~1\\Tools\\LONGFO~1\n");
  EXPECT_EQ(fragile.err,
            "[short name 'MICROS~2' in 'C:\\Program Files' shares its stem with another: after a "
            "reinstall it may name another folder]\n"
            "[the volume 'C:\\' makes no short names for folders made from now on: they will have "
            "none, and a short name written here lasts only while its folder keeps it]\n" +
                ExpectedReport(fragileList, fragile.out.substr(0, fragile.out.size() - 1)));
  EXPECT_EQ(Run({"pathshrink", "--target", "62", fragileList}).out,
            code + ";C:\\PROGRA~1\\Tools\\LONGFO~1\n");

  // Folders with no short name stay long: on a volume that cannot tell,
  // judged from names that need one (said once for the volume); on one
  // that makes them, the folder was made without. Each has its own reason.
  fs.AddDirectory("D:\\Dev Tools\\Long Folder Name", "D:\\Dev Tools\\Long Folder Name");
  fs.AddDirectory("D:\\Dev Tools\\Other Long Folder", "D:\\Dev Tools\\Other Long Folder");
  fs.AddDirectory("D:\\bin", "D:\\bin");
  fs.AddDirectory("E:\\Made Without\\bin", "E:\\Made Without\\bin");
  fs.SetMakesShortNames("E:\\", true);
  const std::string longList =
      "D:\\Dev Tools\\Long Folder Name;D:\\bin;D:\\Dev Tools\\Other Long Folder;"
      "E:\\Made Without\\bin";
  const Outcome stayLong = Run({"pathshrink", longList});
  EXPECT_EQ(stayLong.out, longList + "\n");
  EXPECT_EQ(stayLong.err,
            "[the volume 'D:\\' makes no short names: 2 entries on it stay as long as given; "
            "--suggest proposes junctions for them]\n" +
                ExpectedReport(longList, longList));
  const std::string json = Run({"pathshrink", "--json", longList}).out;
  const std::string reasons[] = {
      "no short name: the volume 'D:\\\\' makes none; --suggest proposes a junction for it",
      "as short as it gets",
      "no short name: the volume 'D:\\\\' makes none; --suggest proposes a junction for it",
      "no short name: its folder 'E:\\\\Made Without' has none; --suggest proposes a junction "
      "for it"};
  std::size_t at = 0;
  for (const std::string& reason : reasons) {
    at = json.find("\"reason\":\"" + reason + "\"", at);
    ASSERT_NE(at, std::string::npos) << reason << "\n" << json;
    ++at;
  }

  // What each stored entry was written for is kept; a name that now leads
  // elsewhere is written for its folder again, or left out where it is gone.
  const std::string memory = "C:\\Users\\me\\AppData\\Local\\pathshrink\\Path-user.written-for";
  store = InMemoryEnvironmentStore();
  store.Set(Scope::kUser, "Path", {code, StoredType::kExpandString, {}});
  EXPECT_EQ(Run({"pathshrink", "--user", "--write"}).status, 0);
  EXPECT_EQ(store.files[memory],
            "pathshrink written-for 2\r\nC:\\PROGRA~1\\MICROS~2\t" + code + "\r\n");
  // A junction the tool wrote leads to the folder it was written for.
  fs.AddDirectory("C:\\Program Files\\Tools\\x", "C:\\PROGRA~1\\Tools\\x");
  fs.AddDirectory("C:\\tl\\x", "C:\\tl\\x");
  const std::string misc = "C:\\PROGRA~1\\MICROS~1";
  const struct {
    const char* name;
    std::string stored;      // the stored Path, one entry
    std::string writtenFor;  // what the memory says it was written for
    std::string out;
    std::string line;
    std::string withinTarget;  // with --target 1000: mended first, then as given
    bool drifted;
  } drifts[] = {
      {"leads to another folder now", misc, code, "C:\\PROGRA~1\\MICROS~2",
       "[entry 'C:\\PROGRA~1\\MICROS~1' was written for '" + code +
           "' and now leads to 'C:\\Program Files\\Microsoft Office'; written for '" + code +
           "' again]\n",
       code, true},
      {"its folder is gone", misc, "C:\\Program Files\\Gone App", "",
       "[entry 'C:\\PROGRA~1\\MICROS~1' was written for 'C:\\Program Files\\Gone App', which is "
       "gone, and now leads to 'C:\\Program Files\\Microsoft Office'; left out]\n",
       "", true},
      {"it leads where it was written for", misc, "C:\\Program Files\\Microsoft Office", misc, "",
       misc, false},
      {"through a junction, to the folder it was written for", "C:\\tl\\x",
       "C:\\Program Files\\Tools\\x", "C:\\tl\\x", "", "C:\\tl\\x", false},
      {"its folder on a drive that is not there now: kept", misc, "Q:\\Somewhere", misc, "", misc,
       false},
      {"a relative folder in the memory: ignored, and said", misc, "Program Files\\x", misc,
       "[ignored 1 line of '" + memory +
           "' that name no absolute folder or are not of such a file]\n",
       misc, false},
  };
  for (const auto& c : drifts) {
    store = InMemoryEnvironmentStore();
    store.Set(Scope::kUser, "Path", {c.stored, StoredType::kExpandString, {}});
    store.files[memory] = "pathshrink written-for 1\r\n" + c.stored + "\t" + c.writtenFor + "\r\n";
    const Outcome outcome = Run({"pathshrink", "--user"});
    EXPECT_EQ(outcome.out, c.out + "\n") << c.name;
    EXPECT_EQ(outcome.err.substr(0, c.line.size()), c.line) << c.name << "\n" << outcome.err;
    if (c.line.empty()) EXPECT_EQ(outcome.err.find("[entry"), std::string::npos) << c.name;
    const Outcome check = Run({"pathshrink", "--user", "--check"});
    EXPECT_NE(check.out.find(c.drifted ? ", 1 drifted" : ", 0 drifted"), std::string::npos)
        << c.name << "\n"
        << check.out;
    EXPECT_EQ(Run({"pathshrink", "--user", "--target", "1000"}).out, c.withinTarget + "\n")
        << c.name;
    // (Where the one entry's folder is gone, --write would refuse to store
    // an empty Path, and --check says so.)
    EXPECT_EQ(Run({"pathshrink", "--user", "--target", "1000", "--check"}).status,
              !c.drifted               ? 0
              : c.withinTarget.empty() ? 6
                                       : 1)
        << c.name;
  }

  // Drift where the stored entry holds a reference (judged where the
  // logon's variable leads), and where the folder it was written for holds
  // a ';' (written again in quotes, one entry).
  fs.AddDirectory("C:\\semi;colon", "C:\\semi;colon");
  for (const auto& [stored, writtenFor, out] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {"%APPS%\\MICROS~1", code, "C:\\PROGRA~1\\MICROS~2"},
           {misc, "C:\\semi;colon", "\"C:\\semi;colon\""}}) {
    store = InMemoryEnvironmentStore();
    store.Set(Scope::kUser, "APPS", {"C:\\Program Files", StoredType::kString, {}});
    store.Set(Scope::kUser, "Path", {stored, StoredType::kExpandString, {}});
    std::string remembered = "pathshrink written-for 1\r\n" + stored;
    remembered.append("\t").append(writtenFor).append("\r\n");
    store.files[memory] = remembered;
    const Outcome drifted = Run({"pathshrink", "--user"});
    EXPECT_EQ(drifted.out, out + "\n") << stored;
    std::string said = "[entry '" + stored;
    said.append("' was written for '")
        .append(writtenFor)
        .append("' and now leads to 'C:\\Program Files\\Microsoft Office'; written for '")
        .append(writtenFor)
        .append("' again]\n");
    EXPECT_EQ(drifted.err.rfind(said, 0), 0u) << drifted.err;
  }

  // Entries written with a reference or a profile variable are remembered
  // too, keyed as stored, with the folder they name.
  for (const auto& [stored, written] : std::vector<std::pair<std::string, std::string>>{
           {"%LOCALAPPDATA%\\Programs\\Tool Folder", "%LOCALAPPDATA%\\Programs\\TOOLFO~1"},
           {local, "%LOCALAPPDATA%\\Programs\\TOOLFO~1"}}) {
    store = InMemoryEnvironmentStore();
    store.Set(Scope::kProfile, "LOCALAPPDATA",
              {"C:\\Users\\me\\AppData\\Local", StoredType::kString, {}});
    store.Set(Scope::kUser, "Path", {stored, StoredType::kExpandString, {}});
    EXPECT_EQ(Run({"pathshrink", "--user", "--write"}).status, 0) << stored;
    std::string expected = "pathshrink written-for 2\r\n";
    expected.append(written).append("\t").append(local).append("\r\n");
    EXPECT_EQ(store.files[memory], expected) << stored;
  }
}

TEST_F(RunPathShrinkTest, LargestSavingsFirstThenCommandLineOrder) {
  const std::string entry = "C:\\Program Files\\Tools\\x";
  fs.AddDirectory(entry, "C:\\PROGRA~1\\Tools\\x");
  const struct {
    std::vector<std::string> junctions;
    const char* out;
  } cases[] = {
      // C:\tl saves 17, C:\pf and C:\p2 save 11 each.
      {{"C:\\pf", "C:\\tl"}, "C:\\tl\\x\n"},
      {{"C:\\tl", "C:\\pf"}, "C:\\tl\\x\n"},
      {{"C:\\pf", "C:\\p2"}, "C:\\pf\\Tools\\x\n"},
      {{"C:\\p2", "C:\\pf"}, "C:\\p2\\Tools\\x\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"pathshrink", entry};
    for (const std::string& junction : c.junctions) {
      args.push_back("-j");
      args.push_back(junction);
    }
    EXPECT_EQ(Run(args).out, c.out) << c.junctions[0] << " " << c.junctions[1];
  }
}

TEST_F(RunPathShrinkTest, ADirectoryIsWrittenOnceThroughAJunctionWhoseNamesAreShort) {
  // Names shorter than their short names (".cargo" and CARGO~1), in an
  // entry and in a junction's own path.
  fs.AddDirectory("C:\\Users\\Some Long Name\\.cargo\\bin", "C:\\Users\\SOMELO~1\\CARGO~1\\bin");
  fs.AddDirectory("C:\\u\\.cargo\\bin", "C:\\u\\CARGO~1\\bin");
  fs.AddJunction("C:\\u", "C:\\Users\\Some Long Name");
  fs.AddDirectory("C:\\Long Target Name\\bin", "C:\\LONGTA~1\\bin");
  fs.AddDirectory("C:\\.j\\bin", "C:\\J~1\\bin");
  fs.AddJunction("C:\\.j", "C:\\Long Target Name");
  const struct {
    std::string list;
    const char* junction;
    const char* out;
  } cases[] = {
      {"C:\\Users\\Some Long Name\\.cargo\\bin;C:\\u\\.cargo\\bin", "C:\\u",
       "C:\\u\\.cargo\\bin\n"},
      {"C:\\u\\.cargo\\bin;C:\\Users\\Some Long Name\\.cargo\\bin", "C:\\u",
       "C:\\u\\.cargo\\bin\n"},
      {"C:\\Long Target Name\\bin;C:\\.j\\bin", "C:\\.j", "C:\\.j\\bin\n"},
      {"C:\\.j\\bin;C:\\Long Target Name\\bin", "C:\\.j", "C:\\.j\\bin\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run({"pathshrink", c.list, "-j", c.junction}).out, c.out) << c.list;
  }
  // A junction whose own short form holds a numbered short name, with a
  // sibling of its stem: the junction was chosen, not the short name, and
  // nothing says it may not last.
  fs.AddDirectory("C:\\Very Long Target\\bin", "C:\\Very Long Target\\bin");
  fs.AddDirectory("C:\\Link Folder\\bin", "C:\\LINKFO~1\\bin");
  fs.AddJunction("C:\\Link Folder", "C:\\Very Long Target");
  fs.AddDirectory("C:\\Link Forest", "C:\\LINKFO~2");
  const Outcome linked = Run({"pathshrink", "C:\\Very Long Target\\bin", "-j", "C:\\Link Folder"});
  EXPECT_EQ(linked.out, "C:\\LINKFO~1\\bin\n");
  EXPECT_EQ(linked.err, ExpectedReport("C:\\Very Long Target\\bin", "C:\\LINKFO~1\\bin"));
}

TEST_F(RunPathShrinkTest, AnEntryLongerThanABlockOfRewrittenTexts) {
  // Rewritten texts are kept in 64 KiB blocks; one larger than a block,
  // and the next one after it, must each stay whole.
  const std::string huge = "C:\\Program Files\\Tools\\" + std::string(70000, 'x');
  fs.AddDirectory(huge, "C:\\PROGRA~1\\Tools\\" + std::string(70000, 'x'));
  fs.AddDirectory("C:\\Program Files\\Tools\\y", "C:\\PROGRA~1\\Tools\\y");
  const Outcome outcome =
      Run({"pathshrink", huge + ";C:\\Program Files\\Tools\\y", "-j", "C:\\tl"});
  EXPECT_EQ(outcome.out, "C:\\tl\\" + std::string(70000, 'x') + ";C:\\tl\\y\n");
}

TEST_F(RunPathShrinkTest, ErrorOutputIsRegistrationThenEntriesThenReport) {
  const std::string list = "C:\\Missing;C:\\Program Files\\Tools;C:\\Windows";
  const Outcome outcome = Run({"pathshrink", list, "-j", "C:\\Windows", "-j", "C:\\pf"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "C:\\pf\\Tools;C:\\Windows\n");
  EXPECT_EQ(outcome.err,
            "[can't process junction 'C:\\Windows']\n"
            "[invalid entry 'C:\\Missing']\n" +
                ExpectedReport(list, "C:\\pf\\Tools;C:\\Windows"));
}

TEST_F(RunPathShrinkTest, SuggestsJunctionsForTheLongestSharedDirectories) {
  fs.AddDirectory("C:\\Program Files\\Vendor Name\\App One\\bin",
                  "C:\\PROGRA~1\\VENDOR~1\\APPONE~1\\bin");
  fs.AddDirectory("C:\\Program Files\\Vendor Name\\App Two", "C:\\PROGRA~1\\VENDOR~1\\APPTWO~1");
  fs.AddDirectory("D:\\Build Tools\\Compilers\\bin", "D:\\BUILDT~1\\COMPIL~1\\bin");
  fs.AddDirectory("C:\\Program Files\\Vendor Name\\App Three", "C:\\PROGRA~1\\VENDOR~1\\APPTHR~1");
  fs.AddDirectory("C:\\pf\\Tools", "C:\\pf\\Tools");
  fs.AddDirectory("C:\\a", "C:\\a");  // taken: the first link is C:\b
  const std::string vendor = "C:\\Program Files\\Vendor Name";
  const std::string suite = vendor + "\\Suite Of Long Products";
  for (const char* n : {"One", "Two", "Three"}) {
    const std::string digit = std::string(n) == "One" ? "1" : std::string(n) == "Two" ? "2" : "3";
    fs.AddDirectory(suite + "\\Product Number " + n,
                    "C:\\PROGRA~1\\VENDOR~1\\SUITEO~1\\PRODUC~" + digit);
  }
  fs.AddDirectory("C:\\Link Folder", "C:\\LINKFO~1");
  fs.AddDirectory("C:\\100% Tools\\\xC3\x84rger Long Name\\one", "C:\\100TOO~1\\RGERLO~1\\one");
  fs.AddDirectory("C:\\100% Tools\\\xC3\x84rger Long Name\\two", "C:\\100TOO~1\\RGERLO~1\\two");
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string script;
    const char* newList;
    const char* complaints = "";  // before the report
  } cases[] = {
      {"a shared directory, and one on another drive",
       {vendor + "\\App One\\bin;" + vendor + "\\App Two;D:\\Build Tools\\Compilers\\bin"},
       // "App One" is shorter than its short name, so it is written as given.
       "REM 2 junctions that shorten the list from 86 to 34 characters.\n"
       "REM Make them, then run:\n"
       "REM pathshrink --env PATH -j C:\\b -j D:\\a\n"
       "mklink /J C:\\b \"C:\\Program Files\\Vendor Name\"\n"
       "mklink /J D:\\a \"D:\\Build Tools\\Compilers\\bin\"\n",
       "C:\\b\\App One\\bin;C:\\b\\App Two;D:\\a"},
      {"entries under a given junction, in a folder of links",
       {"--suggest", "--junctions-in", "C:\\pf",
        "C:\\pf\\Tools;" + vendor + "\\App Two;" + vendor + "\\App One\\bin;" + vendor +
            "\\App Three",
        "-j", "C:\\pf"},
       // It saves more than C:\pf does, so it wins for the entries below it.
       "REM 1 junction that shortens the list from 85 to 64 characters.\n"
       "REM Make it, then run:\n"
       "REM pathshrink --env PATH -j C:\\pf -j C:\\pf\\a\n"
       "mklink /J C:\\pf\\a \"C:\\Program Files\\Vendor Name\"\n",
       "C:\\pf\\Tools;C:\\pf\\a\\App Two;C:\\pf\\a\\App One\\bin;C:\\pf\\a\\APPTHR~1"},
      {"links in a folder whose name needs quotes, predicted in its short form",
       {"--suggest", "--junctions-in", "C:\\Link Folder",
        suite + "\\Product Number One;" + suite + "\\Product Number Two;" + suite +
            "\\Product Number Three"},
       "REM 1 junction that shortens the list from 116 to 68 characters.\n"
       "REM Make it, then run:\n"
       "REM pathshrink --env PATH -j \"C:\\Link Folder\\a\"\n"
       "mklink /J \"C:\\Link Folder\\a\" \"" +
           suite + "\"\n",
       "C:\\LINKFO~1\\a\\PRODUC~1;C:\\LINKFO~1\\a\\PRODUC~2;C:\\LINKFO~1\\a\\PRODUC~3"},
      {"a target with a '%' and letters outside ASCII, as a batch file reads it",
       {"C:\\100% Tools\\\xC3\x84rger Long Name\\one;C:\\100% Tools\\\xC3\x84rger Long Name\\two"},
       "REM 1 junction that shortens the list from 49 to 17 characters.\n"
       "REM Make it, then run:\n"
       "REM pathshrink --env PATH -j C:\\b\n"
       "@for /f \"tokens=2 delims=:.\" %%C in ('chcp') do @set \"PATHSHRINK_CP=%%C\"\n"
       "@chcp 65001 >nul\n"
       "mklink /J C:\\b \"C:\\100%% Tools\\\xC3\x84rger Long Name\"\n"
       "@chcp %PATHSHRINK_CP% >nul\n",
       "C:\\b\\one;C:\\b\\two"},
      {"only what it takes to reach a target",
       {"--target", "60",
        vendor + "\\App One\\bin;" + vendor + "\\App Two;D:\\Build Tools\\Compilers\\bin"},
       "REM 1 junction that shortens the list from 86 to 54 characters.\n"
       "REM Make it, then run:\n"
       "REM pathshrink --env PATH -j C:\\b\n"
       "mklink /J C:\\b \"C:\\Program Files\\Vendor Name\"\n",
       "C:\\b\\App One\\bin;C:\\b\\App Two;D:\\BUILDT~1\\COMPIL~1\\bin"},
      {"nothing worth a junction",
       {"C:\\Windows"},
       "REM No junction would shorten this list enough to be worth making (10 characters).\n",
       "C:\\Windows"},
      {"what resolving found, before the report",
       {"C:\\Missing;C:\\Windows"},
       "REM No junction would shorten this list enough to be worth making (10 characters).\n",
       "C:\\Windows",
       "[invalid entry 'C:\\Missing']\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"pathshrink"};
    if (c.args[0] != "--suggest") args.push_back("--suggest");
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 0) << c.name;
    EXPECT_EQ(outcome.out, c.script) << c.name;
    const std::string list = args[args[2] == "--junctions-in" || args[2] == "--target" ? 4 : 2];
    EXPECT_EQ(outcome.err, c.complaints + ExpectedReport(list, c.newList)) << c.name;
  }
}

// The guide's table, --help and the manual page say what the code's one
// table says.
TEST(ExitStatusTest, TheGuideAndTheHelpFollowTheTable) {
  const auto words = [](const std::string& text) {  // backticks gone, white space folded
    std::string folded;
    for (const char c : text) {
      if (c == '`') continue;
      const bool space = c == ' ' || c == '\n';
      if (space && (folded.empty() || folded.back() == ' ')) continue;
      folded += space ? ' ' : c;
    }
    return folded;
  };
  std::ifstream readme(PATHSHRINK_SOURCE_DIR "/docs/guide.md");
  std::map<int, std::string> documented;
  for (std::string row; std::getline(readme, row);) {
    if (row.size() > 4 && row.compare(0, 2, "| ") == 0 && std::isdigit(row[2]) != 0) {
      const std::size_t bar = row.find(" | ");
      documented[std::stoi(row.substr(2))] =
          words(row.substr(bar + 3, row.size() - bar - 3 - std::string(" |").size()));
    }
  }
  // The manual page: ".B N" and the meaning on the next line, "\-" for "-".
  std::ifstream manual(PATHSHRINK_SOURCE_DIR "/docs/pathshrink.1.in");
  std::map<int, std::string> manualTable;
  bool inExitStatus = false;
  for (std::string row; std::getline(manual, row);) {
    if (row.rfind(".SH ", 0) == 0) inExitStatus = row == ".SH EXIT STATUS";
    if (!inExitStatus || row.rfind(".B ", 0) != 0) continue;
    std::string meaning;
    std::getline(manual, meaning);
    for (std::size_t at; (at = meaning.find("\\-")) != std::string::npos;) meaning.erase(at, 1);
    manualTable[std::stoi(row.substr(3))] = words(meaning);
  }
  const std::string help = words(HelpText(true));
  std::map<int, std::string> table;
  for (const ExitStatusMeaning& exit : kExitStatuses) {
    table[exit.status] = exit.meaning;
    EXPECT_NE(help.find(" " + std::to_string(exit.status) + " " + exit.meaning), std::string::npos)
        << exit.status;
  }
  EXPECT_EQ(documented, table);
  EXPECT_EQ(manualTable, table);
}

}  // namespace
}  // namespace pathshrink
