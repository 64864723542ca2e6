// Writing the records as Stata and SPSS files through libreadstat.
#include "export/stats_file.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "export/codebook.h"
#include "export/record_database.h"
#include "platform/utf8.h"
#include "reader/record_patterns.h"

#ifdef SURVEY_HAVE_READSTAT
#include <readstat.h>
#endif

namespace survey {

void StatsTable::add(const RecordRow& row) {
  for (size_t column = 0; column < kColumnCount; ++column) {
    cells_.emplace_back(row.fields[column]);
    widths_[column] = std::max(widths_[column], row.fields[column].size());
  }
}

#ifdef SURVEY_HAVE_READSTAT
namespace {

constexpr std::string_view kAgeNowText = "ageNowText";
// Stata's longest fixed-width text; longer text is stored as a long string (strL).
constexpr size_t kStataStringLimit = 2045;
// The longest variable label each format keeps, in bytes.
constexpr size_t kStataLabelLimit = 80;
constexpr size_t kSpssLabelLimit = 255;

bool isFigure(size_t column) {
  if (column == kLineColumn) return true;
  if (column <= kRunTimeColumn) return false;
  const RecordPatterns& patterns = recordPatterns();
  return patterns.fields[static_cast<size_t>(patterns.fieldOfColumn[column])].kind ==
         FieldKind::kFigure;
}

// At most `limit` bytes of `text`, cut between characters.
std::string cutToBytes(std::string text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = 0;
  while (end < text.size()) {
    const size_t length = std::max<size_t>(1, utf8SequenceLength(text, end));
    if (end + length > limit) break;
    end += length;
  }
  text.resize(end);
  return text;
}

ssize_t writeBytes(const void* bytes, size_t size, void* context) {
  auto* out = static_cast<ConsoleOutput*>(context);
  const bool written = out->write(std::string_view(static_cast<const char*>(bytes), size)).ok();
  return written ? static_cast<ssize_t>(size) : -1;
}

struct Writer {
  Writer() : writer(readstat_writer_init()) {}
  ~Writer() { readstat_writer_free(writer); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  readstat_writer_t* writer;
};

}  // namespace

bool StatsTable::available() { return true; }

Status StatsTable::write(StatsFormat format, ConsoleOutput& out) const {
  const bool stata = format == StatsFormat::kStata;
  const size_t rows = cells_.size() / kColumnCount;
  Writer made;
  readstat_writer_t* writer = made.writer;
  readstat_set_data_writer(writer, writeBytes);
  if (stata) readstat_writer_set_file_format_version(writer, 118);  // UTF-8 text

  struct Column {
    readstat_variable_t* variable;
    size_t cell;       // the value's column in the row
    bool wholeNumber;  // ageNow: the answer where it is a whole number
  };
  std::vector<Column> columns;
  std::vector<bool> longText(kColumnCount, false);
  for (size_t column = 0; column < kColumnCount; ++column) {
    const std::string name(kColumnNames[column]);
    readstat_variable_t* variable = nullptr;
    if (isFigure(column)) {
      variable = readstat_add_variable(writer, name.c_str(), READSTAT_TYPE_DOUBLE, 0);
    } else if (stata && widths_[column] > kStataStringLimit) {
      longText[column] = true;
      variable = readstat_add_variable(writer, name.c_str(), READSTAT_TYPE_STRING_REF, 0);
    } else {
      variable = readstat_add_variable(writer, name.c_str(), READSTAT_TYPE_STRING,
                                       std::max<size_t>(1, widths_[column]));
    }
    const std::string label =
        cutToBytes(columnLabel(column), stata ? kStataLabelLimit : kSpssLabelLimit);
    readstat_variable_set_label(variable, label.c_str());
    columns.push_back({variable, column, false});
    if (kColumnNames[column] == kAgeNowText) {
      readstat_variable_t* age = readstat_add_variable(writer, "ageNow", READSTAT_TYPE_DOUBLE, 0);
      readstat_variable_set_label(age, "the age now, where the answer is a whole number");
      columns.push_back({age, column, true});
    }
  }
  // Long strings are laid down before the rows, which refer to them by number.
  std::vector<readstat_string_ref_t*> refs(cells_.size(), nullptr);
  for (size_t cell = 0; cell < cells_.size(); ++cell) {
    if (longText[cell % kColumnCount]) {
      refs[cell] = readstat_add_string_ref(writer, cells_[cell].c_str());
    }
  }

  const long count = static_cast<long>(rows);
  readstat_error_t error = stata ? readstat_begin_writing_dta(writer, &out, count)
                                 : readstat_begin_writing_sav(writer, &out, count);
  for (size_t row = 0; row < rows && error == READSTAT_OK; ++row) {
    error = readstat_begin_row(writer);
    for (const Column& column : columns) {
      if (error != READSTAT_OK) break;
      const size_t cell = row * kColumnCount + column.cell;
      const std::string& value = cells_[cell];
      if (column.wholeNumber) {
        int64_t age = 0;
        error = wholeNumber(value, &age) ? readstat_insert_double_value(writer, column.variable,
                                                                        static_cast<double>(age))
                                         : readstat_insert_missing_value(writer, column.variable);
      } else if (isFigure(column.cell)) {
        const double number = std::strtod(value.c_str(), nullptr);
        // Neither format holds an infinity or NaN: those are missing.
        error = std::isfinite(number)
                    ? readstat_insert_double_value(writer, column.variable, number)
                    : readstat_insert_missing_value(writer, column.variable);
      } else if (refs[cell] != nullptr) {
        error = readstat_insert_string_ref(writer, column.variable, refs[cell]);
      } else {
        error = readstat_insert_string_value(writer, column.variable, value.c_str());
      }
    }
    if (error == READSTAT_OK) error = readstat_end_row(writer);
  }
  if (error == READSTAT_OK) error = readstat_end_writing(writer);
  return error == READSTAT_OK ? Status() : Status::error(readstat_error_message(error));
}
#else
bool StatsTable::available() { return false; }

Status StatsTable::write(StatsFormat, ConsoleOutput&) const {
  return Status::error("this build of survey-export has no libreadstat");
}
#endif

}  // namespace survey
