#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "programs/program_search.h"
#include "report/entry_records.h"
#include "report/new_window_lengths.h"
#include "report/redactor.h"
#include "report/report.h"
#include "system/environment_store.h"

namespace pathshrink {

// What the fleet's line and JSON say about one run.
struct ReportFacts {
  const char* source = "argument";      // argument, standardInput, environment, user, machine
  std::string variable;                 // with environment: its name
  std::optional<StoredType> valueType;  // for a stored Path
  std::string_view before;
  std::string_view after;
  RecordWalk records;  // for --json: every entry's record
  RecordCounts counts;
  std::vector<UseWarning> warnings;
  std::string backup;  // the backup kept, if any
  bool stored = false;
  bool inState = false;  // the tool would change nothing
  bool target = false;   // --target: entries written as given may have shorter forms
  // Why --write would refuse to store the new list (a stored source); empty
  // where it would not.
  std::string refusal;
  // --user, --machine: a new window's PATH, where the other scope's was read.
  std::optional<NewWindowLengths> newWindow;
  const Shadows* shadows = nullptr;  // --shadows: the names more than one folder answers to
  bool driftChecked =
      false;  // a stored Path's entries were checked against what they were written for
  int exitStatus = 0;
  // Why no list could be judged (a stored Path that cannot be read,
  // standard input that is not text); empty where one was.
  std::string error;
};

// The --check line: whether the list is in the desired state and why, at
// most 2,048 bytes, ending in a line break.
std::string CheckLine(const ReportFacts& facts, const Redactor& redact);

// Writes the --json report to `out`: one object (see
// docs/pathshrink-report.schema.json), ending in a line break.
void WriteJsonReport(const ReportFacts& facts, const Redactor& redact, std::ostream& out);

}  // namespace pathshrink
