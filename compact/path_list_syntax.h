#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "system/environment.h"

namespace pathshrink {

// Splits a ';'-separated list as cmd.exe reads PATH: every ';' separates,
// except inside a pair of double quotes when `quotesGroup`, which is how a
// name that holds a ';' is listed. A quote without a partner is an ordinary
// character, so it never hides the rest of the list. The entries come in
// order, and the views point into `list`. An empty one (";;", a ';' at
// either end, an empty list) names nothing and is no entry: it is skipped,
// as cmd.exe skips it.
std::vector<std::string_view> SplitPathList(std::string_view list, bool quotesGroup);

// The entry without its double quotes: quotes only group, and no Windows
// name can hold one.
std::string Unquoted(std::string_view entry);

// The entry as it goes back into a list: quoted when it holds a ';'.
std::string QuotedForList(std::string entry);

// Whether the entry holds a control character (below U+0020): CR, LF, TAB
// and the like, which no Windows name can hold.
bool HoldsControlCharacter(std::string_view entry);

// Whether the entry refers to an environment variable (%NAME%).
bool HoldsEnvironmentReference(std::string_view entry);

// An entry with its %NAME% references replaced by their values, as Windows
// expands one entry of a stored PATH; or why it cannot be.
struct Expansion {
  enum Outcome { kExpanded, kUndefined, kLonePercent } outcome = kExpanded;
  std::string text;                // the expansion, or the name that is not defined
  std::size_t end = 0;             // where the last reference ends in the entry
  std::vector<std::string> names;  // the variables it refers to, as typed
};

// Whether `name` is one of the variables Windows itself defines for every
// process or from the user's profile (SystemRoot, ProgramFiles, APPDATA,
// USERPROFILE, ...), without regard to case. Any other is one a user or an
// administrator defines, to be changed: an entry that refers to it follows
// it, whatever folder it names today.
bool IsWindowsOwnVariable(std::string_view name);

// Expands each reference of `entry` against `environment`. "%%" is a '%'
// that opens nothing; a '%' with no partner after it, or a name that is
// not defined, and the entry cannot be expanded.
Expansion ExpandReferences(std::string_view entry, Environment& environment);

}  // namespace pathshrink
