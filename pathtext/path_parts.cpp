#include "pathtext/path_parts.h"

namespace pathshrink {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

PathRoot ParseRoot(std::string_view path, const PathConventions& c) {
  PathRoot root;
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

std::string Joined(const PathRoot& root, const std::vector<std::string_view>& parts,
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

bool IsDevicePath(std::string_view path) {
  return path.size() >= 4 && path[0] == '\\' && path[1] == '\\' &&
         (path[2] == '?' || path[2] == '.') && path[3] == '\\';
}

bool IsDeviceUncPath(std::string_view path) {
  if (!IsDevicePath(path) || path.size() < 8) return false;
  const auto is = [&](std::size_t i, char upper, char lower) {
    return path[i] == upper || path[i] == lower;
  };
  return is(4, 'U', 'u') && is(5, 'N', 'n') && is(6, 'C', 'c') && path[7] == '\\';
}

std::size_t PathRootLength(std::string_view path, const PathConventions& conventions) {
  return ParseRoot(path, conventions).length;
}

bool IsAbsolutePath(std::string_view path, const PathConventions& conventions) {
  // Asked of every entry: read without building the root's text.
  const auto isSep = [&](std::size_t i) {
    return i < path.size() && conventions.IsSeparator(path[i]);
  };
  if (!conventions.win32Syntax) return isSep(0);
  // "C:\..." or "\\server\share..." (and "\\?\..."); "\x" and "C:x" depend
  // on the current drive and its folder.
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') return isSep(2);
  return isSep(0) && isSep(1);
}

std::vector<std::size_t> ComponentEnds(std::string_view path, std::size_t rootLength,
                                       const PathConventions& conventions) {
  std::vector<std::size_t> ends;
  for (std::size_t i = rootLength + 1; i < path.size(); ++i) {
    if (conventions.IsSeparator(path[i])) ends.push_back(i);
  }
  if (path.size() > rootLength) ends.push_back(path.size());
  return ends;
}

std::size_t LastComponentStart(std::string_view path, const PathConventions& conventions) {
  std::size_t start = path.size();
  while (start > 0 && !conventions.IsSeparator(path[start - 1])) --start;
  return start;
}

}  // namespace pathshrink
