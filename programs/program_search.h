#pragma once

#include <string>
#include <vector>

#include "system/file_system_queries.h"

namespace pathshrink {

// Where a search for a program typed by name looks, and in what order.
struct ProgramSearch {
  std::vector<std::string> folders;  // the PATH's entries, in order, as they lead (expanded)
  bool windows = true;               // cmd.exe and CreateProcess; else a POSIX shell
  // cmd.exe: the extensions it tries, in order, within each folder
  // (PATHEXT; ".COM;.EXE;.BAT;.CMD" where it is not set).
  std::string pathext = ".COM;.EXE;.BAT;.CMD";
  // CreateProcess: the system folder and the Windows folder, which it
  // searches before the PATH, for ".exe" alone; empty where not known.
  std::string systemFolder;
  std::string windowsFolder;
};

// What becomes of one file for one way of starting a program by name.
enum class Fate : char {
  kNotSought,  // that search never looks for it (another extension, a folder it skips)
  kRuns,       // it is the file that starts
  kNever,      // a file found before it starts instead
};

struct FoundProgram {
  std::string path;  // its folder as the search has it, a separator, its name
  bool executionAlias = false;
  Fate cmd = Fate::kNotSought;            // cmd.exe
  Fate createProcess = Fate::kNotSought;  // a program started without a shell
  Fate posix = Fate::kNotSought;          // a POSIX shell (execvp)
  Fate pwsh = Fate::kNotSought;           // PowerShell, for an external command
};

// A name that files in more than one folder answer to.
struct ShadowedName {
  std::string name;                 // as typed: without the extension on Windows
  std::vector<FoundProgram> files;  // in the order the folders are searched
};

struct Shadows {
  std::vector<ShadowedName> names;    // by name
  std::vector<std::string> unlisted;  // entries whose folder could not be listed
};

// Every program name found in more than one folder of the search, with the
// file each way of starting it runs and the files it never does. Two
// entries that open to one directory are one folder, looked in at the
// first. Windows: cmd.exe looks in the folders in order and within each
// one for the extensions in PATHEXT order; CreateProcess looks for
// "name.exe" in the system folder, the Windows folder, then the folders in
// order. POSIX: the first executable file of that name, in order.
// PowerShell looks in the folders in order (never in the current one) and
// within each one for "name.ps1" first, then, on Windows, each extension
// of PATHEXT in its order, elsewhere the file "name" itself, whether it may
// be run or not (pwsh then fails to start it). Functions, aliases and
// cmdlets come before any file in PowerShell, but they live in a session,
// not in a folder: the module asks the session for them.
Shadows FindShadows(const ProgramSearch& search, FileSystemQueries& files);

}  // namespace pathshrink
