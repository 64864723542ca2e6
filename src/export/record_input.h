// What survey-export and survey-report both need to read record files: standard input as a
// file, the reports on standard error, a file's day and the wording of errors.
#pragma once

#include <optional>
#include <string>

#include "export/export_reports.h"
#include "export/quality_rules.h"
#include "platform/env.h"

namespace survey {

// The name under which standard input ("-") is read and reported.
constexpr const char* kStandardInputName = "(standard input)";

// Standard input as a file: a read that gives nothing is its end or its error.
class StandardInputFile : public SequentialFile {
 public:
  explicit StandardInputFile(ConsoleInput& input) : input_(input) {}
  Status read(char* buffer, size_t capacity, size_t* count) override;

 private:
  ConsoleInput& input_;
};

// The day the file at `path` was last changed, when it is a file ("-" is not) and that is known.
std::optional<CalendarDay> changedDay(FileSystem& files, const std::string& path);

// Writes "program: text" as one line to `errors`, control characters shown.
void tellError(ConsoleOutput& errors, const char* program, const std::string& text);

// Tells a wrong command line and where help is; returns the exit status 2.
int usageError(ConsoleOutput& errors, const char* program, const std::string& message);

}  // namespace survey
