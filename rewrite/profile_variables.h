#pragma once

#include <string>
#include <vector>

#include "compact/compact_path_list.h"
#include "system/environment.h"

namespace pathshrink {

// The variables of the user's profile that a user's stored Path may be
// written with: Windows defines them from the profile at every logon, on
// every machine the profile roams to, so they name the same folder there
// when short names and drive letters differ.
inline constexpr const char* kProfileVariables[] = {"LOCALAPPDATA", "APPDATA", "USERPROFILE"};

// Each written entry that lies in a folder one of those variables names
// (as `logon` defines them), written as the variable and the rest in its
// shortest spelling, where that is shorter than it is written now: a form
// that lasts. Only for a user's Path stored as REG_EXPAND_SZ. Returns, by
// resolved entry, whether it was so written.
std::vector<bool> ProfileVariablesForTheUser(WrittenList& written,
                                             const std::vector<ResolvedEntry>& entries,
                                             Environment& logon,
                                             const PathConventions& conventions);

// The text `entry` would be written as with a profile variable, or empty
// where none names a folder it lies in or none writes it shorter than
// `current`.
std::string WithProfileVariable(const ResolvedEntry& entry, std::string_view current,
                                Environment& logon, const PathConventions& conventions);

}  // namespace pathshrink
