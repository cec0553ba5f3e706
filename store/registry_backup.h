#pragma once

#include <string>

#include "system/environment_store.h"

namespace pathshrink {

// A file that `reg import` (or a double-click) turns back into the value
// `name` of `scope` exactly as it is now, type included: what reg export
// writes, UTF-16LE with a byte-order mark, the text as hex(2) for
// REG_EXPAND_SZ or hex(1) for REG_SZ, so that no character needs escaping.
// Empty when the text is not UTF-8.
std::string RegistryBackup(Scope scope, const std::string& name, const StoredValue& value);

}  // namespace pathshrink
