#include "testing/fake_file_system.h"

#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <vector>

#include "system/junction_errors.h"
#include "testing/ascii_fold_for_tests.h"

namespace pathshrink {

struct FakeFileSystem::Node {
  std::string longName;
  std::string shortName;
  std::map<std::string, std::unique_ptr<Node>> children;  // by lower long name
  std::map<std::string, const Node*> byShortName;         // by lower short name

  // The child named `component` in its long or its short form, any case.
  const Node* Find(const std::string& component) const {
    const std::string lower = testing::AsciiFolded(component);
    if (const auto found = children.find(lower); found != children.end()) {
      return found->second.get();
    }
    const auto found = byShortName.find(lower);
    return found == byShortName.end() ? nullptr : found->second;
  }
};

namespace {

// What follows "\\?\" in a path Windows takes as it is, where this volume
// has a folder: a drive's ("C:\x"), with no '/' (no separator there, and no
// name holds one). Not the volume itself ("C:"), nor another "\\?\".
bool IsLiteralDrivePath(const std::string& rest) {
  return rest.size() >= 3 && rest[1] == ':' && rest[2] == '\\' &&
         rest.find('/') == std::string::npos;
}

// Splits at either slash; a trailing separator yields a trailing empty
// part. The separator after each part but the last goes to `separators`.
std::vector<std::string> SplitPath(const std::string& path,
                                   std::vector<char>* separators = nullptr) {
  std::vector<std::string> parts(1);
  const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
  // A share's "\\\\server\\share" is its first part, as a drive is.
  std::size_t start = 0;
  if (path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    const std::size_t server = path.find_first_of("\\/", 2);
    start = server == std::string::npos ? path.size() : path.find_first_of("\\/", server + 1);
    if (start == std::string::npos) start = path.size();
    parts.back() = path.substr(0, start);
  }
  for (const char c : path.substr(start)) {
    if (isSeparator(c)) {
      if (separators != nullptr) separators->push_back(c);
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

}  // namespace

// The roots that hang, and the gate their probes wait at until the volume
// that made them is gone.
struct FakeFileSystem::Hang {
  std::mutex mutex;
  std::condition_variable released;
  bool over = false;
  std::set<std::string> roots;  // folded
};

FakeFileSystem::FakeFileSystem()
    : root_(std::make_unique<Node>()), hang_(std::make_shared<Hang>()) {}

FakeFileSystem::~FakeFileSystem() {
  const std::lock_guard<std::mutex> lock(hang_->mutex);
  hang_->over = true;
  hang_->released.notify_all();
}

void FakeFileSystem::HangOnRoot(const std::string& root) {
  const std::lock_guard<std::mutex> lock(hang_->mutex);
  hang_->roots.insert(testing::AsciiFolded(root));
}

RootProbe FakeFileSystem::Probe() const {
  return [hang = hang_](const std::string& root) {
    std::unique_lock<std::mutex> lock(hang->mutex);
    if (hang->roots.count(testing::AsciiFolded(root)) == 0) return;
    hang->released.wait(lock, [&hang] { return hang->over; });
  };
}

void FakeFileSystem::AddDirectory(const std::string& longPath, const std::string& shortPath) {
  const std::vector<std::string> longParts = SplitPath(longPath);
  const std::vector<std::string> shortParts = SplitPath(shortPath);
  if (longParts.size() != shortParts.size()) {
    throw std::invalid_argument("long and short forms differ in depth: " + longPath);
  }
  Node* node = root_.get();
  for (std::size_t i = 0; i < longParts.size(); ++i) {
    std::unique_ptr<Node>& child = node->children[testing::AsciiFolded(longParts[i])];
    if (!child) {
      child = std::make_unique<Node>();
      child->longName = longParts[i];
      child->shortName = shortParts[i];
      node->byShortName.emplace(testing::AsciiFolded(shortParts[i]), child.get());
    }
    node = child.get();
  }
}

std::optional<FakeFileSystem::Resolved> FakeFileSystem::Resolve(const std::string& path) const {
  std::vector<char> separators;
  const std::vector<std::string> parts = SplitPath(path, &separators);
  Resolved resolved;
  const Node* node = root_.get();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    if (parts[i].empty() && last && i > 0) break;  // trailing separator
    const Node* child = node->Find(parts[i]);
    if (child == nullptr) return std::nullopt;
    const bool givenShort =
        testing::AsciiFolded(parts[i]) == testing::AsciiFolded(child->shortName);
    resolved.shortForm += givenShort ? parts[i] : child->shortName;
    if (!last) resolved.shortForm += separators[i];
    resolved.longForm += (i > 0 ? "\\" : "") + child->longName;
    if (i > 0) resolved.key += '\\';
    resolved.key += testing::AsciiFolded(child->longName);
    node = child;
  }
  return resolved;
}

namespace {

// The path folded, with '\' between its components and none at the end.
std::string FoldedKey(const std::string& path) {
  std::string key;
  for (const std::string& part : SplitPath(path)) {
    if (part.empty() && !key.empty()) continue;
    if (!key.empty() || part.empty()) key += '\\';
    key += testing::AsciiFolded(part);
  }
  return key;
}

}  // namespace

void FakeFileSystem::AddUncheckable(const std::string& path, Unresolved reason) {
  uncheckable_[FoldedKey(path)] = reason;
}

std::optional<Unresolved> FakeFileSystem::UncheckableReason(const std::string& path) const {
  if (uncheckable_.empty()) return std::nullopt;
  const std::string key = FoldedKey(path);
  for (const auto& [prefix, reason] : uncheckable_) {
    if (key.compare(0, prefix.size(), prefix) == 0 &&
        (key.size() == prefix.size() || key[prefix.size()] == '\\')) {
      return reason;
    }
  }
  return std::nullopt;
}

void FakeFileSystem::SetRightsOfOrdinaryUsers(const std::string& path, OrdinaryUserRights rights) {
  rights.known = true;
  rights_[FoldedKey(path)] = rights;
}

OrdinaryUserRights FakeFileSystem::RightsOfOrdinaryUsers(const std::string& path) {
  if (!Resolve(path)) return {};
  const auto found = rights_.find(FoldedKey(path));
  OrdinaryUserRights none;
  none.known = true;
  return found == rights_.end() ? none : found->second;
}

bool FakeFileSystem::HasShortNameSiblings(const std::string& folder, const std::string& shortName) {
  // Its own walk: the folder's node, then its children's short names.
  std::vector<char> separators;
  const Node* node = root_.get();
  for (const std::string& part : SplitPath(folder, &separators)) {
    if (part.empty()) continue;
    node = node->Find(part);
    if (node == nullptr) return false;
  }
  const std::string name = testing::AsciiFolded(shortName);
  const std::size_t tilde = name.find('~');
  if (tilde == std::string::npos) return false;
  for (const auto& [key, child] : node->children) {
    const std::string other = testing::AsciiFolded(child->shortName);
    if (other != name && other.compare(0, tilde + 1, name, 0, tilde + 1) == 0) return true;
  }
  return false;
}

std::optional<bool> FakeFileSystem::MakesShortNames(const std::string& root) {
  const auto found = makesShortNames_.find(root);
  if (found == makesShortNames_.end()) return std::nullopt;
  return found->second;
}

bool FakeFileSystem::IsDirectory(const std::string& path) {
  return !UncheckableReason(path) && Resolve(path).has_value();  // it holds nothing else
}

Unresolved FakeFileSystem::WhyUnresolved(const std::string& path) {
  if (const auto reason = UncheckableReason(path)) return *reason;
  const std::vector<std::string> parts = SplitPath(path);
  return root_->Find(parts.front()) != nullptr ? Unresolved::kMissing : Unresolved::kVolumeAbsent;
}

bool FakeFileSystem::ShortPathName(std::string path, std::string& shortPath) {
  ++shortNameQueries_;
  // "\\?\C:\x" is C:\x, answered with the prefix it was asked with; "\\?\C:"
  // is the volume itself, no directory.
  const std::string prefix = path.rfind("\\\\?\\", 0) == 0 ? path.substr(0, 4) : "";
  path.erase(0, prefix.size());
  if (!prefix.empty() && !IsLiteralDrivePath(path)) return false;
  if (UncheckableReason(path)) return false;
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) return false;
  shortPath = prefix + resolved->shortForm;
  return true;
}

void FakeFileSystem::AddJunction(const std::string& path, const std::string& target) {
  const std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) throw std::invalid_argument("no such directory: " + path);
  junctions_[resolved->key] = {std::nullopt, target};
}

void FakeFileSystem::AddUnreadableJunction(const std::string& path, JunctionError::Kind kind) {
  const std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) throw std::invalid_argument("no such directory: " + path);
  junctions_[resolved->key] = {kind, std::string()};
}

