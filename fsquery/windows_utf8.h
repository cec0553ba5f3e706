#pragma once

#include <string>
#include <string_view>

namespace pathshrink {

// The tool speaks UTF-8 everywhere above the Windows boundary; these cross
// it. Both return false for text they cannot carry exactly (invalid UTF-8,
// an unpaired surrogate), never a best-fit or replaced character, so a name
// is never turned into another one.
bool Utf8ToWide(std::string_view utf8, std::wstring& wide);
bool WideToUtf8(std::wstring_view wide, std::string& utf8);

}  // namespace pathshrink
