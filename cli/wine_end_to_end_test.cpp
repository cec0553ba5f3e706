// pathshrink.exe run for real against directories made here, with the
// system's own cmd.exe and reg.exe: built on Linux, the cross-built .exe
// under Wine (which shows the root of this file system as Z:); built for
// Windows, the .exe itself, started directly. Expected short forms come
// from GetShortPathNameA itself, through a small probe program, since
// Wine's short names are hashed and Windows' depend on the volume.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <userenv.h>

#include <cwchar>
#endif

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
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

bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::u8path(path), ignored);
}

// Whether this is Windows itself (not Wine running a Windows program).
[[maybe_unused]] bool OnWindowsItself() {
#ifdef _WIN32
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") == nullptr;
#else
  return false;
#endif
}

std::vector<std::string> Lines(const std::string& text);

// Whether the programs started here write to a console whose code page is
// not UTF-8 (they share this one's, if any).
bool ConsoleCodePageNotUtf8() {
#ifdef _WIN32
  const UINT codePage = ::GetConsoleOutputCP();
  return codePage != 0 && codePage != CP_UTF8;
#else
  return false;  // run by Wine from here, a program has no console
#endif
}

// A new window's PATH, as the system builds it from what is stored: on
// Windows the environment a new logon gets (CreateEnvironmentBlock), under
// Wine what its cmd.exe starts with.
std::string NewWindowPathOfTheSystem(const std::function<ProcessResult()>& wineCmd) {
#ifdef _WIN32
  HANDLE token = nullptr;
  void* block = nullptr;
  std::string path;
  if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token) &&
      ::CreateEnvironmentBlock(&block, token, FALSE)) {
    for (const wchar_t* entry = static_cast<const wchar_t*>(block); *entry != L'\0';
         entry += wcslen(entry) + 1) {
      if (::_wcsnicmp(entry, L"Path=", 5) != 0) continue;
      const int size =
          ::WideCharToMultiByte(CP_UTF8, 0, entry + 5, -1, nullptr, 0, nullptr, nullptr);
      path.resize(static_cast<std::size_t>(size > 0 ? size - 1 : 0));
      ::WideCharToMultiByte(CP_UTF8, 0, entry + 5, -1, path.data(), size, nullptr, nullptr);
    }
    ::DestroyEnvironmentBlock(block);
  }
  if (token != nullptr) ::CloseHandle(token);
  (void)wineCmd;
  return path;
#else
  return Lines(wineCmd().out).at(0);
#endif
}

// What is wrong with a JSON report against its schema. A Windows build
// running under Wine has no Python beside it: there the same cases, run
// from the Linux side, check it.
std::string SchemaProblemsHere(const std::string& json) {
#ifdef _WIN32
  if (!OnWindowsItself()) return std::string();
#endif
  return testing::SchemaProblems(json);
}

// Whether the folders made by the tests must have short names: set where a
// workflow step turned their creation on for the volume the tests use.
bool ShortNamesExpected() {
  const char* expected = std::getenv("PATHSHRINK_EXPECT_SHORT_NAMES");
  return expected != nullptr && std::string(expected) == "1";
}

// Whether a name is one a short name stands for (longer than 8.3, or with
// a space or a second dot): the system gives such a name a short one, where
// the volume makes them.
bool NeedsShortName(const std::string& name) {
  const std::size_t dot = name.find('.');
  const std::string stem = name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  return stem.size() > 8 || extension.size() > 3 || name.find(' ') != std::string::npos ||
         extension.find('.') != std::string::npos ||
         std::any_of(name.begin(), name.end(), [](char c) { return (c & 0x80) != 0; });
}

// Windows programs write "\r\n" in text mode.
std::string Unix(std::string text) {
  std::string::size_type at;
  while ((at = text.find("\r\n")) != std::string::npos) text.erase(at, 1);
  return text;
}

// A path of this test's side as a Windows program spells it.
std::string WindowsPath(std::string hostPath) {
  for (char& c : hostPath) {
    if (c == '/') c = '\\';
  }
#ifdef _WIN32
  return hostPath;
#else
  return "Z:" + hostPath;
#endif
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < text.size()) {
    const std::string::size_type end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// The body of the first block of `file` (a path below the sources) fenced
// as `language` whose text begins with `first`, as the documentation gives
// it to paste; empty where there is none.
std::string DocumentBlock(const std::string& file, const std::string& language,
                          const std::string& first) {
  std::ifstream in(std::string(PATHSHRINK_SOURCE_DIR) + "/" + file);
  std::stringstream text;
  text << in.rdbuf();
  const std::string markdown = text.str();
  const std::string fence = "```" + language + "\n";
  const std::size_t start = markdown.find(fence + first);
  if (start == std::string::npos) return std::string();
  const std::size_t body = start + fence.size();
  return markdown.substr(body, markdown.find("```", body) - body);
}

class WineEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    if (!Exists(PATHSHRINK_WINDOWS_EXE) || !Exists(PATHSHRINK_SHORT_PATH_PROBE)) {
      FAIL() << "the build is missing: " PATHSHRINK_WINDOWS_EXE;
    }
#else
    if (!Exists(PATHSHRINK_WINE64) || !Exists(PATHSHRINK_WINDOWS_EXE) ||
        !Exists(PATHSHRINK_SHORT_PATH_PROBE)) {
      const char* required = std::getenv("PATHSHRINK_REQUIRE_WINE");
      if (required != nullptr && std::string(required) == "1") {
        FAIL() << "Wine or the Windows build is missing: " PATHSHRINK_WINE64
                  ", " PATHSHRINK_WINDOWS_EXE;
      }
      GTEST_SKIP() << "needs wine64 and the windows preset's build";
    }
#endif
  }

  // The Wine prefix the programs run in, shared with the other tests.
  static std::string Prefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    return prefix != nullptr ? prefix : PATHSHRINK_DEFAULT_WINEPREFIX;
  }

  // Where this side reaches a folder on the Windows side's C: (the prefix's
  // drive_c under Wine).
  static std::string HostPath(const std::string& windowsPath) {
#ifdef _WIN32
    return windowsPath;
#else
    std::string rest = windowsPath.substr(3);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return Prefix() + "/drive_c/" + rest;
#endif
  }

  // Runs a Windows program: by name (cmd, reg) the system's own, else the
  // one at that path.
  ProcessResult RunWindowsProgram(const std::string& program, std::vector<std::string> args,
                                  std::vector<std::string> environment = {}) {
#ifdef _WIN32
    args.insert(args.begin(), program);
    ProcessResult result = RunProcess(args, environment);
    result.out = Unix(result.out);
    result.err = Unix(result.err);
    return result;
#else
    args.insert(args.begin(), {PATHSHRINK_WINE64, program});
    // UTF-8 on this side, so Wine hands Windows programs their arguments in
    // its ANSI code page (1252) the same way every time.
    environment.insert(environment.end(),
                       {"LANG=C.UTF-8", "LC_ALL=C.UTF-8", "WINEDEBUG=-all",
                        "WINEDLLOVERRIDES=mscoree,mshtml=", "WINEPREFIX=" + Prefix()});
    ProcessResult result = RunProcess(args, environment);
    result.out = Unix(result.out);
    result.err = Unix(result.err);
    return result;
#endif
  }
  ProcessResult Run(const std::vector<std::string>& args) {
    return RunWindowsProgram(PATHSHRINK_WINDOWS_EXE, args);
  }
  // GetShortPathNameA's answer for each path; "?" where it fails. Where
  // short names are expected, a folder this test made whose name needs one
  // must have one.
  std::vector<std::string> ShortForms(const std::vector<std::string>& paths) {
    const ProcessResult probe = RunWindowsProgram(PATHSHRINK_SHORT_PATH_PROBE, paths);
    EXPECT_EQ(probe.status, 0);
    std::vector<std::string> forms = Lines(probe.out);
    const std::string made = WindowsPath(tmp.path()) + "\\";
    for (std::size_t i = 0; ShortNamesExpected() && i < paths.size() && i < forms.size(); ++i) {
      if (forms[i] == "?" || paths[i].rfind(made, 0) != 0) continue;
      std::string name = paths[i].substr(paths[i].find_last_of('\\') + 1);
      if (NeedsShortName(name)) {
        EXPECT_NE(forms[i], paths[i]) << "no short name made";
      }
    }
    return forms;
  }

  std::string ExpectCompacted(const std::vector<std::string>& entries);

  // Puts the console's code page back as it is now: a batch file's chcp
  // changes the console this process shares with cmd.exe.
  std::function<void()> ConsoleCodePageAsItIs() {
    const std::string shown = Lines(RunWindowsProgram("cmd", {"/c", "chcp"}).out).at(0);
    const std::string page = shown.substr(shown.find_last_of(' ') + 1);
    return [this, page] { RunWindowsProgram("cmd", {"/c", "chcp " + page + " >nul"}); };
  }

  // The user's stored Path as reg.exe shows it ("REG_EXPAND_SZ    value"),
  // or empty where there is none.
  std::string UserPath() {
    const ProcessResult result =
        RunWindowsProgram("reg", {"query", "HKCU\\Environment", "/v", "Path"});
    for (const std::string& line : Lines(result.out)) {
      if (line.rfind("    Path    ", 0) == 0) return line.substr(12);
    }
    return std::string();
  }
  // Puts back the user's Path as UserPath() showed it (none: none).
  void RestoreUserPath(const std::string& shown) {
    if (shown.empty()) {
      RunWindowsProgram("reg", {"delete", "HKCU\\Environment", "/v", "Path", "/f"});
      return;
    }
    const std::size_t gap = shown.find("    ");
    RunWindowsProgram("reg", {"add", "HKCU\\Environment", "/v", "Path", "/t", shown.substr(0, gap),
                              "/d", shown.substr(gap + 4), "/f"});
  }

  TemporaryDirectory tmp;
};

