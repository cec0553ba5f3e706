#include "fsquery/path_conventions.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace pathshrink {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The leading part of a path that names where it starts.
struct Root {
  std::string text;        // as written in the normalized path
  std::size_t length = 0;  // how much of the input it took
  bool anchored = false;   // ".." cannot climb above it
};

Root ParseRoot(std::string_view path, const PathConventions& c) {
  Root root;
  const char sep = c.Separator();
  const auto isSep = [&](std::size_t i) { return i < path.size() && c.IsSeparator(path[i]); };
  if (!c.win32Syntax) {
    if (isSep(0)) root = {std::string(1, sep), 1, true};
    return root;
  }
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    // "C:\x" starts at the drive's root; "C:x" at that drive's current folder.
    if (isSep(2)) return {std::string(path.substr(0, 2)) + sep, 3, true};
    return {std::string(path.substr(0, 2)), 2, false};
  }
  if (isSep(0) && isSep(1)) {
    // \\server\share: both names belong to the root.
    root = {std::string(2, sep), 2, true};
    for (int name = 0; name < 2; ++name) {
      const std::size_t start = root.length;
      std::size_t end = start;
      while (end < path.size() && !c.IsSeparator(path[end])) ++end;
      if (name == 1) root.text += sep;
      root.text.append(path.substr(start, end - start));
      root.length = end;
      if (!isSep(end)) break;
      if (name == 0) ++root.length;
    }
    return root;
  }
  if (isSep(0)) return {std::string(1, sep), 1, true};
  return root;
}

// The components after the root, split at every separator, empty ones kept.
std::vector<std::string_view> Components(std::string_view rest, const PathConventions& c) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    if (i == rest.size() || c.IsSeparator(rest[i])) {
      parts.push_back(rest.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

std::string Joined(const Root& root, const std::vector<std::string_view>& parts,
                   const PathConventions& c) {
  std::string path = root.text;
  // After a drive root or "/" the separator is already there; after a UNC
  // share it is not.
  bool needsSeparator = !path.empty() && !c.IsSeparator(path.back()) && root.anchored;
  for (const std::string_view part : parts) {
    if (needsSeparator) path += c.Separator();
    path.append(part);
    needsSeparator = true;
  }
  if (path.empty()) path = ".";
  return path;
}

bool IsVerbatim(std::string_view path) {
  return path.size() >= 4 && path[0] == '\\' && path[1] == '\\' &&
         (path[2] == '?' || path[2] == '.') && path[3] == '\\';
}

// The next separator from `at` on, or the end: a memchr where there is one
// separator.
std::size_t NextSeparator(std::string_view path, std::size_t at, const PathConventions& c) {
  if (c.separators[1] == '\0') return std::min(path.find(c.separators[0], at), path.size());
  while (at < path.size() && !c.IsSeparator(path[at])) ++at;
  return at;
}

// Whether the path is spelled plainly already: only the platform's own
// separator, never two in a row or one at the end (but for a root), no "."
// component, and under Win32 syntax no "..". Component by component.
bool IsPlainByComponents(std::string_view path, const PathConventions& c) {
  const std::size_t end = path.size();
  std::size_t start = 0;  // of the current component
  for (;;) {
    const std::size_t sep = NextSeparator(path, start, c);
    const std::size_t length = sep - start;
    if (length == 1 && path[start] == '.') return false;
    if (length == 2 && c.win32Syntax && path[start] == '.' && path[start + 1] == '.') return false;
    if (sep == end) return true;
    if (path[sep] != c.Separator()) return false;
    if (length == 0 && sep > 0) return false;                             // two in a row
    if (sep + 1 == end) return sep == 0 || (sep == 2 && path[1] == ':');  // only a root's
    start = sep + 1;
  }
}

// The high bit of each of the 8 bytes of `word` that equals `byte`, and no
// other bit (exact: no carry crosses a byte).
std::uint64_t BytesEqualTo(std::uint64_t word, char byte) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
  const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(byte));
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

std::uint64_t Load8(const char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, 8);
  return word;
}

