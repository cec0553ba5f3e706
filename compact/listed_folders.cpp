#include "compact/listed_folders.h"

namespace pathshrink {
namespace {

// Whether the entry was judged: its key names a folder, not a text.
bool Judged(const ResolvedEntry& entry) {
  const std::string& key = entry.Key();
  return !key.empty() && key[0] != '\0' && key[0] != kFollowsVariableMark;
}

}  // namespace

ListedFolders::ListedFolders(const ResolvedList& list) {
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    const ResolvedEntry& entry = list.entries[i];
    if (!Judged(entry)) continue;
    given_.push_back(entry.Given());
    byKey_.emplace(entry.Key(), given_.size() - 1);
    if (i < list.identities.size() && list.identities[i]) {
      byIdentity_.emplace(*list.identities[i], given_.size() - 1);
    }
  }
}

const std::string* ListedFolders::Find(const ResolvedEntry& entry,
                                       const DirectoryIdentity* identity) const {
  if (!Judged(entry)) return nullptr;
  if (identity != nullptr) {
    const auto found = byIdentity_.find(*identity);
    if (found != byIdentity_.end()) return &given_[found->second];
  }
  const auto found = byKey_.find(entry.Key());
  return found != byKey_.end() ? &given_[found->second] : nullptr;
}

std::vector<std::string> EntriesListedBefore(const ResolvedList& list,
                                             const ListedFolders& listed) {
  std::vector<std::string> before(list.entries.size());
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    const DirectoryIdentity* identity =
        i < list.identities.size() && list.identities[i] ? &*list.identities[i] : nullptr;
    if (const std::string* entry = listed.Find(list.entries[i], identity)) before[i] = *entry;
  }
  return before;
}

}  // namespace pathshrink