TEST_F(WineEndToEndTest, ShortFormsNoRepeatsAndInvalidEntries) {
  tmp.MakeDirectories("Long Directory Name/Another Long One");
  const std::string base = WindowsPath(tmp.path());
  const std::vector<std::string> entries = {
      base + "\\Long Directory Name\\Another Long One",
      base + "\\Missing Directory",
      base + "\\long directory name\\ANOTHER LONG ONE",
      base + "\\Long Directory Name\\Another Long One",
      "C:\\windows",
  };
  const std::vector<std::string> shortForms = ShortForms(entries);
  ASSERT_EQ(shortForms.size(), entries.size());
  EXPECT_EQ(shortForms[1], "?");
  EXPECT_NE(shortForms[0], entries[0]);  // there is something to shorten
  const std::string expected = ExpectCompacted(entries);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), ';'), 1) << expected;
}

// Each component of the system's short form where that is shorter than the
// one given (counted in UTF-16 units, as Windows counts), else the one
// given: a short name that saves nothing is not written.
std::string Shortest(const std::string& given, const std::string& shortForm) {
  const auto units = [](const std::string& name) {
    std::size_t n = 0;
    for (const char c : name) {
      const auto byte = static_cast<unsigned char>(c);
      if ((byte & 0xC0) != 0x80) n += byte >= 0xF0 ? 2 : 1;
    }
    return n;
  };
  const auto split = [](const std::string& path) {
    std::vector<std::string> parts(1);
    for (const char c : path) {
      if (c == '\\') {
        parts.emplace_back();
      } else {
        parts.back() += c;
      }
    }
    return parts;
  };
  const std::vector<std::string> givenParts = split(given);
  const std::vector<std::string> shortParts = split(shortForm);
  if (givenParts.size() != shortParts.size()) return shortForm;
  std::string spelled;
  for (std::size_t i = 0; i < shortParts.size(); ++i) {
    spelled += (i == 0 ? "" : "\\");
    spelled += units(shortParts[i]) < units(givenParts[i]) ? shortParts[i] : givenParts[i];
  }
  return spelled;
}

std::string Folded(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Runs the tool on `entries` (plainly spelled) and checks it against the
// system's own short forms: each directory once, in order, in its shortest
// spelling, and a complaint for each entry that does not resolve. Returns
// the new list.
std::string WineEndToEndTest::ExpectCompacted(const std::vector<std::string>& entries) {
  const std::vector<std::string> shortForms = ShortForms(entries);
  EXPECT_EQ(shortForms.size(), entries.size());
  std::string list, complaints, expected;
  std::set<std::string> seen;
  for (std::size_t i = 0; i < entries.size() && i < shortForms.size(); ++i) {
    list += (i == 0 ? "" : ";") + entries[i];
    if (shortForms[i] == "?") {
      complaints += "[invalid entry '" + entries[i] + "']\n";
    } else if (seen.insert(Folded(shortForms[i])).second) {
      expected += (expected.empty() ? "" : ";") + Shortest(entries[i], shortForms[i]);
    }
  }
  const ProcessResult result = Run({list});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected + "\n");
  // Written to a pipe while the console's code page is not UTF-8, letters
  // outside ASCII draw a line (the tool shares this process's console).
  const bool ascii =
      std::all_of(expected.begin(), expected.end(), [](char c) { return (c & 0x80) == 0; });
  const std::string codePage =
      ConsoleCodePageNotUtf8() && !ascii
          ? "[the new list holds letters outside ASCII, written as UTF-8, and the console's code "
            "page is not UTF-8: run chcp 65001 first, or they may be misread]\n"
          : "";
  EXPECT_EQ(result.err, complaints + codePage + ExpectedReport(list, expected));
  return expected;
}

TEST_F(WineEndToEndTest, PathsPast260CharactersAreShortenedWholeOrReported) {
  std::string deep;
  while (deep.size() < 300) deep += "/A Rather Long Directory Name";
  tmp.MakeDirectories(deep.substr(1));
  const std::string path = WindowsPath(tmp.path() + deep);
  ASSERT_GT(path.size(), 260u);
  ExpectCompacted({path, "C:\\windows", path});
}

TEST_F(WineEndToEndTest, NamesInAnyScriptResolveToThemselves) {
  // Letters in and far outside any ANSI code page, and a best-fit pair: a
  // narrow command line would turn "bār" into "bar", another directory.
  const std::vector<std::string> names = {
      u8"Café Crème/Über Lange Namen",
      u8"日本語のディレクトリ",
      u8"emoji 😀 directory",
      u8"Ｔｏｏｌｓ",  // full-width
      "Tools",
      u8"bār",
      "bar",
  };

  const std::string base = WindowsPath(tmp.path());
  std::vector<std::string> entries;
  for (std::string name : names) {
    tmp.MakeDirectories(name);
    for (char& c : name) c = c == '/' ? '\\' : c;
    entries.push_back(base + "\\");
    entries.back() += name;
  }
  entries.push_back(base + "\\Caf\xc3\xa9");  // missing: its complaint echoes the bytes
  entries.push_back(base + "\\b\xc4\x81r");   // a repeat
  const std::vector<std::string> shortForms = ShortForms(entries);
  ASSERT_EQ(shortForms.size(), entries.size());
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_NE(shortForms[i], "?") << names[i];
  EXPECT_EQ(shortForms[names.size()], "?");
  const std::string expected = ExpectCompacted(entries);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), ';') + 1, names.size()) << expected;
}

// Two drive letters for one folder (a link in the prefix's dosdevices, as
// subst makes one on Windows): the text cannot tell, the file system can.
// An entry that follows a variable of the user's stays beside the folder
// it names today, and keeps following it once it names another.
TEST_F(WineEndToEndTest, OneDirectoryThroughTwoLettersAndAVariableThatIsFollowed) {
  tmp.MakeDirectories("bin");
#ifdef _WIN32
  // On Windows, subst makes the letter (Wine's makes none other programs
  // see: there the run from the Linux side makes it).
  if (!OnWindowsItself()) GTEST_SKIP() << "Windows only: a letter made with subst";
  std::string letter;
  for (const char* candidate : {"P:", "Q:", "R:", "S:"}) {
    if (::GetDriveTypeA((std::string(candidate) + "\\").c_str()) == DRIVE_NO_ROOT_DIR) {
      letter = candidate;
      break;
    }
  }
  ASSERT_FALSE(letter.empty()) << "no drive letter free";
  ASSERT_EQ(RunWindowsProgram("subst", {letter, WindowsPath(tmp.path())}).status, 0);
  const std::unique_ptr<const char, std::function<void(const char*)>> unlink("", [&](const char*) {
    RunWindowsProgram("subst", {letter, "/d"});
  });
#else
  const std::string dosdevices = Prefix() + "/dosdevices/";
  std::string letter;
  for (const char* candidate : {"p:", "q:", "r:", "s:"}) {
    std::error_code ignored;
    if (!std::filesystem::exists(
            std::filesystem::symlink_status(dosdevices + candidate, ignored))) {
      letter = candidate;
      break;
    }
  }
  ASSERT_FALSE(letter.empty()) << "no drive letter free in " << dosdevices;
  std::filesystem::create_directory_symlink(tmp.path(), dosdevices + letter);
  // Removed again however the test ends.
  const std::unique_ptr<const char, std::function<void(const char*)>> unlink(
      "", [&](const char*) { std::filesystem::remove(dosdevices + letter); });
#endif
  const std::string drive(1, static_cast<char>(std::toupper(letter[0])));
  const std::string viaLetter = drive + ":\\bin";
  const std::string viaZ = WindowsPath(tmp.path()) + "\\bin";
  const ProcessResult result = Run({"--verbose", viaLetter + ";" + viaZ});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, viaLetter + "\n");
  EXPECT_NE(result.err.find("[repeat '" + viaZ + "' left out: it names '" + viaLetter + "']"),
            std::string::npos)
      << result.err;

  tmp.MakeDirectories("jdk-17/bin");
  tmp.MakeDirectories("jdk-21/bin");
  const std::string shown = UserPath();
  const std::unique_ptr<const char, std::function<void(const char*)>> restore("", [&](const char*) {
    RestoreUserPath(shown);
    RunWindowsProgram("reg", {"delete", "HKCU\\Environment", "/v", "PATHSHRINK_JAVA", "/f"});
  });
  const std::string base = WindowsPath(tmp.path());
  const std::string java = base + "\\jdk-17\\bin;%PATHSHRINK_JAVA%\\bin";
  for (const std::string& home : {base + "\\jdk-17", base + "\\jdk-21"}) {
    ASSERT_EQ(RunWindowsProgram("reg", {"add", "HKCU\\Environment", "/v", "PATHSHRINK_JAVA", "/t",
                                        "REG_SZ", "/d", home, "/f"})
                  .status,
              0);
    ASSERT_EQ(RunWindowsProgram("reg", {"add", "HKCU\\Environment", "/v", "Path", "/t",
                                        "REG_EXPAND_SZ", "/d", java, "/f"})
                  .status,
              0);
    const ProcessResult followed = Run({"--user", "--verbose"});
    EXPECT_EQ(followed.status, 0) << followed.err;
    const std::vector<std::string> entries = [&] {
      std::vector<std::string> split;
      std::stringstream list(followed.out.substr(0, followed.out.find('\n')));
      for (std::string entry; std::getline(list, entry, ';');) split.push_back(entry);
      return split;
    }();
    ASSERT_EQ(entries.size(), 2u) << followed.out << followed.err;
    EXPECT_EQ(entries[1], "%PATHSHRINK_JAVA%\\bin") << home;
    EXPECT_NE(followed.err.find("[entry '%PATHSHRINK_JAVA%\\bin' follows its variable"),
              std::string::npos)
        << followed.err;
  }
}

