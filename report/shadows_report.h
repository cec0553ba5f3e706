#pragma once

#include <string>

#include "programs/program_search.h"

namespace pathshrink {

// --shadows on standard output: a block for each name, a row for each file
// that answers to it, aligned: what each way of starting the name makes
// of the file (on Windows cmd.exe's and CreateProcess's, elsewhere a
// shell's, then PowerShell's), then the file. Control characters are shown escaped.
std::string ShadowsText(const Shadows& shadows, bool windows);

// The lines for standard error: the folders that could not be listed, or
// that no name is found twice.
std::string ShadowsFindings(const Shadows& shadows);

// The word a row and the JSON report give a fate ("runs", "never"), or
// nullptr where that search never looks for the file.
const char* FateName(Fate fate);

}  // namespace pathshrink
