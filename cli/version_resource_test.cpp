// Checks the resources built into pathshrink.exe, which sits beside this
// test: the version information and the application manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string ExecutablePath() {
  char self[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, length);
  return path.substr(0, path.find_last_of("\\/") + 1) + "pathshrink.exe";
}

std::string VersionString(const std::vector<char>& info, const char* name) {
  char* value = nullptr;
  UINT length = 0;
  const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
  if (!::VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ||
      length == 0) {
    return "";
  }
  return std::string(value, length - 1);  // the length counts the terminator
}

TEST(VersionResourceTest, NamesTheProductAndItsVersion) {
  const std::string exe = ExecutablePath();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u) << exe;
  std::vector<char> info(size);
  ASSERT_TRUE(::GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));
  EXPECT_EQ(VersionString(info, "ProductName"), "pathshrink");
  EXPECT_EQ(VersionString(info, "ProductVersion"), PATHSHRINK_VERSION);
  EXPECT_EQ(VersionString(info, "FileVersion"), PATHSHRINK_VERSION);
  EXPECT_NE(VersionString(info, "FileDescription"), "");
}

TEST(VersionResourceTest, CarriesItsManifest) {
  HMODULE module = ::LoadLibraryExA(ExecutablePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  const char* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
  const std::string manifest(data, ::SizeofResource(module, found));
  ::FreeLibrary(module);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"), std::string::npos);
  EXPECT_NE(manifest.find("<longPathAware"), std::string::npos);
  EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos);
}

}  // namespace
