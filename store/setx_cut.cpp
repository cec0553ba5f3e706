#include "store/setx_cut.h"

#include <algorithm>
#include <utility>

#include "compact/path_list_syntax.h"
#include "pathtext/path_spelling.h"
#include "store/stored_path.h"

namespace pathshrink {
namespace {

constexpr std::size_t kSetxLimit = 1024;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The local time and the number of a backup's name after its stem
// ("20261208-114500" and 1 for "...-20261208-114500.reg", 2 for
// "...-20261208-114500-2.reg"), to sort them by; nothing else matches.
bool BackupOrder(const std::string& name, const std::string& stem,
                 std::pair<std::string, int>& order) {
  constexpr std::size_t kStamp = 15;  // YYYYMMDD-HHMMSS
  const std::string suffix = ".reg";
  if (name.size() < stem.size() + kStamp + suffix.size() || name.compare(0, stem.size(), stem) ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix)) {
    return false;
  }
  const std::string rest = name.substr(stem.size(), name.size() - stem.size() - suffix.size());
  order = {rest.substr(0, kStamp), 1};
  if (rest.size() == kStamp) return true;
  if (rest[kStamp] != '-' || rest.size() == kStamp + 1 || rest.size() > kStamp + 4) return false;
  order.second = 0;
  for (std::size_t i = kStamp + 1; i < rest.size(); ++i) {
    if (rest[i] < '0' || rest[i] > '9') return false;
    order.second = order.second * 10 + (rest[i] - '0');
  }
  return true;
}

}  // namespace

long BackupValueLength(const std::string& bytes) {
  // UTF-16LE with a byte-order mark; what matters is ASCII.
  if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) return -1;
  std::string text;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text += bytes[i + 1] == '\0' ? bytes[i] : '?';
  }
  const std::size_t data = text.find("\"Path\"=hex(");
  const std::size_t colon = data == std::string::npos ? data : text.find("):", data);
  if (colon == std::string::npos) return -1;
  // Pairs of hex digits, separated by ',', lines going on after ",\".
  std::string values;
  for (std::size_t i = colon + 2; i < text.size();) {
    const int high = HexDigit(text[i]);
    const int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    if (high < 0 || low < 0) break;
    values += static_cast<char>(high * 16 + low);
    i += 2;
    if (i < text.size() && text[i] == ',') ++i;
    if (text.compare(i, 5, "\\\r\n  ") == 0) i += 5;
  }
  long units = 0;
  for (std::size_t i = 0; i + 1 < values.size(); i += 2, ++units) {
    if (values[i] == '\0' && values[i + 1] == '\0') return units;
  }
  return units;
}

SetxCut LookForSetxCut(Scope scope, const std::string& stored, const ResolvedList& resolved,
                       EnvironmentStore& store, Environment* environment) {
  SetxCut cut;
  if (Utf16Length(stored) != kSetxLimit) return cut;
  // The value's last entry, as it stands at its end, left out as missing.
  const std::vector<std::string_view> entries = SplitPathList(stored, true);
  if (entries.empty() ||
      entries.back().data() + entries.back().size() != stored.data() + stored.size()) {
    return cut;
  }
  const std::string last(entries.back());
  const bool missing = std::any_of(
      resolved.findings.begin(), resolved.findings.end(), [&last](const EntryFinding& finding) {
        return finding.kind == EntryFinding::Kind::kInvalid && finding.given == last;
      });
  if (!missing) return cut;
  cut.seen = true;
  cut.lastEntry = last;
  const std::optional<std::string> appData =
      environment != nullptr ? environment->Variable("LOCALAPPDATA") : std::nullopt;
  if (!appData || appData->empty()) return cut;
  const std::string folder = BackupFolder(*appData);
  const std::string stem = BackupStem(scope);
  std::vector<std::pair<std::pair<std::string, int>, std::string>> longer;
  for (const std::string& name : store.FileNames(folder)) {
    std::pair<std::string, int> order;
    std::string path = folder;
    path.append("\\").append(name);
    std::string bytes;
    if (!BackupOrder(name, stem, order) || store.ReadFile(path, bytes) != StoreStatus::kOk ||
        BackupValueLength(bytes) <= static_cast<long>(kSetxLimit)) {
      continue;
    }
    longer.emplace_back(order, std::move(path));
  }
  std::sort(longer.begin(), longer.end(),
            [](const auto& a, const auto& b) { return a.first > b.first; });
  for (auto& [order, path] : longer) cut.longerBackups.push_back(std::move(path));
  return cut;
}

std::string SetxCutLine(const SetxCut& cut) {
  std::string line = "the stored Path is exactly 1024 characters and its last entry, '" +
                     cut.lastEntry +
                     "', names no folder: the mark of setx, which cuts what it stores at 1024 "
                     "characters without a word";
  if (cut.longerBackups.empty()) return line + "; no backup held here is longer";
  line += "; backups held here that are longer, newest first:";
  for (std::size_t i = 0; i < cut.longerBackups.size(); ++i) {
    line += (i == 0 ? " '" : ", '") + cut.longerBackups[i] + "'";
  }
  return line;
}

}  // namespace pathshrink
