// The coordinator's data set of three sites: --check finds every planted problem where it was
// planted and nothing else, and survey-report's numbers equal counts made here from the
// records themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "export/csv_table.h"
#include "export/exporter.h"
#include "export/reporter.h"
#include "export/sample_records.h"
#include "site_maker.h"

namespace survey::testing {
namespace {

struct Outcome {
  int status;
  std::string out, err;
};

// survey-export or survey-report on the data set's files, as a coordinator would run them.
Outcome runOn(const SiteData& data, std::vector<std::string> args, bool report) {
  FakeEnv env("");
  for (const SiteFile& file : data.files) {
    env.memoryFiles().files[file.name] = file.text();
    env.memoryFiles().modified[file.name] = data.filesChanged;
    args.push_back(file.name);
  }
  const int status = report ? runReport(env, args) : runExport(env, args);
  return {status, env.fakeOutput().text, env.fakeErrors().text};
}

const SiteData& sites() {
  static const SiteData data = makeSites();
  return data;
}

// The answer columns of the report, and where the records hold them.
struct AnswerColumn {
  const char* column;
  std::string SurveyAnswers::*field;
};
constexpr AnswerColumn kAnswerColumns[] = {
    {"entryDate", &SurveyAnswers::entryDate},
    {"entryTime", &SurveyAnswers::entryTime},
    {"firstName", &SurveyAnswers::firstName},
    {"surname", &SurveyAnswers::surname},
    {"placeOfBirth", &SurveyAnswers::placeOfBirth},
    {"dateOfBirth", &SurveyAnswers::dateOfBirth},
    {"ageNowText", &SurveyAnswers::ageNowText},
    {"learningCenter", &SurveyAnswers::learningCenter},
    {"centerStreet", &SurveyAnswers::centerStreet},
    {"coordinatorName", &SurveyAnswers::coordinatorName},
    {"nearbyBusiness", &SurveyAnswers::nearbyBusiness},
    {"productivityCompany", &SurveyAnswers::productivityCompany},
    {"maintenanceCompany", &SurveyAnswers::maintenanceCompany},
    {"zonalLibrary", &SurveyAnswers::zonalLibrary},
    {"libraryFee", &SurveyAnswers::libraryFee},
    {"shoppingCenter", &SurveyAnswers::shoppingCenter},
    {"nearestSchool", &SurveyAnswers::nearestSchool},
    {"stateOrCity", &SurveyAnswers::stateOrCity},
    {"touristPlace", &SurveyAnswers::touristPlace},
    {"tribalLanguage", &SurveyAnswers::tribalLanguage},
    {"country", &SurveyAnswers::country},
};

// The report's tables from its HTML: column, then the row's value (or, for a total, its kind
// in brackets), then the count.
using Tables = std::map<std::string, std::map<std::string, uint64_t>>;

std::string attribute(const std::string& tag, const std::string& name) {
  const size_t start = tag.find(" " + name + "=\"");
  if (start == std::string::npos) return "(none)";
  const size_t from = start + name.size() + 3;
  std::string value = tag.substr(from, tag.find('"', from) - from);
  for (const auto& [entity, c] : std::map<std::string, std::string>{
           {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}}) {
    for (size_t at = value.find(entity); at != std::string::npos; at = value.find(entity, at)) {
      value.replace(at, entity.size(), c);
      at += c.size();
    }
  }
  return value;
}

Tables tablesOf(const std::string& html) {
  Tables tables;
  std::string column;
  for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
    const std::string tag = html.substr(at, html.find('>', at) - at);
    if (tag.rfind("<table ", 0) == 0) column = attribute(tag, "data-column");
    if (tag.rfind("<tr data-value", 0) != 0) continue;
    const std::string kind = attribute(tag, "data-kind");
    const std::string key = kind == "value" ? attribute(tag, "data-value") : "[" + kind + "]";
    tables[column][key] += std::strtoull(attribute(tag, "data-count").c_str(), nullptr, 10);
  }
  return tables;
}

// Spellings folded as the data set needs: ASCII case, the accents it uses, either Unicode form.
std::string folded(std::string text) {
  for (const auto& [from, to] : std::map<std::string, std::string>{
           {"\xC3\xB9", "u"}, {"\xC3\xA1", "a"}, {"\xC3\xA9", "e"}, {"\xCC\x81", ""}}) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
      text.replace(at, from.size(), to);
    }
  }
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool missingLike(const std::string& text) {
  const std::string low = folded(text);
  return low.empty() || low == "na" || low == "n/a" || low == "none" || low == "-";
}

std::string decade(double age) {
  if (age < 0) return "below 0";
  if (age >= 100) return "100+";
  const int low = static_cast<int>(age) / 10 * 10;
  return std::to_string(low) + "-" + std::to_string(low + 9);
}

std::string dayOf(const LocalTime& time) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", time.yearsSince1900 + 1900, time.month + 1,
                time.dayOfMonth);
  return text;
}

