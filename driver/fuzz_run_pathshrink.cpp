// The whole tool in-process over the in-memory volume, with any argument
// vector (the input split at NUL bytes). Whatever it is given, it exits with
// 0 or 1, and after a report its list holds exactly the distinct short forms
// of the resolvable entries, in input order, each either as it is or written
// through one of the volume's junctions.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "compact/lower_case.h"
#include "driver/run_pathshrink.h"
#include "fsquery/fake_file_system.h"

namespace pathshrink {
namespace {

struct Junction {
  const char* path;
  const char* target;
};
constexpr Junction kJunctions[] = {
    {"C:\\pf", "C:\\Program Files"},       {"C:\\p86", "C:\\Program Files (x86)"},
    {"C:\\t", "C:\\Program Files\\Tools"}, {"C:\\d", "D:\\"},
    {"C:\\gone", "C:\\Deleted Directory"},
};

void MakeVolume(FakeFileSystem& fs) {
  fs.AddDirectory("C:\\Program Files\\Tools\\bin", "C:\\PROGRA~1\\Tools\\bin");
  fs.AddDirectory("C:\\Program Files\\Common Files", "C:\\PROGRA~1\\COMMON~1");
  fs.AddDirectory("C:\\Program Files (x86)\\Tools", "C:\\PROGRA~2\\Tools");
  fs.AddDirectory("C:\\Programs Ten", "C:\\PROGRA~10");
  fs.AddDirectory("C:\\Windows\\System32", "C:\\Windows\\System32");
  fs.AddDirectory("D:\\Data Files\\x", "D:\\DATAFI~1\\x");
  fs.AddDirectory("C:\\odd", "C:\\odd");
  fs.AddUnreadableJunction("C:\\odd", "Not a mount point");
  for (const Junction& j : kJunctions) {
    fs.AddDirectory(j.path, j.path);
    fs.AddJunction(j.path, j.target);
  }
}

std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Lower case, one kind of slash, no trailing slash: how two spellings of a
// junction's path are compared.
std::string Canonical(std::string path) {
  path = LowerCased(path);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// True when `written` is `entry` with some volume junction's short target
// replaced by that junction's path.
bool WrittenThroughAJunction(const std::string& entry, const std::string& written,
                             FakeFileSystem& fs) {
  const std::string lowerEntry = LowerCased(entry);
  for (const Junction& j : kJunctions) {
    std::string shortTarget;
    if (!fs.ShortPathName(j.target, shortTarget)) continue;
    shortTarget = LowerCased(shortTarget);
    if (lowerEntry.compare(0, shortTarget.size(), shortTarget) != 0) continue;
    const std::string rest = entry.substr(shortTarget.size());
    // Only whole components are replaced.
    if (!rest.empty() && !IsSeparator(rest.front()) && !IsSeparator(shortTarget.back())) {
      continue;
    }
    if (written.size() < rest.size() ||
        written.compare(written.size() - rest.size(), rest.size(), rest) != 0) {
      continue;
    }
    const std::string head = written.substr(0, written.size() - rest.size());
    if (Canonical(head) == Canonical(j.path)) return true;
  }
  return false;
}

}  // namespace
}  // namespace pathshrink

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pathshrink;
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args;
  if (size > 0) args = SplitAt(input, '\0');
  std::vector<const char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);

  FakeFileSystem fs;
  MakeVolume(fs);
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunPathShrink(static_cast<int>(args.size()), argv.data(), fs, out, err);
  if (status == 1) {
    if (!out.str().empty()) std::abort();
    return 0;
  }
  if (status != 0) std::abort();

  // The expected list, worked out entry by entry on a volume of our own.
  FakeFileSystem oracle;
  MakeVolume(oracle);
  std::vector<std::string> expected;
  std::set<std::string> seen;
  for (const std::string& entry : SplitAt(args.at(1), ';')) {
    std::string shortForm;
    if (oracle.ShortPathName(entry, shortForm) && seen.insert(shortForm).second) {
      expected.push_back(shortForm);
    }
  }

  std::string list = out.str();
  if (list.empty() || list.back() != '\n') std::abort();
  list.pop_back();
  std::vector<std::string> written;
  if (!list.empty() || !expected.empty()) written = SplitAt(list, ';');
  if (written.size() != expected.size()) std::abort();

  const bool junctionsGiven = args.size() >= 4;
  for (std::size_t i = 0; i < written.size(); ++i) {
    if (written[i] == expected[i]) continue;
    if (!junctionsGiven || !WrittenThroughAJunction(expected[i], written[i], oracle)) {
      std::abort();
    }
  }
  return 0;
}
