#include "compact/junction_substitution.h"
#include "fsquery/path_spelling.h"

namespace pathshrink {

JunctionSubstitution::JunctionSubstitution(const JunctionTable& junctions,
                                           PathConventions conventions)
    : junctions_(junctions),
      conventions_(conventions),
      targets_(junctions.size(), conventions),
      paths_(junctions.size(), conventions) {
  for (std::size_t i = 0; i < junctions.size(); ++i) {
    if (targets_.Insert(junctions[i].shortTarget)) {
      bestOfTarget_.push_back(i);
      continue;
    }
    // Another junction to a target seen before: the shorter path wins.
    for (std::size_t t = 0; t < bestOfTarget_.size(); ++t) {
      const JunctionEntry& best = junctions[bestOfTarget_[t]];
      if (best.shortTarget == junctions[i].shortTarget &&
          Utf16Length(junctions[i].shortJunction) < Utf16Length(best.shortJunction)) {
        bestOfTarget_[t] = i;
      }
    }
  }
  pathKeys_.reserve(junctions.size());  // the views in `paths_` must stay valid
  for (const JunctionEntry& junction : junctions) {
    paths_.Insert(pathKeys_.emplace_back(JunctionKey(junction, conventions)));
    pathLengths_.push_back(Utf16Length(junction.shortJunction));
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

std::optional<JunctionSubstitution::Rewrite> JunctionSubstitution::Rewritten(
    const ResolvedEntry& entry) const {
  if (entry.IsVerbatim() || targets_.empty()) return std::nullopt;
  const std::string& key = entry.Key();
  const std::string& spelling = entry.Spelling();
  std::optional<Rewrite> best;
  std::size_t bestLength = 0;  // a junction must beat this; known at the first match
  targets_.AnyLeadingPart(key, [&](std::size_t position, std::size_t length) {
    if (!best && bestLength == 0) bestLength = Utf16Length(spelling);
    const std::size_t j = bestOfTarget_[position];
    // The rest starts at the separator after the target, or at the one that
    // ends it (a drive root such as d:\).
    const std::string_view rest =
        std::string_view(spelling).substr(RestStart(key, length, spelling, conventions_));
    const std::size_t written = pathLengths_[j] + Utf16Length(rest);
    if (written < bestLength || (written == bestLength && best && j < best->junction)) {
      const std::string_view restKey =
          std::string_view(key).substr(RestStart(key, length, key, conventions_));
      best = Rewrite{j, junctions_[j].shortJunction, rest, pathKeys_[j], restKey};
      bestLength = written;
    }
    return false;  // a longer target may write it shorter
  });
  return best;
}

}  // namespace pathshrink
