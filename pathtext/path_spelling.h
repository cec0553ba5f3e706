#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pathtext/path_conventions.h"

namespace pathshrink {

// A text's length as Windows counts it (its limits on PATH are in UTF-16
// units): a letter outside ASCII is one unit or, past U+FFFF, two.
std::size_t Utf16Length(std::string_view text);

// `shortForm` with every component that is longer than the same component
// of `given` written as given (both normalized, the same directory): a short
// name can be longer than the name it stands for ("a b" -> "AB~1"). Lengths
// count as Windows counts them, in UTF-16 units: "日本" is 2, not 6.
// Returns `shortForm` when the two do not line up component by component.
std::string ShortestSpelling(const std::string& shortForm, const std::string& given,
                             const PathConventions& conventions);

// Whether a volume that makes short names gives `name` one of its own: a
// name 8.3 cannot hold as it is (more than eight letters before its dot or
// three after it, a second dot, a leading one, a space or one of + , ; = [
// ]). A name with letters outside ASCII is not judged (false): whether it
// fits depends on the OEM code page.
bool NeedsShortName(std::string_view name);

// RestStart where `other` is `path` itself. Requires `length` > 0. Inline:
// it is asked of every entry a junction rewrites.
inline std::size_t RestStartIn(std::string_view path, std::size_t length,
                               const PathConventions& conventions) {
  if (length >= path.size()) return path.size();
  return conventions.IsSeparator(path[length - 1]) ? length - 1 : length;
}

// Where the rest of `other` starts after the components that the first
// `length` bytes of `path` hold (`length` ends at a component boundary; both
// normalized, with the same components, such as a key and a spelling of one
// directory): at the separator after them, or at the one that ends them (a
// drive root such as d:\); the end of `other` when nothing is left.
std::size_t RestStart(std::string_view path, std::size_t length, std::string_view other,
                      const PathConventions& conventions);

}  // namespace pathshrink
