#include "report/fleet_report.h"

#include <algorithm>

#include "pathtext/path_spelling.h"
#include "report/explain_table.h"
#include "report/json_text.h"
#include "report/shadows_report.h"

namespace pathshrink {
namespace {

using Outcome = EntryRecord::Outcome;

std::string_view OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kAsGiven:
      return "asGiven";
    case Outcome::kShortForm:
      return "shortForm";
    case Outcome::kJunction:
      return "junction";
    case Outcome::kReference:
      return "reference";
    case Outcome::kProfileVariable:
      return "profileVariable";
    case Outcome::kUnchecked:
      return "unchecked";
    case Outcome::kMissing:
      return "missing";
    case Outcome::kRepeat:
      return "repeat";
    case Outcome::kControlCharacters:
      return "controlCharacters";
    case Outcome::kListedByMachine:
      return "listedByMachine";
    case Outcome::kUnproven:
      break;
  }
  return "unproven";
}

std::string Number(std::size_t n) { return std::to_string(n); }

}  // namespace

std::string CheckLine(const ReportFacts& facts, const Redactor& redact) {
  const RecordCounts& counts = facts.counts;
  std::string line = "pathshrink: ";
  line += facts.inState ? "in the desired state" : "not in the desired state";
  line += ": " + Number(Utf16Length(facts.before)) + " characters";
  if (!facts.inState) line += ", " + Number(Utf16Length(facts.after)) + " after";
  line += "; " + Number(counts.given) + (counts.given == 1 ? " entry, " : " entries, ") +
          Number(counts.Of(Outcome::kMissing)) + " missing, " +
          Number(counts.Of(Outcome::kRepeat)) + " repeated, " +
          Number(counts.Of(Outcome::kControlCharacters)) + " with control characters, " +
          Number(counts.shortened) + " to shorten, " + Number(counts.Of(Outcome::kUnchecked)) +
          " unchecked";
  if (facts.driftChecked) line += ", " + Number(counts.drifted) + " drifted";
  if (counts.Of(Outcome::kUnproven) > 0) {
    line += ", " + Number(counts.Of(Outcome::kUnproven)) +
            " kept as given because their shorter form led elsewhere";
  }
  if (counts.Of(Outcome::kListedByMachine) > 0) {
    line += ", " + Number(counts.Of(Outcome::kListedByMachine)) +
            " whose folder the machine's Path lists";
  }
  if (counts.putBack > 0) {
    line += ", " + Number(counts.putBack) + " put back as the machine's Path no longer lists them";
  }
  if (counts.userChangeable > 0) {
    line += "; " + Number(counts.userChangeable) +
            " in folders users other than administrators can change";
  }
  if (!facts.refusal.empty()) line += "; --write would store nothing: " + facts.refusal;
  if (facts.newWindow) line += "; " + NewWindowLine(*facts.newWindow);
  for (const UseWarning& warning : facts.warnings) line += "; " + warning.message;
  line = redact(line);
  if (line.size() > 2047) line.resize(2047 - 3), line += "...";
  return line + "\n";
}

