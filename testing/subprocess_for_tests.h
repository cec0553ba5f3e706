#pragma once

#include <string>
#include <vector>

namespace pathshrink::testing {

struct ProcessResult {
  int status = -1;  // the exit status, or -1 when the process did not exit
  std::string out;
  std::string err;
};

// Runs `argv` (argv[0] is the program's path) with `extraEnvironment`
// ("NAME=value" strings) added to this process's environment, collects both
// output streams and waits for it to end.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnvironment = {});

// The tool's binary in tests: PATHSHRINK_TEST_BINARY, if set (memcheck runs
// name a build of it that links the C library dynamically), else `built`.
std::string ToolBinary(const std::string& built);

// The command that runs the tool in tests: PATHSHRINK_TEST_WRAPPER (words
// separated by spaces, e.g. a valgrind command line), if set, then
// ToolBinary(`built`).
std::vector<std::string> ToolCommand(const std::string& built);

// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::string& path() const { return path_; }
  // Makes `relative` and its parents; returns its absolute path.
  std::string MakeDirectories(const std::string& relative) const;

 private:
  std::string path_;
};

}  // namespace pathshrink::testing
