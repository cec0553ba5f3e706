// The whole tool in-process over the in-memory volume, with any argument
// vector (the input split at NUL bytes). Whatever it is given, it exits with
// 0 or 1, and after a report its list is exactly what a plain model of the
// rules gives: quotes group and go, %NAME% entries stay as given, every
// directory once (the first), in its shortest spelling, written through the
// first junction in order of savings that covers whole components of it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run_pathshrink.h"
#include "fsquery/fake_file_system.h"
#include "fsquery/path_conventions.h"

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

// At ';' outside pairs of quotes; a quote without a partner is a letter.
std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> entries(1);
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == ';') {
      entries.emplace_back();
    } else if (list[i] == '"' && list.find('"', i + 1) != std::string::npos) {
      const std::size_t close = list.find('"', i + 1);
      entries.back() += list.substr(i, close - i + 1);
      i = close;
    } else {
      entries.back() += list[i];
    }
  }
  return entries;
}

bool HasReference(const std::string& entry) {
  for (std::size_t open = entry.find('%'); open != std::string::npos;) {
    const std::size_t close = entry.find('%', open + 1);
    if (close == std::string::npos) return false;
    if (close > open + 1) return true;
    open = close;
  }
  return false;
}

std::string WithoutQuotes(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
  return text;
}

struct ModelJunction {
  std::string spelled;
  std::vector<std::string> target;  // folded components of its short target
  long long savings;
};

// The junctions as registration should make them, in the order the tool
// tries them.
std::vector<ModelJunction> Junctions(const std::vector<std::string>& args, FakeFileSystem& fs) {
  std::vector<ModelJunction> table;
  for (std::size_t i = 3; i < args.size(); i += 2) {
    const std::string path = NormalizedPath(fs.AbsolutePath(args[i]), kWindowsConventions);
    for (const Junction& j : kJunctions) {
      if (FoldCase(NormalizedPath(j.path, kWindowsConventions)) != FoldCase(path)) continue;
      std::string shortPath, shortTarget;
      if (!fs.ShortPathName(path, shortPath) ||
          !fs.ShortPathName(NormalizedPath(j.target, kWindowsConventions), shortTarget)) {
        break;
      }
      const long long savings = static_cast<long long>(std::string(j.target).size()) -
                                static_cast<long long>(path.size());
      if (savings <= 0) break;
      std::vector<std::string> target =
          SplitAt(FoldCase(NormalizedPath(shortTarget, kWindowsConventions)), '\\');
      if (target.back().empty()) target.pop_back();  // a drive root
      table.push_back({ShortestSpelling(NormalizedPath(shortPath, kWindowsConventions), path,
                                        kWindowsConventions),
                       target, savings});
    }
  }
  std::stable_sort(table.begin(), table.end(), [](const ModelJunction& a, const ModelJunction& b) {
    return a.savings > b.savings;
  });
  return table;
}

std::string Joined(const std::vector<std::string>& parts, std::size_t from) {
  std::string text;
  for (std::size_t i = from; i < parts.size(); ++i) text += "\\" + parts[i];
  return text;
}

// The list the tool should write, and whether any entry was kept.
std::string ExpectedList(const std::vector<std::string>& args, FakeFileSystem& fs) {
  const std::vector<ModelJunction> junctions = Junctions(args, fs);
  std::set<std::string> seen;
  std::vector<std::string> written;
  for (const std::string& entry : SplitList(args.at(1))) {
    const std::string given = NormalizedPath(WithoutQuotes(entry), kWindowsConventions);
    if (HasReference(entry)) {
      if (seen.insert(FoldCase(given)).second) written.push_back(entry);
      continue;
    }
    std::string shortForm;
    if (!fs.ShortPathName(given, shortForm)) continue;
    shortForm = NormalizedPath(shortForm, kWindowsConventions);
    const std::string key = FoldCase(shortForm);
    if (seen.count(key) != 0) continue;
    std::string text = ShortestSpelling(shortForm, given, kWindowsConventions);
    std::vector<std::string> keyParts = SplitAt(key, '\\');
    if (keyParts.back().empty()) keyParts.pop_back();
    std::vector<std::string> spelledParts = SplitAt(text, '\\');
    if (spelledParts.back().empty()) spelledParts.pop_back();  // a drive root
    for (const ModelJunction& j : junctions) {
      if (j.target.size() > keyParts.size() ||
          !std::equal(j.target.begin(), j.target.end(), keyParts.begin())) {
        continue;
      }
      text = j.spelled + Joined(spelledParts, j.target.size());
      break;
    }
    if (!seen.insert(FoldCase(text)).second && FoldCase(text) != key) continue;
    seen.insert(key);
    written.push_back(text.find(';') == std::string::npos ? text : '"' + text + '"');
  }
  std::string list;
  for (std::size_t i = 0; i < written.size(); ++i) list += (i == 0 ? "" : ";") + written[i];
  return list;
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

  // Options in place of a list answer without one.
  const std::string first = args.at(1);
  if (first == "--help" || first == "-h" || first == "/?" || first == "--version" ||
      first == "--suggest") {
    return 0;
  }

  // The expected list, worked out on a volume of our own.
  FakeFileSystem oracle;
  MakeVolume(oracle);
  if (out.str() != ExpectedList(args, oracle) + "\n") std::abort();
  return 0;
}
