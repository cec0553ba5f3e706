#include "pathtext/path_spelling.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pathtext/path_parts.h"
#include "pathtext/utf16_to_utf8.h"

namespace pathshrink {

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  std::size_t at = 0;
  // Most names are ASCII: eight bytes without a high bit are eight units,
  // and a long list is taken 32 bytes a step.
  for (; at + 32 <= text.size(); at += 32) {
    std::uint64_t words[4];
    std::memcpy(words, text.data() + at, 32);
    if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080u) != 0) break;
    units += 32;
  }
  for (; at + 8 <= text.size(); at += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + at, 8);
    if ((word & 0x8080808080808080u) == 0) {
      units += 8;
      continue;
    }
    break;
  }
  for (; at < text.size(); ++at) {
    // A sequence of four bytes is a pair of units; any other is one, and a
    // continuation byte adds none.
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[at]));
    units += length == 4 ? 2 : length == 0 ? 0 : 1;
  }
  return units;
}

bool NeedsShortName(std::string_view name) {
  for (const char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  const std::size_t dot = name.find('.');
  if (dot == 0 || name.find_first_of(" +,;=[]") != std::string_view::npos) return true;
  if (dot == std::string_view::npos) return name.size() > 8;
  const std::string_view extension = name.substr(dot + 1);
  return dot > 8 || extension.empty() || extension.size() > 3 ||
         extension.find('.') != std::string_view::npos;
}

std::string ShortestSpelling(const std::string& shortForm, const std::string& given,
                             const PathConventions& conventions) {
  if (shortForm == given) return shortForm;
  const PathRoot root = ParseRoot(shortForm, conventions);
  const PathRoot givenRoot = ParseRoot(given, conventions);
  if (root.text.size() != givenRoot.text.size()) return shortForm;
  // What follows the root, without the separator after a share's name.
  const auto rest = [&](const std::string& path, const PathRoot& r) {
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
    // A short name that saves nothing is no gain, and it may not last: the
    // name as given, unless the short one is shorter.
    const bool shortShorter = Utf16Length(shortParts[i]) < Utf16Length(givenParts[i]);
    parts.push_back(shortShorter ? shortParts[i] : givenParts[i]);
  }
  if (parts.size() == 1 && parts[0].empty()) return shortForm;  // a root alone
  return Joined(root, parts, conventions);
}

namespace {

// How many more separators a device path's prefix puts before the
// components it names than the path Windows takes it for: three in
// "\\?\C:\x" (for "C:\x"), two in "\\?\UNC\s\x" (for "\\s\x").
std::ptrdiff_t DevicePrefixSeparators(std::string_view path) {
  if (!IsDevicePath(path)) return 0;
  return IsDeviceUncPath(path) ? 2 : 3;
}

}  // namespace

std::size_t RestStart(std::string_view path, std::size_t length, std::string_view other,
                      const PathConventions& conventions) {
  if (length >= path.size()) return other.size();  // nothing is left
  // Spelled alike (often the very same text): as in `path` itself.
  if ((path.data() == other.data() && path.size() == other.size()) || path == other) {
    return RestStartIn(path, length, conventions);
  }
  const auto isSeparator = [&](char c) { return conventions.IsSeparator(c); };
  auto separators = std::count_if(path.begin(), path.begin() + length + 1, isSeparator);
  // A key has no device prefix where the spelling may: "\\?\C:\x" is keyed
  // "c:\x", and "\\?\UNC\s\x" is keyed "\\s\x".
  if (conventions.win32Syntax) {
    separators += DevicePrefixSeparators(other) - DevicePrefixSeparators(path);
  }
  for (std::size_t i = 0; i < other.size(); ++i) {
    if (isSeparator(other[i]) && --separators == 0) return i;
  }
  return other.size();
}

}  // namespace pathshrink
