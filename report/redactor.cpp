#include "report/redactor.h"

#include <algorithm>

namespace pathshrink {
namespace {

// `text` with each letter in its lower case, as Windows compares names:
// A-Z, and the upper-case letters of Latin-1, Latin Extended-A, Greek and
// Cyrillic, each of which has a lower case of as many UTF-8 bytes; '/' as
// '\', so that byte offsets in the result are offsets in `text`.
std::string FoldedAsWindows(std::string_view text) {
  std::string folded(text);
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const auto byte = static_cast<unsigned char>(folded[i]);
    if (byte >= 'A' && byte <= 'Z') {
      folded[i] = static_cast<char>(byte + ('a' - 'A'));
    } else if (byte == '/') {
      folded[i] = '\\';
    } else if ((byte & 0xE0) == 0xC0 && i + 1 < folded.size() &&
               (static_cast<unsigned char>(folded[i + 1]) & 0xC0) == 0x80) {
      unsigned cp = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(folded[i + 1]) & 0x3Fu);
      if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) || (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) ||
          (cp >= 0x410 && cp <= 0x42F)) {
        cp += 0x20;
      } else if (cp >= 0x400 && cp <= 0x40F) {
        cp += 0x50;
      } else if ((cp >= 0x100 && cp <= 0x137 && cp % 2 == 0) ||
                 (cp >= 0x139 && cp <= 0x148 && cp % 2 == 1) ||
                 (cp >= 0x14A && cp <= 0x177 && cp % 2 == 0) ||
                 (cp >= 0x179 && cp <= 0x17E && cp % 2 == 1)) {
        cp += 1;
      }
      folded[i] = static_cast<char>(0xC0 | (cp >> 6));
      folded[i + 1] = static_cast<char>(0x80 | (cp & 0x3F));
      ++i;
    }
  }
  return folded;
}

// Whether the byte can stand beside a name without being part of it: a
// separator, the end of an entry or of a quoted text, a line break. Not a
// space: a folder's name goes on after one ("C:\Users\ann x" is not ann's).
bool Boundary(char c) {
  return c == '\\' || c == '/' || c == ';' || c == '"' || c == '\'' || c == ']' || c == '[' ||
         c == '\n' || c == '\r' || c == '\t' || c == ',' || c == ':' || c == '=';
}

}  // namespace

Redactor::Redactor(std::vector<std::string> profileFolders, std::string userName, bool windows)
    : windows_(windows) {
  for (std::string& folder : profileFolders) {
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (!folder.empty()) replacements_.emplace_back(std::move(folder), kProfileMark);
  }
  if (!userName.empty()) replacements_.emplace_back(std::move(userName), kUserNameMark);
  std::stable_sort(replacements_.begin(), replacements_.end(),
                   [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
}

std::string Redactor::operator()(std::string_view text) const {
  std::string redacted(text);
  for (const auto& [needle, mark] : replacements_) {
    const std::string folded = windows_ ? FoldedAsWindows(needle) : needle;
    const std::string haystack = windows_ ? FoldedAsWindows(redacted) : redacted;
    std::string out;
    std::size_t done = 0;
    for (std::size_t at = haystack.find(folded); at != std::string::npos;
         at = haystack.find(folded, at + 1)) {
      if (at < done) continue;
      const std::size_t end = at + folded.size();
      const bool endsWhole = end == haystack.size() || Boundary(haystack[end]);
      // A folder is an absolute path: one that stands after a space begins
      // there, where a name after a space goes on from the word before it.
      const bool startsWhole = at == 0 || Boundary(haystack[at - 1]) ||
                               (mark == kProfileMark && haystack[at - 1] == ' ');
      if (!endsWhole || !startsWhole) continue;
      out.append(redacted, done, at - done).append(mark);
      done = end;
    }
    out.append(redacted, done, std::string::npos);
    redacted = std::move(out);
  }
  return redacted;
}

}  // namespace pathshrink
