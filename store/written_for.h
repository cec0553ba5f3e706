#pragma once

#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/listed_folders.h"
#include "report/entry_records.h"
#include "system/environment.h"
#include "system/environment_store.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// What each entry the tool stored in a Path was written for, kept beside
// the backups: a short name or a junction leads to a folder only as long as
// the volume and the links stay as they were, and a name handed out again
// after a reinstall leads elsewhere without a word. The file,
// %LOCALAPPDATA%\pathshrink\Path-user.written-for (or -machine), is UTF-8:
// a first line "pathshrink written-for 2", then a line for each entry
// written otherwise than its folder's long path: the entry as written, a
// tab, the long path; then a line for each entry left out of a user's Path
// because the machine's listed its folder: "*" (no path holds one), its
// place, the entry, the machine's entry, with tabs between; each line
// ending in CR LF. A file of version 1 (no "*" lines) is read as well.
using WrittenFor = std::map<std::string, std::string>;  // as written -> long path

// A user's entry left out while the machine's Path listed its folder.
struct LeftOut {
  // Its index in the list as stored, counting only the entries stored (not
  // others left out), so that it goes back before the entry it stood before.
  std::size_t place = 0;
  std::string entry;         // as it stood in the user's Path
  std::string machineEntry;  // the machine's entry that listed its folder
  bool operator==(const LeftOut& other) const {
    return place == other.place && entry == other.entry && machineEntry == other.machineEntry;
  }
};

std::string WrittenForFile(Scope scope, const std::string& localAppData);
// The memory the file holds: only lines whose folder is an absolute path
// and whose two sides hold no control character, and left-out lines with
// a place and two entries that hold none; `ignored` counts the others
// (every line, in a file that is not one of these).
WrittenFor ParseWrittenFor(std::string_view bytes, std::size_t& ignored,
                           std::vector<LeftOut>* leftOut = nullptr);
std::string FormatWrittenFor(const WrittenFor& memory, const std::vector<LeftOut>& leftOut = {});

// The stored list with each entry that now leads to another folder than
// the one it was written for (or nowhere, where that folder is there)
// replaced by that folder's long path, which is then written anew (or left
// out as missing, where it is gone): never a name that leads elsewhere now.
// Two paths lead to one folder where the file system opens them to one
// directory (a junction the tool wrote for its target); an entry with
// references is expanded with `references` (none: it is not judged). An
// entry or folder that cannot be judged now (a drive that is not there, a
// folder that may not be read) is kept as it is.
struct DriftCheck {
  std::string list;
  std::vector<std::string> writtenFor;  // by entry of the list: the folder where it drifted
  std::vector<bool> putBack;            // by entry of the list: put back (see PutBackLeftOut)
};
DriftCheck CheckDrift(std::string_view stored, const WrittenFor& memory, FileSystemQueries& files,
                      Environment* references, std::ostream& err);

// Puts each entry left out before back into `check.list`, at its place,
// where the machine's Path (`machine`) no longer lists its folder and the
// folder is there; says so on `err`. An entry the list holds again, in any
// spelling that opens its folder, is forgotten: the user's spelling and
// place win; so is one that is gone. An entry with references is judged
// where they lead (`references`), as it was left out. Returns the ones
// still left out (or that cannot be judged now), to be remembered again,
// each with its place as an index into the new `check.list`.
std::vector<LeftOut> PutBackLeftOut(const std::vector<LeftOut>& leftOut,
                                    const ListedFolders& machine, FileSystemQueries& files,
                                    Environment* references, DriftCheck& check, std::ostream& err);

// Gives the records of drifted entries the entry as stored (`stored`, the
// list as read) and the folder it was written for; marks those put back.
void NoteDrift(std::string_view stored, const DriftCheck& drift, const PathConventions& conventions,
               std::vector<EntryRecord>& records);

// What each entry written otherwise than as given was written for: as
// known `before`, else its folder (for an entry written with references,
// as `references` expand it).
WrittenFor WrittenForOf(const std::vector<EntryRecord>& records,
                        const std::vector<ResolvedEntry>& entries, const WrittenFor& before,
                        Environment* references);
// The entries left out because the machine's Path lists their folders:
// those the records say, then `still` (left out before, and not put back;
// their places indexes into the list the records are of), each placed
// among the entries the records keep.
std::vector<LeftOut> LeftOutOf(const std::vector<EntryRecord>& records,
                               const std::vector<LeftOut>& still);

}  // namespace pathshrink
