#pragma once

#include <string>
#include <string_view>

#include "pathtext/path_conventions.h"

namespace pathshrink {

// Lower-cases A to Z only, whatever the locale: the other bytes of a UTF-8
// name pass through untouched, so no two different names are ever merged.
std::string FoldCase(std::string text);

// The identity of a normalized path: equal for two spellings of one
// directory. Folded where names ignore case.
std::string PathKey(std::string_view normalized, const PathConventions& conventions);

}  // namespace pathshrink
