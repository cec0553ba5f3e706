#pragma once

#include <map>
#include <optional>
#include <string>

#include "system/environment.h"

namespace pathshrink {

// Variables held in memory, for tests. Names are matched without regard to
// the case of A to Z, as Windows matches them.
class InMemoryEnvironment : public Environment {
 public:
  void Set(const std::string& name, std::string value);
  std::optional<std::string> Variable(const std::string& name) override;

 private:
  std::map<std::string, std::string> variables_;  // by folded name
};

}  // namespace pathshrink