TEST_F(WineEndToEndTest, OneDirectoryInManySpellings) {
  ExpectCompacted({"C:\\windows\\system32"});
  const ProcessResult result =
      Run({"C:\\windows\\system32;c:\\WINDOWS\\System32\\;C:/windows/system32;"
           "C:\\windows\\\\system32;C:\\windows\\.\\system32;C:\\windows\\system32\\..\\system32;"
           "\"C:\\windows\\system32\""});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "C:\\windows\\system32\n");
}

// The README's line for cmd.exe, in a batch file as the README says to
// write it there, keeps every entry of PATHs that break a command line: a
// quoted entry, names with cmd.exe's special characters, a last entry that
// ends in '\', and one PATH of over 7,000 characters.
TEST_F(WineEndToEndTest, TheReadmeRecipeForCmdKeepsEveryEntry) {
  // The first bat block that applies the result to PATH.
  std::string recipe = DocumentBlock("README.md", "bat", "for /f ");
  ASSERT_FALSE(recipe.empty()) << "no bat block with the for /f recipe in the README";
  // The loop variable %P (not %PATH%) is written %%P in a batch file.
  for (std::size_t at = 0; (at = recipe.find("%P", at)) != std::string::npos; at += 2) {
    if (at + 2 < recipe.size() && std::isalpha(static_cast<unsigned char>(recipe[at + 2])))
      continue;
    recipe.insert(at++, "%");
  }

  const std::string base = WindowsPath(tmp.path());
  std::string hostile =
      "C:\\windows\\system32;C:\\windows;\"" + base + "\\Quoted Dir With Spaces\"";
  for (const char* name : {"Quoted Dir With Spaces", "Tom & Jerry", "caret^dir", "bang!dir",
                           "paren (x86) dir", "Ends With Backslash"}) {
    tmp.MakeDirectories(name);
    if (std::string(name) != "Quoted Dir With Spaces" &&
        std::string(name) != "Ends With Backslash") {
      hostile += ";" + base + "\\" + name;
    }
  }
  std::string longPath = hostile;
  for (int i = 1; longPath.size() < 7000; ++i) {
    const std::string name = "A Rather Long Directory Name Number " + std::to_string(i);
    tmp.MakeDirectories(name + "/bin");
    longPath.append(";").append(base).append("\\").append(name).append("\\bin");
  }
  const std::string ending = ";" + base + "\\Ends With Backslash\\";

  std::string exe = WindowsPath(PATHSHRINK_WINDOWS_EXE);
  exe.erase(exe.rfind('\\'));
  for (const std::string& path : {hostile + ending, longPath + ending}) {
    // cmd.exe's own "set" reads a quoted assignment to its last quote.
    std::string batch = "@echo off\nset \"PATH=" + path;
    batch.append("\"\ncd /d ").append(exe).append("\n").append(recipe);
    batch.append("set > ").append(base).append("\\after.txt\n");
    std::string crlf;
    for (const char c : batch) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::ofstream(tmp.path() + "/recipe.bat", std::ios::binary) << crlf;

    const ProcessResult direct = RunWindowsProgram(
        PATHSHRINK_WINDOWS_EXE, {"--env", "PATHSHRINK_LIST"}, {"PATHSHRINK_LIST=" + path});
    ASSERT_EQ(direct.status, 0) << direct.err;
    const ProcessResult result = RunWindowsProgram("cmd", {"/c", base + "\\recipe.bat"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::ifstream after(tmp.path() + "/after.txt", std::ios::binary);
    std::string line, newPath;
    while (std::getline(after, line)) {
      if (line.rfind("PATH=", 0) == 0) newPath = Unix(line.substr(5) + "\n");
    }
    EXPECT_EQ(newPath, direct.out) << path.size() << "\n" << result.err;
    // Every entry is there, and the long names are short.
    EXPECT_EQ(std::count(newPath.begin(), newPath.end(), ';'),
              std::count(path.begin(), path.end(), ';'))
        << newPath;
    EXPECT_EQ(newPath.find("A Rather Long"), std::string::npos) << newPath;
  }
}

// A live list is what programs search, and Windows never expands %NAME%
// there: such an entry is text, never the directory it would lead to, even
// where this window defines the name. A share whose server does not answer
// is kept, not dropped. (Wine's cmd.exe expands a '%' in the value that
// "set" is given again, so the README's recipe cannot carry such a PATH
// under Wine; the recipe reads it with --env, as here.)
TEST_F(WineEndToEndTest, ALiveListKeepsReferencesAsTextAndSharesThatDoNotAnswer) {
  tmp.MakeDirectories("Long Directory Name/bin");
  const std::string base = WindowsPath(tmp.path());
  const std::string literal = base + "\\long directory name\\BIN";
  const std::vector<std::string> shortForms = ShortForms({literal, "C:\\windows\\System32"});
  ASSERT_EQ(shortForms.size(), 2u);
  // A name no resolver knows (.invalid): Windows answers at once that the
  // network path is not there, Wine that the network does not answer.
  const std::string share = "\\\\pathshrink-absent-server.invalid\\share\\bin";
  const std::string list =
      "%SystemRoot%\\system32;C:\\windows\\System32;"
      "%PathShrink_Tools%\\Long Directory Name\\bin\\;" +
      literal + ";%PATHSHRINK_UNDEFINED%\\x;" + share;
  const ProcessResult result =
      RunWindowsProgram(PATHSHRINK_WINDOWS_EXE, {"--env", "PATHSHRINK_LIST"},
                        {"PATHSHRINK_TOOLS=" + base, "PATHSHRINK_LIST=" + list});
  EXPECT_EQ(result.status, 0);
  const std::string expected =
      "%SystemRoot%\\system32;" + Shortest("C:\\windows\\System32", shortForms[1]) +
      ";%PathShrink_Tools%\\Long Directory Name\\bin\\;" + Shortest(literal, shortForms[0]) +
      ";%PATHSHRINK_UNDEFINED%\\x;" + share;
  EXPECT_EQ(result.out, expected + "\n");
  const std::string asText = "': Windows does not expand references here; kept as given]\n";
  const std::string references =
      "[unchecked entry '%SystemRoot%\\system32" + asText +
      "[unchecked entry '%PathShrink_Tools%\\Long Directory Name\\bin\\" + asText +
      "[unchecked entry '%PATHSHRINK_UNDEFINED%\\x" + asText + "[unchecked entry '" + share + "': ";
  // ERROR_BAD_NETPATH on Windows, ERROR_BAD_DEV_TYPE under Wine.
  const std::string kept = "; kept as given]\n" + ExpectedReport(list, expected);
  EXPECT_THAT(result.err, ::testing::AnyOf(references + "its drive or share is not there" + kept,
                                           references + "the system could not check it" + kept));
}

// Runs `undo` on every way out of a test.
class PutBack {
 public:
  explicit PutBack(std::function<void()> undo) : undo_(std::move(undo)) {}
  ~PutBack() { undo_(); }
  PutBack(const PutBack&) = delete;
  PutBack& operator=(const PutBack&) = delete;

 private:
  std::function<void()> undo_;
};

// Standard input as Windows sends it: bytes of the console's code page
// (here the OEM one, 437: 0x8E is Ä; on Windows the case sets it, as a
// runner's console is 65001), a Ctrl-Z that ends it, one entry a line.
TEST_F(WineEndToEndTest, StandardInputAsWindowsSendsIt) {
  tmp.MakeDirectories("\xC3\x84rger");
  const std::string base = WindowsPath(tmp.path());
  std::ofstream(tmp.path() + "/input.txt", std::ios::binary)
      << base << "\\\x8Erger\r\nC:\\windows\r\n\x1A" << base << "\\after the end\r\n";
#ifdef _WIN32
  // Through cmd.exe's redirection, from a batch file (cmd.exe reads its
  // own command line, not as programs do).
  std::ofstream(tmp.path() + "/input.bat", std::ios::binary)
      << "@chcp 437 >nul\r\n@\"" << WindowsPath(PATHSHRINK_WINDOWS_EXE) << "\" - < \"" << base
      << "\\input.txt\"\r\n";
  const PutBack page(ConsoleCodePageAsItIs());
  const ProcessResult result = RunWindowsProgram("cmd", {"/c", base + "\\input.bat"});
#else
  const ProcessResult result =
      RunProcess({"/bin/sh", "-c", "exec \"$0\" \"$1\" - < \"$2\"", PATHSHRINK_WINE64,
                  PATHSHRINK_WINDOWS_EXE, tmp.path() + "/input.txt"},
                 {"LANG=C.UTF-8", "LC_ALL=C.UTF-8", "WINEDEBUG=-all",
                  "WINEDLLOVERRIDES=mscoree,mshtml=", "WINEPREFIX=" + Prefix()});
#endif
  EXPECT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> shortForms = ShortForms({base + "\\\xC3\x84rger"});
  ASSERT_EQ(shortForms.size(), 1u);
  EXPECT_EQ(Unix(result.out), Shortest(base + "\\\xC3\x84rger", shortForms[0]) + ";C:\\windows\n");
}

// The stored Path of the user, through reg.exe and the tool: a preview
// stores nothing, --write stores it short with its type and references, the
// backup's reg import brings back the original, and an empty result is
// refused.
// The lines of `value`'s data in a .reg file (UTF-16LE, as reg export
// writes it), from its name to the end of its last line.
std::string RegValueLines(const std::string& file, const std::string& value) {
  std::string text;  // ASCII here: every other byte
  for (std::size_t i = 2; i + 1 < file.size(); i += 2) text += file[i];
  const std::size_t start = text.find("\"" + value + "\"=");
  if (start == std::string::npos) return "";
  std::size_t end = text.find("\r\n", start);
  while (end != std::string::npos && text.compare(end + 2, 2, "  ") == 0) {
    end = text.find("\r\n", end + 2);
  }
  return text.substr(start, end - start);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Puts the tool's own folder below LOCALAPPDATA (`folder`, as this side
// reaches it) back as a test found it: gone where it was not there, else
// with its memories of what stored entries were written for as they were
// (a later test reads them).
std::function<void()> ToolFolderAsItWas(const std::string& folder) {
  const bool there = std::filesystem::exists(folder);
  std::map<std::string, std::optional<std::string>> memories;
  for (const char* name : {"/Path-user.written-for", "/Path-machine.written-for"}) {
    const std::string path = folder + name;
    memories[path] =
        std::filesystem::exists(path) ? std::optional<std::string>(ReadFile(path)) : std::nullopt;
  }
  return [=] {
    std::error_code ignored;
    if (!there) {
      std::filesystem::remove_all(folder, ignored);
      return;
    }
    for (const auto& [path, bytes] : memories) {
      if (bytes) {
        std::ofstream(path, std::ios::binary) << *bytes;
      } else {
        std::filesystem::remove(path, ignored);
      }
    }
  };
}

// The README's three commands, as it gives them: preview (a table, nothing
// stored), store (after a backup), undo (reg import of the backup the
// store named, as the README spells its path).
TEST_F(WineEndToEndTest, TheReadmeRecipeToPreviewStoreAndUndo) {
  const std::vector<std::string> recipe =
      Lines(DocumentBlock("README.md", "bat", "pathshrink --user --explain\n"));
  ASSERT_EQ(recipe.size(), 3u);
  const auto arguments = [](const std::string& line) {
    std::vector<std::string> words;
    std::stringstream split(line);
    for (std::string word; split >> word;) words.push_back(word);
    return std::vector<std::string>(words.begin() + 1, words.end());  // after "pathshrink"
  };

  tmp.MakeDirectories("Long Directory Name");
  const std::string base = WindowsPath(tmp.path());
  const std::string original = base + "\\Long Directory Name;" + base + "\\Missing;C:\\windows";
  const std::string before = UserPath();
  const ProcessResult appData = RunWindowsProgram("cmd", {"/c", "echo %LOCALAPPDATA%"});
  std::string local = Lines(appData.out).at(0);  // C:\users\NAME\AppData\Local
  ASSERT_EQ(local.rfind("C:\\", 0), 0u) << local;
  const std::string folder = HostPath(local) + "/pathshrink";
  const std::function<void()> folderBack = ToolFolderAsItWas(folder);
  const PutBack putBack([&] {
    RestoreUserPath(before);
    folderBack();
  });
  ASSERT_EQ(RunWindowsProgram("reg", {"add", "HKCU\\Environment", "/v", "Path", "/t",
                                      "REG_EXPAND_SZ", "/d", original, "/f"})
                .status,
            0);

  const ProcessResult preview = Run(arguments(recipe[0]));
  EXPECT_EQ(preview.status, 0) << preview.err;
  EXPECT_NE(preview.out.find("(left out)"), std::string::npos) << preview.out;
  EXPECT_EQ(UserPath(), "REG_EXPAND_SZ    " + original);  // nothing stored

  const ProcessResult stored = Run(arguments(recipe[1]));
  EXPECT_EQ(stored.status, 0) << stored.err;
  EXPECT_NE(UserPath(), "REG_EXPAND_SZ    " + original);
  const std::string said = "To undo: reg import \"";
  const std::size_t at = stored.err.find(said);
  ASSERT_NE(at, std::string::npos) << stored.err;
  const std::string backup = stored.err.substr(
      at + said.size(), stored.err.find('"', at + said.size()) - at - said.size());
  // The README's line names the backup as the store did, up to its stamp.
  std::string undo = recipe[2];
  const std::size_t percent = undo.find("%LOCALAPPDATA%");
  ASSERT_NE(percent, std::string::npos) << undo;
  undo.replace(percent, std::string("%LOCALAPPDATA%").size(), local);
  const std::size_t stamp = undo.find("YYYYMMDD-HHMMSS");
  ASSERT_NE(stamp, std::string::npos) << undo;
  EXPECT_EQ(undo.substr(0, stamp), "reg import \"" + backup.substr(0, stamp - 12));
  undo.replace(stamp, std::string("YYYYMMDD-HHMMSS").size(), backup.substr(stamp - 12, 15));
  EXPECT_EQ(undo, "reg import \"" + backup + "\"");
  EXPECT_EQ(RunWindowsProgram("reg", {"import", backup}).status, 0);
  EXPECT_EQ(UserPath(), "REG_EXPAND_SZ    " + original);
}

TEST_F(WineEndToEndTest, TheStoredPathWrittenAndUndone) {
  tmp.MakeDirectories("Long Directory Name");
  tmp.MakeDirectories("Stored Home");
  const std::string base = WindowsPath(tmp.path());
  // (Folders the machine's Path does not list: it lists %SystemRoot%.)
  const std::string original = "%SystemRoot%\\Fonts;" + base + "\\Long Directory Name;" + base +
                               "\\Missing;C:\\windows\\Fonts";
  const auto query = [&](const std::string& name = "Path") {
    // "    Path    REG_EXPAND_SZ    value"
    const ProcessResult result =
        RunWindowsProgram("reg", {"query", "HKCU\\Environment", "/v", name});
    std::string found;
    for (const std::string& line : Lines(result.out)) {
      if (line.rfind("    " + name + "    ", 0) == 0) found = line.substr(name.size() + 8);
    }
    return found;
  };
  const auto store = [&](const std::string& value, const std::string& type = "REG_EXPAND_SZ",
                         const std::string& name = "Path") {
    // Straight to reg.exe: through cmd.exe the references would be expanded.
    ASSERT_EQ(RunWindowsProgram(
                  "reg", {"add", "HKCU\\Environment", "/v", name, "/t", type, "/d", value, "/f"})
                  .status,
              0);
  };

  // The prefix is shared: the user's Path as it was (none, in a new prefix),
  // the variable set here and the folder of backups are put back, whatever
  // fails below.
  const std::string before = query();
  const ProcessResult appData = RunWindowsProgram("cmd", {"/c", "echo %LOCALAPPDATA%"});
  std::string backups = Lines(appData.out).at(0);  // C:\users\NAME\AppData\Local
  ASSERT_EQ(backups.rfind("C:\\", 0), 0u) << backups;
  const std::string windowsBackups = backups + "\\pathshrink\\backups\\";
  const std::string folder = HostPath(backups) + "/pathshrink";
  backups = folder + "/backups";
  const std::function<void()> folderBack = ToolFolderAsItWas(folder);
  const PutBack putBack([&] {
    RestoreUserPath(before);
    RunWindowsProgram("reg", {"delete", "HKCU\\Environment", "/v", "PATHSHRINK_HOME", "/f"});
    folderBack();
  });
  const auto backupCount = [&] {
    if (!std::filesystem::exists(backups)) return 0;
    const auto files = std::filesystem::directory_iterator(backups);
    return static_cast<int>(std::distance(begin(files), end(files)));
  };
  const auto backupNamed = [](const ProcessResult& result) {
    const std::string said = "To undo: reg import \"";
    const std::size_t at = result.err.find(said);
    if (at == std::string::npos) return std::string();
    return result.err.substr(at + said.size(),
                             result.err.find('"', at + said.size()) - at - said.size());
  };

  store(original);
  ASSERT_EQ(query(), "REG_EXPAND_SZ    " + original);
  ASSERT_EQ(RunWindowsProgram("reg", {"export", "HKCU\\Environment", base + "\\exported.reg", "/y"})
                .status,
            0);

  const ProcessResult preview = Run({"--user"});
  EXPECT_EQ(preview.status, 0) << preview.err;
  const std::string shortened = preview.out.substr(0, preview.out.size() - 1);
  EXPECT_EQ(std::count(shortened.begin(), shortened.end(), ';'), 1) << shortened;
  EXPECT_EQ(shortened.rfind("%SystemRoot%\\Fonts;" + base.substr(0, 3), 0), 0u) << shortened;
  EXPECT_EQ(shortened.find("Long Directory Name"), std::string::npos) << shortened;
  EXPECT_EQ(query(), "REG_EXPAND_SZ    " + original);
  // What a detection script sees: not in the desired state; a typo is no
  // answer at all; the report is valid.
  EXPECT_EQ(Run({"--check", "--user"}).status, 1);
  EXPECT_EQ(Run({"--check", "--user", "--bogus"}).status, 10);
  const ProcessResult json = Run({"--user", "--json", "--redact"});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(SchemaProblemsHere(json.out), "") << json.out;
  EXPECT_NE(json.out.find("\"valueType\":\"REG_EXPAND_SZ\""), std::string::npos) << json.out;

  // Two runs in one second: a backup already there under the name of this
  // second (or the next few) is never overwritten.
  std::filesystem::create_directories(backups);
  std::set<std::string> taken;
  for (int ahead = -1; ahead <= 15; ++ahead) {
    const std::time_t when = std::time(nullptr) + ahead;
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&when));
    const std::string name = std::string("Path-user-") + stamp + ".reg";
    std::ofstream(std::filesystem::path(backups) / name) << "an earlier backup";
    taken.insert(name);
  }
  const int countBefore = backupCount();
  const ProcessResult written = Run({"--write", "--user"});
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(written.out, preview.out);
  EXPECT_EQ(query(), "REG_EXPAND_SZ    " + shortened);
  EXPECT_EQ(Run({"--check", "--user"}).status, 0);
  const std::string backup = backupNamed(written);
  ASSERT_EQ(backup.rfind(windowsBackups, 0), 0u) << written.err;
  EXPECT_NE(backup.find("-2.reg"), std::string::npos) << backup;
  EXPECT_EQ(backupCount(), countBefore + 1);
  for (const std::string& name : taken) {
    const std::filesystem::path earlier = std::filesystem::path(backups) / name;
    EXPECT_EQ(ReadFile(earlier.string()), "an earlier backup") << name;
    std::filesystem::remove(earlier);
  }
  // Byte for byte what reg export writes for the value.
  const std::string exported = ReadFile(tmp.path() + "/exported.reg");
  const std::string backupFile = ReadFile(backups + "/" + backup.substr(windowsBackups.size()));
  EXPECT_NE(RegValueLines(exported, "Path"), "");
  EXPECT_EQ(RegValueLines(backupFile, "Path"), RegValueLines(exported, "Path"));

  EXPECT_EQ(RunWindowsProgram("reg", {"import", backup}).status, 0);
  EXPECT_EQ(query(), "REG_EXPAND_SZ    " + original);

  // Nothing stored, no backup left: an empty result, an unchanged one.
  const int countNow = backupCount();
  store(base + "\\Missing");
  const ProcessResult empty = Run({"--user", "--write"});
  EXPECT_EQ(empty.status, 6) << empty.err;
  EXPECT_EQ(query(), "REG_EXPAND_SZ    " + base + "\\Missing");
  store("C:\\windows\\Fonts");
  EXPECT_EQ(Run({"--user", "--write"}).status, 0);
  EXPECT_EQ(backupCount(), countNow);

  // A REG_SZ value stays REG_SZ.
  store(base + "\\Long Directory Name;C:\\windows\\Fonts", "REG_SZ");
  const ProcessResult plain = Run({"--user", "--write"});
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(query(), "REG_SZ    " + plain.out.substr(0, plain.out.size() - 1));
  EXPECT_EQ(plain.out.find("Long Directory Name"), std::string::npos) << plain.out;

  // References mean what the next logon makes of them: not this window's
  // older value of a stored variable, nor one only this window sets. Quotes
  // that join entries cost none of them.
  store(base + "\\Stored Home", "REG_SZ", "PATHSHRINK_HOME");
  const std::string quoted = "\"" + base + "\\Missing;C:\\windows\\system32\"";
  store("%PATHSHRINK_HOME%;" + base + "\\Long Directory Name;%PATHSHRINK_WINDOWONLY%;" + quoted +
        ";C:\\windows\\Fonts");
  std::string exe = WindowsPath(PATHSHRINK_WINDOWS_EXE);
  std::ofstream(tmp.path() + "/stale.bat", std::ios::binary)
      << "@echo off\r\nset \"PATHSHRINK_HOME=" << base
      << "\\Long Directory Name\"\r\nset \"PATHSHRINK_WINDOWONLY=C:\\windows\"\r\n\"" << exe
      << "\" --user --write\r\n";
  const ProcessResult stale = RunWindowsProgram("cmd", {"/c", base + "\\stale.bat"});
  EXPECT_EQ(stale.status, 0) << stale.err;
  const std::string kept = "REG_EXPAND_SZ    %PATHSHRINK_HOME%;" +
                           shortened.substr(std::string("%SystemRoot%\\Fonts;").size()) +
                           ";%PATHSHRINK_WINDOWONLY%;" + quoted + ";C:\\windows\\Fonts";
  EXPECT_EQ(query(), kept) << stale.err;
}

// A user's stored Path keeps working where short names change: a folder
// under the profile is written with %LOCALAPPDATA%, which Windows defines
// at every logon; and a stored short name that now leads to another folder
// than the one it was written for is written for that folder again.
TEST_F(WineEndToEndTest, AStoredPathLasts) {
  const auto query = [&] { return UserPath(); };
  const ProcessResult appData = RunWindowsProgram("cmd", {"/c", "echo %LOCALAPPDATA%"});
  const std::string local = Lines(appData.out).at(0);  // C:\users\NAME\AppData\Local
  ASSERT_EQ(local.rfind("C:\\", 0), 0u) << local;
  const std::string unixLocal = HostPath(local);
  const std::string made = unixLocal + "/pathshrink test Long Folder Name";
  const std::string tool = unixLocal + "/pathshrink";
  const std::function<void()> toolBack = ToolFolderAsItWas(tool);
  const std::string before = query();
  const PutBack putBack([&] {
    RestoreUserPath(before);
    std::filesystem::remove_all(made);
    toolBack();
  });
  std::filesystem::create_directories(made + "/bin");
  const std::string entry = local + "\\pathshrink test Long Folder Name\\bin";
  ASSERT_EQ(RunWindowsProgram("reg", {"add", "HKCU\\Environment", "/v", "Path", "/t",
                                      "REG_EXPAND_SZ", "/d", entry, "/f"})
                .status,
            0);
  const std::vector<std::string> shortForms = ShortForms({entry});
  ASSERT_EQ(shortForms.size(), 1u);
  const std::string shortName = Shortest(entry, shortForms[0]);
  // After as many components as LOCALAPPDATA has: the short form may spell
  // them shorter (a runner's profile is RUNNER~1).
  std::size_t after = 0;
  for (std::size_t
           i = 0,
           parts = static_cast<std::size_t>(std::count(local.begin(), local.end(), '\\')) + 1;
       i < parts; ++i) {
    after = shortName.find('\\', after + 1);
  }
  ASSERT_NE(after, std::string::npos) << shortName;
  const std::string lasting = "%LOCALAPPDATA%" + shortName.substr(after);
  const ProcessResult preview = Run({"--user"});
  EXPECT_EQ(preview.out, lasting + "\n") << preview.err;
  const ProcessResult written = Run({"--user", "--write"});
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(query(), "REG_EXPAND_SZ    " + lasting);

  // A short name stored for one folder, which now names another: the
  // memory says what it was written for (Wine's short names are hashes and
  // never change, so the test writes the memory).
  tmp.MakeDirectories("The Folder It Was Written For");
  tmp.MakeDirectories("The Folder It Names Now");
  const std::string meant = WindowsPath(tmp.path()) + "\\The Folder It Was Written For";
  const std::string now = WindowsPath(tmp.path()) + "\\The Folder It Names Now";
  const std::vector<std::string> forms = ShortForms({meant, now});
  ASSERT_EQ(forms.size(), 2u);
  ASSERT_EQ(RunWindowsProgram("reg", {"add", "HKCU\\Environment", "/v", "Path", "/t",
                                      "REG_EXPAND_SZ", "/d", forms[1], "/f"})
                .status,
            0);
  std::filesystem::create_directories(tool);
  std::ofstream(tool + "/Path-user.written-for", std::ios::binary)
      << "pathshrink written-for 1\r\n"
      << forms[1] << "\t" << meant << "\r\n";
  const ProcessResult drifted = Run({"--user", "--write", "--json"});
  EXPECT_EQ(drifted.status, 0) << drifted.err;
  EXPECT_NE(drifted.err.find("was written for '" + meant + "'"), std::string::npos) << drifted.err;
  EXPECT_EQ(query(), "REG_EXPAND_SZ    " + Shortest(meant, forms[0]));
  EXPECT_EQ(SchemaProblemsHere(drifted.out), "") << drifted.out;
  EXPECT_NE(drifted.out.find("\"drifted\":1"), std::string::npos) << drifted.out;
}

// A new window's PATH is the machine's Path, then the user's, as Wine
// builds it for its own cmd.exe: a user entry whose folder the machine's
// lists (there in its short form) is left out, remembered, and put back
// once the machine's lets it go; the report's lengths are those of the
// window Wine makes.
TEST_F(WineEndToEndTest, TheUsersPathBesideTheMachines) {
#ifdef _WIN32
  if (!OnWindowsItself()) {
    GTEST_SKIP() << "Wine gives a program it runs no new window's PATH to compare with; the run "
                    "of this case from the Linux side compares with its cmd.exe";
  }
#endif
  const std::string machineKey =
      "HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment";
  const auto shown = [&](const std::string& key) {
    const ProcessResult result = RunWindowsProgram("reg", {"query", key, "/v", "Path"});
    for (const std::string& line : Lines(result.out)) {
      if (line.rfind("    Path    ", 0) == 0) return line.substr(12);
    }
    return std::string();
  };
  const auto set = [&](const std::string& key, const std::string& value) {
    return RunWindowsProgram("reg",
                             {"add", key, "/v", "Path", "/t", "REG_EXPAND_SZ", "/d", value, "/f"})
        .status;
  };
  const ProcessResult appData = RunWindowsProgram("cmd", {"/c", "echo %LOCALAPPDATA%"});
  const std::string local = Lines(appData.out).at(0);
  ASSERT_EQ(local.rfind("C:\\", 0), 0u) << local;
  const std::string tool = HostPath(local) + "/pathshrink";
  const std::function<void()> toolBack = ToolFolderAsItWas(tool);
  const std::string machineBefore = shown(machineKey);
  const std::string userBefore = UserPath();
  ASSERT_EQ(machineBefore.rfind("REG_EXPAND_SZ    ", 0), 0u) << machineBefore;
  const std::string machine = machineBefore.substr(17);
  const PutBack putBack([&] {
    set(machineKey, machine);
    RestoreUserPath(userBefore);
    toolBack();
  });

  tmp.MakeDirectories("Shared Tools Folder");
  tmp.MakeDirectories("User Only Folder");
  const std::string shared = WindowsPath(tmp.path()) + "\\Shared Tools Folder";
  const std::string only = WindowsPath(tmp.path()) + "\\User Only Folder";
  const std::vector<std::string> forms = ShortForms({shared, only});
  ASSERT_EQ(forms.size(), 2u);
  const std::string sharedShort = Shortest(shared, forms[0]);
  const std::string onlyShort = Shortest(only, forms[1]);
  const std::string user = shared + ";" + only;
  ASSERT_EQ(set(machineKey, machine + ";" + forms[0]), 0);
  ASSERT_EQ(set("HKCU\\Environment", user), 0);
  const auto echoPath = [&] { return RunWindowsProgram("cmd", {"/c", "echo %PATH%"}); };
  const std::string window = NewWindowPathOfTheSystem(echoPath);
  ASSERT_GT(window.size(), user.size());
  ASSERT_EQ(window.substr(window.size() - user.size()), user);  // the machine's, then the user's
  const std::size_t machineLength = window.size() - user.size() - 1;

  const ProcessResult preview = Run({"--user"});
  EXPECT_EQ(preview.status, 0) << preview.err;
  EXPECT_EQ(preview.out, onlyShort + "\n") << preview.err;
  EXPECT_NE(preview.err.find("[entry '" + shared +
                             "' left out: the machine's Path lists its folder as '" + forms[0] +
                             "', and a new window searches that first]\n"),
            std::string::npos)
      << preview.err;
  const std::size_t after = machineLength + 1 + onlyShort.size();
  EXPECT_NE(preview.err.find("[a new window's PATH (the machine's Path, then the user's): " +
                             std::to_string(window.size()) + " characters before, " +
                             std::to_string(after) + " after]\n"),
            std::string::npos)
      << preview.err;
  // Past what the Environment Variables dialog takes, until a missing
  // entry goes (Wine's own windows cut a PATH that long: no cmd.exe here).
  const std::string missing = "C:\\" + std::string(2100, 'm');
  ASSERT_EQ(set("HKCU\\Environment", shared + ";" + missing + ";" + only), 0);
  EXPECT_NE(
      Run({"--user"})
          .err.find("[a new window's PATH (the machine's Path, then the user's): " +
                    std::to_string(window.size() + 1 + missing.size()) + " characters before, " +
                    std::to_string(after) +
                    " after; the user's Path past 2047 before: the Environment Variables dialog "
                    "refuses it]\n"),
      std::string::npos);

  const ProcessResult stored = Run({"--user", "--write"});
  EXPECT_EQ(stored.status, 0) << stored.err;
  EXPECT_EQ(UserPath(), "REG_EXPAND_SZ    " + onlyShort);
  EXPECT_EQ(NewWindowPathOfTheSystem(echoPath).size(), after);
  EXPECT_EQ(ReadFile(tool + "/Path-user.written-for"), "pathshrink written-for 2\r\n" + onlyShort +
                                                           "\t" + only + "\r\n*\t0\t" + shared +
                                                           "\t" + forms[0] + "\r\n");

  // The machine's Path no longer lists it: the next run puts it back.
  ASSERT_EQ(set(machineKey, machine), 0);
  EXPECT_EQ(Run({"--user", "--check"}).status, 1);
  const ProcessResult back = Run({"--user", "--write"});
  EXPECT_EQ(back.status, 0) << back.err;
  EXPECT_NE(back.err.find("[entry '" + shared +
                          "' put back as entry 1: the machine's Path no longer lists its folder "
                          "(it listed it as '" +
                          forms[0] + "')]\n"),
            std::string::npos)
      << back.err;
  EXPECT_EQ(UserPath(), "REG_EXPAND_SZ    " + sharedShort + ";" + onlyShort);
  EXPECT_EQ(Run({"--user", "--check"}).status, 0);

  // The guide's --shadows line, on this user's new window: Wine keeps
  // programs of one name in system32 and in the Windows folder.
  ASSERT_EQ(DocumentBlock("docs/guide.md", "", "pathshrink --user --shadows\n"),
            "pathshrink --user --shadows\n");
  const ProcessResult shadows = Run({"--user", "--shadows"});
  EXPECT_EQ(shadows.status, 0) << shadows.err;
  EXPECT_NE(shadows.out.find("  cmd.exe  CreateProcess  pwsh   file\n"), std::string::npos)
      << shadows.out << shadows.err;
}

// Two folders each hold tool.exe, and an earlier one tool.cmd: cmd.exe
// starts the .cmd (as Wine's own cmd.exe shows), CreateProcess the first
// .exe.
TEST_F(WineEndToEndTest, ShadowsNameWhatCmdAndCreateProcessStart) {
  const std::string base = WindowsPath(tmp.path());
  std::vector<std::string> folders;
  for (const char* name : {"First Folder", "Second Folder", "Third Folder"}) {
    tmp.MakeDirectories(name);
    folders.push_back(base + "\\" + name);
  }
  std::ofstream(tmp.path() + "/First Folder/tool.cmd", std::ios::binary) << "@echo first\r\n";
  for (const char* name : {"/Second Folder/tool.exe", "/Third Folder/tool.exe"}) {
    std::filesystem::copy_file(PATHSHRINK_SHORT_PATH_PROBE, tmp.path() + name);
  }
  const std::vector<std::string> forms = ShortForms(folders);
  ASSERT_EQ(forms.size(), 3u);
  const std::string list = folders[0] + ";" + folders[1] + ";" + folders[2];
  const ProcessResult shadows = Run({"--shadows", list});
  EXPECT_EQ(shadows.status, 0) << shadows.err;
  EXPECT_EQ(shadows.out,
            "tool\n"
            "  cmd.exe  CreateProcess  pwsh   file\n"
            "  runs     -              runs   " +
                Shortest(folders[0], forms[0]) +
                "\\tool.cmd\n"
                "  never    runs           never  " +
                Shortest(folders[1], forms[1]) +
                "\\tool.exe\n"
                "  never    never          never  " +
                Shortest(folders[2], forms[2]) + "\\tool.exe\n")
      << shadows.err;
  // Wine's cmd.exe starts what the first column says, on the new list.
  std::string written;
  for (std::size_t i = 0; i < forms.size(); ++i) {
    written += (i > 0 ? ";" : "") + Shortest(folders[i], forms[i]);
  }
  const ProcessResult started = RunWindowsProgram("cmd", {"/c", "set PATH=" + written + "&& tool"});
  EXPECT_EQ(Lines(started.out).at(0), "first") << started.err;
}

TEST_F(WineEndToEndTest, SuggestionsAreMklinkLinesForCmd) {
  const std::string base = WindowsPath(tmp.path());
  std::string list;
  for (const char* leaf : {"First Tool", "Second Tool", "Third Tool", "Fourth Tool"}) {
    tmp.MakeDirectories(std::string("A Long Vendor Directory/Another Long Product/") + leaf);
    list += base + "\\A Long Vendor Directory\\Another Long Product\\" + leaf + ";";
  }
  // Links in a folder of the case's own with a short name, so that one
  // pays off even where the entries have short names already (whichever
  // name is free there); every system has it, as a runner has no Z:.
  tmp.MakeDirectories("lk");
  const std::vector<std::string> linkForms = ShortForms({base + "\\lk"});
  ASSERT_EQ(linkForms.size(), 1u);
  const std::string links = Shortest(base + "\\lk", linkForms[0]);
  const ProcessResult result = Run({"--suggest", "--junctions-in", links, list});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.rfind("REM ", 0), 0u) << result.out;
  // A link's path is quoted where cmd.exe needs it to be (a short name's
  // '~' makes the script quote it).
  const auto at = [&result](const std::string& before, const std::string& path) {
    const std::size_t plain = result.out.find(before + path);
    return plain != std::string::npos ? plain : result.out.find(before + "\"" + path);
  };
  EXPECT_NE(at("\nREM pathshrink --env PATH -j ", links + "\\"), std::string::npos) << result.out;
  const std::string target = " \"" + base + "\\A Long Vendor Directory\\Another Long Product\"\n";
  const std::size_t line = at("\nmklink /J ", links + "\\");
  ASSERT_NE(line, std::string::npos) << result.out;
  EXPECT_EQ(result.out.compare(result.out.size() - target.size(), target.size(), target), 0)
      << result.out;
}

