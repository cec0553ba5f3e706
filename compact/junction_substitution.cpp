#include "compact/junction_substitution.h"

#include <algorithm>

namespace pathshrink {

JunctionSubstitution::JunctionSubstitution(const JunctionTable& junctions,
                                           PathConventions conventions)
    : junctions_(junctions),
      conventions_(conventions),
      targets_(junctions.size()),
      paths_(junctions.size()) {
  for (std::size_t i = 0; i < junctions.size(); ++i) {
    // An empty target would be a prefix of everything; it names no directory.
    const std::string& target = junctions[i].shortTarget;
    if (target.empty() || !targets_.Insert(target)) continue;  // the first stays
    firstOfTarget_.push_back(i);
    targetLengths_.push_back(target.size());
  }
  std::sort(targetLengths_.begin(), targetLengths_.end());
  targetLengths_.erase(std::unique(targetLengths_.begin(), targetLengths_.end()),
                       targetLengths_.end());

  pathKeys_.reserve(junctions.size());  // the views in `paths_` must stay valid
  for (const JunctionEntry& junction : junctions) {
    const std::string& key = pathKeys_.emplace_back(PathKey(junction.shortJunction, conventions));
    if (key.empty()) continue;
    paths_.Insert(key);
    pathLengths_.push_back(key.size());
  }
  std::sort(pathLengths_.begin(), pathLengths_.end());
  pathLengths_.erase(std::unique(pathLengths_.begin(), pathLengths_.end()), pathLengths_.end());
  for (const std::string& key : pathKeys_) {
    // Below another junction: a shorter leading part is a junction's path.
    for (const std::size_t k : pathLengths_) {
      if (k >= key.size()) break;
      const bool boundary = conventions.IsSeparator(key[k]) || conventions.IsSeparator(key[k - 1]);
      if (boundary && paths_.Find(std::string_view(key).substr(0, k)) != KeySet::npos) {
        nested_ = true;
      }
    }
  }
}

bool JunctionSubstitution::MayWriteRepeats(const std::vector<ResolvedEntry>& entries) const {
  if (nested_) return true;
  for (const ResolvedEntry& entry : entries) {
    if (StartsWithAJunction(entry.Key())) return true;
  }
  return false;
}

bool JunctionSubstitution::StartsWithAJunction(std::string_view key) const {
  for (const std::size_t k : pathLengths_) {
    if (k > key.size()) break;
    const bool boundary =
        k == key.size() || conventions_.IsSeparator(key[k]) || conventions_.IsSeparator(key[k - 1]);
    if (boundary && paths_.Find(key.substr(0, k)) != KeySet::npos) return true;
  }
  return false;
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
    const std::size_t found = targets_.Find(key.substr(0, k));
    if (found != KeySet::npos && firstOfTarget_[found] < best) best = firstOfTarget_[found];
  }
  return best;
}

std::optional<JunctionSubstitution::Rewrite> JunctionSubstitution::Rewritten(
    const ResolvedEntry& entry) const {
  if (entry.IsVerbatim() || firstOfTarget_.empty()) return std::nullopt;
  const std::size_t match = FirstMatch(entry.Key());
  if (match == npos) return std::nullopt;

  const std::string& spelling = entry.Spelling();
  const std::size_t restStart =
      AlignedLength(entry.Key(), junctions_[match].shortTarget.size(), spelling, conventions_);
  // A drive root alone leaves only its separator: no trailing one.
  const std::size_t rest = spelling.size() - restStart > 1 ? restStart : spelling.size();
  return Rewrite{junctions_[match].shortJunction, std::string_view(spelling).substr(rest)};
}

}  // namespace pathshrink
