// The whole tool in-process over the in-memory volume, with any argument
// vector (the input split at NUL bytes). Whatever it is given, it exits
// with 0 or 1, and 1 writes nothing on standard output. After a list, what
// it wrote is checked against what the volume itself knows, not against
// the tool's own rules of spelling and identity (a directory is one
// however it is reached, through any junction the volume can read, as the
// volume answers which directory a path opens to):
// - every written entry that names a directory here names one that some
//   given entry named; the others, and entries with %NAME% references
//   (text in a live list), are given entries, as given;
// - no two written entries name the same directory;
// - every given entry that names a directory (and holds no control
//   character) is named by a written entry;
// - no written entry is longer than the first given entry it stands for;
// - the tool's own proof never finds a written entry that leads elsewhere;
// - every program name starts the same file before and after, from cmd.exe
//   from CreateProcess and from PowerShell, as worked out from the volume's
//   own listing.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/run_pathshrink.h"
#include "pathtext/path_conventions.h"
#include "pathtext/path_spelling.h"
#include "testing/fake_file_system.h"
#include "testing/in_memory_environment.h"
#include "testing/in_memory_environment_store.h"

namespace pathshrink {
namespace {

struct Junction {
  const char* path;
  const char* shortPath;
  const char* target;
};
constexpr Junction kJunctions[] = {
    {"C:\\pf", "C:\\pf", "C:\\Program Files"},
    {"C:\\p86", "C:\\p86", "C:\\Program Files (x86)"},
    {"C:\\t", "C:\\t", "C:\\Program Files\\Tools"},
    {"C:\\d", "C:\\d", "D:\\"},
    {"C:\\u", "C:\\u", "C:\\Users\\Some Long Name"},
    // A name shorter than its short name.
    {"C:\\.c", "C:\\C~1", "C:\\Users\\Some Long Name\\.cargo"},
};

void MakeVolume(FakeFileSystem& fs) {
  fs.AddDirectory("C:\\Program Files\\Tools\\bin", "C:\\PROGRA~1\\Tools\\bin");
  fs.AddDirectory("C:\\Program Files\\Common Files", "C:\\PROGRA~1\\COMMON~1");
  fs.AddDirectory("C:\\Program Files (x86)\\Tools", "C:\\PROGRA~2\\Tools");
  fs.AddDirectory("C:\\Programs Ten", "C:\\PROGRA~10");
  fs.AddDirectory("C:\\Windows\\System32", "C:\\Windows\\System32");
  fs.AddDirectory("C:\\Users\\Some Long Name\\.cargo\\bin", "C:\\Users\\SOMELO~1\\CARGO~1\\bin");
  fs.AddDirectory("C:\\a b\\c", "C:\\AB~1\\c");
  fs.AddDirectory("D:\\Data Files\\x", "D:\\DATAFI~1\\x");
  fs.AddDirectory("\\\\files\\share\\x", "\\\\files\\share\\x");
  fs.AddDirectory("C:\\odd", "C:\\odd");
  fs.AddUnreadableJunction("C:\\odd", JunctionError::Kind::kNotAMountPoint);
  fs.AddUncheckable("C:\\Secret", Unresolved::kAccessDenied);
  for (const Junction& j : kJunctions) {
    fs.AddDirectory(j.path, j.shortPath);
    fs.AddJunction(j.path, j.target);
  }
  // What lies below some junctions, as seen through them (this volume
  // finds a path through a junction only where it is told so).
  fs.AddDirectory("C:\\pf\\Tools\\bin", "C:\\pf\\Tools\\bin");
  fs.AddDirectory("C:\\t\\bin", "C:\\t\\bin");
  fs.AddDirectory("C:\\u\\.cargo\\bin", "C:\\u\\CARGO~1\\bin");
  fs.AddDirectory("C:\\.c\\bin", "C:\\C~1\\bin");
  // Programs of one name in many folders, to be started by it.
  fs.AddFile("C:\\Program Files\\Tools\\bin", {"tool.cmd"});
  fs.AddFile("C:\\Program Files\\Tools\\bin", {"run.exe"});
  fs.AddFile("C:\\Program Files (x86)\\Tools", {"tool.exe"});
  fs.AddFile("C:\\Program Files (x86)\\Tools", {"run.bat"});
  fs.AddFile("C:\\Windows\\System32", {"run.exe"});
  fs.AddFile("C:\\Users\\Some Long Name\\.cargo\\bin", {"tool.COM"});
  fs.AddFile("C:\\Users\\Some Long Name\\.cargo\\bin", {"cargo.exe"});
  fs.AddFile("D:\\Data Files\\x", {"cargo.exe", true, true});
  fs.AddFile("C:\\a b\\c", {"tool.exe"});
  fs.AddFile("C:\\a b\\c", {"run.ps1"});
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

// At ';' outside pairs of quotes, as cmd.exe reads PATH.
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

std::string WithoutQuotes(const std::string& text) {
  std::string bare;
  for (const char c : text) {
    if (c != '"') bare += c;
  }
  return bare;
}

// Two '%' with a name between them: Windows never expands such a reference
// in a live list, and the tool keeps the entry as text.
bool HoldsReference(const std::string& entry) {
  for (std::size_t open = entry.find('%'); open != std::string::npos;) {
    const std::size_t close = entry.find('%', open + 1);
    if (close == std::string::npos) return false;
    if (close > open + 1) return true;
    open = close;
  }
  return false;
}

void Check(bool holds) {
  if (!holds) std::abort();
}

bool HoldsControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

enum class Starter { kCmd, kCreateProcess, kPwsh };

// The file `name` starts from `list`: cmd.exe looks in the entries in
// order for .COM, .EXE, .BAT, .CMD; CreateProcess in the system folder,
// the Windows folder, then the entries, for .exe; PowerShell in the
// entries for .PS1 and then cmd.exe's. As the directory it lies in and
// its name; empty where none.
std::string Winner(const std::string& list, const std::string& name, Starter starter,
                   const std::set<std::string>& junctions, FakeFileSystem& fs) {
  std::vector<std::string> order;
  if (starter == Starter::kCreateProcess) order = {"C:\\Windows\\System32", "C:\\Windows"};
  for (const std::string& entry : SplitList(list)) {
    // Never looked in: no name holds a control character, and a reference
    // in a live list is text.
    if (!HoldsControlCharacter(entry) && !HoldsReference(entry)) {
      order.push_back(WithoutQuotes(entry));
    }
  }
  std::vector<std::string> extensions = {".com", ".exe", ".bat", ".cmd"};
  if (starter == Starter::kCreateProcess) extensions = {".exe"};
  if (starter == Starter::kPwsh) extensions.insert(extensions.begin(), ".ps1");
  for (const std::string& folder : order) {
    std::vector<FolderFile> files;
    if (!fs.FilesIn(folder, files)) continue;
    for (const std::string& extension : extensions) {
      for (const FolderFile& file : files) {
        std::string folded = file.name;
        for (char& c : folded) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (folded == name + extension) return *fs.DirectoryNamed(folder, junctions) + "|" + folded;
      }
    }
  }
  return std::string();
}

// The four properties above, of `written` made from `given` with the
// junctions `junctions` (as the volume answers their identities).
void CheckList(const std::string& given, const std::string& written,
               const std::set<std::string>& junctions, const FakeFileSystem& fs) {
  std::map<std::string, std::string> firstGiven;  // directory -> the first entry naming it
  std::set<std::string> givenTexts;
  for (const std::string& entry : SplitList(given)) {
    givenTexts.insert(entry);
    // A control character makes an entry name no directory, whatever
    // ".." would make of its text: it is left out.
    if (std::any_of(entry.begin(), entry.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
      continue;
    }
    if (HoldsReference(entry)) continue;  // text in a live list, whatever it names
    // The volume finds a path through a junction only where it is the
    // junction itself (the tool cannot know the others are one).
    if (!fs.DirectoryNamed(WithoutQuotes(entry))) continue;
    firstGiven.emplace(*fs.DirectoryNamed(WithoutQuotes(entry), junctions), entry);
  }
  std::set<std::string> named;
  if (!written.empty()) {
    for (const std::string& entry : SplitList(written)) {
      const std::optional<std::string> directory =
          fs.DirectoryNamed(WithoutQuotes(entry), junctions);
      if (!directory || HoldsReference(entry)) {
        Check(givenTexts.count(entry) != 0);  // kept as given
        continue;
      }
      const auto source = firstGiven.find(*directory);
      Check(source != firstGiven.end());
      Check(named.insert(*directory).second);
      Check(Utf16Length(entry) <= Utf16Length(source->second));
    }
  }
  for (const auto& [directory, entry] : firstGiven) Check(named.count(directory) != 0);
}

// The list stored as a user's Path beside a machine's that lists every
// other of its entries, then one fewer, then all of them again, stored
// each time (--write): the user's entries the machine's lists are left out,
// and come back in their places once it no longer does. Through it all a
// new window (the machine's Path, then the user's) starts the same file
// for every name as it would with the user's list as given.
void CheckLeftOutAndPutBack(const std::string& list, const std::set<std::string>& junctions,
                            FakeFileSystem& fs) {
  const std::vector<std::string> entries = SplitList(list);
  // (None with a quote: a new window's PATH is the two values joined, and a
  // quote the machine's leaves open would pair with one of the user's.)
  std::vector<std::string> listed;
  for (std::size_t i = 0; i < entries.size(); i += 2) {
    if (!entries[i].empty() && entries[i].find('"') == std::string::npos) {
      listed.push_back(entries[i]);
    }
  }
  if (listed.empty()) return;
  const auto joined = [](const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ";") + part;
    return text;
  };
  std::vector<std::string> fewer(listed.begin() + 1, listed.end());
  InMemoryEnvironmentStore store;
  store.Set(Scope::kUser, "Path", {list, StoredType::kExpandString, {}});
  InMemoryEnvironment environment;
  environment.Set("LOCALAPPDATA", "C:\\Users\\Some Long Name\\AppData\\Local");
  for (const std::string& machine : {joined(listed), joined(fewer), joined(listed)}) {
    store.Set(Scope::kMachine, "Path", {machine, StoredType::kExpandString, {}});
    std::ostringstream out;
    std::ostringstream err;
    const char* write[] = {"pathshrink", "--user", "--write", nullptr};
    const int status = RunPathShrink(3, write, SystemAccess{fs, &environment, &store}, out, err);
    // Refused as the guide says: nothing left, a control character, the
    // mark of setx.
    if (status != 0) {
      Check(status == 6 || status == 9 || status == 12);
      return;
    }
    std::string asGiven = machine + ";";
    asGiven += list;
    std::string asStored = machine + ";";
    asStored += store.Get(Scope::kUser, "Path")->text;
    for (const char* name : {"tool", "run", "cargo"}) {
      for (const Starter starter : {Starter::kCmd, Starter::kCreateProcess, Starter::kPwsh}) {
        Check(Winner(asGiven, name, starter, junctions, fs) ==
              Winner(asStored, name, starter, junctions, fs));
      }
    }
  }
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
  // The volume tells no lies here: every entry the tool writes otherwise
  // than given opens to the folder the given one did (unless the words are
  // in an argument, which the report repeats).
  const std::string lie = "would not lead to the same folder]";
  if (input.find(lie) == std::string::npos) Check(err.str().find(lie) == std::string::npos);
  const ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(args.size()), argv.data());
  const CommandLine& line = parsed.line;
  // --check answers 0 or 1 with its line; a call it cannot answer is 10,
  // never 0 or 1, and writes nothing.
  const bool checking =
      args.size() > 1 && std::find(args.begin() + 1, args.end(), "--check") != args.end();
  if (checking && !parsed.complaint.empty()) {
    Check(status == 10 && out.str().empty());
    return 0;
  }
  if (status == 1 || status == 10) {
    Check(out.str().empty() || (line.check && status == 1));
    return 0;
  }
  Check(status == 0);
  if (line.help || line.version || line.suggest || line.check || line.json || line.target) {
    return 0;
  }
  Check(line.source == CommandLine::Source::kArgument);
  const std::string written = out.str();
  Check(!written.empty() && written.back() == '\n');
  // Every junction the volume can read, named or not: the system opens a
  // path through one to the directory of its target.
  std::set<std::string> junctions;
  for (const Junction& junction : kJunctions) {
    if (const std::optional<std::string> directory = fs.DirectoryNamed(junction.path)) {
      junctions.insert(*directory);
    }
  }
  const std::string& list = args[static_cast<std::size_t>(line.listIndex)];
  CheckList(list, written.substr(0, written.size() - 1), junctions, fs);
  for (const char* name : {"tool", "run", "cargo"}) {
    for (const Starter starter : {Starter::kCmd, Starter::kCreateProcess, Starter::kPwsh}) {
      Check(Winner(list, name, starter, junctions, fs) ==
            Winner(written.substr(0, written.size() - 1), name, starter, junctions, fs));
    }
  }

  // The same list as a stored REG_EXPAND_SZ Path, whose references are
  // expanded with stored variables: whatever they hold, one line out.
  InMemoryEnvironmentStore store;
  store.systemVariables = {{"SystemRoot", {"C:\\Windows", StoredType::kString, {}}},
                           {"SystemDrive", {"C:", StoredType::kString, {}}}};
  store.Set(Scope::kMachine, "PF", {"Program Files", StoredType::kString, {}});
  store.Set(Scope::kMachine, "TOOLS",
            {"%SystemDrive%\\%PF%\\Tools\\", StoredType::kExpandString, {}});
  store.Set(Scope::kUser, "REL", {"rel\\..", StoredType::kString, {}});
  store.Set(Scope::kUser, "SHARE", {"\\\\files\\share", StoredType::kString, {}});
  store.Set(Scope::kUser, "Path", {list, StoredType::kExpandString, {}});
  std::ostringstream storedOut;
  const char* user[] = {"pathshrink", "--user", nullptr};
  Check(RunPathShrink(2, user, SystemAccess{fs, nullptr, &store}, storedOut, err) == 0);
  Check(storedOut.str().find('\n') == storedOut.str().size() - 1);

  if (!HoldsReference(list)) CheckLeftOutAndPutBack(list, junctions, fs);
  return 0;
}
