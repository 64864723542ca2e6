// A coordinator's data set: three sites' record files as field laptops leave them, with a known
// problem of every kind planted at known records, for trying survey-export --check and
// survey-report on and for testing their numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/env.h"
#include "questionnaire/survey_answers.h"

namespace survey {

// One record: its answers and the time its run started.
struct SiteRecord {
  SurveyAnswers answers;
  LocalTime runTime;
};

// One site's record file.
struct SiteFile {
  std::string name;  // "north/datas.dat", a path under the data set's folder
  std::vector<SiteRecord> records;
  bool windows = false;  // saved on Windows: a byte order mark and CR LF line ends
  // The file's bytes, as the program's record writer writes each record.
  std::string text() const;
};

// A problem planted on purpose: the finding --check should give for it.
struct PlantedFinding {
  std::string file;
  uint64_t line = 0;   // where the record begins
  std::string column;  // as the export names it
  std::string rule;
};

struct SiteData {
  std::vector<SiteFile> files;
  std::vector<PlantedFinding> planted;
  LocalTime filesChanged;  // the files' modification time: the end of the campaign
};

// The data set: 2,649 records over north, south and east (east written on Windows), the same
// every time.
SiteData makeSites();

// The lines of one record in a file.
inline constexpr uint64_t kLinesPerRecord = 35;

}  // namespace survey
