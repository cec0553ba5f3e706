#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "system/environment_store.h"

namespace pathshrink {

// What a new window's PATH is made of: the machine's stored Path, a ';',
// then the user's, each expanded as the logon expands it (a REG_SZ value
// taken as it stands). The machine's comes first in every window, so a
// user entry for a folder it lists is never reached.
struct NewWindowParts {
  std::string machine;  // expanded
  std::string user;     // expanded
};

// The stored Path of `scope`, read only, as stored. An absent value is an
// empty one (a new window then has the other scope's alone); nothing, with
// one line on `err`, where it is there but cannot be read as a list.
std::optional<StoredValue> ReadPathOf(Scope scope, EnvironmentStore& store, std::ostream& err);

// The two joined as Windows joins them: the ';' only where both hold
// something.
std::string NewWindowPath(const NewWindowParts& parts);

}  // namespace pathshrink
