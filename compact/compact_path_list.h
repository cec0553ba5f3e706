#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compact/junction_table.h"
#include "compact/text_arena.h"
#include "system/environment.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// A ';'-separated list of directories, in UTF-8.
using PathList = std::string;

// One entry of the list that resolved, in the spellings the compactor needs.
// Most entries are spelled one way in all of them, and that text is kept
// once: a long list then costs a string an entry, not four. A run takes a
// few milliseconds, and the memory it touches (allocations, pages) is a
// large part of what it costs: here, in KeySet and in TextArena, fewer and
// larger blocks are worth some care.
class ResolvedEntry {
 public:
  // `given` and `shortForm` normalized, as the user spelled the entry and as
  // the short-name query answered.
  static ResolvedEntry Resolved(std::string_view given, std::string shortForm,
                                const PathConventions& conventions);
  // An entry written exactly as `text`: one that cannot be judged, or one
  // whose references must stay references. `key` is its identity.
  static ResolvedEntry WrittenAsTyped(std::string text, std::string key);

  // As the user spelled it (normalized, without quotes).
  const std::string& Given() const { return Spelled(&OtherSpellings::given); }
  // How it is written when no junction applies.
  const std::string& Spelling() const { return Spelled(&OtherSpellings::spelling); }
  // Its identity: equal for two spellings of one directory; junction
  // targets are matched on it.
  const std::string& Key() const { return Spelled(&OtherSpellings::key); }
  // The key's hash, worked out once: sets of keys are asked more than once.
  std::uint32_t KeyHash() const { return keyHash_; }
  bool IsWrittenAsTyped() const { return shortForm_.empty(); }
  // The short form as the system answered it (normalized); empty for one
  // written as typed.
  const std::string& ShortForm() const { return shortForm_; }

 private:
  // The spellings that differ from the short form; an empty one does not.
  struct OtherSpellings {
    std::string given, spelling, key;
  };
  const std::string& Spelled(std::string OtherSpellings::*which) const {
    return otherSpellings_ && !((*otherSpellings_).*which).empty() ? (*otherSpellings_).*which
                                                                   : shortForm_;
  }

  std::string shortForm_;
  std::unique_ptr<OtherSpellings> otherSpellings_;  // none where all are the short form
  std::uint32_t keyHash_ = 0;
};

// The first byte of the key of an entry that follows a variable a user or
// an administrator defines (see ResolveEntries).
inline constexpr char kFollowsVariableMark = '\x01';

struct ResolveOptions {
  // Where %NAME% references lead (Win32 syntax only); without one, every
  // entry that holds a reference is kept as typed.
  Environment* environment = nullptr;
};

// What resolving found about one entry of the list, for the report.
struct EntryFinding {
  enum class Kind {
    kInvalid,            // it does not exist, and its drive does: left out
    kUnchecked,          // it cannot be judged: kept as given
    kRepeat,             // it names a directory listed before: left out
    kControlCharacters,  // it holds a control character, which no name can: left out
  };
  Kind kind;
  std::string_view given{};  // the entry as the list gives it, into the list
  std::string_view why{};    // kUnchecked: why it cannot be judged
  // kRepeat: the resolved entry it names again.
  std::size_t repeats = 0;
};

struct ResolvedList {
  std::vector<std::string_view> split;  // the list's entries, as split, into the list
  std::vector<ResolvedEntry> entries;   // no two of one key, nor of one directory
  // By resolved entry: the directory it opens to, where it could be opened.
  std::vector<std::optional<DirectoryIdentity>> identities;
  std::vector<EntryFinding> findings;  // in the list's order
  TextArena whys;                      // where the findings' `why` point
};

// The directory `entry`, as a list holds it, opens to: its quotes gone and
// its references expanded with `references` (none, or one it cannot
// expand: nothing); nothing where it is not absolute or opens nothing.
std::optional<DirectoryIdentity> EntryOpensTo(std::string_view entry, Environment* references,
                                              FileSystemQueries& files);

// Splits the list and resolves every entry in order. The findings point
// into `list`, which must outlive them. An entry that the
// file system says does not exist is left out; one that cannot be judged
// (relative, on a drive or share that is not there, not checkable, a
// reference that leads nowhere today) is kept as given; one that names a
// directory named before is left out. Each of those is a finding.
ResolvedList ResolveEntries(std::string_view list, FileSystemQueries& queries,
                            const ResolveOptions& options = {});

// One entry as it goes into the new list.
struct WrittenEntry {
  std::size_t resolvedIndex;  // in the resolved entries
  std::string_view text;      // into the resolved entry, or the list's own texts
  std::string_view junction;  // the junction it is written through (its short
                              // form, into the table), or empty
};

// The entries as they go into the new list, in order. The texts of entries
// that a junction rewrote live here; the others are the resolved entries'
// own, which must outlive the list.
struct WrittenList {
  WrittenList() = default;
  WrittenList(WrittenList&&) = default;  // moves keep every text in place
  WrittenList& operator=(WrittenList&&) = default;
  WrittenList(const WrittenList&) = delete;
  WrittenList& operator=(const WrittenList&) = delete;

  std::vector<WrittenEntry> entries;
  TextArena texts;  // the views above point here
  // Each entry left out because a junction made it name a directory
  // written already: its index in the resolved entries, and the index of
  // the one that stays.
  std::vector<std::pair<std::size_t, std::size_t>> repeats;
};

// Writes each entry (as ResolveEntries gives them: no two of one key)
// through the first junction of `junctions` (in table order) whose short
// target is a leading part of it, ending at a component boundary, and drops
// every entry that names a directory already written, whether before or
// after junctions were applied. The first one stays.
WrittenList WriteEntries(const std::vector<ResolvedEntry>& entries, const JunctionTable& junctions,
                         const PathConventions& conventions);

// The written entries joined by ';'.
PathList JoinEntries(const WrittenList& written);

// The whole compaction: resolve, write, join; the findings are not kept.
PathList CompactPathList(const JunctionTable& junctions, const PathList& list,
                         FileSystemQueries& queries);

}  // namespace pathshrink
