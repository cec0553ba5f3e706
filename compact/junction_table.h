#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pathshrink {

// One usable junction: writing `shortJunction` in place of `shortTarget`
// shortens every entry below the target.
struct JunctionEntry {
  std::string shortJunction;  // as the short-name query returned it
  std::string shortTarget;    // lower-cased where names fold case
  std::int32_t savings;       // long target length minus junction length, > 0
};

using JunctionTable = std::vector<JunctionEntry>;

}  // namespace pathshrink
