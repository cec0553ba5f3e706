#include "testing/in_memory_environment.h"

#include "testing/ascii_fold_for_tests.h"

namespace pathshrink {

void InMemoryEnvironment::Set(const std::string& name, std::string value) {
  variables_[testing::AsciiFolded(name)] = std::move(value);
}

std::optional<std::string> InMemoryEnvironment::Variable(const std::string& name) {
  const auto found = variables_.find(testing::AsciiFolded(name));
  if (found == variables_.end()) return std::nullopt;
  return found->second;
}

}  // namespace pathshrink