// What only Windows itself can show; each case is skipped elsewhere, with
// its reason, and puts back what it changed.

// A junction made with mklink /J: -j writes entries through it, and the
// links --suggest proposes, made by its own lines, serve -j too.
TEST_F(WineEndToEndTest, AJunctionMadeWithMklinkServesDashJAndSuggest) {
  if (!OnWindowsItself()) GTEST_SKIP() << "Windows only: junctions made with mklink /J";
  const std::string base = WindowsPath(tmp.path());
  std::string list;
  for (const char* leaf : {"First Tool", "Second Tool"}) {
    tmp.MakeDirectories(std::string("A Long Vendor Directory/Another Long Product/") + leaf);
    list += (list.empty() ? "" : ";") + base + "\\A Long Vendor Directory\\Another Long Product\\" +
            leaf;
  }
  const std::string target = base + "\\A Long Vendor Directory\\Another Long Product";
  const std::string link = base + "\\lp";
  std::ofstream(tmp.path() + "/link.bat", std::ios::binary)
      << "@mklink /J \"" << link << "\" \"" << target << "\"\r\n";
  ASSERT_EQ(RunWindowsProgram("cmd", {"/c", base + "\\link.bat"}).status, 0);
  const std::vector<std::string> forms =
      ShortForms({link + "\\First Tool", link + "\\Second Tool"});
  ASSERT_EQ(forms.size(), 2u);
  const ProcessResult used = Run({list, "-j", link});
  EXPECT_EQ(used.status, 0) << used.err;
  EXPECT_EQ(used.out, Shortest(link + "\\First Tool", forms[0]) + ";" +
                          Shortest(link + "\\Second Tool", forms[1]) + "\n")
      << used.err;

  tmp.MakeDirectories("links");
  const ProcessResult suggested = Run({"--suggest", "--junctions-in", base + "\\links", list});
  EXPECT_EQ(suggested.status, 0) << suggested.err;
  std::ofstream(tmp.path() + "/suggested.bat", std::ios::binary) << "@echo off\r\n"
                                                                 << suggested.out;
  EXPECT_EQ(RunWindowsProgram("cmd", {"/c", base + "\\suggested.bat"}).status, 0) << suggested.out;
  std::vector<std::string> dashJ = {list};
  for (const std::string& line : Lines(suggested.out)) {
    if (line.rfind("mklink /J ", 0) != 0) continue;
    std::string made = line.substr(10, line.find(" \"", 10) - 10);
    if (made.size() > 1 && made.front() == '"') made = made.substr(1, made.size() - 2);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(made))) << made;
    dashJ.insert(dashJ.end(), {"-j", made});
  }
  ASSERT_GT(dashJ.size(), 1u) << suggested.out;
  const ProcessResult through = Run(dashJ);
  EXPECT_EQ(through.status, 0) << through.err;
  EXPECT_LT(through.out.size(), Run({list}).out.size()) << through.out;
}

