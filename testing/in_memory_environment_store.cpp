#include "testing/in_memory_environment_store.h"

#include "testing/ascii_fold_for_tests.h"

namespace pathshrink {

StoreStatus InMemoryEnvironmentStore::Read(Scope scope, const std::string& name,
                                           StoredValue& value) {
  const auto found = values_.find({scope, testing::AsciiFolded(name)});
  if (found == values_.end()) return StoreStatus::kNotFound;
  if (reads++ == changeAfterReads) found->second.text = changedText;
  value = found->second;
  return StoreStatus::kOk;
}

StoreStatus InMemoryEnvironmentStore::Write(Scope scope, const std::string& name,
                                            const StoredValue& value) {
  if (writeFails) return *writeFails;
  ++writes;
  StoredValue stored = value;
  if (writesCorrupted) stored.text = *writesCorrupted;
  values_[{scope, testing::AsciiFolded(name)}] = stored;
  return StoreStatus::kOk;
}

std::vector<std::string> InMemoryEnvironmentStore::Names(Scope scope) {
  std::vector<std::string> names;
  for (const auto& [key, value] : values_) {
    if (key.first == scope) names.push_back(key.second);
  }
  return names;
}

StoreStatus InMemoryEnvironmentStore::SaveNewFile(const std::string& path,
                                                  const std::string& bytes) {
  if (saveFails) return *saveFails;
  if (!files.emplace(path, bytes).second) return StoreStatus::kExists;
  return StoreStatus::kOk;
}

void InMemoryEnvironmentStore::Set(Scope scope, const std::string& name, StoredValue value) {
  values_[{scope, testing::AsciiFolded(name)}] = std::move(value);
}

std::optional<StoredValue> InMemoryEnvironmentStore::Get(Scope scope,
                                                         const std::string& name) const {
  const auto found = values_.find({scope, testing::AsciiFolded(name)});
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

}  // namespace pathshrink