TEST(SiteData, HasTheRecordsOfThreeSitesOneWrittenOnWindows) {
  uint64_t records = 0;
  for (const SiteFile& file : sites().files) records += file.records.size();
  EXPECT_EQ(records, 2649u);
  ASSERT_EQ(sites().files.size(), 3u);
  const std::string east = sites().files[2].text();
  EXPECT_EQ(east.substr(0, 5), "\xEF\xBB\xBF -");
  EXPECT_EQ(std::count(east.begin(), east.end(), '\n'), std::count(east.begin(), east.end(), '\r'));
  std::set<std::string> rules;
  for (const PlantedFinding& finding : sites().planted) rules.insert(finding.rule);
  EXPECT_EQ(rules, (std::set<std::string>{"duplicate", "retyped", "not-a-date", "not-a-number",
                                          "age-mismatch", "shifted", "run-date", "replaced-letter",
                                          "unnormalised"}));
}

TEST(SiteData, CheckLocatesEveryPlantedProblemAndNothingElse) {
  const Outcome run = runOn(sites(), {"--check"}, /*report=*/false);
  EXPECT_EQ(run.status, 1) << run.err;
  std::vector<std::string> found, planted;
  for (auto& row : decodeCsv(run.out)) {
    found.push_back(row["file"] + ":" + row["line"] + " " + row["column"] + " " + row["rule"]);
  }
  for (const PlantedFinding& finding : sites().planted) {
    planted.push_back(finding.file + ":" + std::to_string(finding.line) + " " + finding.column +
                      " " + finding.rule);
  }
  std::sort(found.begin(), found.end());
  std::sort(planted.begin(), planted.end());
  EXPECT_EQ(found, planted);
  // Each file's summary tells its records checked and its findings.
  for (const SiteFile& file : sites().files) {
    const auto findings =
        std::count_if(sites().planted.begin(), sites().planted.end(),
                      [&](const PlantedFinding& f) { return f.file == file.name; });
    EXPECT_NE(
        run.err.find("survey-export: " + file.name + ": " + std::to_string(file.records.size()) +
                     " records checked, " + std::to_string(findings) + " findings"),
        std::string::npos)
        << run.err;
  }
}

class SiteReport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const Outcome run = runOn(sites(), {"--format", "html"}, /*report=*/true);
    status_ = run.status;
    errors_ = run.err;
    tables_ = tablesOf(run.out);
  }
  static int status_;
  static std::string errors_;
  static Tables tables_;
};
int SiteReport::status_ = -1;
std::string SiteReport::errors_;
Tables SiteReport::tables_;

TEST_F(SiteReport, CountsRecordsPerFileAndRunDate) {
  EXPECT_EQ(status_, 0) << errors_;
  std::map<std::string, uint64_t> files, days;
  for (const SiteFile& file : sites().files) {
    files[file.name] = file.records.size();
    for (const SiteRecord& record : file.records) ++days[dayOf(record.runTime)];
  }
  EXPECT_EQ(tables_["file"], files);
  EXPECT_EQ(tables_["runDate"], days);
}

TEST_F(SiteReport, CountsEveryAnswerGroupedAndTheMissingLike) {
  for (const AnswerColumn& answer : kAnswerColumns) {
    const std::string column = answer.column;
    SCOPED_TRACE(column);
    std::map<std::string, uint64_t> groups;
    uint64_t missing = 0, records = 0;
    for (const SiteFile& file : sites().files) {
      for (const SiteRecord& record : file.records) {
        const std::string& value = record.answers.*answer.field;
        ++records;
        missingLike(value) ? ++missing : ++groups[folded(value)];
      }
    }
    const auto& table = tables_[column];
    uint64_t total = 0, shown = 0;
    for (const auto& [value, count] : table) {
      total += count;
      if (value.empty() || value[0] == '[') continue;
      ++shown;
      EXPECT_EQ(count, groups[folded(value)]) << value;
    }
    EXPECT_EQ(shown, std::min<size_t>(groups.size(), 10));
    EXPECT_EQ(table.count("[missing-like]") != 0 ? table.at("[missing-like]") : 0, missing);
    EXPECT_EQ(total, records);
  }
  // The spellings the data set mixes come out as one answer each.
  EXPECT_EQ(tables_["tribalLanguage"].count("Yor\xC3\xB9\x62\xC3\xA1"), 0u);
  EXPECT_EQ(tables_["country"].count("NIGERIA"), 0u);
  EXPECT_EQ(tables_["firstName"].count("Jose\xCC\x81"), 0u);
}

TEST_F(SiteReport, DrawsTheTypedAndTheSameAges) {
  std::map<std::string, uint64_t> typed, same;
  for (const SiteFile& file : sites().files) {
    for (const SiteRecord& record : file.records) {
      const std::string& text = record.answers.ageNowText;
      char* end = nullptr;
      const long age = std::strtol(text.c_str(), &end, 10);
      if (!text.empty() && *end == '\0') {
        ++typed[decade(static_cast<double>(age))];
      } else if (!missingLike(text)) {
        ++typed["[not-a-number]"];
      }
      ++same[decade(record.answers.sameAge)];
    }
  }
  // Decades with no age are listed with 0.
  for (auto* table : {&tables_["typedAge"], &tables_["sameAge"]}) {
    for (auto at = table->begin(); at != table->end();) {
      at = at->second == 0 ? table->erase(at) : std::next(at);
    }
  }
  EXPECT_EQ(tables_["typedAge"], typed);
  EXPECT_EQ(tables_["sameAge"], same);
}

TEST_F(SiteReport, CountsTheFindingsByRule) {
  std::map<std::string, uint64_t> rules;
  for (const PlantedFinding& finding : sites().planted) ++rules[finding.rule];
  EXPECT_EQ(tables_["rule"], rules);
}

}  // namespace
}  // namespace survey::testing