// The --machine --suggest script's own lines that make its folder and set
// its rights, run for real on a folder of this test's: read back, only
// administrators and SYSTEM may change it; users may read and run.
TEST_F(WineEndToEndTest, TheMachineScriptsRightsLeaveOrdinaryUsersOut) {
  if (!OnWindowsItself()) GTEST_SKIP() << "Windows only: icacls (a stub under Wine)";
  const std::string machineKey =
      "HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment";
  std::string machine;
  for (const std::string& line :
       Lines(RunWindowsProgram("reg", {"query", machineKey, "/v", "Path"}).out)) {
    if (line.rfind("    Path    REG_EXPAND_SZ    ", 0) == 0) machine = line.substr(29);
  }
  ASSERT_FALSE(machine.empty()) << "the machine's Path is not REG_EXPAND_SZ here";
  const PutBack putBack([&] {
    RunWindowsProgram(
        "reg", {"add", machineKey, "/v", "Path", "/t", "REG_EXPAND_SZ", "/d", machine, "/f"});
  });
  const std::string base = WindowsPath(tmp.path());
  std::string list = machine;
  for (const char* leaf : {"First Tool", "Second Tool", "Third Tool"}) {
    tmp.MakeDirectories(std::string("A Long Vendor Directory/Another Long Product/") + leaf);
    list += ";" + base + "\\A Long Vendor Directory\\Another Long Product\\" + leaf;
  }
  ASSERT_EQ(RunWindowsProgram(
                "reg", {"add", machineKey, "/v", "Path", "/t", "REG_EXPAND_SZ", "/d", list, "/f"})
                .status,
            0);
  const ProcessResult script = Run({"--machine", "--suggest"});
  EXPECT_EQ(script.status, 0) << script.err;
  // The folder the script makes, and the lines that make it and set its
  // rights, pointed at a folder of this test's instead.
  std::string folder;
  for (const std::string& line : Lines(script.out)) {
    if (line.rfind("mkdir ", 0) == 0) folder = line.substr(6, line.find(" || exit") - 6);
  }
  ASSERT_FALSE(folder.empty()) << script.out;
  const std::string mine = base + "\\links";
  const std::string quoted = "\"" + mine + "\"";
  std::string lines = "@echo off\r\n";
  for (std::string line : Lines(script.out)) {
    if (line.rfind("mkdir ", 0) != 0 && line.rfind("icacls ", 0) != 0) continue;
    for (std::size_t at = 0; (at = line.find(folder, at)) != std::string::npos;) {
      line.replace(at, folder.size(), quoted);
      at += quoted.size();
    }
    lines += line + "\r\n";
  }
  std::ofstream(tmp.path() + "/rights.bat", std::ios::binary) << lines;
  ASSERT_EQ(RunWindowsProgram("cmd", {"/c", base + "\\rights.bat"}).status, 0) << lines;
  // icacls lists each account granted anything, as "NAME:(rights)".
  const ProcessResult shown = RunWindowsProgram("icacls", {mine});
  ASSERT_EQ(shown.status, 0) << shown.err;
  for (const std::string& line : Lines(shown.out)) {
    const std::size_t colon = line.find(":(");
    if (colon == std::string::npos) continue;
    const std::string account = line.substr(0, colon);
    if (account.find("Administrators") != std::string::npos ||
        account.find("SYSTEM") != std::string::npos) {
      continue;
    }
    // Anyone else: read and run, on the folder and what it will hold.
    std::string rights = line.substr(colon + 1);
    for (const char* inheritance : {"(OI)", "(CI)", "(IO)", "(NP)", "(I)"}) {
      for (std::size_t at; (at = rights.find(inheritance)) != std::string::npos;) {
        rights.erase(at, std::string(inheritance).size());
      }
    }
    EXPECT_EQ(rights, "(RX)") << account << "\n" << shown.out;
  }
}

