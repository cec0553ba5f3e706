#include "testing/in_memory_environment.h"

#include "pathtext/path_key.h"

namespace pathshrink {

void InMemoryEnvironment::Set(const std::string& name, std::string value) {
  variables_[FoldCase(name)] = std::move(value);
}

std::optional<std::string> InMemoryEnvironment::Variable(const std::string& name) {
  const auto found = variables_.find(FoldCase(name));
  if (found == variables_.end()) return std::nullopt;
  return found->second;
}

}  // namespace pathshrink