std::string FakeFileSystem::AbsolutePath(std::string path) {
  const auto isSeparator = [&](std::size_t i) {
    return i < path.size() && kWindowsConventions.IsSeparator(path[i]);
  };
  if (path.empty() || (path.size() >= 2 && path[1] == ':') || (isSeparator(0) && isSeparator(1))) {
    return path;  // absolute, on a drive of its own, or a share
  }
  if (isSeparator(0)) return currentFolder_.substr(0, 2) + path;  // the current drive's root
  return currentFolder_ + "\\" + path;
}

std::string FakeFileSystem::ReadJunctionTarget(std::string path) {
  const std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) {
    throw JunctionError(JunctionError::Kind::kUnableToOpen, path);
  }
  const auto found = junctions_.find(resolved->key);
  if (found == junctions_.end()) {
    throw JunctionError(JunctionError::Kind::kNotAReparsePoint);
  }
  if (found->second.failure) throw JunctionError(*found->second.failure, path);
  return found->second.target;
}

bool FakeFileSystem::LongPathName(std::string path, std::string& longPath) {
  if (UncheckableReason(path)) return false;
  const std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) return false;
  longPath = resolved->longForm;
  return true;
}

void FakeFileSystem::AddFile(const std::string& folder, FolderFile file) {
  const std::optional<std::string> named = DirectoryNamed(folder);
  if (!named) throw std::invalid_argument("no such folder: " + folder);
  files_[*named].push_back(std::move(file));
}