// Short names are handed out in the order folders are made: of two whose
// names begin alike, the second is ~2, and an entry through either is said
// not to last.
TEST_F(WineEndToEndTest, NumberedShortNamesAreSaidNotToLast) {
  if (!OnWindowsItself()) GTEST_SKIP() << "Windows only: numbered short names (Wine's are hashed)";
  if (!ShortNamesExpected()) {
    GTEST_SKIP() << "needs 8.3 names for new folders (PATHSHRINK_EXPECT_SHORT_NAMES=1)";
  }
  const std::string base = WindowsPath(tmp.path());
  tmp.MakeDirectories("Microsoft Alpha Tools");
  tmp.MakeDirectories("Microsoft Beta Tools");
  const std::string second = base + "\\Microsoft Beta Tools";
  const std::vector<std::string> forms = ShortForms({base + "\\Microsoft Alpha Tools", second});
  ASSERT_EQ(forms.size(), 2u);
  ASSERT_EQ(forms[0].substr(forms[0].size() - 8), "MICROS~1");
  ASSERT_EQ(forms[1].substr(forms[1].size() - 8), "MICROS~2");
  const ProcessResult result = Run({second});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("short name 'MICROS~2' in '"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("shares its stem with another: after a reinstall it may name another "
                            "folder"),
            std::string::npos)
      << result.err;
}

