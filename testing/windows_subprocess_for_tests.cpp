// The test helpers of subprocess_for_tests.h on Windows: a process started
// with CreateProcessW and its two streams read through pipes, and a
// temporary folder below the user's temporary folder.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <random>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "testing/subprocess_for_tests.h"

namespace pathshrink::testing {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// One argument as CommandLineToArgvW and the C runtime read it back: quoted
// where it holds a space, a tab or a quote, or is empty; a quote escaped,
// and the backslashes before a quote (or the closing one) doubled.
void AppendQuoted(const std::wstring& argument, std::wstring& line) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, L'\\');
  line += L'"';
}

// Reads `pipe` to its end into `sink`.
void Drain(HANDLE pipe, std::string& sink) {
  char buffer[65536];
  DWORD read = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    sink.append(buffer, read);
  }
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnvironment) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!::CreatePipe(&outRead, &outWrite, &inherit, 0) ||
      !::CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    Fail("CreatePipe");
  }
  ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);

  std::wstring line;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    if (i > 0) line += L' ';
    AppendQuoted(Wide(argv[i]), line);
  }
  // This process's variables, the extra ones in place of those of the same
  // name (names compared without regard to case, as Windows does).
  std::wstring block;
  std::vector<std::wstring> extras;
  extras.reserve(extraEnvironment.size());
  for (const std::string& extra : extraEnvironment) extras.push_back(Wide(extra));
  const auto sameName = [](const std::wstring& a, const std::wstring& b) {
    const std::size_t equals = a.find(L'=', 1);
    return equals != std::wstring::npos && b.size() > equals && b[equals] == L'=' &&
           ::CompareStringOrdinal(a.c_str(), static_cast<int>(equals), b.c_str(),
                                  static_cast<int>(equals), TRUE) == CSTR_EQUAL;
  };
  for (const std::wstring& extra : extras) block += extra + L'\0';
  if (wchar_t* inherited = ::GetEnvironmentStringsW()) {
    for (const wchar_t* entry = inherited; *entry != L'\0'; entry += wcslen(entry) + 1) {
      const std::wstring variable = entry;
      bool replaced = false;
      for (const std::wstring& extra : extras) replaced = replaced || sameName(extra, variable);
      if (!replaced) block += variable + L'\0';
    }
    ::FreeEnvironmentStringsW(inherited);
  }
  block += L'\0';

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  // No application name: the first word is looked for as Windows looks
  // for a program (cmd and reg in the system folder). It shares this
  // process's console, if any.
  const BOOL started =
      ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                       block.data(), nullptr, &startup, &process);
  ::CloseHandle(outWrite);
  ::CloseHandle(errWrite);
  if (nul != INVALID_HANDLE_VALUE) ::CloseHandle(nul);
  if (!started) {
    ::CloseHandle(outRead);
    ::CloseHandle(errRead);
    Fail("CreateProcess " + argv.at(0));
  }
  // Both streams at once, so neither fills its pipe and stalls the child.
  ProcessResult result;
  std::thread errors(Drain, errRead, std::ref(result.err));
  Drain(outRead, result.out);
  errors.join();
  ::CloseHandle(outRead);
  ::CloseHandle(errRead);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  result.status = ::GetExitCodeProcess(process.hProcess, &status) ? static_cast<int>(status) : -1;
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  return result;
}

std::string ToolBinary(const std::string& built) {
  const char* binary = std::getenv("PATHSHRINK_TEST_BINARY");
  return binary != nullptr && *binary != '\0' ? binary : built;
}

std::vector<std::string> ToolCommand(const std::string& built) { return {ToolBinary(built)}; }

TemporaryDirectory::TemporaryDirectory() {
  std::random_device random;
  // PATHSHRINK_TEST_TEMP, where set, in place of the temporary folder: a
  // runner's lies below the profile, where a user's stored Path is written
  // with the profile's variables, which the cases of other folders do not
  // expect.
  const char* const chosen = std::getenv("PATHSHRINK_TEST_TEMP");
  const std::filesystem::path base = chosen != nullptr && *chosen != '\0'
                                         ? std::filesystem::u8path(chosen)
                                         : std::filesystem::temp_directory_path();
  // A name 8.3 takes as it is ("ps" and six digits): it gets no short name
  // of its own, so a folder an earlier suite left beside it (PATHSH~1) never
  // numbers it (PATHSH~2) and no case meets a name said not to last.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string digits = std::to_string(random() % 1000000);
    digits.insert(0, 6 - digits.size(), '0');
    const std::filesystem::path candidate = base / ("ps" + digits);
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate.u8string();
      return;
    }
  }
  throw std::runtime_error("no temporary folder could be made in " + base.u8string());
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TemporaryDirectory::MakeDirectories(const std::string& relative) const {
  std::string full = path_ + "\\" + relative;
  for (char& c : full) {
    if (c == '/') c = '\\';
  }
  std::filesystem::create_directories(std::filesystem::u8path(full));
  return full;
}

}  // namespace pathshrink::testing
