// Runs on Windows (and under Wine): the realisation against the real volume.
#include "system/windows_file_system.h"
#include "system/windows_security.h"

#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <aclapi.h>
#include <sddl.h>

#include <cctype>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>

#include "pathtext/path_spelling.h"
#include "system/junction_errors.h"
#include "system/windows_utf8.h"
#include "testing/junction_target_for_tests.h"

namespace pathshrink {
namespace {

using testing::TargetOrMessage;

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// A fresh directory under the user's temporary folder.
class WindowsFileSystemTest : public ::testing::Test {
 protected:
  WindowsFileSystemTest() {
    char temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathA(sizeof temp, temp);
    root = std::string(temp, length) + "pathshrink test " + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(root.c_str(), nullptr);
  }
  ~WindowsFileSystemTest() override { RemoveTree(Widen(root)); }

  static void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    const std::wstring prefixed = L"\\\\?\\" + dir;
    HANDLE search = ::FindFirstFileW((prefixed + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(dir + L"\\" + name);
        }
      } while (::FindNextFileW(search, &found));
      ::FindClose(search);
    }
    ::RemoveDirectoryW(prefixed.c_str());
  }

  // Makes `relative` below the root, however long; returns its path.
  std::string MakeDirectories(const std::string& relative) {
    std::string path = root;
    std::size_t start = 0;
    while (start <= relative.size()) {
      const std::size_t end = relative.find('\\', start);
      path += "\\" + relative.substr(start, end - start);
      ::CreateDirectoryW((L"\\\\?\\" + Widen(path)).c_str(), nullptr);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return path;
  }

  std::string root;
  WindowsFileSystem queries;
};

// Whether the folders made by the tests must have short names: set where
// a workflow step turned their creation on for the volume the tests use.
bool ShortNamesExpected() {
  const char* expected = std::getenv("PATHSHRINK_EXPECT_SHORT_NAMES");
  return expected != nullptr && std::string(expected) == "1";
}

// The system's own answer for a path, through the wide call.
std::string SystemShortForm(const std::string& path) {
  std::wstring wide;
  if (!Utf8ToWide(path, wide)) return "(not UTF-8)";
  wchar_t answer[32768];
  const DWORD length = ::GetShortPathNameW(wide.c_str(), answer, 32768);
  std::string utf8;
  if (length == 0 || !WideToUtf8(std::wstring_view(answer, length), utf8)) return "(none)";
  return utf8;
}

TEST_F(WindowsFileSystemTest, AnswersTheSystemsShortForm) {
  const std::string path = MakeDirectories("Long Directory Name\\Another Long One");
  const std::string sibling = MakeDirectories("Long Directory Name\\A Sibling Below It");
  MakeDirectories("Long Directory Name\\short");
  std::string shortParent;
  ASSERT_TRUE(queries.ShortPathName(root + "\\Long Directory Name", shortParent));
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // Each spelling as the system answers it, whatever this run asked before
  // (folders above are asked once a run and remembered).
  const std::string spellings[] = {
      path,
      path,  // again
      sibling,
      lower,
      shortParent + "\\Another Long One",
      root + "\\Long Directory Name\\SHORT",
      "\\\\?\\" + path,                                     // the system's to answer
      root + "\\Long Directory Name\\.\\Another Long One",  // the system's to answer
  };
  for (const std::string& spelling : spellings) {
    std::string answer;
    ASSERT_TRUE(queries.ShortPathName(spelling, answer)) << spelling;
    EXPECT_EQ(answer, SystemShortForm(spelling)) << spelling;
  }
  std::string answer;
  ASSERT_TRUE(queries.ShortPathName(path, answer));
  // A volume without 8.3 names (hosted CI runners, ReFS) answers the path
  // itself; where the system made short names, they are what comes back,
  // and where the workflow turned them on, they must.
  if (answer != path || ShortNamesExpected()) {
    EXPECT_EQ(answer.find("Long Directory Name"), std::string::npos) << answer;
  }
  // Not there, in a folder that is (or below one that is not): missing;
  // on a drive that is not there: not missing.
  for (const std::string& gone : {root + "\\Long Directory Name\\Gone\\Below",
                                  root + "\\Long Directory Name\\Gone", root + "\\Gone"}) {
    EXPECT_FALSE(queries.ShortPathName(gone, answer)) << gone;
    EXPECT_EQ(queries.WhyUnresolved(gone), Unresolved::kMissing) << gone;
  }
  EXPECT_FALSE(queries.ShortPathName("B:\\Gone\\Below", answer));
  EXPECT_NE(queries.WhyUnresolved("B:\\Gone\\Below"), Unresolved::kMissing);
}

// Which names a volume that makes short names gives one of their own: as
// the system's own RtlIsNameLegalDOS8Dot3 judges (a legal name with spaces
// gets one too).
TEST(NeedsShortNameTest, AsTheSystemJudges) {
  struct CountedUnicode {
    USHORT Length;
    USHORT MaximumLength;
    PWSTR Buffer;
  };
  using IsLegal = BOOLEAN(WINAPI*)(CountedUnicode*, void*, BOOLEAN*);
  const auto isLegal = reinterpret_cast<IsLegal>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlIsNameLegalDOS8Dot3")));
  ASSERT_NE(isLegal, nullptr);
  for (const char* name : {"bin",      "README.TXT", "readme.txt",   "Long Folder Name",
                           "abcdefgh", "abcdefghi",  "abcdefgh.ext", "abcdefgh.exte",
                           "a.b.c",    ".git",       "a+b",          "a,b",
                           "a;b",      "a=b",        "a[1]",         "Tools",
                           "x64",      "Python311",  "MICROS~1",     "a b",
                           "1.0",      "v1.2.3"}) {
    std::wstring wide = Widen(name);
    CountedUnicode counted{static_cast<USHORT>(wide.size() * 2),
                           static_cast<USHORT>(wide.size() * 2), wide.data()};
    BOOLEAN spaces = FALSE;
    const bool legal = isLegal(&counted, nullptr, &spaces) != 0 && !spaces;
    EXPECT_EQ(NeedsShortName(name), !legal) << name;
  }
}

TEST_F(WindowsFileSystemTest, AnAnswerLongerThanTheBufferIsFetchedWhole) {
  // Spelled with "\\?\", which the system answers itself (a plain path is
  // walked a component at a time, with no buffer to outgrow).
  const std::string path = "\\\\?\\" + MakeDirectories("Long Directory Name\\Another Long One");
  std::string expected;
  ASSERT_TRUE(queries.ShortPathName(path, expected));
  for (unsigned long size : {1ul, 8ul, static_cast<unsigned long>(expected.size())}) {
    WindowsFileSystem smallBuffer(size);
    std::string answer;
    EXPECT_TRUE(smallBuffer.ShortPathName(path, answer)) << size;
    EXPECT_EQ(answer, expected) << size;
  }
}

TEST_F(WindowsFileSystemTest, AMissingPathFailsAndLeavesTheAnswerAlone) {
  for (const std::string& path : {root + "\\Missing", std::string()}) {
    std::string answer = "untouched";
    EXPECT_FALSE(queries.ShortPathName(path, answer)) << path;
    EXPECT_EQ(answer, "untouched");
  }
}

TEST_F(WindowsFileSystemTest, AShortFormPast260CharactersIsWholeOrAFailure) {
  // Thirty long components: the short form alone is past the classic limit.
  std::string relative;
  for (int i = 0; i < 30; ++i) {
    if (i > 0) relative += "\\";
    relative += "Long Component Name " + std::to_string(i);
  }
  const std::string path = MakeDirectories(relative);
  std::string answer = "untouched";
  if (!queries.ShortPathName(path, answer)) {
    std::cout << "the system refused a path of " << path.size() << " bytes\n";
    EXPECT_EQ(answer, "untouched");
    return;
  }
  std::cout << "a path of " << path.size() << " bytes has a short form of " << answer.size()
            << "\n";
  EXPECT_GT(answer.size(), 260u);  // 30 components of at least 8 letters
  // Every component is there, in short form: one separator per component.
  std::size_t separators = 0;
  for (char c : answer) separators += c == '\\';
  std::size_t rootSeparators = 0;
  for (char c : root) rootSeparators += c == '\\';
  EXPECT_EQ(separators, rootSeparators + 30) << answer;
  if (answer != path || ShortNamesExpected()) {  // a volume that makes 8.3 names
    EXPECT_EQ(answer.find("Long Component Name"), std::string::npos) << answer;
  }
  const DWORD attributes = ::GetFileAttributesW((L"\\\\?\\" + Widen(answer)).c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << answer;
}

TEST_F(WindowsFileSystemTest, JunctionReaderFailures) {
  EXPECT_EQ(TargetOrMessage(queries, root), junction_errors::kNotAReparsePoint);
  EXPECT_EQ(TargetOrMessage(queries, root + "\\Missing"),
            std::string(junction_errors::kUnableToOpen) + root + "\\Missing");
}

TEST(Utf8ArgumentsTest, AnUnpairedSurrogateSpoilsOnlyItsOwnEntry) {
  const wchar_t* argv[] = {L"pathshrink", L"C:\\Windows;C:\\x\xD800", nullptr};
  const std::vector<std::string> arguments = Utf8Arguments(2, argv);
  ASSERT_EQ(arguments.size(), 2u);
  EXPECT_EQ(arguments[1], "C:\\Windows;C:\\x\xEF\xBF\xBD");
}

// Rights set with icacls, as an administrator sets them, read back as
// Windows enforces them. Wine's icacls is a stub: Windows only.
TEST_F(WindowsFileSystemTest, RightsSetWithIcaclsAreReadBack) {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr || ::GetProcAddress(ntdll, "wine_get_version") != nullptr) {
    GTEST_SKIP() << "Windows only: icacls (a stub under Wine)";
  }
  const std::string owners = " /setowner *S-1-5-32-544";
  const std::string admins = " *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F";
  const struct {
    const char* name;
    std::string grants;  // after the owner is set to Administrators
    bool addFiles, addFolders;
  } cases[] = {
      {"only administrators and SYSTEM", " /inheritance:r /grant:r" + admins, false, false},
      {"Users may add folders", " /inheritance:r /grant:r" + admins + " *S-1-5-32-545:(AD)", false,
       true},
      {"Users may add files", " /inheritance:r /grant:r" + admins + " *S-1-5-32-545:(WD)", true,
       false},
      // Windows weighs a deny entry first; the tool does not count on one
      // and answers on the side of caution.
      {"a deny entry beside the grant",
       " /inheritance:r /grant:r" + admins + " *S-1-5-32-545:(AD) /deny *S-1-5-32-545:(AD)", false,
       true},
      // What the user's temporary folder hands down: its owner, an
      // ordinary account, may do anything.
      {"inheritance kept", "", true, true},
  };
  int made = 0;
  for (const auto& c : cases) {
    const std::string folder = MakeDirectories("icacls " + std::to_string(++made));
    const auto icacls = [&folder](const std::string& arguments) {
      std::string command = "icacls \"";
      command.append(folder).append("\"").append(arguments).append(" >NUL");
      return std::system(command.c_str());
    };
    ASSERT_EQ(icacls(owners), 0) << c.name;
    if (!c.grants.empty()) ASSERT_EQ(icacls(c.grants), 0) << c.name;
    const OrdinaryUserRights rights = queries.RightsOfOrdinaryUsers(folder);
    EXPECT_TRUE(rights.known) << c.name;
    EXPECT_EQ(rights.addFiles, c.addFiles) << c.name;
    EXPECT_EQ(rights.addFolders, c.addFolders) << c.name;
  }
}

// The rights of ordinary users, read from a folder's security descriptor
// as the test sets it (by well-known SIDs, as the tool reads them). Wine
// takes a new DACL and then answers with one of its own, made from the
// Unix permissions (SYSTEM and the owner all, Everyone read and run): what
// the system keeps is what the tool is held to, and a case whose DACL was
// not kept is skipped there.
TEST_F(WindowsFileSystemTest, RightsOfOrdinaryUsersFollowTheDacl) {
  const auto keptAs = [](const std::wstring& path) {
    PSECURITY_DESCRIPTOR got = nullptr;
    PACL dacl = nullptr;
    std::wstring sddl;
    LPWSTR text = nullptr;
    PSID owner = nullptr;
    const SECURITY_INFORMATION asked = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, asked, &owner, nullptr, &dacl,
                                nullptr, &got) == ERROR_SUCCESS &&
        ::ConvertSecurityDescriptorToStringSecurityDescriptorW(got, SDDL_REVISION_1, asked, &text,
                                                               nullptr)) {
      sddl = text;
      ::LocalFree(text);
    }
    ::LocalFree(got);
    return sddl;
  };
  const struct {
    const char* name;
    const wchar_t* dacl;
    const wchar_t* mark;  // in the DACL read back when the system kept it
    bool addFiles, addFolders, deleteChildren, replaceItself;
  } cases[] = {
      // Administrators and SYSTEM may do anything; users may read and run.
      {"locked", L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", L";BU)", false,
       false, false, false},
      // Authenticated Users may modify: what a folder made in a drive's
      // root inherits by default.
      {"open", L"D:P(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;AU)", L";AU)", true, true, false, true},
      // What applies only to what is made inside does not count.
      {"later", L"D:P(A;OICI;FA;;;BA)(A;OICIIO;FA;;;WD)(A;;0x1200a9;;;WD)", L"IO;", false, false,
       false, false},
      // Users may add folders only: a short name's double could be made.
      {"folders", L"D:P(A;OICI;FA;;;BA)(A;;0x100024;;;BU)", L";BU)", false, true, false, false},
  };
  for (const auto& c : cases) {
    const std::string folder = MakeDirectories(c.name);
    std::wstring wide = Widen(folder);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(c.dacl, SDDL_REVISION_1,
                                                                       &descriptor, nullptr));
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    ::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    ::SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT,
                            DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, dacl, nullptr);
    ::LocalFree(descriptor);
    // Administrators as the owner, where this user may make them so (an
    // elevated one); else the folder's owner is this user, who may always
    // give itself more.
    PSID administrators = nullptr;
    ::ConvertStringSidToSidW(L"BA", &administrators);
    ::SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, administrators,
                            nullptr, nullptr, nullptr);
    ::LocalFree(administrators);
    const std::wstring kept = keptAs(wide);
    if (kept.find(c.mark) == std::wstring::npos) {
      std::cout << c.name << ": the system did not keep the DACL set; not judged\n";
      continue;
    }
    const bool ownedByAdministrators = kept.rfind(L"O:BA", 0) == 0;
    const OrdinaryUserRights rights = WindowsFileSystem().RightsOfOrdinaryUsers(folder);
    EXPECT_TRUE(rights.known) << c.name;
    EXPECT_EQ(rights.addFiles, c.addFiles) << c.name;
    EXPECT_EQ(rights.addFolders, c.addFolders) << c.name;
    EXPECT_EQ(rights.deleteChildren, c.deleteChildren) << c.name;
    EXPECT_EQ(rights.replaceItself, c.replaceItself || !ownedByAdministrators) << c.name;
  }
}

