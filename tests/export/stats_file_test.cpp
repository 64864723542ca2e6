// --format dta and sav: every value read back with the library that wrote it, and with pandas
// where it is installed, equal to the CSV's; the prompts as labels.
#ifdef SURVEY_HAVE_READSTAT
#include <gtest/gtest.h>
#include <readstat.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "console/input_reader.h"
#include "export/codebook.h"
#include "export/csv_table.h"
#include "export/exporter.h"
#include "export/sample_records.h"
#include "reader/record_row.h"

namespace survey::testing {
namespace {

namespace fs = std::filesystem;

// A statistics file as read back: the variables' names and labels, and each row's values as
// text ("" for a missing number; numbers with six significant digits, as the records show them).
struct ReadBack {
  std::vector<std::string> names, labels;
  std::vector<std::vector<std::string>> rows;
};

int onVariable(int, readstat_variable_t* variable, const char*, void* context) {
  auto* read = static_cast<ReadBack*>(context);
  read->names.emplace_back(readstat_variable_get_name(variable));
  const char* label = readstat_variable_get_label(variable);
  read->labels.emplace_back(label == nullptr ? "" : label);
  return READSTAT_HANDLER_OK;
}

int onValue(int row, readstat_variable_t* variable, readstat_value_t value, void* context) {
  auto* read = static_cast<ReadBack*>(context);
  if (static_cast<size_t>(row) >= read->rows.size()) read->rows.resize(row + 1);
  std::string text;
  if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING) {
    const char* string = readstat_string_value(value);
    text = string == nullptr ? "" : string;
  } else if (!readstat_value_is_system_missing(value)) {
    char number[64];
    std::snprintf(number, sizeof number, "%.6g", readstat_double_value(value));
    text = number;
  }
  std::vector<std::string>& values = read->rows[static_cast<size_t>(row)];
  values.resize(static_cast<size_t>(readstat_variable_get_index(variable)) + 1);
  values.back() = text;
  return READSTAT_HANDLER_OK;
}

ReadBack readBack(const std::string& bytes, bool stata) {
  const fs::path path =
      fs::temp_directory_path() / ("survey-stats-test-" + std::to_string(std::random_device()()));
  std::ofstream(path, std::ios::binary) << bytes;
  ReadBack read;
  readstat_parser_t* parser = readstat_parser_init();
  readstat_set_variable_handler(parser, onVariable);
  readstat_set_value_handler(parser, onValue);
  const readstat_error_t error = stata ? readstat_parse_dta(parser, path.c_str(), &read)
                                       : readstat_parse_sav(parser, path.c_str(), &read);
  readstat_parser_free(parser);
  fs::remove(path);
  EXPECT_EQ(error, READSTAT_OK) << readstat_error_message(error);
  return read;
}

SurveyAnswers answersOf(const std::string& name, const std::string& age) {
  SurveyAnswers answers = trickyAnswers();
  answers.firstName = name;
  answers.ageNowText = age;
  return answers;
}

// Records with accents, a character beyond the BMP, control characters, a 4 KiB answer and
// ages that are not whole numbers.
std::string testRecords() {
  SurveyAnswers longest = answersOf("Zoë\xF0\x9F\x98\x80", "36yrs");
  longest.surname = std::string(InputReader::kWordLimit - 1, 'L') + "Z";
  return recordOf(answersOf("Ada", "36")) + recordOf(longest) + recordOf(answersOf("Bo", "N/A"));
}

TEST(StatsFile, EveryValueAndLabelReadsBackAsTheCsvHasIt) {
  FakeEnv csv("");
  csv.memoryFiles().files["datas.dat"] = testRecords();
  ASSERT_EQ(runExport(csv, {}), 0);
  const Table expected = decodeCsv(csv.fakeOutput().text);
  ASSERT_EQ(expected.size(), 3u);
  const std::string ages[] = {"36", "", ""};

  for (const char* format : {"dta", "sav"}) {
    SCOPED_TRACE(format);
    FakeEnv env("");
    env.memoryFiles().files["datas.dat"] = testRecords();
    ASSERT_EQ(runExport(env, {std::string("--format=") + format, "--output", "out"}), 0)
        << env.fakeErrors().text;
    const ReadBack read = readBack(env.memoryFiles().files["out"], format == std::string("dta"));
    ASSERT_EQ(read.names.size(), kColumnCount + 1);
    ASSERT_EQ(read.rows.size(), 3u);
    for (size_t variable = 0; variable < read.names.size(); ++variable) {
      const std::string& name = read.names[variable];
      for (size_t row = 0; row < 3; ++row) {
        const std::string wanted = name == "ageNow" ? ages[row] : expected[row].at(name);
        EXPECT_EQ(read.rows[row][variable], wanted) << name << " row " << row;
      }
    }
    EXPECT_EQ(read.labels[7], columnLabel(7));
    EXPECT_EQ(read.labels[7].rfind("Enter", 0), 0u) << read.labels[7];
  }
}

TEST(StatsFile, PandasReadsTheStataFileWithTheCsvsValues) {
  if (std::system("/usr/bin/python3 -c 'import pandas' 2>/dev/null") != 0) {
    GTEST_SKIP() << "no pandas for /usr/bin/python3";
  }
  const fs::path dir =
      fs::temp_directory_path() / ("survey-stats-pandas-" + std::to_string(std::random_device()()));
  fs::create_directories(dir);
  std::ofstream(dir / "datas.dat", std::ios::binary) << testRecords();
  const std::string script =
      "import pandas as pd, sys\n"
      "d = pd.read_stata('records.dta')\n"
      "c = pd.read_csv('records.csv', dtype=str, keep_default_na=False)\n"
      "for col in c.columns:\n"
      "    got = d[col].map(lambda v: ('%.6g' % v) if isinstance(v, float) else v)\n"
      "    if list(got) != list(c[col]): sys.exit('differs: ' + col)\n"
      "labels = pd.io.stata.StataReader('records.dta').variable_labels()\n"
      "if not labels['firstName'].startswith('Enter'): sys.exit('no label')\n";
  std::ofstream(dir / "check.py") << script;
  const std::string command = "cd '" + dir.string() +
                              "' && '" SURVEY_EXPORT_EXE
                              "' --output records.csv datas.dat 2>/dev/null && '" SURVEY_EXPORT_EXE
                              "' --format dta --output records.dta datas.dat 2>/dev/null && "
                              "/usr/bin/python3 check.py";
  EXPECT_EQ(std::system(command.c_str()), 0);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace survey::testing
#endif
