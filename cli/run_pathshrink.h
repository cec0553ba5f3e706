#pragma once

#include <istream>
#include <ostream>

#include "report/exit_status.h"
#include "sources/standard_input.h"
#include "system/answering_roots.h"
#include "system/environment.h"
#include "system/environment_store.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// Everything the tool asks of the system it runs on.
struct SystemAccess {
  FileSystemQueries& files;
  Environment* environment = nullptr;  // none: --env finds nothing, references stay as typed
  EnvironmentStore* store = nullptr;   // none: no stored Path here (--user, --machine)
  std::istream* input = nullptr;       // standard input, for "-"
  // Bytes of the console's input code page in UTF-8, for standard input
  // that is not UTF-8; none where there is no such code page.
  CodePageDecoder decodeInputCodePage = nullptr;
  // Standard output goes to a reader that takes it in a code page other
  // than UTF-8 (a pipe into cmd.exe on a console that is not set to 65001).
  bool outputReadInOtherCodePage = false;
  // The width of the console standard output goes to; 0 where it goes to
  // no console (a file, a pipe).
  std::size_t outputColumns = 0;
  // Asks a drive or a share whether it answers, on a worker that may be left
  // waiting; none: every root is taken to answer (POSIX, whose one root is
  // "/").
  RootProbe rootProbe = nullptr;

  // The same access, with `other` asked in place of `files`.
  SystemAccess AskingInstead(FileSystemQueries& other) const {
    return SystemAccess{
        other,         environment, store, input, decodeInputCodePage, outputReadInOtherCodePage,
        outputColumns, rootProbe};
  }
};

// The whole tool: the command line in, the new list on `out`, the
// complaints and the report on `err`. Returns the exit status.
int RunPathShrink(int argc, const char* const* argv, SystemAccess system, std::ostream& out,
                  std::ostream& err);

// The same, with nothing of the system but its files.
int RunPathShrink(int argc, const char* const* argv, FileSystemQueries& queries, std::ostream& out,
                  std::ostream& err);

}  // namespace pathshrink
