#include "system/answering_roots.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "pathtext/path_key.h"
#include "pathtext/path_parts.h"
#include "system/junction_errors.h"

namespace pathshrink {
namespace {

// What the worker and the waiting run share: the worker may outlive the
// run, so it holds its own.
struct Asked {
  std::mutex mutex;
  std::condition_variable done;
  bool answered = false;
};

}  // namespace

bool AnsweringRoots::Answers(const std::string& path) {
  if (!probe_ || bound_.count() <= 0) return true;
  const PathConventions conventions = files_.Conventions();
  const PathRoot root = ParseRoot(path, conventions);
  if (root.text.empty() || !root.anchored) return true;
  std::string key = conventions.foldsCase ? FoldCase(root.text) : root.text;
  const auto known = answered_.find(key);
  if (known != answered_.end()) return known->second;
  const auto asked = std::make_shared<Asked>();
  std::thread([asked, probe = probe_, rootText = root.text] {
    probe(rootText);
    const std::lock_guard<std::mutex> lock(asked->mutex);
    asked->answered = true;
    asked->done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(asked->mutex);
  const bool answered = asked->done.wait_for(lock, bound_, [&asked] { return asked->answered; });
  answered_.emplace(std::move(key), answered);
  return answered;
}

bool AnsweringRoots::ShortPathName(std::string path, std::string& shortPath) {
  return Answers(path) && files_.ShortPathName(std::move(path), shortPath);
}

bool AnsweringRoots::LongPathName(std::string path, std::string& longPath) {
  return Answers(path) && files_.LongPathName(std::move(path), longPath);
}

Unresolved AnsweringRoots::WhyUnresolved(const std::string& path) {
  return Answers(path) ? files_.WhyUnresolved(path) : Unresolved::kNotAnswering;
}

bool AnsweringRoots::IsDirectory(const std::string& path) {
  return Answers(path) && files_.IsDirectory(path);
}

std::optional<DirectoryIdentity> AnsweringRoots::Identity(const std::string& path) {
  if (!Answers(path)) return std::nullopt;
  return files_.Identity(path);
}

OrdinaryUserRights AnsweringRoots::RightsOfOrdinaryUsers(const std::string& path) {
  return Answers(path) ? files_.RightsOfOrdinaryUsers(path) : OrdinaryUserRights();
}

bool AnsweringRoots::HasShortNameSiblings(const std::string& folder, const std::string& shortName) {
  return Answers(folder) && files_.HasShortNameSiblings(folder, shortName);
}

std::optional<bool> AnsweringRoots::MakesShortNames(const std::string& root) {
  if (!Answers(root)) return std::nullopt;
  return files_.MakesShortNames(root);
}

std::string AnsweringRoots::ReadJunctionTarget(std::string path) {
  if (!Answers(path)) throw JunctionError(JunctionError::Kind::kUnableToOpen, path);
  return files_.ReadJunctionTarget(std::move(path));
}

bool AnsweringRoots::FilesIn(const std::string& folder, std::vector<FolderFile>& files) {
  return Answers(folder) && files_.FilesIn(folder, files);
}

}  // namespace pathshrink
