#include "rewrite/profile_variables.h"

#include "compact/path_list_syntax.h"
#include "pathtext/path_key.h"
#include "pathtext/path_parts.h"
#include "pathtext/path_spelling.h"

namespace pathshrink {

std::vector<ProfileFolder> ProfileFoldersOf(Environment& logon, FileSystemQueries& files) {
  const PathConventions conventions = files.Conventions();
  std::vector<ProfileFolder> folders;
  if (!conventions.win32Syntax) return folders;
  for (const char* name : kProfileVariables) {
    const std::optional<std::string> value = logon.Variable(name);
    if (!value || !IsAbsolutePath(*value, conventions)) continue;
    const std::string folder = NormalizedPath(*value, conventions);
    std::string shortForm;
    if (files.ShortPathName(folder, shortForm)) {
      shortForm = PathKey(NormalizedPath(std::move(shortForm), conventions), conventions);
    } else {
      shortForm.clear();
    }
    folders.push_back({name, PathKey(folder, conventions), std::move(shortForm)});
  }
  return folders;
}

std::string WithProfileVariable(const ResolvedEntry& entry, std::string_view current,
                                const std::vector<ProfileFolder>& folders,
                                const PathConventions& conventions) {
  if (entry.IsWrittenAsTyped() || !conventions.win32Syntax) return std::string();
  // The given entry's key, and its short form's: the spelling (the
  // shortest, component by component) has the short form's components.
  const std::string key = PathKey(entry.Given(), conventions);
  const std::string& shortKey = entry.Key();
  const std::string& spelling = entry.Spelling();
  const auto below = [](const std::string& path, const std::string& folder,
                        const PathConventions& conventions) {
    return !folder.empty() && path.size() > folder.size() &&
           path.compare(0, folder.size(), folder) == 0 &&
           conventions.IsSeparator(path[folder.size()]);
  };
  std::string best;
  std::size_t bestLength = Utf16Length(current);
  for (const ProfileFolder& folder : folders) {
    // As spelled alike, or as the file system names both (the profile's
    // short name in the entry, its long one in the variable, or the
    // other way round).
    std::size_t rest;
    if (below(key, folder.key, conventions)) {
      rest = RestStart(key, folder.key.size(), spelling, conventions);
    } else if (below(shortKey, folder.shortKey, conventions)) {
      rest = RestStart(shortKey, folder.shortKey.size(), spelling, conventions);
    } else {
      continue;
    }
    std::string text = "%" + std::string(folder.name) + "%" + spelling.substr(rest);
    // A name that holds a ';' is quoted, or the list would split it.
    if (text.find(';') != std::string::npos) text = QuotedForList(std::move(text));
    const std::size_t length = Utf16Length(text);
    if (length < bestLength) {
      best = std::move(text);
      bestLength = length;
    }
  }
  return best;
}

std::vector<bool> ProfileVariablesForTheUser(WrittenList& written,
                                             const std::vector<ResolvedEntry>& entries,
                                             const std::vector<ProfileFolder>& folders,
                                             const PathConventions& conventions) {
  std::vector<bool> rewritten(entries.size());
  for (WrittenEntry& entry : written.entries) {
    if (!entry.junction.empty()) continue;
    std::string text =
        WithProfileVariable(entries[entry.resolvedIndex], entry.text, folders, conventions);
    if (text.empty()) continue;
    entry.text = written.texts.Add(text);
    rewritten[entry.resolvedIndex] = true;
  }
  return rewritten;
}

}  // namespace pathshrink
