#pragma once

#include <ostream>
#include <set>
#include <string>

#include "driver/exit_status.h"
#include "system/environment.h"
#include "system/environment_store.h"

namespace pathshrink {

// The variables that a machine's Path is expanded without: Windows expands
// it before it adds the user's own, so a reference to one of those is not
// expanded there. Every other name is asked of `environment`.
class MachineEnvironment : public Environment {
 public:
  MachineEnvironment(Environment& environment, EnvironmentStore& store);
  std::optional<std::string> Variable(const std::string& name) override;

 private:
  Environment& environment_;
  std::set<std::string> hidden_;  // folded names
};

// Stores `newText` as the Path of `scope`, which was read as `before`, step
// by step, each only after the one before it worked: a backup that reg
// import restores; the value read again and found unchanged; a result that
// is not empty and not the same; the write, with the type it had; the value
// read back; the word to running programs. Says each step on `err`, and
// returns 0 or the status of the step that stopped it, where the stored
// value is as it was.
int StorePath(Scope scope, const StoredValue& before, const std::string& newText,
              EnvironmentStore& store, Environment* environment, std::ostream& err);

}  // namespace pathshrink
