#include "pathtext/path_conventions.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pathtext/path_parts.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace pathshrink {
namespace {

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
#if defined(__SSE2__) || defined(_M_X64)
  // Sixteen bytes at a time where the processor has the instructions for
  // it, the last sixteen overlapping the ones before.
  if (size >= 17) {
    const auto pairsPlain = [&](std::size_t from) {
      const auto* bytes = reinterpret_cast<const __m128i*>(path.data() + from);
      const __m128i here = _mm_loadu_si128(bytes);
      const __m128i next =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(path.data() + from + 1));
      const __m128i separators = _mm_set1_epi8(sep);
      const __m128i joined = _mm_and_si128(
          _mm_cmpeq_epi8(here, separators),
          _mm_or_si128(_mm_cmpeq_epi8(next, separators), _mm_cmpeq_epi8(next, _mm_set1_epi8('.'))));
      return _mm_movemask_epi8(joined) == 0;
    };
    for (; at + 17 <= size; at += 16) {
      if (!pairsPlain(at)) return IsPlainByComponents(path, c);
    }
    if (at + 1 < size && !pairsPlain(size - 17)) return IsPlainByComponents(path, c);
    return path[size - 1] != sep;
  }
#endif
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

std::string NormalizedPath(std::string path, const PathConventions& conventions) {
  if (IsNormalized(path, conventions)) return path;
  const std::string_view view = path;
  PathRoot root = ParseRoot(view, conventions);
  // A device path written otherwise than "\\?\" exactly ("//?/C:/x"):
  // Windows reads it from the device's root on, where "C:" is a name like
  // any other ("//?/C:/../x" is "\\?\x").
  const auto isSeparator = [&](std::size_t i) {
    return i < view.size() && conventions.IsSeparator(view[i]);
  };
  if (conventions.win32Syntax && isSeparator(0) && isSeparator(1) && view.size() > 2 &&
      (view[2] == '?' || view[2] == '.') && isSeparator(3)) {
    root = {std::string{'\\', '\\', view[2], '\\'}, 4, true};
  }
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
  return path.empty() || (conventions.win32Syntax && IsDevicePath(path)) ||
         IsPlain(path, conventions);
}

}  // namespace pathshrink
