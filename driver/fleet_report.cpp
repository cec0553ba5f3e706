#include "driver/fleet_report.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "pathtext/path_key.h"
#include "pathtext/path_spelling.h"
#include "pathtext/utf16_to_utf8.h"

namespace pathshrink {
namespace {

using Outcome = EntryRecord::Outcome;

const char* OutcomeName(Outcome outcome) {
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
      break;
  }
  return "controlCharacters";
}

// Whether `text` is plain ASCII that a JSON string holds as it is: no byte
// with its high bit, below 0x20, '"' or '\\'. Eight bytes a step: a report
// quotes thousands of paths.
bool IsPlainJson(std::string_view text) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  const auto hasZeroByte = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
  std::size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + at, 8);
    if (((word & kHighs) | ((word - 0x2020202020202020u) & ~word & kHighs) |
         hasZeroByte(word ^ 0x2222222222222222u) | hasZeroByte(word ^ 0x5C5C5C5C5C5C5C5Cu)) != 0) {
      return false;
    }
  }
  for (; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x80 || byte < 0x20 || byte == '"' || byte == '\\') return false;
  }
  return true;
}

// `text` appended to `json` as a JSON string. Bytes that are not UTF-8 (an
// entry read as bytes) become U+FFFD: JSON holds text only.
void AppendQuoted(std::string_view text, std::string& json) {
  if (IsPlainJson(text)) {
    json += '"';
    json += text;
    json += '"';
    return;
  }
  std::string valid;
  if (!IsUtf8(text)) {
    for (std::size_t i = 0; i < text.size();) {
      const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[i]));
      if (length != 0 && i + length <= text.size() && IsUtf8(text.substr(i, length))) {
        valid.append(text.substr(i, length));
        i += length;
      } else {
        valid += "\xEF\xBF\xBD";
        ++i;
      }
    }
    text = valid;
  }
  json += '"';
  std::size_t run = 0;  // start of the bytes that need no escape
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != '"' && byte != '\\') continue;
    json.append(text, run, i - run);
    run = i + 1;
    if (byte == '"' || byte == '\\') {
      json += '\\';
      json += static_cast<char>(byte);
    } else {
      const char* digits = "0123456789abcdef";
      json += "\\u00";
      json += digits[byte >> 4];
      json += digits[byte & 0xF];
    }
  }
  json.append(text, run, std::string_view::npos);
  json += '"';
}

std::string Number(std::size_t n) { return std::to_string(n); }

void AppendNumber(std::size_t n, std::string& json) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  json.append(digits, end);
}

}  // namespace

