#include "testing/report_schema_for_tests.h"

#include <fstream>

#include "testing/subprocess_for_tests.h"

namespace pathshrink::testing {

std::string SchemaProblems(const std::string& json) {
  const TemporaryDirectory tmp;
  const std::string file = tmp.path() + "/report.json";
  std::ofstream(file, std::ios::binary) << json;
  const ProcessResult result = RunProcess(
      {PATHSHRINK_TEST_PYTHON, "-c",
       "import json, sys, jsonschema\n"
       "schema = json.load(open(sys.argv[1]))\n"
       "jsonschema.Draft202012Validator.check_schema(schema)\n"
       "errors = "
       "list(jsonschema.Draft202012Validator(schema).iter_errors(json.load(open(sys.argv[2]))))\n"
       "print('\\n'.join(f'{list(e.path)}: {e.message}' for e in errors))\n"
       "sys.exit(1 if errors else 0)\n",
       PATHSHRINK_SCHEMA, file});
  return result.status == 0 ? std::string() : result.out + result.err;
}

}  // namespace pathshrink::testing
