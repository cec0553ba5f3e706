#include "driver/registry_backup.h"

#include <cstdio>

#include "pathtext/utf16_to_utf8.h"

namespace pathshrink {
namespace {

// Text as UTF-16LE bytes.
void AppendUtf16(const std::u16string& units, std::string& bytes) {
  for (const char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
}

}  // namespace

std::string RegistryBackup(Scope scope, const std::string& name, const StoredValue& value) {
  std::u16string units;
  if (!PortableUtf8ToUtf16(value.text, units)) return std::string();
  units += u'\0';  // stored with its terminator

  // Lines of at most 80 characters, as reg export wraps them: a line that
  // goes on ends in ",\" and the next starts with two spaces.
  std::string text =
      "\"" + name + "\"=hex(" + (value.type == StoredType::kExpandString ? "2" : "1") + "):";
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < units.size() * 2; ++i) {
    const unsigned unit = units[i / 2];
    const unsigned byte = i % 2 == 0 ? unit & 0xFF : unit >> 8;
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    if (i > 0) {
      text += ',';
      if (text.size() - lineStart >= 77) {
        text += "\\\r\n  ";
        lineStart = text.size() - 2;
      }
    }
    text += hex;
  }

  const std::string head =
      std::string("Windows Registry Editor Version 5.00\r\n\r\n[") + ScopeKeyName(scope) + "]\r\n";
  std::u16string part;
  PortableUtf8ToUtf16(head + text + "\r\n\r\n", part);
  std::string bytes = "\xFF\xFE";  // the byte-order mark
  AppendUtf16(part, bytes);
  return bytes;
}

}  // namespace pathshrink
