#include "store/registry_backup.h"

#include <cstdio>

#include "pathtext/utf16_to_utf8.h"

namespace pathshrink {

std::string RegistryBackup(Scope scope, const std::string& name, const StoredValue& value) {
  // The data exactly as stored where it was read (an odd last byte and
  // every terminator included), else as Windows stores the text.
  std::u16string check;
  if (value.bytes.empty() && !PortableUtf8ToUtf16(value.text, check)) return std::string();
  const std::string data = value.bytes.empty() ? StoredBytes(value.text) : value.bytes;

  // Lines of at most 80 characters, as reg export wraps them: a line that
  // goes on ends in ",\" and the next starts with two spaces.
  std::string text =
      "\"" + name + "\"=hex(" + (value.type == StoredType::kExpandString ? "2" : "1") + "):";
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(data[i]));
    if (i > 0) {
      text += ',';
      if (text.size() - lineStart >= 77) {
        text += "\\\r\n  ";
        lineStart = text.size() - 2;
      }
    }
    text += hex;
  }

  // The file itself is UTF-16LE with a byte-order mark; the part around
  // the data is ASCII but for the value's name.
  const std::string head =
      "Windows Registry Editor Version 5.00\r\n\r\n[" + ScopeKeyName(scope) + "]\r\n";
  std::string file = StoredBytes(head + text + "\r\n\r\n");
  file.resize(file.size() - 2);  // a file has no terminator
  return "\xFF\xFE" + file;
}

}  // namespace pathshrink
