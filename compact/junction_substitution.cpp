#include "compact/junction_substitution.h"

#include "pathtext/path_spelling.h"

namespace pathshrink {

JunctionSubstitution::JunctionSubstitution(const JunctionTable& junctions,
                                           PathConventions conventions)
    : junctions_(junctions),
      conventions_(conventions),
      targets_(junctions.size(), conventions),
      paths_(junctions.size(), conventions) {
  pathKeys_.reserve(junctions.size());  // the views in `paths_` must stay valid
  for (std::size_t i = 0; i < junctions.size(); ++i) {
    if (paths_.Insert(pathKeys_.emplace_back(JunctionKey(junctions[i], conventions)))) {
      junctionOfPath_.push_back(i);
    }
    pathLengths_.push_back(Utf16Length(junctions[i].shortJunction));
  }
  for (std::size_t i = 0; i < junctions.size(); ++i) {
    if (targets_.Insert(junctions[i].shortTarget)) {
      bestOfTarget_.push_back(i);
      continue;
    }
    // Another junction to a target seen before: the shorter path wins. (An
    // empty target is never added: it would lead everything.)
    const std::size_t seen = targets_.Find(junctions[i].shortTarget);
    if (seen != KeySet::npos && pathLengths_[i] < pathLengths_[bestOfTarget_[seen]]) {
      bestOfTarget_[seen] = i;
    }
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

std::string JunctionSubstitution::ThroughTargets(std::string_view key) const {
  std::string named;
  // Junctions that lead to one another end after a few steps.
  for (int step = 0; step < 8; ++step) {
    const std::string_view through = named.empty() ? key : std::string_view(named);
    std::size_t junction = npos;
    std::size_t length = 0;
    paths_.AnyLeadingPart(through, [&](std::size_t position, std::size_t leading) {
      junction = junctionOfPath_[position];
      length = leading;
      return false;  // the longest
    });
    if (junction == npos) break;
    const std::string_view target = junctions_[junction].shortTarget;
    std::string_view rest = through.substr(length);
    // A target that ends in a separator (a drive root) has the rest's own.
    if (!target.empty() && conventions_.IsSeparator(target.back()) && !rest.empty() &&
        conventions_.IsSeparator(rest.front())) {
      rest.remove_prefix(1);
    }
    named = std::string(target).append(rest);
  }
  return named;
}

std::optional<JunctionSubstitution::Rewrite> JunctionSubstitution::Rewritten(
    const ResolvedEntry& entry) const {
  if (entry.IsWrittenAsTyped() || targets_.empty()) return std::nullopt;
  const std::string& key = entry.Key();
  const std::string& spelling = entry.Spelling();
  // What a junction changes in the entry's length: its own path in place of
  // the leading part it stands for. Only a change below zero is worth it.
  long long bestChange = 0;
  std::size_t best = npos;  // in the table
  std::size_t bestTarget = 0;
  std::size_t bestRest = 0;
  targets_.AnyLeadingPart(key, [&](std::size_t position, std::size_t length) {
    const std::size_t j = bestOfTarget_[position];
    // The rest starts at the separator after the target, or at the one that
    // ends it (a drive root such as d:\).
    const std::size_t restStart = RestStart(key, length, spelling, conventions_);
    const long long change =
        static_cast<long long>(pathLengths_[j]) -
        static_cast<long long>(Utf16Length(std::string_view(spelling).substr(0, restStart)));
    if (change < bestChange || (change == bestChange && best != npos && j < best)) {
      best = j;
      bestChange = change;
      bestTarget = length;
      bestRest = restStart;
    }
    return false;  // a longer target may write it shorter
  });
  if (best == npos) return std::nullopt;
  return Rewrite{junctions_[best].shortJunction, std::string_view(spelling).substr(bestRest),
                 pathKeys_[best],
                 std::string_view(key).substr(RestStartIn(key, bestTarget, conventions_))};
}

}  // namespace pathshrink
