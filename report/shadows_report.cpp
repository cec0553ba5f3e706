#include "report/shadows_report.h"

#include "report/report.h"

namespace pathshrink {

const char* FateName(Fate fate) {
  switch (fate) {
    case Fate::kRuns:
      return "runs";
    case Fate::kNever:
      return "never";
    case Fate::kNotSought:
      break;
  }
  return nullptr;
}

std::string ShadowsFindings(const Shadows& shadows) {
  std::string lines;
  for (const std::string& folder : shadows.unlisted) {
    lines += "[can't list the files of '" + folder + "': its programs are not shown]\n";
  }
  if (shadows.names.empty()) lines += "[no program name is found in more than one folder]\n";
  return lines;
}

std::string ShadowsText(const Shadows& shadows, bool windows) {
  const auto cell = [](Fate fate, std::size_t width) {
    const char* name = FateName(fate);
    std::string text = name != nullptr ? name : "-";
    text.resize(width, ' ');
    return text;
  };
  std::string text;
  for (const ShadowedName& shadowed : shadows.names) {
    text += Escaped(shadowed.name) + "\n";
    text += windows ? "  cmd.exe  CreateProcess  pwsh   file\n" : "  shell  pwsh   file\n";
    for (const FoundProgram& file : shadowed.files) {
      text += "  ";
      text += windows ? cell(file.cmd, 9) + cell(file.createProcess, 15) : cell(file.posix, 7);
      text += cell(file.pwsh, 7);
      text += Escaped(file.path);
      if (file.executionAlias) text += "  (App execution alias)";
      text += "\n";
    }
  }
  return text;
}

}  // namespace pathshrink
