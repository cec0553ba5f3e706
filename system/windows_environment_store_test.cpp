// Runs on Windows (and under Wine): the registry and files as the store
// writes and reads them, against what the registry itself answers.
#include "system/windows_environment_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace pathshrink {
namespace {

// A value of the user's Environment key of this test's own, removed again
// however the test ends.
class StoredValueOfItsOwn {
 public:
  StoredValueOfItsOwn()
      : name_("PathshrinkStoreTest" + std::to_string(::GetCurrentProcessId())),
        wide_(name_.begin(), name_.end()) {}
  ~StoredValueOfItsOwn() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Environment", wide_.c_str()); }
  StoredValueOfItsOwn(const StoredValueOfItsOwn&) = delete;
  StoredValueOfItsOwn& operator=(const StoredValueOfItsOwn&) = delete;

  const std::string& name() const { return name_; }
  // The bytes the registry holds, exactly: RegQueryValueExW adds nothing
  // (RegGetValueW adds a missing terminator on Windows, not under Wine).
  std::string Raw() const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Environment", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
      return "(none)";
    }
    DWORD size = 0;
    std::string bytes;
    if (::RegQueryValueExW(key, wide_.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
      bytes.resize(size);
      if (::RegQueryValueExW(key, wide_.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS) {
        size = 0;
      }
      bytes.resize(size);
    } else {
      bytes = "(none)";
    }
    ::RegCloseKey(key);
    return bytes;
  }
  void SetRaw(const std::string& bytes) const {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Environment", 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    // No NUL after the data, or Windows would count one in.
    const std::string data = bytes + std::string("\xFF\xFF", 2);
    ::RegSetValueExW(key, wide_.c_str(), 0, REG_EXPAND_SZ,
                     reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
  }

 private:
  std::string name_;
  std::wstring wide_;
};

// "ab" and its terminators, in UTF-16LE.
const std::string kText = std::string("a\0b\0", 4);
const std::string kNul = std::string(2, '\0');

TEST(WindowsEnvironmentStoreTest, TerminatorsAreWrittenOnceAndReadAsNoText) {
  const StoredValueOfItsOwn value;
  WindowsEnvironmentStore store;
  const struct {
    const char* name;
    std::string raw;   // as the registry holds it (written here by hand)
    std::string text;  // as the store reads it
  } read[] = {
      {"one terminator", kText + kNul, "ab"},
      {"two", kText + kNul + kNul, "ab"},
      {"none", kText, "ab"},
      {"an odd last byte", kText + kNul + std::string(1, 'x'), "ab"},
  };
  for (const auto& c : read) {
    value.SetRaw(c.raw);
    StoredValue got;
    ASSERT_EQ(store.Read(Scope::kUser, value.name(), got), StoreStatus::kOk) << c.name;
    EXPECT_EQ(got.text, c.text) << c.name;
    EXPECT_EQ(got.bytes, c.raw) << c.name;
    EXPECT_EQ(got.type, StoredType::kExpandString) << c.name;
    // Written back as read, it is the same to the byte.
    ASSERT_EQ(store.Write(Scope::kUser, value.name(), got), StoreStatus::kOk) << c.name;
    EXPECT_EQ(value.Raw(), c.raw) << c.name;
  }
  // New text is written with exactly one terminator.
  ASSERT_EQ(store.Write(Scope::kUser, value.name(), {"ab", StoredType::kString, {}}),
            StoreStatus::kOk);
  EXPECT_EQ(value.Raw(), kText + kNul);
}

TEST(WindowsEnvironmentStoreTest, AFileIsReplacedWholeAndNothingIsLeftBeside) {
  char temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp, length) + "pathshrink store test " +
                             std::to_string(::GetCurrentProcessId());
  const std::string file = folder + "\\memory";
  WindowsEnvironmentStore store;
  ASSERT_EQ(store.OverwriteFile(file, "first, longer\r\n"), StoreStatus::kOk);
  ASSERT_EQ(store.OverwriteFile(file, "second\r\n"), StoreStatus::kOk);
  std::string bytes;
  EXPECT_EQ(store.ReadFile(file, bytes), StoreStatus::kOk);
  EXPECT_EQ(bytes, "second\r\n");
  // Only the file itself is there.
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  int files = 0;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") {
        ++files;
        EXPECT_EQ(name, "memory");
      }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  EXPECT_EQ(files, 1);
  ::DeleteFileA(file.c_str());
  ::RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace pathshrink
