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

// Bytes of the code page `codePage` in UTF-8; false where they are not
// text of that code page.
bool CodePageToUtf8(std::string_view bytes, unsigned codePage, std::string& utf8);

// Asks the system for text the way its calls answer: in UTF-16, into a
// buffer whose size goes with the call, `ask(buffer, size)` returning 0 for
// a failure, the length of the answer when it fits, and else the size it
// needs, terminator included. Fills `answer` in UTF-8; false for a failure
// (the system's last error then tells why, as the call left it).
template <typename Ask>
bool AskForText(std::size_t firstSize, Ask ask, std::string& answer,
                Unconvertible unconvertible = Unconvertible::kFail) {
  std::vector<wchar_t> buffer(firstSize);
  for (;;) {
    const auto size = static_cast<unsigned long>(buffer.size());
    const unsigned long result = ask(buffer.data(), size);
    if (result == 0) return false;
    if (result < size) {
      return WideToUtf8(std::wstring_view(buffer.data(), result), answer, unconvertible);
    }
    // The buffer was too small and nothing usable is in it: ask again with
    // as much as the system said it needs; the answer may have grown in
    // between, hence the loop. An answer that asks for no more than was
    // offered cannot be right: give up rather than ask forever.
    if (result <= size) return false;
    buffer.assign(result, L'\0');
  }
}

// The program's arguments in UTF-8. An unpaired surrogate, which no name
// can hold, becomes U+FFFD on its own: the entry that holds it names no
// directory, and the rest of the argument is kept.
std::vector<std::string> Utf8Arguments(int argc, const wchar_t* const* argv);

}  // namespace pathshrink
