// Standard input as a file, a file's day and the wording of errors, for both programs.
#include "export/record_input.h"

#include "console/characters.h"

namespace survey {

Status StandardInputFile::read(char* buffer, size_t capacity, size_t* count) {
  *count = input_.read(buffer, capacity);
  return *count == 0 ? input_.readError() : Status();
}

std::optional<CalendarDay> changedDay(FileSystem& files, const std::string& path) {
  LocalTime time;
  if (path == "-" || !files.modifiedAt(path, &time).ok()) return std::nullopt;
  return CalendarDay{time.yearsSince1900 + 1900, time.month + 1, time.dayOfMonth};
}

void tellError(ConsoleOutput& errors, const char* program, const std::string& text) {
  errors.write(std::string(program) + ": " + shownOnOneLine(text) + "\n");
}

int usageError(ConsoleOutput& errors, const char* program, const std::string& message) {
  errors.write(std::string(program) + ": " + shownOnOneLine(message) + "\nTry '" + program +
               " --help' for more information.\n");
  return 2;
}

}  // namespace survey
