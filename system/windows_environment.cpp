#include <windows.h>

#include "system/environment.h"
#include "system/windows_utf8.h"

namespace pathshrink {

std::optional<std::string> SystemEnvironment::Variable(const std::string& name) {
  std::wstring wideName;
  if (name.empty() || name.find('=') != std::string::npos || !Utf8ToWide(name, wideName)) {
    return std::nullopt;
  }
  // The wide call: a variable holds up to 32,767 units, in any script. A
  // value holding an unpaired surrogate is shown, not used as a name.
  std::string value;
  const auto ask = [&wideName](wchar_t* buffer, DWORD size) {
    ::SetLastError(ERROR_SUCCESS);
    return ::GetEnvironmentVariableW(wideName.c_str(), buffer, size);
  };
  if (AskForText(1024, ask, value, Unconvertible::kReplace)) return value;
  // No answer is both "not set" and "set to the empty text".
  if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
  return std::string();
}

}  // namespace pathshrink
