#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "system/environment.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// One way a resolved entry may be written, and how well it lasts: a
// profile variable names the same folder on every machine and after every
// reinstall, a short name only while the volume keeps it (a fragile one,
// with siblings of its stem, may go to another folder after a reinstall),
// a junction only while someone keeps it.
struct Rewriting {
  enum Rank { kLasting, kShortForm, kFragileShortForm, kJunction };
  std::size_t resolvedIndex;
  std::string_view text;
  Rank rank;
};

// Writes each entry of `written` as given (`givenOf`, by resolved index),
// then, while the list is longer than `target` UTF-16 units, takes the
// rewritings in the order that lasts best, and of those the one that saves
// most first, each only where it writes its entry shorter than it is
// written already. Returns the list's length. `written`'s texts and
// junctions change; `chosen` says, by resolved index, which rank each
// entry ended with (npos: as given).
std::size_t WriteWithinTarget(std::size_t target, WrittenList& written,
                              const std::vector<std::string_view>& givenOf,
                              std::vector<Rewriting> rewritings, std::vector<int>& chosen);

// WriteWithinTarget with every way each entry of `written` may be written:
// through its junction (as `written` has it), its short form (as `plain`,
// written without junctions, has it; fragile where its short names share
// their stem), and where `profile` is given, a profile variable.
// `lasting` says, by resolved index, which were written with one.
std::size_t RewriteWithinTarget(std::size_t target, WrittenList& written, WrittenList& plain,
                                const std::vector<ResolvedEntry>& entries,
                                const std::vector<std::string_view>& givenOf, Environment* profile,
                                FileSystemQueries& files, std::vector<bool>& lasting);

}  // namespace pathshrink
