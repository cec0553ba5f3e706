#pragma once

#include "system/environment_store.h"

namespace pathshrink {

// The registry's Environment keys and the system's own records of its
// folders, files through the wide calls, the local
// clock, and WM_SETTINGCHANGE to every top-level window.
class WindowsEnvironmentStore : public EnvironmentStore {
 public:
  StoreStatus Read(Scope scope, const std::string& name, StoredValue& value) override;
  StoreStatus Write(Scope scope, const std::string& name, const StoredValue& value) override;
  std::vector<StoredVariable> Variables(Scope scope) override;
  std::vector<StoredVariable> SystemVariables() override;
  StoreStatus SaveNewFile(const std::string& path, const std::string& bytes) override;
  StoreStatus RemoveFile(const std::string& path) override;
  StoreStatus ReadFile(const std::string& path, std::string& bytes) override;
  StoreStatus OverwriteFile(const std::string& path, const std::string& bytes) override;
  std::vector<std::string> FileNames(const std::string& folder) override;
  std::string TimeStamp() override;
  bool AnnounceChange() override;
};

}  // namespace pathshrink
