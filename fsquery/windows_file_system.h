#pragma once

#include <string>

#include "fsquery/file_system_queries.h"

namespace pathshrink {

// The real thing: kernel32's answers about an NTFS volume.
class WindowsFileSystem : public FileSystemQueries {
 public:
  bool ShortPathName(std::string path, std::string& shortPath) override;
  std::string ReadJunctionTarget(std::string path) override;
  PathConventions Conventions() const override { return kWindowsConventions; }
};

// UTF-16 to UTF-8 through WideCharToMultiByte, sized by asking it first.
bool WindowsUtf16ToUtf8(const std::u16string& units, std::string& utf8);

}  // namespace pathshrink