Redactor::Redactor(std::vector<std::string> profileFolders, std::string userName, bool foldsCase)
    : foldsCase_(foldsCase) {
  for (std::string& folder : profileFolders) {
    if (!folder.empty()) replacements_.emplace_back(std::move(folder), "%USERPROFILE%");
  }
  if (!userName.empty()) replacements_.emplace_back(std::move(userName), "%USERNAME%");
  std::stable_sort(replacements_.begin(), replacements_.end(),
                   [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
}

std::string Redactor::operator()(std::string_view text) const {
  std::string redacted(text);
  if (replacements_.empty()) return redacted;
  for (const auto& [needle, replacement] : replacements_) {
    const std::string folded = foldsCase_ ? FoldCase(needle) : needle;
    for (std::size_t at = 0;;) {
      const std::string haystack = foldsCase_ ? FoldCase(redacted) : redacted;
      at = haystack.find(folded, at);
      if (at == std::string::npos) break;
      redacted.replace(at, needle.size(), replacement);
      at += replacement.size();
    }
  }
  return redacted;
}

std::string CheckLine(const ReportFacts& facts, const Redactor& redact) {
  const RecordCounts& counts = facts.counts;
  const std::size_t rewritten = counts.Of(Outcome::kShortForm) + counts.Of(Outcome::kJunction) +
                                counts.Of(Outcome::kReference) +
                                counts.Of(Outcome::kProfileVariable);
  std::string line = "pathshrink: ";
  line += facts.inState ? "in the desired state" : "not in the desired state";
  line += ": " + Number(Utf16Length(facts.before)) + " characters";
  if (!facts.inState) line += ", " + Number(Utf16Length(facts.after)) + " after";
  line += "; " + Number(counts.given) + " entries, " + Number(counts.Of(Outcome::kMissing)) +
          " missing, " + Number(counts.Of(Outcome::kRepeat)) + " repeated, " +
          Number(counts.Of(Outcome::kControlCharacters)) + " with control characters, " +
          Number(rewritten) + " to shorten, " + Number(counts.Of(Outcome::kUnchecked)) +
          " unchecked";
  if (facts.driftChecked) line += ", " + Number(counts.drifted) + " drifted";
  if (counts.userChangeable > 0) {
    line += "; " + Number(counts.userChangeable) +
            " in folders users other than administrators can change";
  }
  for (const UseWarning& warning : facts.warnings) line += "; " + warning.message;
  line = redact(line);
  if (line.size() > 2047) line.resize(2047 - 3), line += "...";
  return line + "\n";
}

std::string JsonReport(const ReportFacts& facts, const Redactor& redact) {
  const RecordCounts& counts = facts.counts;
  std::string json;
  const bool redacting = !redact.Empty();
  const auto append = [&](std::string_view value) {
    if (redacting) {
      AppendQuoted(redact(value), json);
    } else {
      AppendQuoted(value, json);
    }
  };
  const auto appendOptional = [&](std::string_view value) {
    if (value.empty()) {
      json += "null";
    } else {
      append(value);
    }
  };
  json.reserve(256 + facts.records.size() * 160 + 2 * facts.before.size());
  json += "{\"schemaVersion\":1";
  json += ",\"tool\":{\"name\":\"pathshrink\",\"version\":\"" PATHSHRINK_VERSION "\"}";
  json += ",\"source\":{\"kind\":\"" + std::string(facts.source) + "\"";
  if (!facts.variable.empty()) {
    json += ",\"variable\":";
    AppendQuoted(facts.variable, json);
  }
  json += "}";
  json += ",\"valueType\":";
  json += facts.valueType ? "\"" + std::string(StoredTypeName(*facts.valueType)) + "\"" : "null";
  json += ",\"lengths\":{\"before\":" + Number(Utf16Length(facts.before)) +
          ",\"after\":" + Number(Utf16Length(facts.after)) + "}";
  json += ",\"limits\":{\"cmd\":8191,\"variable\":32766}";
  json +=
      ",\"counts\":{\"given\":" + Number(counts.given) + ",\"drifted\":" + Number(counts.drifted);
  for (std::size_t i = 0; i < counts.outcomes.size(); ++i) {
    json += ",\"" + std::string(OutcomeName(static_cast<Outcome>(i))) +
            "\":" + Number(counts.outcomes[i]);
  }
  json += "},\"entries\":[";
  for (std::size_t i = 0; i < facts.records.size(); ++i) {
    const EntryRecord& record = facts.records[i];
    if (i > 0) json += ',';
    const bool kept = record.outcome != Outcome::kMissing && record.outcome != Outcome::kRepeat &&
                      record.outcome != Outcome::kControlCharacters;
    json += "{\"index\":";
    AppendNumber(i, json);
    json += ",\"given\":";
    append(record.given);
    json += ",\"written\":";
    if (kept) {
      append(record.written);
    } else {
      json += "null";
    }
    json += ",\"outcome\":\"";
    json += OutcomeName(record.outcome);
    // Most records say no more: in one piece.
    if (record.why.empty() && record.junction.empty() && record.outcome != Outcome::kRepeat &&
        record.userChangeable.empty() && record.writtenFor.empty()) {
      json +=
          "\",\"why\":null,\"junction\":null,\"repeatOf\":null,\"userChangeable\":null,"
          "\"writtenFor\":null}";
      continue;
    }
    json += "\",\"why\":";
    appendOptional(record.why);
    json += ",\"junction\":";
    appendOptional(record.junction);
    json += ",\"repeatOf\":";
    if (record.outcome == Outcome::kRepeat) {
      AppendNumber(record.repeatOf, json);
    } else {
      json += "null";
    }
    json += ",\"userChangeable\":";
    appendOptional(record.userChangeable);
    json += ",\"writtenFor\":";
    appendOptional(record.writtenFor);
    json += '}';
  }
  json += "],\"findings\":[";
  for (std::size_t i = 0; i < facts.warnings.size(); ++i) {
    if (i > 0) json += ',';
    json += "{\"kind\":\"" + std::string(facts.warnings[i].kind) + "\",\"message\":";
    append(facts.warnings[i].message);
    json += '}';
  }
  json += "],\"backup\":";
  appendOptional(facts.backup);
  json += std::string(",\"stored\":") + (facts.stored ? "true" : "false");
  json += std::string(",\"_inDesiredState\":") + (facts.inState ? "true" : "false");
  json += ",\"exitStatus\":" + std::to_string(facts.exitStatus) + "}\n";
  return json;
}

}  // namespace pathshrink