// An App execution alias, as the Store installs one in WindowsApps (an
// empty file, a reparse point of tag IO_REPARSE_TAG_APPEXECLINK): named as
// such where another folder holds a program of the same name.
TEST_F(WineEndToEndTest, AnAppExecutionAliasIsNamedAsSuch) {
  if (!OnWindowsItself()) GTEST_SKIP() << "Windows only: App execution aliases (Wine makes none)";
  std::string alias;
  std::string apps;
#ifdef _WIN32
  const ProcessResult appData = RunWindowsProgram("cmd", {"/c", "echo %LOCALAPPDATA%"});
  apps = Lines(appData.out).at(0) + "\\Microsoft\\WindowsApps";
  WIN32_FIND_DATAA found{};
  const HANDLE search = ::FindFirstFileA((apps + "\\*.exe").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
          found.dwReserved0 == 0x8000001B) {
        alias = found.cFileName;
      }
    } while (alias.empty() && ::FindNextFileA(search, &found));
    ::FindClose(search);
  }
#endif
  if (alias.empty()) GTEST_SKIP() << "no App execution alias in " << apps;
  tmp.MakeDirectories("Another");
  std::filesystem::copy_file(PATHSHRINK_SHORT_PATH_PROBE, tmp.path() + "/Another/" + alias);
  const std::string other = WindowsPath(tmp.path()) + "\\Another";
  const ProcessResult shadows = Run({"--shadows", apps + ";" + other});
  EXPECT_EQ(shadows.status, 0) << shadows.err;
  EXPECT_NE(shadows.out.find("\\" + alias + "  (App execution alias)\n"), std::string::npos)
      << shadows.out;
  EXPECT_NE(shadows.out.find("\\" + alias + "\n"), std::string::npos) << shadows.out;
}

