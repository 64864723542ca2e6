// The data-quality rules one record at a time: each rule's cases, and what the others leave alone.
#include "export/quality_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace survey::testing {
namespace {

// A record that no rule finds fault with, but for the values given.
struct RowOf {
  explicit RowOf(const std::map<std::string, std::string>& changed) {
    const std::map<std::string, std::string> clean = {
        {"file", "north.dat"},
        {"line", "36"},
        {"recordId", "00112233aabbccdd"},
        {"runDate", "2026-12-08"},
        {"runTime", "09:00"},
        {"entryDate", "08/12/2026"},
        {"entryTime", "09:05"},
        {"firstName", "Ada"},
        {"surname", "Okafor"},
        {"placeOfBirth", "Lagos"},
        {"dateOfBirth", "1990-01-02"},
        {"ageNowText", "36"},
        {"tribalLanguage", "Hausa"},
        {"country", "Nigeria"},
        {"anotherYearAge", "5"},
        {"sameAgePlusAnotherYearAge", "41"},
    };
    for (size_t column = 0; column < kColumnCount; ++column) {
      const std::string name(kColumnNames[column]);
      auto found = changed.find(name);
      texts[column] = found != changed.end()   ? found->second
                      : clean.count(name) != 0 ? clean.at(name)
                                               : "Word";
      row.fields[column] = texts[column];
    }
  }
  std::string texts[kColumnCount];
  RecordRow row;
};

// Every finding as "column rule value | detail"; the record's figures read as the check reads them.
std::vector<std::string> findingsOf(const RowOf& record, RuleContext context = {}) {
  context.figures = readAges(record.row);
  context.figures.runDay = readDate(record.row.fields[kRunDateColumn]);
  std::vector<Finding> found;
  for (const QualityRule& rule : qualityRules()) rule.check(record.row, context, &found);
  std::vector<std::string> texts;
  texts.reserve(found.size());
  for (const Finding& finding : found) {
    texts.push_back(std::string(kColumnNames[finding.column]) + " " + std::string(finding.rule) +
                    " " + finding.value + " | " + finding.detail);
  }
  return texts;
}

TEST(QualityRules, RulesHaveTheirNamesInOrder) {
  std::vector<std::string> names;
  for (const QualityRule& rule : qualityRules()) names.emplace_back(rule.name);
  EXPECT_EQ(names, (std::vector<std::string>{"duplicate", "retyped", "not-a-date", "not-a-number",
                                             "age-mismatch", "shifted", "run-date",
                                             "replaced-letter", "unnormalised"}));
  EXPECT_TRUE(findingsOf(RowOf({})).empty()) << findingsOf(RowOf({}))[0];
}

// Each rule on values alone: what it finds, and values close to a fault that it must pass.
TEST(QualityRules, EachRuleFindsItsFaultsAndPassesTheRest) {
  const struct {
    const char* what;
    std::map<std::string, std::string> values;
    std::vector<std::string> expected;
  } cases[] = {
      {"a date in a common form", {{"dateOfBirth", "2-Jan-1990"}, {"entryDate", "8/12/2026"}}, {}},
      {"missing-like dates and age",
       {{"dateOfBirth", "N/A"}, {"entryDate", "-"}, {"ageNowText", "na"}},
       {}},
      {"no such day",
       {{"dateOfBirth", "1990-02-30"}},
       {"dateOfBirth not-a-date 1990-02-30 | no common date form reads it"}},
      {"a word for a date of birth is shifted, not not-a-date",
       {{"placeOfBirth", "Port"}, {"dateOfBirth", "Harcourt"}},
       {"dateOfBirth shifted Harcourt | a word where a date belongs: the rest of placeOfBirth "
        "\"Port\"?"}},
      {"a word for an entry date is not a date",
       {{"entryDate", "Monday"}},
       {"entryDate not-a-date Monday | no common date form reads it"}},
      {"AM after a time",
       {{"entryTime", "10:30"}, {"firstName", "AM"}},
       {"firstName shifted AM | the rest of entryTime \"10:30\"?"}},
      {"p.m. after a time",
       {{"entryTime", "9:05"}, {"firstName", "p.m."}},
       {"firstName shifted p.m. | the rest of entryTime \"9:05\"?"}},
      {"Pam is a name", {{"entryTime", "9:05"}, {"firstName", "Pam"}}, {}},
      {"a decimal comma",
       {{"ageNowText", "36,5"}},
       {"ageNowText not-a-number 36,5 | not a whole number"}},
      {"a decimal point",
       {{"ageNowText", "36.5"}},
       {"ageNowText not-a-number 36.5 | not a whole number"}},
      {"typed age disagrees",
       {{"ageNowText", "35"}},
       {"ageNowText age-mismatch 35 | the same age is 36 (41 - 5)"}},
      {"a leading zero agrees", {{"ageNowText", "036"}}, {}},
      {"figures rounded to six digits agree within their rounding",
       {{"ageNowText", "2000000"}, {"anotherYearAge", "5"}, {"sameAgePlusAnotherYearAge", "2e+06"}},
       {}},
      {"no sum to compare", {{"sameAgePlusAnotherYearAge", "nan"}}, {}},
      {"question mark in a name",
       {{"firstName", "Jos?"}, {"coordinatorName", "?bo"}},
       {"firstName replaced-letter Jos? | a letter the console could not type became ? or U+FFFD",
        "coordinatorName replaced-letter ?bo | a letter the console could not type became ? or "
        "U+FFFD"}},
      {"replacement character in a surname",
       {{"surname",
         "Ok\xEF\xBF\xBD"
         "for"}},
       {"surname replaced-letter Ok\xEF\xBF\xBD"
        "for | a letter the console could not type became "
        "? or U+FFFD"}},
      {"a question mark outside names", {{"learningCenter", "Why?"}}, {}},
      {"combining accent",
       {{"firstName", "Jose\xCC\x81"}},
       {"firstName unnormalised Jose\xCC\x81 | not in Unicode NFC, which is \"Jos\xC3\xA9\": it "
        "counts apart from that spelling"}},
      {"composed accent and other scripts",
       {{"firstName", "Jos\xC3\xA9"}, {"surname", "日本"}},
       {}},
      {"run before 2000",
       {{"runDate", "1999-12-31"}},
       {"runDate run-date 1999-12-31 | before 2000: the computer's clock was wrong?"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(findingsOf(RowOf(c.values)), c.expected);
  }
}

// What the check knows: an earlier record with this identity, or these answers; the latest run
// date above; the day the file last changed.
RuleContext knowing(std::optional<RecordPlace> sameId, std::optional<RecordPlace> sameAnswers,
                    std::optional<CalendarDay> latest = std::nullopt,
                    std::optional<CalendarDay> changed = std::nullopt) {
  RuleContext context;
  context.sameId = sameId;
  context.sameAnswers = sameAnswers;
  context.latestRunDate = latest;
  if (latest) context.latestRunPlace = RecordPlace{"south.dat", 71};
  context.fileChanged = changed;
  return context;
}

// The rules that depend on the records before.
TEST(QualityRules, RulesOnEarlierRecordsUseWhatTheCheckKnows) {
  const RecordPlace earlier{"south.dat", 71};
  const auto none = std::nullopt;
  const struct {
    const char* what;
    RuleContext context;
    std::string runDate;
    std::vector<std::string> expected;
  } cases[] = {
      {"same identity",
       knowing(earlier, none),
       "2026-12-08",
       {"recordId duplicate 00112233aabbccdd | the same record as south.dat line 71"}},
      {"same answers, another run",
       knowing(none, earlier),
       "2026-12-08",
       {"recordId retyped 00112233aabbccdd | the same answers as south.dat line 71, of another "
        "run"}},
      {"a duplicate is not also retyped",
       knowing(earlier, earlier),
       "2026-12-08",
       {"recordId duplicate 00112233aabbccdd | the same record as south.dat line 71"}},
      {"two days before a record above",
       knowing(none, none, CalendarDay{2026, 12, 8}),
       "2026-12-06",
       {"runDate run-date 2026-12-06 | more than a day before 2026-12-08 of south.dat line 71"}},
      {"a day before a record above (a run past midnight)",
       knowing(none, none, CalendarDay{2026, 12, 8}),
       "2026-12-07",
       {}},
      {"two days after the file last changed",
       knowing(none, none, none, CalendarDay{2026, 12, 6}),
       "2026-12-08",
       {"runDate run-date 2026-12-08 | more than a day after the file was last changed "
        "(2026-12-06)"}},
      {"a day after the file last changed (another time zone)",
       knowing(none, none, none, CalendarDay{2026, 12, 7}),
       "2026-12-08",
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(findingsOf(RowOf({{"runDate", c.runDate}}), c.context), c.expected);
  }
}

// The rules that look at an answer alone find nothing in it exactly when it is quiet: in every
// answer column, after a time that an AM/PM answer could be the rest of.
TEST(QualityRules, AnAnswerIsQuietWhenTheRulesOfAnAnswerAloneFindNothingInIt) {
  const char* const values[] = {"Ada",
                                "AM",
                                "p.m.",
                                "Pam",
                                "2-Jan-1990",
                                "13/01/1990",
                                "Harcourt",
                                "Monday",
                                "N/A",
                                "",
                                "36",
                                "+7",
                                "36,5",
                                "Jos?",
                                "Why?",
                                "1990-02-30",
                                "January",
                                "Jos\xC3\xA9",
                                "Jose\xCC\x81",
                                "Ok\xEF\xBF\xBD",
                                "\xE6\x97\xA5\xE6\x9C\xAC"};
  const std::string aloneRules = " not-a-date not-a-number shifted replaced-letter unnormalised ";
  for (size_t column = 5; column <= 25; ++column) {
    for (const char* value : values) {
      SCOPED_TRACE(std::string(kColumnNames[column]) + " \"" + value + "\"");
      const RowOf record({{std::string(kColumnNames[column - 1]), "10:30"},
                          {std::string(kColumnNames[column]), value}});
      bool found = false;
      for (const std::string& finding : findingsOf(record)) {
        const std::string prefix = std::string(kColumnNames[column]) + " ";
        const std::string rule =
            finding.substr(prefix.size(), finding.find(' ', prefix.size()) - prefix.size());
        found |= finding.compare(0, prefix.size(), prefix) == 0 &&
                 aloneRules.find(" " + rule + " ") != std::string::npos;
      }
      EXPECT_EQ(quietAnswer(column, value), !found);
    }
  }
}

TEST(QualityRules, ReadsDatesInCommonForms) {
  const struct {
    const char* text;
    const char* day;  // empty: not a date
  } cases[] = {
      {"1990-01-02", "1990-01-02"},
      {"1990/1/2", "1990-01-02"},
      {"02/01/1990", "1990-01-02"},
      {"2.1.1990", "1990-01-02"},
      {"01/13/1990", "1990-01-13"},
      {"13/01/1990", "1990-01-13"},
      {"2-jan-1990", "1990-01-02"},
      {"Jan-2-1990", "1990-01-02"},
      {"2/January/90", "1990-01-02"},
      {"29/02/2024", "2024-02-29"},
      {"29/2/00", "2000-02-29"},
      {"12/31/1990", "1990-12-31"},
      {"8.December.2026", "2026-12-08"},
      {"29/02/2025", ""},
      {"19900102", ""},
      {"1990-13-02", ""},
      {"32/01/1990", ""},
      {"2/1/990", ""},
      {"1990-01", ""},
      {"2-Jnu-1990", ""},
      {"", ""},
      {"1990-01-02-03", ""},
      {"1990-01-02-", ""},
      {"2-SEPTEMBER-1990", "1990-09-02"},
      {"2-Sep-1990", "1990-09-02"},
      {"2-Sept-1990", ""},
      {"2-Septembers-1990", ""},
      {"MAY/2/1990", "1990-05-02"},
      {"2024-02-29", "2024-02-29"},
      {"2025-02-29", ""},
      {"1990-04-31", ""},
      {"0000-01-02", ""},
      {"1990-00-02", ""},
      {"1990-01-00", ""},
      {"1990-1a-02", ""},
      {"1990-01-2 ", ""},
      {"2006-1-5", "2006-01-05"},
      {"5/13/90", "1990-05-13"},
      {"1-2-00", "2000-02-01"},
      {"1990/123/2", ""},
      {"12345/1/1990", ""},
      {"/1/1990", ""},
      {"1.2.3", ""},
      {"1-2-199", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto day = readDate(c.text);
    char text[16] = "";
    if (day) std::snprintf(text, sizeof text, "%04d-%02d-%02d", day->year, day->month, day->day);
    EXPECT_EQ(std::string(text), c.day);
  }
  EXPECT_EQ(dayNumber({1970, 1, 1}), 0);
  EXPECT_EQ(dayNumber({2000, 3, 1}) - dayNumber({2000, 2, 28}), 2);
  EXPECT_EQ(dayNumber({1999, 12, 31}) - dayNumber({1900, 1, 1}), 36523);
}

TEST(QualityRules, ReadsNumbersAsStrtodDoes) {
  // The plain decimals are read without strtod: each case is compared with strtod itself.
  const char* const texts[] = {"36",
                               "-5",
                               "0",
                               "-0",
                               "16.9",
                               "285.61",
                               "0.1",
                               "1.",
                               ".5",
                               "1e3",
                               "+1",
                               " 1",
                               "1 ",
                               "36,5",
                               "inf",
                               "nan",
                               "-",
                               "1.2.3",
                               "0x10",
                               "1e999",
                               "123456789012345678901234567890.000000000000000000000000001",
                               "2.2250738585072011e-308",
                               "9007199254740993"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    char* end = nullptr;
    const double expected = std::strtod(text, &end);
    const bool whole = end == text + std::strlen(text) && std::isfinite(expected) && *text != 0;
    double value = 0;
    EXPECT_EQ(readNumber(text, &value), whole);
    if (whole) {
      // Bit for bit, so that -0 and 0 differ.
      uint64_t bits = 0, expectedBits = 0;
      std::memcpy(&bits, &value, sizeof bits);
      std::memcpy(&expectedBits, &expected, sizeof expectedBits);
      EXPECT_EQ(bits, expectedBits) << value;
    }
  }
  double value = 0;
  EXPECT_FALSE(readNumber("", &value));
  EXPECT_FALSE(readNumber(std::string("1\0", 2), &value));
  const std::string longFigure = "1" + std::string(100, '0') + ".5";  // past the stack copy
  ASSERT_TRUE(readNumber(longFigure, &value));
  EXPECT_EQ(value, std::strtod(longFigure.c_str(), nullptr));
}

// The ages read once for the rules and the report: whole typed ages only, finite figures only.
TEST(QualityRules, ReadsTheAgesOnce) {
  const auto none = std::nullopt;
  const struct {
    const char* typedText;
    const char* sumText;
    const char* anotherText;
    std::optional<double> typedAge, sum, another;
  } cases[] = {
      {"36", "41", "5", 36.0, 41.0, 5.0},
      {"+36", "41.5", "-5", 36.0, 41.5, -5.0},
      {"-3", "1e2", "0", -3.0, 100.0, 0.0},
      {"36,5", "41,5", "5", none, none, 5.0},
      {"36.0", "inf", "nan", none, none, none},
      {"", "", "x", none, none, none},
      {"+", "-", "5 ", none, none, none},
      {"123456789012345", "1", "1", 123456789012345.0, 1.0, 1.0},
      {"1234567890123456", "1", "1", none, 1.0, 1.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.typedText) + " " + c.sumText + " " + c.anotherText);
    const RowOf record({{"ageNowText", c.typedText},
                        {"sameAgePlusAnotherYearAge", c.sumText},
                        {"anotherYearAge", c.anotherText}});
    const RecordFigures figures = readAges(record.row);
    EXPECT_EQ(figures.typedAge, c.typedAge);
    EXPECT_EQ(figures.sum, c.sum);
    EXPECT_EQ(figures.another, c.another);
    EXPECT_FALSE(figures.runDay);  // left to the caller
  }
}

TEST(QualityRules, TellsAsciiAndMissingLikeText) {
  // A byte of 0x80 or above at every place of texts of every length up to 20.
  for (size_t size = 0; size <= 20; ++size) {
    const std::string plain(size, 'a');
    EXPECT_TRUE(isAscii(plain)) << size;
    for (size_t place = 0; place < size; ++place) {
      std::string text = plain;
      text[place] = '\xC3';
      EXPECT_FALSE(isAscii(text)) << size << " at " << place;
    }
  }
  const struct {
    const char* text;
    bool missing;
  } cases[] = {{"", true},       {"NA", true},  {"n/a", true},   {"None", true},
               {"NONE", true},   {"-", true},   {"nan", false},  {"Non", false},
               {"nonE ", false}, {"--", false}, {"n\xC1", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(isMissingLike(c.text), c.missing) << c.text;
  }
}

}  // namespace
}  // namespace survey::testing
