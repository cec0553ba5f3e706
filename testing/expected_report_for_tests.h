#pragma once

#include <string>

namespace pathshrink::testing {

// The report the tool writes to standard error after compacting `before`
// into `after`, spelled out independently of the code that writes it.
inline std::string ExpectedReport(const std::string& before, const std::string& after) {
  return "Original path [" + std::to_string(before.size()) + "]:\n" + before + "\n\nNew path [" +
         std::to_string(after.size()) + "]:\n";
}

}  // namespace pathshrink::testing
