#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pathshrink {

// How a conversion treats text it cannot carry exactly (invalid UTF-8, an
// unpaired surrogate).
enum class Unconvertible {
  kFail,     // for names: a name is never turned into another one
  kReplace,  // U+FFFD in its place, as Windows does by default: for display
};

// The tool speaks UTF-8 everywhere above the Windows boundary; these cross
// it, never by a best-fit character. Both return false on failure.
bool Utf8ToWide(std::string_view utf8, std::wstring& wide,
                Unconvertible unconvertible = Unconvertible::kFail);
bool WideToUtf8(std::wstring_view wide, std::string& utf8,
                Unconvertible unconvertible = Unconvertible::kFail);

// The program's arguments in UTF-8. An unpaired surrogate, which no name
// can hold, becomes U+FFFD on its own: the entry that holds it names no
// directory, and the rest of the argument is kept.
std::vector<std::string> Utf8Arguments(int argc, const wchar_t* const* argv);

}  // namespace pathshrink
