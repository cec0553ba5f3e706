#pragma once

#include <stdexcept>
#include <string>

#include "system/file_system_queries.h"

namespace pathshrink::testing {

// The junction's target, or the message of the failure it raised, so that
// tables of cases can compare either with one expectation.
inline std::string TargetOrMessage(FileSystemQueries& queries, const std::string& path) {
  try {
    return queries.ReadJunctionTarget(path);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
}

}  // namespace pathshrink::testing
