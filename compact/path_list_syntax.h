#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pathshrink {

// Splits a ';'-separated list as cmd.exe reads PATH: every ';' separates,
// except inside a pair of double quotes when `quotesGroup`, which is how a
// name that holds a ';' is listed. A quote without a partner is an ordinary
// character, so it never hides the rest of the list. n separators give
// n + 1 entries, empty ones included, in order; the views point into `list`.
std::vector<std::string_view> SplitPathList(std::string_view list, bool quotesGroup);

// The entry without its double quotes: quotes only group, and no Windows
// name can hold one.
std::string Unquoted(std::string_view entry);

// The entry as it goes back into a list: quoted when it holds a ';'.
std::string QuotedForList(std::string entry);

// Whether the entry refers to an environment variable (%NAME%), whose value
// only the shell that expands it knows.
bool HoldsEnvironmentReference(std::string_view entry);

}  // namespace pathshrink
