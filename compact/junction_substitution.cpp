#include "compact/junction_substitution.h"

#include <algorithm>

namespace pathshrink {

JunctionSubstitution::JunctionSubstitution(const JunctionTable& junctions,
                                           PathConventions conventions)
    : junctions_(junctions),
      conventions_(conventions),
      targets_(junctions.size(), conventions),
      paths_(junctions.size(), conventions) {
  for (std::size_t i = 0; i < junctions.size(); ++i) {
    if (targets_.Insert(junctions[i].shortTarget)) firstOfTarget_.push_back(i);  // the first stays
  }
  pathKeys_.reserve(junctions.size());  // the views in `paths_` must stay valid
  for (const JunctionEntry& junction : junctions) {
    paths_.Insert(pathKeys_.emplace_back(PathKey(junction.shortJunction, conventions)));
  }
  for (const std::string& key : pathKeys_) {
    // Below another junction: a shorter leading part is a junction's path.
    nested_ = nested_ || paths_.AnyLeadingPart(key, [&key](std::size_t, std::size_t length) {
      return length < key.size();
    });
  }
}

bool JunctionSubstitution::MayWriteRepeats(const std::vector<ResolvedEntry>& entries) const {
  if (nested_) return true;
  const auto any = [](std::size_t, std::size_t) { return true; };
  for (const ResolvedEntry& entry : entries) {
    if (paths_.AnyLeadingPart(entry.Key(), any)) return true;
  }
  return false;
}

std::size_t JunctionSubstitution::FirstMatch(std::string_view key) const {
  std::size_t best = npos;
  targets_.AnyLeadingPart(key, [&](std::size_t position, std::size_t) {
    best = std::min(best, firstOfTarget_[position]);
    return false;  // a longer target may come earlier in the table
  });
  return best;
}

std::optional<JunctionSubstitution::Rewrite> JunctionSubstitution::Rewritten(
    const ResolvedEntry& entry) const {
  if (entry.IsVerbatim() || targets_.empty()) return std::nullopt;
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
