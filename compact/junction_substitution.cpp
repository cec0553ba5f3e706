#include "compact/junction_substitution.h"

#include <algorithm>

namespace pathshrink {

JunctionSubstitution::JunctionSubstitution(const JunctionTable& junctions,
                                           PathConventions conventions)
    : junctions_(junctions), conventions_(conventions) {
  firstByTarget_.reserve(junctions.size());
  for (std::size_t i = 0; i < junctions.size(); ++i) {
    // An empty target would be a prefix of everything; it names no directory.
    const std::string& target = junctions[i].shortTarget;
    if (target.empty()) continue;
    firstByTarget_.emplace(target, i);  // keeps the first
    targetLengths_.push_back(target.size());
  }
  std::sort(targetLengths_.begin(), targetLengths_.end());
  targetLengths_.erase(std::unique(targetLengths_.begin(), targetLengths_.end()),
                       targetLengths_.end());
}

std::size_t JunctionSubstitution::FirstMatch(std::string_view key) const {
  // A leading part of length k ends at a boundary when the entry ends there,
  // continues with a separator, or the part itself ends with one (a drive
  // root such as d:\).
  std::size_t best = npos;
  for (const std::size_t k : targetLengths_) {
    if (k > key.size()) break;
    const bool boundary =
        k == key.size() || conventions_.IsSeparator(key[k]) || conventions_.IsSeparator(key[k - 1]);
    if (!boundary) continue;
    const auto found = firstByTarget_.find(key.substr(0, k));
    if (found != firstByTarget_.end() && found->second < best) best = found->second;
  }
  return best;
}

std::string JunctionSubstitution::Written(const ResolvedEntry& entry) const {
  if (entry.verbatim || firstByTarget_.empty()) return entry.spelling;
  const std::size_t match = FirstMatch(entry.key);
  if (match == npos) return entry.spelling;

  const std::string& spelling = entry.spelling;
  const std::size_t restStart =
      AlignedLength(entry.key, junctions_[match].shortTarget.size(), spelling, conventions_);
  std::string written = junctions_[match].shortJunction;
  // A drive root alone leaves only its separator: no trailing one.
  if (spelling.size() - restStart > 1) written.append(spelling, restStart);
  return written;
}

}  // namespace pathshrink