// The rules themselves, over security descriptors built in memory: Wine
// keeps no DACL it is given, but reads one built from SDDL as Windows does.
TEST(RightsInSecurityDescriptorTest, EveryoneButAdministratorsSystemAndTrustedInstallerCounts) {
  const std::wstring admins = L"(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
  const std::wstring installer = L"S-1-5-80-956008885-3418522649-1831038044-1850803645-3209483936";
  const struct {
    const char* name;
    std::wstring sddl;
    bool addFiles, addFolders, deleteChildren, replaceItself;
  } cases[] = {
      {"locked", L"O:BAD:P" + admins + L"(A;OICI;0x1200a9;;;BU)", false, false, false, false},
      {"Authenticated Users may modify", L"O:BAD:P" + admins + L"(A;OICI;0x1301bf;;;AU)", true,
       true, false, true},
      {"inherit-only entries do not count",
       L"O:BAD:P" + admins + L"(A;OICIIO;FA;;;WD)(A;;0x1200a9;;;WD)", false, false, false, false},
      {"add folders is FILE_ADD_SUBDIRECTORY", L"O:BAD:P" + admins + L"(A;;0x100024;;;BU)", false,
       true, false, false},
      {"add files is FILE_ADD_FILE", L"O:BAD:P" + admins + L"(A;;0x100002;;;BU)", true, false,
       false, false},
      {"delete what is inside", L"O:BAD:P" + admins + L"(A;;0x100040;;;BU)", false, false, true,
       false},
      {"change the permissions", L"O:BAD:P" + admins + L"(A;;0x40000;;;BU)", false, false, false,
       true},
      {"a named user", L"O:BAD:P" + admins + L"(A;;FA;;;S-1-5-21-1-2-3-1001)", true, true, true,
       true},
      {"Domain Users", L"O:BAD:P" + admins + L"(A;;0x100004;;;S-1-5-21-1-2-3-513)", false, true,
       false, false},
      {"LOCAL", L"O:BAD:P" + admins + L"(A;;0x100004;;;S-1-2-0)", false, true, false, false},
      {"REMOTE INTERACTIVE LOGON", L"O:BAD:P" + admins + L"(A;;0x100002;;;S-1-5-14)", true, false,
       false, false},
      {"SERVICE", L"O:BAD:P" + admins + L"(A;;0x100002;;;SU)", true, false, false, false},
      {"generic all", L"O:BAD:P" + admins + L"(A;;GA;;;BU)", true, true, true, true},
      {"generic write, taken as all", L"O:BAD:P" + admins + L"(A;;GW;;;BU)", true, true, true,
       true},
      {"a deny entry is not weighed", L"O:BAD:P(D;;FA;;;BU)" + admins + L"(A;;0x100004;;;BU)",
       false, true, false, false},
      {"CREATOR OWNER on the folder itself", L"O:BAD:P" + admins + L"(A;;FA;;;CO)", false, false,
       false, false},
      {"an ordinary owner may re-permit", L"O:S-1-5-21-1-2-3-1001D:P" + admins, false, false, false,
       true},
      {"owned by TrustedInstaller", L"O:" + installer + L"D:P" + admins, false, false, false,
       false},
      {"owned by SYSTEM", L"O:SYD:P" + admins, false, false, false, false},
      {"TrustedInstaller's grants are trusted",
       L"O:BAD:P" + admins + L"(A;;FA;;;" + installer + L")", false, false, false, false},
  };
  for (const auto& c : cases) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        c.sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        << c.name;
    const OrdinaryUserRights rights = RightsInSecurityDescriptor(descriptor);
    ::LocalFree(descriptor);
    EXPECT_TRUE(rights.known) << c.name;
    EXPECT_EQ(rights.addFiles, c.addFiles) << c.name;
    EXPECT_EQ(rights.addFolders, c.addFolders) << c.name;
    EXPECT_EQ(rights.deleteChildren, c.deleteChildren) << c.name;
    EXPECT_EQ(rights.replaceItself, c.replaceItself) << c.name;
  }
  // No DACL at all (built by hand: Wine reads D:NO_ACCESS_CONTROL as an
  // empty one): everyone may do everything.
  SECURITY_DESCRIPTOR open{};
  ASSERT_TRUE(::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(::SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
  const OrdinaryUserRights everything = RightsInSecurityDescriptor(&open);
  EXPECT_TRUE(everything.addFiles && everything.addFolders && everything.deleteChildren &&
              everything.replaceItself);
  // A conditional entry counts as granted: its condition may hold. Where
  // the system reads no such SDDL (Wine), it is not judged.
  PSECURITY_DESCRIPTOR conditional = nullptr;
  if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          (L"O:BAD:P" + admins + L"(XA;;FA;;;WD;(Member_of {SID(BA)}))").c_str(), SDDL_REVISION_1,
          &conditional, nullptr)) {
    EXPECT_TRUE(RightsInSecurityDescriptor(conditional).addFiles);
    ::LocalFree(conditional);
  } else {
    std::cout << "conditional entries: the system reads no such SDDL; not judged\n";
  }
}

}  // namespace
}  // namespace pathshrink
