#pragma once

#include <map>
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

// Variables held in memory. Names are matched without regard to the case
// of A to Z when `foldsCase`, as Windows matches them.
class InMemoryEnvironment : public Environment {
 public:
  explicit InMemoryEnvironment(bool foldsCase = true) : foldsCase_(foldsCase) {}

  void Set(const std::string& name, std::string value);
  std::optional<std::string> Variable(const std::string& name) override;

 private:
  std::string Key(const std::string& name) const;

  bool foldsCase_;
  std::map<std::string, std::string> variables_;
};

// The process's own environment.
class SystemEnvironment : public Environment {
 public:
  std::optional<std::string> Variable(const std::string& name) override;
};

}  // namespace pathshrink
