#include "compact/junction_substitution.h"

#include <algorithm>

#include "compact/lower_case.h"

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

void JunctionSubstitution::Apply(std::string& entry) const {
  if (firstByTarget_.empty()) return;
  // Only where names fold case does the entry need a lower-case copy.
  const std::string folded = conventions_.foldsCase ? LowerCased(entry) : std::string();
  const std::string_view comparable = conventions_.foldsCase ? folded : entry;

  // A leading part of length k ends at a boundary when the entry ends there,
  // continues with a separator, or the part itself ends with one (a drive
  // root such as d:\).
  std::size_t best = junctions_.size();
  for (const std::size_t k : targetLengths_) {
    if (k > comparable.size()) break;
    const bool boundary = k == comparable.size() || conventions_.IsSeparator(comparable[k]) ||
                          conventions_.IsSeparator(comparable[k - 1]);
    if (!boundary) continue;
    const auto found = firstByTarget_.find(comparable.substr(0, k));
    if (found != firstByTarget_.end() && found->second < best) best = found->second;
  }
  if (best == junctions_.size()) return;

  const JunctionEntry& junction = junctions_[best];
  const std::string& target = junction.shortTarget;
  std::string replacement = junction.shortJunction;
  // A target that ends in a separator took the separator that the rest of
  // the entry needs after the junction.
  if (entry.size() > target.size() && conventions_.IsSeparator(target.back()) &&
      (replacement.empty() || !conventions_.IsSeparator(replacement.back()))) {
    replacement += target.back();
  }
  entry.replace(0, target.size(), replacement);
}

}  // namespace pathshrink