void WriteJsonReport(const ReportFacts& facts, const Redactor& redact, std::ostream& out) {
  const RecordCounts& counts = facts.counts;
  JsonText json(out);
  const bool redacting = !redact.Empty();
  const auto quoted = [&](std::string_view value) {
    if (redacting) {
      json.Quoted(redact(value));
    } else {
      json.Quoted(value);
    }
  };
  const auto quotedOrNull = [&](std::string_view value) {
    if (value.empty()) {
      json.Raw("null");
    } else {
      quoted(value);
    }
  };
  json.Raw("{\"schemaVersion\":1");
  json.Raw(",\"tool\":{\"name\":\"pathshrink\",\"version\":\"" PATHSHRINK_VERSION "\"}");
  json.Raw(",\"source\":{\"kind\":");
  json.Quoted(facts.source);
  if (!facts.variable.empty()) {
    json.Raw(",\"variable\":");
    json.Quoted(facts.variable);
  }
  json.Raw("},\"valueType\":");
  if (facts.valueType) {
    json.Quoted(StoredTypeName(*facts.valueType));
  } else {
    json.Raw("null");
  }
  json.Raw(",\"lengths\":{\"before\":");
  json.Number(Utf16Length(facts.before));
  json.Raw(",\"after\":");
  json.Number(Utf16Length(facts.after));
  json.Raw("},\"limits\":{\"cmd\":8191,\"variable\":32766}");
  json.Raw(",\"counts\":{\"given\":");
  json.Number(counts.given);
  json.Raw(",\"drifted\":");
  json.Number(counts.drifted);
  json.Raw(",\"proved\":");
  json.Number(counts.proved);
  json.Raw(",\"putBack\":");
  json.Number(counts.putBack);
  for (std::size_t i = 0; i < counts.outcomes.size(); ++i) {
    json.Raw(",");
    json.Quoted(OutcomeName(static_cast<Outcome>(i)));
    json.Raw(":");
    json.Number(counts.outcomes[i]);
  }
  json.Raw("},\"entries\":[");
  std::size_t index = 0;
  const auto writeRecord = [&](const EntryRecord& record) {
    if (index > 0) json.Raw(",");
    json.Raw("{\"index\":");
    json.Number(index++);
    json.Raw(",\"given\":");
    quoted(record.given);
    json.Raw(",\"written\":");
    if (Kept(record)) {
      quoted(record.written);
    } else {
      json.Raw("null");
    }
    json.Raw(",\"outcome\":\"");
    json.Raw(OutcomeName(record.outcome));
    // What --explain says of it, for programs that show the table.
    json.Raw("\",\"reason\":");
    quoted(ExplainWhy(record, facts.target));
    json.Raw(",\"saving\":");
    json.Signed(Saving(record));
    // Most records say no more: in one piece.
    if (record.why.empty() && record.junction.empty() && record.outcome != Outcome::kRepeat &&
        record.userChangeable.empty() && record.writtenFor.empty() && record.machineEntry.empty() &&
        !record.putBack) {
      json.Raw(
          ",\"why\":null,\"junction\":null,\"repeatOf\":null,\"userChangeable\":null,"
          "\"writtenFor\":null}");
      return;
    }
    json.Raw(",\"why\":");
    quotedOrNull(record.why);
    json.Raw(",\"junction\":");
    quotedOrNull(record.junction);
    json.Raw(",\"repeatOf\":");
    if (record.outcome == Outcome::kRepeat) {
      json.Number(record.repeatOf);
    } else {
      json.Raw("null");
    }
    json.Raw(",\"userChangeable\":");
    quotedOrNull(record.userChangeable);
    json.Raw(",\"writtenFor\":");
    quotedOrNull(record.writtenFor);
    if (!record.machineEntry.empty()) {
      json.Raw(",\"machineEntry\":");
      quoted(record.machineEntry);
    }
    if (record.putBack) json.Raw(",\"putBack\":true");
    json.Raw("}");
  };
  if (facts.records) facts.records(writeRecord);
  json.Raw("],\"findings\":[");
  for (std::size_t i = 0; i < facts.warnings.size(); ++i) {
    if (i > 0) json.Raw(",");
    json.Raw("{\"kind\":");
    json.Quoted(facts.warnings[i].kind);
    json.Raw(",\"message\":");
    quoted(facts.warnings[i].message);
    json.Raw("}");
  }
  json.Raw("],\"newWindow\":");
  if (facts.newWindow) {
    const NewWindowLengths& window = *facts.newWindow;
    json.Raw("{\"before\":");
    json.Number(window.before);
    json.Raw(",\"after\":");
    json.Number(window.after);
    json.Raw(",\"limits\":[");
    for (std::size_t i = 0; i < window.crossed.size(); ++i) {
      const NewWindowLengths::Crossed& crossed = window.crossed[i];
      json.Raw(i > 0 ? ",{\"length\":" : "{\"length\":");
      json.Number(crossed.limit.length);
      json.Raw(",\"what\":");
      json.Quoted(crossed.limit.what);
      json.Raw(",\"of\":");
      json.Quoted(crossed.of);
      json.Raw(",\"before\":");
      json.Bool(crossed.before);
      json.Raw(",\"after\":");
      json.Bool(crossed.after);
      json.Raw("}");
    }
    json.Raw("]}");
  } else {
    json.Raw("null");
  }
  json.Raw(",\"shadows\":");
  if (facts.shadows != nullptr) {
    json.Raw("{\"names\":[");
    for (std::size_t n = 0; n < facts.shadows->names.size(); ++n) {
      const ShadowedName& shadowed = facts.shadows->names[n];
      json.Raw(n > 0 ? ",{\"name\":" : "{\"name\":");
      quoted(shadowed.name);
      json.Raw(",\"files\":[");
      for (std::size_t f = 0; f < shadowed.files.size(); ++f) {
        const FoundProgram& file = shadowed.files[f];
        json.Raw(f > 0 ? ",{\"path\":" : "{\"path\":");
        quoted(file.path);
        json.Raw(",\"executionAlias\":");
        json.Bool(file.executionAlias);
        for (const auto& [key, fate] :
             {std::make_pair(",\"cmd\":", file.cmd),
              std::make_pair(",\"createProcess\":", file.createProcess),
              std::make_pair(",\"posix\":", file.posix), std::make_pair(",\"pwsh\":", file.pwsh)}) {
          json.Raw(key);
          const char* name = FateName(fate);
          if (name != nullptr) {
            json.Quoted(name);
          } else {
            json.Raw("null");
          }
        }
        json.Raw("}");
      }
      json.Raw("]}");
    }
    json.Raw("],\"unlisted\":[");
    for (std::size_t u = 0; u < facts.shadows->unlisted.size(); ++u) {
      if (u > 0) json.Raw(",");
      quoted(facts.shadows->unlisted[u]);
    }
    json.Raw("]}");
  } else {
    json.Raw("null");
  }
  json.Raw(",\"backup\":");
  quotedOrNull(facts.backup);
  json.Raw(",\"stored\":");
  json.Bool(facts.stored);
  json.Raw(",\"_inDesiredState\":");
  json.Bool(facts.inState);
  json.Raw(",\"exitStatus\":");
  json.Number(static_cast<std::size_t>(facts.exitStatus));
  if (!facts.error.empty()) {
    json.Raw(",\"error\":");
    quoted(facts.error);
  }
  json.Raw("}\n");
}

}  // namespace pathshrink
