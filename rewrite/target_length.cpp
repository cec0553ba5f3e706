#include "rewrite/target_length.h"

#include <algorithm>

#include "pathtext/path_spelling.h"
#include "rewrite/lasting_names.h"
#include "rewrite/profile_variables.h"

namespace pathshrink {

std::size_t WriteWithinTarget(std::size_t target, WrittenList& written,
                              const std::vector<std::string_view>& givenOf,
                              std::vector<Rewriting> rewritings, std::vector<int>& chosen) {
  chosen.assign(givenOf.size(), -1);
  std::vector<std::string_view> text(givenOf.size());
  std::vector<std::string_view> junction(givenOf.size());
  std::size_t length = written.entries.empty() ? 0 : written.entries.size() - 1;  // the ';'s
  for (const WrittenEntry& entry : written.entries) {
    text[entry.resolvedIndex] = givenOf[entry.resolvedIndex];
    length += Utf16Length(text[entry.resolvedIndex]);
  }
  const auto saving = [&givenOf](const Rewriting& r) {
    return static_cast<long long>(Utf16Length(givenOf[r.resolvedIndex])) -
           static_cast<long long>(Utf16Length(r.text));
  };
  std::stable_sort(rewritings.begin(), rewritings.end(),
                   [&saving](const Rewriting& a, const Rewriting& b) {
                     return a.rank != b.rank ? a.rank < b.rank : saving(a) > saving(b);
                   });
  for (const Rewriting& r : rewritings) {
    if (length <= target) break;
    const std::size_t now = Utf16Length(text[r.resolvedIndex]);
    const std::size_t then = Utf16Length(r.text);
    if (text[r.resolvedIndex].data() == nullptr || then >= now) continue;
    length -= now - then;
    text[r.resolvedIndex] = r.text;
    chosen[r.resolvedIndex] = r.rank;
  }
  for (WrittenEntry& entry : written.entries) {
    const std::size_t i = entry.resolvedIndex;
    if (chosen[i] != Rewriting::kJunction) entry.junction = {};
    entry.text = text[i];
  }
  return length;
}

std::size_t RewriteWithinTarget(std::size_t target, WrittenList& written, WrittenList& plain,
                                const std::vector<ResolvedEntry>& entries,
                                const std::vector<std::string_view>& givenOf, Environment* profile,
                                FileSystemQueries& files, std::vector<bool>& lasting) {
  const PathConventions conventions = files.Conventions();
  std::vector<UseWarning> unsaid;  // said of the list as it is written in the end
  const std::vector<bool> fragile = conventions.win32Syntax
                                        ? FragileShortNames(plain, entries, files, unsaid)
                                        : std::vector<bool>(entries.size());
  std::vector<Rewriting> rewritings;
  for (const WrittenEntry& entry : written.entries) {
    if (!entry.junction.empty()) {
      rewritings.push_back({entry.resolvedIndex, entry.text, Rewriting::kJunction});
    }
  }
  const std::vector<ProfileFolder> folders =
      profile != nullptr ? ProfileFoldersOf(*profile, files) : std::vector<ProfileFolder>();
  for (const WrittenEntry& entry : plain.entries) {
    const std::size_t i = entry.resolvedIndex;
    rewritings.push_back(
        {i, entry.text, fragile[i] ? Rewriting::kFragileShortForm : Rewriting::kShortForm});
    if (profile == nullptr) continue;
    const std::string text = WithProfileVariable(entries[i], givenOf[i], folders, conventions);
    if (!text.empty()) rewritings.push_back({i, plain.texts.Add(text), Rewriting::kLasting});
  }
  std::vector<int> chosen;
  const std::size_t length =
      WriteWithinTarget(target, written, givenOf, std::move(rewritings), chosen);
  lasting.assign(entries.size(), false);
  for (std::size_t i = 0; i < chosen.size(); ++i) lasting[i] = chosen[i] == Rewriting::kLasting;
  return length;
}

}  // namespace pathshrink
