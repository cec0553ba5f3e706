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
  std::vector<std::string> Names(Scope scope) override;
  StoreStatus SaveNewFile(const std::string& path, const std::string& bytes) override;
  std::string TimeStamp() override { return "20261208-114500"; }
  bool AnnounceChange() override {
    ++announcements;
    return true;
  }

  void Set(Scope scope, const std::string& name, StoredValue value);
  std::optional<StoredValue> Get(Scope scope, const std::string& name) const;

  // Failures to inject.
  std::optional<StoreStatus> writeFails;  // every write answers this, storing nothing
  std::optional<StoreStatus> saveFails;   // every file answers this, saving nothing
  // After this many reads, the value is changed behind the tool's back.
  int changeAfterReads = -1;
  std::string changedText = "changed by someone else";
  // Each write stores this text instead of the one asked for.
  std::optional<std::string> writesCorrupted;

  std::map<std::string, std::string> files;  // path -> bytes
  int reads = 0;
  int writes = 0;
  int announcements = 0;

 private:
  std::map<std::pair<Scope, std::string>, StoredValue> values_;  // by folded name
};

}  // namespace pathshrink
