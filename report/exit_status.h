#pragma once

namespace pathshrink {

// Every status the tool exits with. The guide's table and --help are
// checked against kExitStatuses by a test.
enum ExitStatus : int {
  kExitDone = 0,
  kExitUsage = 1,
  kExitOutputFailed = 2,
  kExitStoredUnreadable = 3,
  kExitBackupFailed = 4,
  kExitStoredChanged = 5,
  kExitEmptyResult = 6,
  kExitAccessDenied = 7,
  kExitStoreFailed = 8,
  kExitControlCharacters = 9,
  kExitCheckUnanswered = 10,
  kExitInputNotText = 11,
  kExitCutBySetx = 12,
  // --check: the list is not in the desired state (the tool would change
  // it). The same number as kExitUsage, which --check never exits with.
  kExitCheckWouldChange = 1,
};

struct ExitStatusMeaning {
  ExitStatus status;
  const char* meaning;  // one sentence, as the guide's table and --help say it
};

inline constexpr ExitStatusMeaning kExitStatuses[] = {
    {kExitDone,
     "the new list (or the proposals, the help, the version) was written, even when entries were "
     "dropped or the list is empty; with --write, the Path was stored, or was already as short "
     "as it gets (an empty one stays empty)"},
    {kExitUsage,
     "no list was given, an argument was not understood, the variable of --env is not set, or "
     "--user/--machine on a system without a registry; with --check: the list is not in the "
     "desired state (the tool would change it)"},
    {kExitOutputFailed, "standard output could not be written (a full disk, a closed pipe)"},
    {kExitStoredUnreadable,
     "--user/--machine: the stored Path could not be read as a list (there is none, access is "
     "denied, it is not text, it holds a NUL)"},
    {kExitBackupFailed, "--write: the backup could not be written; nothing stored"},
    {kExitStoredChanged,
     "--write: the stored Path changed after it was read (an installer ran meanwhile); nothing "
     "stored: run again"},
    {kExitEmptyResult,
     "--write: a Path that is not empty would become empty; nothing stored (--check: --write "
     "would refuse so)"},
    {kExitAccessDenied,
     "--write: access denied (the machine's Path needs an administrator); nothing stored"},
    {kExitStoreFailed,
     "--write: writing failed, or the value did not read back as written; the old value is "
     "written again"},
    {kExitControlCharacters,
     "--write: the stored Path holds a control character (a line break, a tab), which no "
     "directory's name can hold; nothing stored (--check: --write would refuse so)"},
    {kExitCheckUnanswered,
     "--check: the question could not be answered, because an argument was not understood, "
     "no list was given or its variable is not set (a stored Path that cannot be read is 3, a "
     "standard output that cannot be written 2)"},
    {kExitInputNotText,
     "-: standard input is not text (it holds a NUL byte and is not UTF-16 with a byte-order "
     "mark, or it is UTF-16 whose last character has one byte of two); nothing written"},
    {kExitCutBySetx,
     "--write: the stored Path is exactly 1024 characters and its last entry names no folder, "
     "the mark of setx's silent cut; nothing stored unless --force is given too (--check: "
     "--write would refuse so)"},
};

}  // namespace pathshrink
