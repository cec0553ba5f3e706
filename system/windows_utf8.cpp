#include "system/windows_utf8.h"

#include <windows.h>

#include <climits>

namespace pathshrink {

bool Utf8ToWide(std::string_view utf8, std::wstring& wide, Unconvertible unconvertible) {
  if (utf8.empty()) {
    wide.clear();
    return true;
  }
  if (utf8.size() > static_cast<std::size_t>(INT_MAX)) return false;
  const DWORD flags = unconvertible == Unconvertible::kFail ? MB_ERR_INVALID_CHARS : 0;
  const int count = static_cast<int>(utf8.size());
  const int needed = ::MultiByteToWideChar(CP_UTF8, flags, utf8.data(), count, nullptr, 0);
  if (needed <= 0) return false;
  std::wstring out(static_cast<std::size_t>(needed), L'\0');
  if (::MultiByteToWideChar(CP_UTF8, flags, utf8.data(), count, &out[0], needed) != needed) {
    return false;
  }
  wide.swap(out);
  return true;
}

bool WideToUtf8(std::wstring_view wide, std::string& utf8, Unconvertible unconvertible) {
  if (wide.empty()) {
    utf8.clear();
    return true;
  }
  if (wide.size() > static_cast<std::size_t>(INT_MAX)) return false;
  const DWORD flags = unconvertible == Unconvertible::kFail ? WC_ERR_INVALID_CHARS : 0;
  const int count = static_cast<int>(wide.size());
  const int needed =
      ::WideCharToMultiByte(CP_UTF8, flags, wide.data(), count, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return false;
  std::string out(static_cast<std::size_t>(needed), '\0');
  if (::WideCharToMultiByte(CP_UTF8, flags, wide.data(), count, &out[0], needed, nullptr,
                            nullptr) != needed) {
    return false;
  }
  utf8.swap(out);
  return true;
}

bool CodePageToUtf8(std::string_view bytes, unsigned codePage, std::string& utf8) {
  if (bytes.empty()) {
    utf8.clear();
    return true;
  }
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return false;
  const int count = static_cast<int>(bytes.size());
  const int needed =
      ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), count, nullptr, 0);
  if (needed <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), count, &wide[0],
                            needed) != needed) {
    return false;
  }
  return WideToUtf8(wide, utf8);
}

std::vector<std::string> Utf8Arguments(int argc, const wchar_t* const* argv) {
  std::vector<std::string> arguments(argc > 0 ? static_cast<std::size_t>(argc) : 0);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (argv[i] != nullptr) WideToUtf8(argv[i], arguments[i], Unconvertible::kReplace);
  }
  return arguments;
}

}  // namespace pathshrink
