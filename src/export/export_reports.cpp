// Skipped lines reported and folded, the summary of each file, and the table of record identities.
#include "export/export_reports.h"

#include <cstring>

namespace survey {
namespace {

// What follows "more " in the line that counts the reports not shown.
std::string foldedText(Fault fault) {
  if (fault == Fault::kCutShort) return "records skipped that were cut short";
  if (fault == Fault::kNotInRecord) return "stretches of lines skipped as not part of a record";
  return std::string("records skipped where a line ") + faultText(fault);
}

// "1 record", "2 records".
std::string counted(uint64_t count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

void FingerprintSet::reserve(uint64_t more) {
  const uint64_t slots = (count_ + more) + (count_ + more) / 15 + 1;
  if (slots > slots_.size()) resize(static_cast<size_t>(slots));
}

bool FingerprintSet::insert(uint64_t fingerprint) {
  if (count_ + 1 > slots_.size() / 16 * 15) resize(slots_.size() * 2 + 64);
  fingerprint += fingerprint == 0;
  for (size_t slot = slotOf(fingerprint);; slot = slot + 1 == slots_.size() ? 0 : slot + 1) {
    if (slots_[slot] == fingerprint) return false;
    if (slots_[slot] == 0) {
      slots_[slot] = fingerprint;
      ++count_;
      return true;
    }
  }
}

void FingerprintSet::resize(size_t slots) {
  std::vector<uint64_t> old(slots);
  old.swap(slots_);
  count_ = 0;
  for (uint64_t fingerprint : old) {
    if (fingerprint != 0) insert(fingerprint);
  }
}

void ExportReports::beginFile(std::string_view name) {
  files_.emplace_back();
  file().name = name;
}

void ExportReports::skipped(const SkippedLines& lines) {
  status_ = 1;
  FileTally& tally = file();
  if (lines.fault == Fault::kNotInRecord) {
    tally.outsideLines += lines.lastLine - lines.firstLine + 1;
  } else {
    ++tally.records;
  }
  if (++tally.ofKind[static_cast<size_t>(lines.fault)] > kShownOfAKind) return;
  std::string where = std::to_string(lines.firstLine);
  if (lines.lastLine != lines.firstLine) where += "-" + std::to_string(lines.lastLine);
  report(tally.name + ":" + where + ": " + std::string(lines.message));
}

void ExportReports::endFile(const FileNotes& notes, bool readFailed, std::string_view codePage,
                            bool unique) {
  FileTally& tally = file();
  for (size_t fault = 0; fault < std::size(tally.ofKind); ++fault) {
    if (tally.ofKind[fault] <= kShownOfAKind) continue;
    report(tally.name + ": " + std::to_string(tally.ofKind[fault] - kShownOfAKind) + " more " +
           foldedText(static_cast<Fault>(fault)) + " (not shown)");
  }
  std::string& text = tally.summary;
  text = tally.name + ": " + counted(tally.exported + (unique ? 0 : tally.duplicates), "record") +
         " exported";
  if (checking_) {
    // Duplicates are findings of their own here.
    text = tally.name + ": " + counted(tally.exported + tally.duplicates, "record") + " checked, " +
           counted(tally.findings, "finding");
  } else if (!database_.empty()) {
    text = tally.name + ": " + counted(tally.exported, "record") + " new to " + database_ + ", " +
           std::to_string(tally.duplicates) + " already there";
  } else if (tally.duplicates > 0 && unique) {
    text += ", " + counted(tally.duplicates, "duplicate") + " of earlier records left out";
  } else if (tally.duplicates > 0) {
    text += " (" + std::to_string(tally.duplicates) + " of them duplicates of earlier records)";
  }
  if (tally.records > 0) text += ", " + std::to_string(tally.records) + " skipped";
  if (tally.outsideLines > 0) {
    text += ", " + counted(tally.outsideLines, "line") + " outside any record skipped";
  }
  // What else the file showed, in order: a count, its noun (none: not shown), the rest.
  const struct {
    uint64_t count;
    const char* noun;
    std::string rest;
  } kNotes[] = {
      {readFailed, nullptr, "the read stopped at an error"},
      {notes.byteOrderMark, nullptr, "a UTF-8 byte-order mark at the start, passed over"},
      {notes.recordMarks, "UTF-8 byte-order mark",
       " before a record past the start (files joined end to end), passed over"},
      {notes.blankLinesAtEnd, "blank line", " after the last record, passed over"},
      {notes.trimmedLines, "line",
       " without the blanks that end them (as an editor trims them), read as written"},
      {notes.noFinalLineEnd, nullptr, "no line end at the end of the file, read as if there were"},
      {notes.convertedRecords, "record", " with answers read as " + std::string(codePage)},
      {notes.utf16, nullptr,
       "the file is UTF-16: convert it to UTF-8 first (iconv -f UTF-16 -t UTF-8)"},
      {!notes.utf16 && notes.notUtf8 > 0 && codePage.empty(), nullptr,
       "answers that are not UTF-8 may be in a legacy code page: name it with --encoding "
       "(cp850, cp437, cp1252)"},
  };
  for (const auto& note : kNotes) {
    if (note.count > 0) {
      text += "; " + (note.noun ? counted(note.count, note.noun) : "") + note.rest;
    }
  }
}

void ExportReports::summarize() {
  for (const FileTally& tally : files_) {
    if (!tally.summary.empty()) report(tally.summary);
  }
}

}  // namespace survey
