#pragma once

#include "system/environment_store.h"

namespace pathshrink {

// The registry's Environment keys, files through the wide calls, the local
// clock, and WM_SETTINGCHANGE to every top-level window.
class WindowsEnvironmentStore : public EnvironmentStore {
 public:
  StoreStatus Read(Scope scope, const std::string& name, StoredValue& value) override;
  StoreStatus Write(Scope scope, const std::string& name, const StoredValue& value) override;
  std::vector<std::string> Names(Scope scope) override;
  StoreStatus SaveNewFile(const std::string& path, const std::string& bytes) override;
  std::string TimeStamp() override;
  bool AnnounceChange() override;
};

}  // namespace pathshrink