bool FakeFileSystem::FilesIn(const std::string& folder, std::vector<FolderFile>& files) {
  if (UncheckableReason(folder)) return false;
  const std::optional<std::string> named = DirectoryNamed(folder, ReadableJunctions());
  if (!named) return false;
  const auto found = files_.find(*named);
  files = found != files_.end() ? found->second : std::vector<FolderFile>();
  return true;
}

std::set<std::string> FakeFileSystem::ReadableJunctions() const {
  std::set<std::string> readable;
  for (const auto& [key, junction] : junctions_) {
    if (!junction.failure) readable.insert(key);
  }
  return readable;
}

std::optional<DirectoryIdentity> FakeFileSystem::Identity(const std::string& path) {
  if (UncheckableReason(path)) return std::nullopt;
  const std::optional<std::string> named = DirectoryNamed(path, ReadableJunctions());
  if (!named) return std::nullopt;
  const auto [at, added] = identities_.emplace(*named, identities_.size() + 1);
  return DirectoryIdentity{1, at->second, 0};
}

std::optional<std::string> FakeFileSystem::DirectoryNamed(
    const std::string& path, const std::set<std::string>& follow) const {
  // "//?/C:/x" or "\\.\C:\x", a device path written otherwise than "\\?\"
  // exactly: Windows reads "." and ".." in it by text from "\\?\" on, where
  // "C:" is a name like any other.
  const auto isSlash = [&path](std::size_t i) {
    return i < path.size() && (path[i] == '\\' || path[i] == '/');
  };
  if (isSlash(0) && isSlash(1) && path.size() > 2 && (path[2] == '?' || path[2] == '.') &&
      isSlash(3) && path.rfind("\\\\?\\", 0) != 0) {
    std::vector<std::string> names;
    std::string name;
    for (std::size_t i = 4; i <= path.size(); ++i) {
      if (i < path.size() && !isSlash(i)) {
        name += path[i];
        continue;
      }
      if (name == "..") {
        if (!names.empty()) names.pop_back();
      } else if (!name.empty() && name != ".") {
        names.push_back(name);
      }
      name.clear();
    }
    std::string literal = "\\\\?\\";
    for (std::size_t i = 0; i < names.size(); ++i) literal += (i == 0 ? "" : "\\") + names[i];
    return DirectoryNamed(literal, follow);
  }
  // "\\?\C:\x" is C:\x, taken as it is: no "." or ".." is read by text, and
  // no '/' is a separator (nor can a name hold one).
  if (path.rfind("\\\\?\\", 0) == 0) {
    const std::string rest = path.substr(4);
    if (!IsLiteralDrivePath(rest)) return std::nullopt;
    const std::vector<std::string> parts = SplitPath(rest);
    for (std::size_t i = 0; i < parts.size(); ++i) {
      // An empty name (two separators in a row) is none; one separator at
      // the end names nothing more.
      if (parts[i] == "." || parts[i] == ".." || (parts[i].empty() && i + 1 < parts.size())) {
        return std::nullopt;
      }
    }
    return DirectoryNamed(rest, follow);
  }
  // From a drive's root only: "C:x" counts from that drive's current folder.
  if (path.size() < 3 || path[1] != ':' || !kWindowsConventions.IsSeparator(path[2])) {
    return std::nullopt;
  }
  std::vector<std::string> parts;
  for (const std::string& part : SplitPath(path)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  // Follows a junction at most a few times, so a loop of them ends.
  for (int hops = 0; hops < 8; ++hops) {
    std::string joined;
    bool followed = false;
    for (std::size_t i = 0; i < parts.size() && !followed; ++i) {
      joined += (i == 0 ? "" : "\\") + parts[i];
      const std::optional<Resolved> resolved = Resolve(joined);
      if (!resolved) return std::nullopt;
      const auto junction = junctions_.find(resolved->key);
      if (junction == junctions_.end() || junction->second.failure ||
          follow.count(resolved->key) == 0) {
        if (i + 1 == parts.size()) return resolved->key;
        continue;
      }
      std::vector<std::string> rest(parts.begin() + static_cast<long>(i) + 1, parts.end());
      parts.clear();
      for (const std::string& part : SplitPath(junction->second.target)) {
        if (!part.empty()) parts.push_back(part);
      }
      parts.insert(parts.end(), rest.begin(), rest.end());
      followed = true;
    }
  }
  return std::nullopt;
}

}  // namespace pathshrink
