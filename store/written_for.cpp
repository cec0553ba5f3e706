#include "store/written_for.h"

#include "compact/path_list_syntax.h"
#include "pathtext/path_conventions.h"
#include "pathtext/path_key.h"
#include "pathtext/path_parts.h"

namespace pathshrink {
namespace {

constexpr std::string_view kHeader = "pathshrink written-for 1";

// Where `path` leads now: the folder's short form; empty where it leads
// nowhere.
std::string LeadsTo(const std::string& path, FileSystemQueries& files) {
  const PathConventions conventions = files.Conventions();
  std::string answer;
  if (!IsAbsolutePath(path, conventions) ||
      !files.ShortPathName(NormalizedPath(path, conventions), answer)) {
    return std::string();
  }
  return NormalizedPath(std::move(answer), conventions);
}

}  // namespace

std::string WrittenForFile(Scope scope, const std::string& localAppData) {
  std::string folder = localAppData;
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder + "pathshrink\\Path-" + (scope == Scope::kMachine ? "machine" : "user") +
         ".written-for";
}

WrittenFor ParseWrittenFor(std::string_view bytes) {
  WrittenFor memory;
  bool first = true;
  while (!bytes.empty()) {
    std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      if (line != kHeader) return memory;  // not a file of this kind: nothing is known
      first = false;
      continue;
    }
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0 || tab + 1 == line.size()) continue;
    memory[std::string(line.substr(0, tab))] = std::string(line.substr(tab + 1));
  }
  return memory;
}

std::string FormatWrittenFor(const WrittenFor& memory) {
  std::string text = std::string(kHeader) + "\r\n";
  for (const auto& [written, folder] : memory) {
    text.append(written).append("\t").append(folder).append("\r\n");
  }
  return text;
}

DriftCheck CheckDrift(std::string_view stored, const WrittenFor& memory, FileSystemQueries& files,
                      std::ostream& err) {
  DriftCheck check;
  const std::vector<std::string_view> entries = SplitPathList(stored, true);
  check.writtenFor.resize(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) check.list += ';';
    const std::string entry(entries[i]);
    const auto found = memory.find(entry);
    if (found == memory.end() || HoldsEnvironmentReference(entry)) {
      check.list += entry;
      continue;
    }
    const std::string& folder = found->second;
    const PathConventions conventions = files.Conventions();
    const std::string now = LeadsTo(Unquoted(entry), files);
    const std::string meant = LeadsTo(folder, files);
    if (PathKey(now, conventions) == PathKey(meant, conventions)) {
      check.list += entry;
      continue;
    }
    std::string line = "[entry '";
    line.append(entry).append("' was written for '").append(folder).append("'");
    line += meant.empty() ? ", which is gone," : "";
    line += now.empty() ? " and now leads nowhere" : " and now leads to '" + now + "'";
    line += meant.empty() ? "; left out]\n" : "; written for '" + folder + "' again]\n";
    err << line;
    check.writtenFor[i] = folder;
    check.list += folder.find(';') != std::string::npos ? QuotedForList(folder) : folder;
  }
  return check;
}

void NoteDrift(std::string_view stored, const DriftCheck& drift, const PathConventions& conventions,
               std::vector<EntryRecord>& records) {
  if (drift.writtenFor.empty()) return;
  const std::vector<std::string_view> given = SplitPathList(stored, conventions.win32Syntax);
  for (std::size_t i = 0; i < records.size() && i < given.size(); ++i) {
    if (drift.writtenFor[i].empty()) continue;
    records[i].given = given[i];
    records[i].writtenFor = drift.writtenFor[i];
  }
}

WrittenFor WrittenForOf(const std::vector<EntryRecord>& records,
                        const std::vector<ResolvedEntry>& entries, const WrittenFor& before) {
  using Outcome = EntryRecord::Outcome;
  WrittenFor memory;
  for (const EntryRecord& record : records) {
    if (record.written.empty() || record.resolvedIndex >= entries.size() ||
        record.outcome == Outcome::kUnchecked || record.outcome == Outcome::kReference ||
        record.outcome == Outcome::kProfileVariable) {
      continue;
    }
    std::string folder;
    if (!record.writtenFor.empty()) {
      folder = record.writtenFor;
    } else if (const auto known = before.find(std::string(record.given)); known != before.end()) {
      folder = known->second;
    } else {
      folder = entries[record.resolvedIndex].Given();
    }
    if (folder != record.written) memory[std::string(record.written)] = folder;
  }
  return memory;
}

}  // namespace pathshrink