// Standard input in a console's code page other than the one the system
// defaults to: chcp 850, where 0x9D is Ø (437 has ¥ there).
TEST_F(WineEndToEndTest, StandardInputInTheConsolesCodePage) {
  if (!OnWindowsItself()) GTEST_SKIP() << "Windows only: chcp (Wine's works off no console)";
#ifdef _WIN32
  if (::GetConsoleOutputCP() == 0) GTEST_SKIP() << "needs a console, for chcp";
#endif
  tmp.MakeDirectories("\xC3\x98rsted");
  const std::string base = WindowsPath(tmp.path());
  std::ofstream(tmp.path() + "/input.txt", std::ios::binary) << base << "\\\x9Drsted\r\n";
  std::ofstream(tmp.path() + "/input.bat", std::ios::binary)
      << "@chcp 850 >nul\r\n@\"" << WindowsPath(PATHSHRINK_WINDOWS_EXE) << "\" - < \"" << base
      << "\\input.txt\"\r\n";
  const ProcessResult result = [&] {
    const PutBack page(ConsoleCodePageAsItIs());
    return RunWindowsProgram("cmd", {"/c", base + "\\input.bat"});
  }();
  EXPECT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> forms = ShortForms({base + "\\\xC3\x98rsted"});
  ASSERT_EQ(forms.size(), 1u);
  EXPECT_EQ(result.out, Shortest(base + "\\\xC3\x98rsted", forms[0]) + "\n") << result.err;
}

// The PowerShell lines of the README (checking a download) and of the
// guide (this window's Path), in PowerShell 7 and Windows PowerShell 5.1.
TEST_F(WineEndToEndTest, ThePowerShellLinesInBothPowerShells) {
  if (!OnWindowsItself()) GTEST_SKIP() << "Windows only: PowerShell";
  const std::string hash = DocumentBlock("README.md", "powershell", "Get-FileHash");
  const std::string path =
      DocumentBlock("docs/guide.md", "powershell", "[Console]::OutputEncoding");
  ASSERT_FALSE(hash.empty());
  ASSERT_FALSE(path.empty());
  const std::string base = WindowsPath(tmp.path());
  const std::string zip = "pathshrink-VERSION-windows-x64.zip";
  std::ofstream(tmp.path() + "/" + zip, std::ios::binary) << "not really a ZIP";
  // certutil's own digest of the file, in its second line.
  const std::vector<std::string> certutil =
      Lines(RunWindowsProgram("certutil", {"-hashfile", base + "\\" + zip, "SHA256"}).out);
  ASSERT_GE(certutil.size(), 2u);
  std::string expected;
  for (const char c : certutil[1]) {
    if (c != ' ') expected += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  tmp.MakeDirectories("A Long Directory Name");
  const std::string tool = WindowsPath(PATHSHRINK_WINDOWS_EXE);
  const std::string folder = tool.substr(0, tool.find_last_of('\\'));
  const std::string list = folder + ";" + base + "\\A Long Directory Name;" + base + "\\Missing";
  const std::string direct = Run({list}).out;
  std::ofstream(tmp.path() + "/lines.ps1", std::ios::binary)
      << "Set-Location -LiteralPath '" << base << "'\r\n"
      << "(" << Lines(hash).at(0) << ").Hash\r\n"
      << "$env:Path = '" << list << "'\r\n"
      << path << "Write-Output $env:Path\r\n";
  for (const char* shell : {"pwsh", "powershell"}) {
    const ProcessResult result = RunWindowsProgram(
        shell, {"-NoProfile", "-ExecutionPolicy", "Bypass", "-File", base + "\\lines.ps1"});
    EXPECT_EQ(result.status, 0) << shell << ": " << result.err;
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 2u) << shell << ": " << result.out << result.err;
    EXPECT_EQ(lines[0], expected) << shell;
    EXPECT_EQ(lines[1] + "\n", direct) << shell;
  }
}

TEST_F(WineEndToEndTest, UsageLineAndUnknownFlag) {
  ProcessResult result = Run({});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  const std::string usage = " [options] (fullpath | - | --env NAME | --user | --machine)\n";
  ASSERT_GE(result.err.size(), usage.size());
  EXPECT_EQ(result.err.substr(result.err.size() - usage.size()), usage);
  EXPECT_NE(result.err.find("pathshrink"), std::string::npos) << result.err;

  result = Run({"C:\\windows", "-J", "C:\\windows"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("Unknown flag [-J]\n", 0), 0u) << result.err;
  EXPECT_NE(result.err.find(" [options] fullpath\n"), std::string::npos) << result.err;
}

TEST_F(WineEndToEndTest, JunctionsThatCannotBeReadAreReported) {
  tmp.MakeDirectories("Ordinary Directory");
  const std::string ordinary = WindowsPath(tmp.path()) + "\\Ordinary Directory";
  const std::string missing = WindowsPath(tmp.path()) + "\\Missing";
  const ProcessResult result = Run({"C:\\windows", "-j", ordinary, "-j", missing});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "C:\\windows\n");
  EXPECT_EQ(result.err, "[can't process junction '" + ordinary + "']\n" +
                            "[can't process junction '" + missing + "']\n" +
                            ExpectedReport("C:\\windows", "C:\\windows"));
}

}  // namespace
}  // namespace pathshrink
