#include "sources/new_window.h"

namespace pathshrink {

std::optional<StoredValue> ReadPathOf(Scope scope, EnvironmentStore& store, std::ostream& err) {
  StoredValue value;
  const std::string key = ScopeKeyName(scope);
  switch (store.Read(scope, "Path", value)) {
    case StoreStatus::kOk:
      break;
    case StoreStatus::kNotFound:
      return StoredValue{"", StoredType::kString, ""};
    default:
      err << "[can't read the Path in " + key + ": a new window's PATH is not judged]\n";
      return std::nullopt;
  }
  if ((value.type != StoredType::kString && value.type != StoredType::kExpandString) ||
      value.text.find('\0') != std::string::npos) {
    err << "[the Path in " + key +
               " is not a list Windows reads whole: a new window's PATH is not judged]\n";
    return std::nullopt;
  }
  return value;
}

std::string NewWindowPath(const NewWindowParts& parts) {
  if (parts.user.empty()) return parts.machine;
  if (parts.machine.empty()) return parts.user;
  return parts.machine + ";" + parts.user;
}

}  // namespace pathshrink
