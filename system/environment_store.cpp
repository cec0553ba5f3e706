#include "system/environment_store.h"

#include "pathtext/utf16_to_utf8.h"

namespace pathshrink {

const char* ScopeSubKey(Scope scope) {
  switch (scope) {
    case Scope::kUser:
      return "Environment";
    case Scope::kMachine:
      return "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    case Scope::kProfile:
      break;
  }
  return "Volatile Environment";
}

std::string ScopeKeyName(Scope scope) {
  return std::string(scope == Scope::kMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
         ScopeSubKey(scope);
}

const char* StoredTypeName(StoredType type) {
  switch (type) {
    case StoredType::kString:
      return "REG_SZ";
    case StoredType::kExpandString:
      return "REG_EXPAND_SZ";
    case StoredType::kMultiString:
      return "REG_MULTI_SZ";
    case StoredType::kBinary:
      return "REG_BINARY";
    case StoredType::kDword:
      return "REG_DWORD";
    case StoredType::kQword:
      return "REG_QWORD";
    case StoredType::kNone:
      return "REG_NONE";
    case StoredType::kOther:
      break;
  }
  return "a type of its own";
}

std::string StoredBytes(const std::string& text) {
  std::u16string units;
  PortableUtf8ToUtf16(text, units);
  units += u'\0';
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

}  // namespace pathshrink
