#include "sources/logon_environment.h"

#include "pathtext/path_key.h"

namespace pathshrink {

std::string ExpandedAsWindowsDoes(const std::string& text,
                                  const std::map<std::string, std::string>& values) {
  std::string expanded;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find('%', i);
    const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) {
      expanded.append(text, i, std::string::npos);
      break;
    }
    expanded.append(text, i, open - i);
    const auto found = values.find(FoldCase(text.substr(open + 1, close - open - 1)));
    if (close > open + 1 && found != values.end()) {
      expanded += found->second;
      i = close + 1;
    } else {
      // Kept as typed; its closing '%' may open the next reference.
      expanded.append(text, open, close - open);
      i = close;
    }
  }
  return expanded;
}

LogonEnvironment::LogonEnvironment(EnvironmentStore& store, Scope scope) {
  SetAll(store.SystemVariables());
  SetAll(store.Variables(Scope::kMachine));
  if (scope == Scope::kUser) {
    SetAll(store.Variables(Scope::kProfile));
    SetAll(store.Variables(Scope::kUser));
  }
}

void LogonEnvironment::SetAll(const std::vector<StoredVariable>& variables) {
  for (const StoredType pass : {StoredType::kString, StoredType::kExpandString}) {
    for (const StoredVariable& variable : variables) {
      const std::string name = FoldCase(variable.name);
      if (variable.value.type != pass || variable.value.text.empty() || name == "path") continue;
      values_[name] = pass == StoredType::kString
                          ? variable.value.text
                          : ExpandedAsWindowsDoes(variable.value.text, values_);
    }
  }
}

std::optional<std::string> LogonEnvironment::Variable(const std::string& name) {
  const auto found = values_.find(FoldCase(name));
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

}  // namespace pathshrink
