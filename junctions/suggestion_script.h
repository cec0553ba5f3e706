#pragma once

#include <string>
#include <vector>

#include "compact/junction_suggestions.h"
#include "pathtext/path_conventions.h"

namespace pathshrink {

// What the lists come to with and without the proposals.
struct SuggestionLengths {
  std::size_t without;
  std::size_t with;
};

// The proposals as a script for the platform's shell: one line that makes
// each junction (`mklink /J` for cmd.exe, `ln -s` for sh), and comment lines
// that say what they save and the command line to use once they exist: the
// junctions given on the command line (`typedJunctions`, as typed) and then the new ones, after
// `source`, the arguments that name the list (already quoted).
// Where `restrictedFolder` is not empty (links for the machine's Path, on
// Windows), the script first makes that folder with rights that only
// Administrators and SYSTEM can change, by well-known SIDs so that it works
// in every language; the links made in it inherit them.
std::string SuggestionScript(const std::vector<SuggestedJunction>& proposals,
                             const std::vector<std::string>& typedJunctions,
                             SuggestionLengths lengths, const std::string& source,
                             const std::string& restrictedFolder,
                             const PathConventions& conventions);

}  // namespace pathshrink
