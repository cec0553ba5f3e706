#include <windows.h>

#include <vector>

#include "fsquery/environment.h"
#include "fsquery/windows_utf8.h"

namespace pathshrink {

std::optional<std::string> SystemEnvironment::Variable(const std::string& name) {
  std::wstring wideName;
  if (name.empty() || name.find('=') != std::string::npos || !Utf8ToWide(name, wideName)) {
    return std::nullopt;
  }
  // The wide call: a variable holds up to 32,767 units, in any script.
  std::vector<wchar_t> buffer(1024);
  for (;;) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD result = ::GetEnvironmentVariableW(wideName.c_str(), buffer.data(), size);
    if (result == 0) {
      // Zero is both "not set" and "set to the empty text".
      if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (result < size) {
      std::string value;
      // A value holding an unpaired surrogate is shown, not used as a name.
      WideToUtf8(std::wstring_view(buffer.data(), result), value, Unconvertible::kReplace);
      return value;
    }
    buffer.assign(result, L'\0');  // the size it needs, terminator included
  }
}

}  // namespace pathshrink
