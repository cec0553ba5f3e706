#include "rewrite/profile_variables.h"

#include "compact/path_list_syntax.h"
#include "pathtext/path_key.h"
#include "pathtext/path_parts.h"
#include "pathtext/path_spelling.h"

namespace pathshrink {

std::string WithProfileVariable(const ResolvedEntry& entry, std::string_view current,
                                Environment& logon, const PathConventions& conventions) {
  if (entry.IsWrittenAsTyped() || !conventions.win32Syntax) return std::string();
  const std::string& given = entry.Given();
  const std::string key = PathKey(given, conventions);
  // The entry's shortest spelling, component by component as its long one.
  const std::string& spelling = entry.Spelling();
  std::string best;
  std::size_t bestLength = Utf16Length(current);
  for (const char* name : kProfileVariables) {
    const std::optional<std::string> value = logon.Variable(name);
    if (!value || !IsAbsolutePath(*value, conventions)) continue;
    const std::string folder = NormalizedPath(*value, conventions);
    const std::string folderKey = PathKey(folder, conventions);
    if (folderKey.empty() || key.size() <= folderKey.size() ||
        key.compare(0, folderKey.size(), folderKey) != 0 ||
        !conventions.IsSeparator(key[folderKey.size()])) {
      continue;
    }
    const std::size_t rest = RestStart(key, folderKey.size(), spelling, conventions);
    std::string text = "%" + std::string(name) + "%" + spelling.substr(rest);
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
                                             Environment& logon,
                                             const PathConventions& conventions) {
  std::vector<bool> rewritten(entries.size());
  for (WrittenEntry& entry : written.entries) {
    if (!entry.junction.empty()) continue;
    std::string text =
        WithProfileVariable(entries[entry.resolvedIndex], entry.text, logon, conventions);
    if (text.empty()) continue;
    entry.text = written.texts.Add(text);
    rewritten[entry.resolvedIndex] = true;
  }
  return rewritten;
}

}  // namespace pathshrink