// The same, asked of every entry. With one kind of separator a path is
// plain when no separator is followed by another or by a dot, and it does
// not end in one: eight bytes at a time tell that faster than a look at
// each component. The rest, and Win32 paths, are looked at that way.
bool IsPlain(std::string_view path, const PathConventions& c) {
  if (c.separators[1] != '\0' || path[0] == '.') return IsPlainByComponents(path, c);
  const char sep = c.Separator();
  const std::size_t size = path.size();
  std::size_t at = 0;
  for (; at + 9 <= size; at += 8) {
    // Byte j of `next` is the one after byte j of `here`.
    const std::uint64_t here = Load8(path.data() + at);
    const std::uint64_t next = Load8(path.data() + at + 1);
    if ((BytesEqualTo(here, sep) & (BytesEqualTo(next, sep) | BytesEqualTo(next, '.'))) != 0) {
      return IsPlainByComponents(path, c);
    }
  }
  for (; at + 1 < size; ++at) {
    if (path[at] == sep && (path[at + 1] == sep || path[at + 1] == '.')) {
      return IsPlainByComponents(path, c);
    }
  }
  return path[size - 1] != sep || size == 1;  // a separator at the end: the root's only
}

}  // namespace

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;  // a continuation byte adds none
  }
  return units;
}

std::string FoldCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string NormalizedPath(std::string path, const PathConventions& conventions) {
  if (IsNormalized(path, conventions)) return path;
  const std::string_view view = path;
  const Root root = ParseRoot(view, conventions);
  std::vector<std::string_view> kept;
  for (const std::string_view part : Components(view.substr(root.length), conventions)) {
    if (part.empty() || part == ".") continue;
    if (part == ".." && conventions.win32Syntax) {
      if (!kept.empty() && kept.back() != "..") {
        kept.pop_back();
        continue;
      }
      if (root.anchored) continue;  // nothing above a root
    }
    kept.push_back(part);
  }
  if (kept.empty() && !root.text.empty()) return root.text;
  return Joined(root, kept, conventions);
}

bool IsNormalized(std::string_view path, const PathConventions& conventions) {
  return path.empty() || (conventions.win32Syntax && IsVerbatim(path)) ||
         IsPlain(path, conventions);
}

std::size_t PathRootLength(std::string_view path, const PathConventions& conventions) {
  return ParseRoot(path, conventions).length;
}

bool IsAbsolutePath(std::string_view path, const PathConventions& conventions) {
  const Root root = ParseRoot(path, conventions);
  if (!root.anchored) return false;
  // "\x" is anchored at a root, but at the current drive's.
  return !conventions.win32Syntax || root.text.size() > 1 || IsVerbatim(path);
}

std::string PathKey(std::string_view normalized, const PathConventions& conventions) {
  std::string key(normalized);
  return conventions.foldsCase ? FoldCase(std::move(key)) : key;
}

std::string ShortestSpelling(const std::string& shortForm, const std::string& given,
                             const PathConventions& conventions) {
  if (shortForm == given) return shortForm;
  const Root root = ParseRoot(shortForm, conventions);
  const Root givenRoot = ParseRoot(given, conventions);
  if (root.text.size() != givenRoot.text.size()) return shortForm;
  // What follows the root, without the separator after a share's name.
  const auto rest = [&](const std::string& path, const Root& r) {
    std::string_view tail = std::string_view(path).substr(r.length);
    if (!tail.empty() && conventions.IsSeparator(tail.front())) tail.remove_prefix(1);
    return Components(tail, conventions);
  };
  const std::vector<std::string_view> shortParts = rest(shortForm, root);
  const std::vector<std::string_view> givenParts = rest(given, givenRoot);
  if (shortParts.size() != givenParts.size()) return shortForm;
  std::vector<std::string_view> parts;
  parts.reserve(shortParts.size());
  for (std::size_t i = 0; i < shortParts.size(); ++i) {
    const bool givenShorter = Utf16Length(givenParts[i]) < Utf16Length(shortParts[i]);
    parts.push_back(givenShorter ? givenParts[i] : shortParts[i]);
  }
  if (parts.size() == 1 && parts[0].empty()) return shortForm;  // a root alone
  return Joined(root, parts, conventions);
}

std::size_t AlignedLength(std::string_view path, std::size_t length, std::string_view other,
                          const PathConventions& conventions) {
  // The rest of `path` starts at the separator after the leading part, or at
  // the one that ends it when it ends in one (a drive root such as d:\).
  if (length >= path.size()) return other.size();  // nothing is left
  // Spelled alike (often the very same text): the rest starts where the part ends.
  if ((path.data() == other.data() && path.size() == other.size()) || path == other) {
    return conventions.IsSeparator(path[length - 1]) ? length - 1 : length;
  }
  const auto isSeparator = [&](char c) { return conventions.IsSeparator(c); };
  auto separators = std::count_if(path.begin(), path.begin() + length + 1, isSeparator);
  for (std::size_t i = 0; i < other.size(); ++i) {
    if (isSeparator(other[i]) && --separators == 0) return i;
  }
  return other.size();
}

}  // namespace pathshrink
