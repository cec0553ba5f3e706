#pragma once

#include <string>

namespace pathshrink::testing {

// What is wrong with `json` against the report's JSON Schema
// (docs/pathshrink-report.schema.json), as Python's jsonschema says it
// (draft 2020-12); empty when it is valid.
std::string SchemaProblems(const std::string& json);

}  // namespace pathshrink::testing
