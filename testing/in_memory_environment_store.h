#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "system/environment_store.h"

namespace pathshrink {

// Everything in memory, with a way to make each step fail: what a test
// needs to see the order of the steps and how each failure is met.
class InMemoryEnvironmentStore : public EnvironmentStore {
 public:
  StoreStatus Read(Scope scope, const std::string& name, StoredValue& value) override;
  StoreStatus Write(Scope scope, const std::string& name, const StoredValue& value) override;
  std::vector<StoredVariable> Variables(Scope scope) override;
  std::vector<StoredVariable> SystemVariables() override { return systemVariables; }
  StoreStatus SaveNewFile(const std::string& path, const std::string& bytes) override;
  StoreStatus RemoveFile(const std::string& path) override;
  StoreStatus ReadFile(const std::string& path, std::string& bytes) override;
  StoreStatus OverwriteFile(const std::string& path, const std::string& bytes) override;
  // The files whose path is `folder`, a '\\' and a name.
  std::vector<std::string> FileNames(const std::string& folder) override;
  std::string TimeStamp() override { return "20261208-114500"; }
  bool AnnounceChange() override {
    ++announcements;
    return true;
  }

  // Stores `value` as it would be read: its bytes made from its text
  // unless given.
  void Set(Scope scope, const std::string& name, StoredValue value);
  std::optional<StoredValue> Get(Scope scope, const std::string& name) const;

  std::vector<StoredVariable> systemVariables;

  // Failures to inject.
  std::optional<StoreStatus> writeFails;   // every write answers this, storing nothing
  std::optional<StoreStatus> saveFails;    // every file answers this, saving nothing
  std::optional<StoreStatus> removeFails;  // every removal answers this, removing nothing
  // After this many reads, the value is changed behind the tool's back.
  int changeAfterReads = -1;
  StoredValue changedValue = {"changed by someone else", StoredType::kExpandString, {}};
  // The first `corruptWrites` writes store this text instead of the one
  // asked for; later ones store what they are given.
  int corruptWrites = 0;
  std::string corruptText = "C:\\garbled";

  std::map<std::string, std::string> files;  // path -> bytes
  int reads = 0;
  int writes = 0;
  int announcements = 0;

 private:
  // By folded name; each scope's names in the order they were first set.
  std::map<std::pair<Scope, std::string>, StoredValue> values_;
  std::vector<std::pair<Scope, std::string>> order_;
};

}  // namespace pathshrink
