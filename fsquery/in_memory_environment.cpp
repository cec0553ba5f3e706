#include "fsquery/environment.h"

#include "fsquery/path_conventions.h"
#include "fsquery/path_key.h"

namespace pathshrink {

std::string InMemoryEnvironment::Key(const std::string& name) const {
  return foldsCase_ ? FoldCase(name) : name;
}

void InMemoryEnvironment::Set(const std::string& name, std::string value) {
  variables_[Key(name)] = std::move(value);
}

std::optional<std::string> InMemoryEnvironment::Variable(const std::string& name) {
  const auto found = variables_.find(Key(name));
  if (found == variables_.end()) return std::nullopt;
  return found->second;
}

}  // namespace pathshrink
