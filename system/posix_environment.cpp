#include <cstdlib>

#include "system/environment.h"

namespace pathshrink {

std::optional<std::string> SystemEnvironment::Variable(const std::string& name) {
  // A name holding '=' is no variable's, and getenv would match a prefix.
  if (name.empty() || name.find('=') != std::string::npos) return std::nullopt;
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace pathshrink
