#pragma once

#include <string>
#include <vector>

#include "compact/compact_path_list.h"
#include "system/environment.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// The variables of the user's profile that a user's stored Path may be
// written with: Windows defines them from the profile at every logon, on
// every machine the profile roams to, so they name the same folder there
// when short names and drive letters differ.
inline constexpr const char* kProfileVariables[] = {"LOCALAPPDATA", "APPDATA", "USERPROFILE"};

// The folder one of those variables names, as the logon defines it: the
// key of its spelling and the key of its short form, so that an entry
// spelled through either is found in it (a runner's %TEMP% is spelled
// C:\Users\RUNNER~1\..., its %LOCALAPPDATA% C:\Users\runneradmin\...).
struct ProfileFolder {
  const char* name;
  std::string key;
  std::string shortKey;  // empty where the folder has no short form now
};
std::vector<ProfileFolder> ProfileFoldersOf(Environment& logon, FileSystemQueries& files);

// Each written entry that lies in a folder one of those variables names,
// written as the variable and the rest in its shortest spelling, where that
// is shorter than it is written now: a form that lasts. Only for a user's
// Path stored as REG_EXPAND_SZ. Returns, by resolved entry, whether it was
// so written.
std::vector<bool> ProfileVariablesForTheUser(WrittenList& written,
                                             const std::vector<ResolvedEntry>& entries,
                                             const std::vector<ProfileFolder>& folders,
                                             const PathConventions& conventions);

// The text `entry` would be written as with a profile variable, or empty
// where none names a folder it lies in or none writes it shorter than
// `current`.
std::string WithProfileVariable(const ResolvedEntry& entry, std::string_view current,
                                const std::vector<ProfileFolder>& folders,
                                const PathConventions& conventions);

}  // namespace pathshrink
