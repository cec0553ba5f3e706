#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "sources/logon_environment.h"
#include "store/written_for.h"
#include "system/environment.h"
#include "system/environment_store.h"

namespace pathshrink {

// A Path as the registry stores it, and what its entries mean: a
// REG_EXPAND_SZ value is expanded at the next logon, with the variables
// stored then; what the tool wrote into it before was written for the
// folders its memory names.
struct StoredList {
  Scope scope = Scope::kUser;
  StoredValue value;                      // as read
  std::optional<LogonEnvironment> logon;  // REG_EXPAND_SZ only: what its references mean
  std::string writtenForFile;             // where that memory is kept; empty where it cannot be
  WrittenFor writtenFor;
  std::vector<LeftOut> leftOut;  // a user's entries left out while the machine's Path listed them
};

// Reads the Path of `scope` into `list`, with the memory kept below this
// process's LOCALAPPDATA (`process`, where given). Returns 0, or 3 with a
// line on `err` where the value cannot be read as a list: there is none,
// it may not be read, it is not text, or it holds a NUL.
int ReadStoredList(Scope scope, EnvironmentStore& store, Environment* process, StoredList& list,
                   std::ostream& err);

}  // namespace pathshrink
