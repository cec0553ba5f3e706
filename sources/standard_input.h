#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace pathshrink {

// Turns bytes of a code page other than UTF-8 into UTF-8; false where they
// are not text of that code page.
using CodePageDecoder = std::function<bool(std::string_view bytes, std::string& utf8)>;

// The list from what standard input sent, as Windows sends it when
// `windows`: a Ctrl-Z ends it, as at the console. Text that begins with a
// byte-order mark is read in its encoding (UTF-8, or UTF-16 little- or
// big-endian, as Windows PowerShell writes files), and the mark dropped;
// each non-empty line holds one or more entries, and the lines are joined
// with ';' (a line break ends an entry, never joins two). Input that is not
// UTF-8 is decoded with `decode` (the console's code page), where there is
// one; an entry that still cannot be decoded is kept as sent. Returns false
// where the input is not text, `why` saying how (without brackets): a NUL
// byte outside UTF-16, or UTF-16 that does not decode. A byte-order mark
// with nothing after it is empty input.
bool ListFromStandardInput(std::string bytes, bool windows, const CodePageDecoder& decode,
                           std::string& list, std::string& why);

}  // namespace pathshrink
