#pragma once

#include <string>

namespace pathshrink {

// Lower-cases byte by byte in the "C" locale, so only A to Z change and the
// bytes of other code pages pass through untouched.
std::string LowerCased(std::string text);

}  // namespace pathshrink
