#include "testing/in_memory_environment_store.h"

#include "testing/ascii_fold_for_tests.h"

namespace pathshrink {

StoreStatus InMemoryEnvironmentStore::Read(Scope scope, const std::string& name,
                                           StoredValue& value) {
  const auto found = values_.find({scope, testing::AsciiFolded(name)});
  if (found == values_.end()) return StoreStatus::kNotFound;
  if (reads++ == changeAfterReads) found->second = changedValue;
  value = found->second;
  if (value.bytes.empty()) value.bytes = StoredBytes(value.text);
  return StoreStatus::kOk;
}

StoreStatus InMemoryEnvironmentStore::Write(Scope scope, const std::string& name,
                                            const StoredValue& value) {
  if (writeFails) return *writeFails;
  StoredValue stored = value;  // its bytes, where given, as Windows writes them
  if (writes++ < corruptWrites) {
    stored.text = corruptText;
    stored.bytes.clear();
  }
  Set(scope, name, stored);
  return StoreStatus::kOk;
}

std::vector<StoredVariable> InMemoryEnvironmentStore::Variables(Scope scope) {
  std::vector<StoredVariable> variables;
  for (const auto& key : order_) {
    if (key.first != scope) continue;
    StoredValue value = values_.at(key);
    if (value.bytes.empty()) value.bytes = StoredBytes(value.text);
    variables.push_back({key.second, value});
  }
  return variables;
}

StoreStatus InMemoryEnvironmentStore::SaveNewFile(const std::string& path,
                                                  const std::string& bytes) {
  if (saveFails) return *saveFails;
  if (!files.emplace(path, bytes).second) return StoreStatus::kExists;
  return StoreStatus::kOk;
}

StoreStatus InMemoryEnvironmentStore::RemoveFile(const std::string& path) {
  if (removeFails) return *removeFails;
  return files.erase(path) == 1 ? StoreStatus::kOk : StoreStatus::kNotFound;
}

StoreStatus InMemoryEnvironmentStore::ReadFile(const std::string& path, std::string& bytes) {
  const auto found = files.find(path);
  if (found == files.end()) return StoreStatus::kNotFound;
  bytes = found->second;
  return StoreStatus::kOk;
}

StoreStatus InMemoryEnvironmentStore::OverwriteFile(const std::string& path,
                                                    const std::string& bytes) {
  if (saveFails) return *saveFails;
  files[path] = bytes;
  return StoreStatus::kOk;
}

std::vector<std::string> InMemoryEnvironmentStore::FileNames(const std::string& folder) {
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
  std::vector<std::string> names;
  for (const auto& [path, bytes] : files) {
    if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
        path.find('\\', prefix.size()) == std::string::npos) {
      names.push_back(path.substr(prefix.size()));
    }
  }
  return names;
}

void InMemoryEnvironmentStore::Set(Scope scope, const std::string& name, StoredValue value) {
  const std::pair<Scope, std::string> key{scope, testing::AsciiFolded(name)};
  if (values_.count(key) == 0) order_.push_back(key);
  values_[key] = std::move(value);
}

std::optional<StoredValue> InMemoryEnvironmentStore::Get(Scope scope,
                                                         const std::string& name) const {
  const auto found = values_.find({scope, testing::AsciiFolded(name)});
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

}  // namespace pathshrink
