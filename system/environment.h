#pragma once

#include <optional>
#include <string>

namespace pathshrink {

// The variables of the process's environment, read one at a time. Abstract
// so that the driver and the compactor can run against a made-up
// environment in tests; the platform's realisation is chosen in main.
class Environment {
 public:
  virtual ~Environment() = default;

  // The value of the variable `name` (UTF-8), or nothing when it is not
  // set. A variable set to the empty text is set.
  virtual std::optional<std::string> Variable(const std::string& name) = 0;
};

// The process's own environment.
class SystemEnvironment : public Environment {
 public:
  std::optional<std::string> Variable(const std::string& name) override;
};

}  // namespace pathshrink
