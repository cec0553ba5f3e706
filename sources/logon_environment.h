#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "system/environment.h"
#include "system/environment_store.h"

namespace pathshrink {

// `text` with each %NAME% that `values` (by folded name) defines replaced
// by its value, as Windows expands a stored value: a reference to a name
// that is not defined stays as typed.
std::string ExpandedAsWindowsDoes(const std::string& text,
                                  const std::map<std::string, std::string>& values);

// The variables that a stored Path of `scope` is expanded with at the next
// logon, built from what is stored, never from this process's environment
// (a window opened before a variable changed, or one that set a variable
// of its own, would otherwise decide what an entry means for good).
//
// Built in this order, each step able to refer to the ones before it and
// overriding them:
//  1. the system's own variables (SystemRoot, SystemDrive, ProgramFiles,
//     ProgramData, ...), from the system's records;
//  2. the machine's stored variables;
//  3. for the user's scope only: the profile's variables (USERPROFILE,
//     APPDATA, LOCALAPPDATA, HOMEDRIVE, ...) from the user's Volatile
//     Environment, then the user's stored variables.
// Within each step, as Windows sets them: first every REG_SZ value as it
// stands, then every REG_EXPAND_SZ value in the order the registry lists
// them, expanded with what is set so far (a reference to a variable not
// set yet stays as typed). Empty values set nothing; Path is not a
// variable here.
class LogonEnvironment : public Environment {
 public:
  LogonEnvironment(EnvironmentStore& store, Scope scope);
  std::optional<std::string> Variable(const std::string& name) override;
  // `text` as Windows expands a stored value with these variables.
  std::string Expanded(const std::string& text) const {
    return ExpandedAsWindowsDoes(text, values_);
  }

 private:
  void SetAll(const std::vector<StoredVariable>& variables);

  std::map<std::string, std::string> values_;  // by folded name
};

}  // namespace pathshrink
