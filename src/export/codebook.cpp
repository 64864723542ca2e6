// The codebook, from the questionnaire's prompts, the record layout and notes of its own.
#include "export/codebook.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "export/row_writers.h"
#include "questionnaire/questionnaire.h"
#include "reader/record_patterns.h"

namespace survey {
namespace {

constexpr std::string_view kCodebookColumns[] = {"column",      "prompt", "promptText",
                                                 "recordLines", "type",   "note"};
constexpr std::string_view kTyped = "text as typed";
constexpr std::string_view kFigure = "number as the record shows it";
constexpr std::string_view kRunStart = "run start time";

struct ColumnNote {
  std::string_view column;
  std::string_view type;
  std::string_view note;
};

// The columns that are not plain typed answers.
const ColumnNote kNotes[] = {
    {"file", "text", "the file as named on the command line, or (standard input) for -"},
    {"line", "number", "the line of that file where the record begins"},
    {"recordId", "identity",
     "16 lowercase hexadecimal digits: the XXH3-64 hash (seed 0) of the record's values as "
     "exported (UTF-8, before any ' that --safe-cells adds), every column after recordId in "
     "order, each as its length in bytes (four bytes, least significant first) then its bytes; "
     "the same record has the same identity in every file and format, and records with the same "
     "identity are duplicates"},
    {"runDate", kRunStart,
     "the date the program run that saved the record started, YYYY-MM-DD in local time with no "
     "zone; every record of a run shares it, so a record saved after midnight shows the day "
     "before"},
    {"runTime", kRunStart,
     "the time that run started, HH:MM on the 24-hour clock in local time with no zone; every "
     "record of a run shares it"},
    {"entryDate", kTyped, "free text, not checked as a date"},
    {"entryTime", kTyped, "free text, not checked as a time"},
    {"ageNowText", kTyped, "free text, not checked as a number"},
    {"anotherYearAge", kFigure,
     "the calculated age A, rounded to six significant digits (35, 16.9, 1e+07, nan, inf); an "
     "answer that was not a number is 0"},
    {"sameAgePlusAnotherYearAge", kFigure,
     "the sum S + A of the same age and the calculated age, rounded to six significant digits. "
     "S is not in the record: it is sameAgePlusAnotherYearAge - anotherYearAge, worked out in "
     "decimal; that is exact when neither figure was rounded (always for whole ages whose sum "
     "is below 1000000), and otherwise within the rounding of the two figures"},
};

// A prompt's line without its arrow and its closing "::".
std::string_view promptWords(std::string_view prompt) {
  for (std::string_view mark : {" --> ", " -->"}) {
    if (prompt.substr(0, mark.size()) == mark) prompt.remove_prefix(mark.size());
  }
  while (!prompt.empty() && (prompt.back() == ' ' || prompt.back() == ':')) prompt.remove_suffix(1);
  return prompt;
}

// Adds `part` to the list `list`, after `separator` unless the list is empty.
void addTo(std::string* list, std::string_view separator, std::string_view part) {
  if (!list->empty()) *list += separator;
  *list += part;
}

}  // namespace

std::vector<CodebookRow> codebookRows() {
  const RecordPatterns& patterns = recordPatterns();
  const std::vector<PromptText> prompts = promptTexts();
  std::vector<CodebookRow> rows;
  for (size_t column = 0; column < kColumnCount; ++column) {
    CodebookRow row{std::string(kColumnNames[column]), "", "", "", std::string(kTyped), ""};
    if (column > kRunTimeColumn) {
      const RecordPatterns::Field& field =
          patterns.fields[static_cast<size_t>(patterns.fieldOfColumn[column])];
      // "S+A" is answered at the prompts of S and of A.
      for (size_t from = 0, to = 0; from <= field.name.size(); from = to + 1) {
        to = std::min(field.name.find('+', from), field.name.size());
        std::string_view answer = std::string_view(field.name).substr(from, to - from);
        for (size_t prompt = 0; prompt < prompts.size(); ++prompt) {
          if (prompts[prompt].answer != answer) continue;
          addTo(&row.prompt, ", ", std::to_string(prompt + 1));
          addTo(&row.promptText, " / ", promptWords(prompts[prompt].prompt));
        }
      }
      for (size_t line : field.recordLines) addTo(&row.recordLines, ", ", std::to_string(line + 1));
    } else if (column >= kRunDateColumn) {
      row.recordLines = std::to_string(patterns.dayLine + 1);
    }
    for (const ColumnNote& known : kNotes) {
      if (known.column == row.column) row.type = known.type, row.note = known.note;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string columnLabel(size_t column) {
  const CodebookRow row = codebookRows()[column];
  if (!row.promptText.empty()) return row.promptText;
  return row.note.empty() ? row.column : row.note.substr(0, row.note.find(';'));
}

std::string codebook(bool csv, bool safeCells) {
  std::string out;
  if (csv) appendCsvValues(kCodebookColumns, std::size(kCodebookColumns), false, &out);
  for (const CodebookRow& row : codebookRows()) {
    const std::string_view views[] = {row.column,      row.prompt, row.promptText,
                                      row.recordLines, row.type,   row.note};
    if (csv) {
      appendCsvValues(views, std::size(views), safeCells, &out);
    } else {
      appendJsonObject(kCodebookColumns, views, std::size(views), &out);
    }
  }
  return out;
}

}  // namespace survey
