// survey-report over whole files: the sections of the text page and the exit status.
#include <gtest/gtest.h>

#include <algorithm>

#include "export/csv_table.h"
#include "export/export_run.h"
#include "export/exporter.h"
#include "export/reporter.h"
#include "export/sample_records.h"
#include "reader/record_row.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

// survey-report on files given by name and content, named in that order.
Exported reportOn(const std::vector<std::pair<std::string, std::string>>& files,
                  std::vector<std::string> args = {}) {
  for (const auto& file : files) args.push_back(file.first);
  return runOnFiles(runReport, files, args);
}

// The lines from the title line to the blank line that ends its section.
std::string section(const std::string& page, const std::string& title) {
  const size_t start = page.find("\n" + title + "\n");
  if (start == std::string::npos) return "(no section " + title + ")";
  const size_t end = page.find("\n\n", start + 1);
  return page.substr(start + 1, end == std::string::npos ? std::string::npos : end - start);
}

SurveyAnswers answersWith(const std::string& language, const std::string& age, double sameAge) {
  SurveyAnswers answers = trickyAnswers();
  answers.tribalLanguage = language;
  answers.ageNowText = age;
  answers.sameAge = sameAge;
  answers.anotherYearAge = 5;
  return answers;
}

class SurveyReport : public ::testing::Test {
 protected:
  void SetUp() override {
    const LocalTime monday{7, 11, 126, 9, 0}, tuesday{8, 11, 126, 9, 0};
    north_ = recordOf(answersWith("Hausa", "36", 36), monday) +
             recordOf(answersWith("HAUSA", "36,5", 36.5), monday) +
             recordOf(answersWith("Yoruba", "NA", 41), tuesday);
    south_ = recordOf(answersWith("Hausa", "7", 30), tuesday) + "stray line\n";
    run_ = reportOn({{"north.dat", north_}, {"south.dat", south_}});
  }
  std::string north_, south_;
  Exported run_;
};

TEST_F(SurveyReport, CountsRecordsPerFileAndRunDate) {
  EXPECT_EQ(run_.status, 1) << run_.err;  // the stray line is skipped
  EXPECT_NE(run_.err.find("south.dat:36:"), std::string::npos) << run_.err;
  EXPECT_EQ(run_.out.substr(0, run_.out.find('\n')), "Survey report: 2 files, 4 records");
  EXPECT_SAME_TEXT(section(run_.out, "Records per file"),
                   "Records per file\n"
                   "  north.dat ############################## 3\n"
                   "  south.dat ##########                     1\n"
                   "    skipped: 1\n");
  EXPECT_SAME_TEXT(section(run_.out, "Records per run date"),
                   "Records per run date\n"
                   "  2026-12-07 ############################## 2\n"
                   "  2026-12-08 ############################## 2\n");
}

TEST_F(SurveyReport, GroupsSpellingsAndCountsMissingLikeAnswers) {
  EXPECT_SAME_TEXT(section(run_.out, "Answers: tribalLanguage"),
                   "Answers: tribalLanguage\n"
                   "  Hausa        ############################## 3\n"
                   "    spellings: Hausa 2, HAUSA 1\n"
                   "  Yoruba       ##########                     1\n"
                   "  missing-like (empty, NA, N/A, None, -): 0\n");
  EXPECT_SAME_TEXT(section(run_.out, "Answers: ageNowText"),
                   "Answers: ageNowText\n"
                   "  36           ############################## 1\n"
                   "  36,5         ############################## 1\n"
                   "  7            ############################## 1\n"
                   "  missing-like (empty, NA, N/A, None, -): 1\n");
}

TEST_F(SurveyReport, DrawsTheAgesInDecades) {
  const std::string typed = section(run_.out, "Typed ages (ageNowText)");
  EXPECT_NE(typed.find("  0-9      ############################## 1\n"), std::string::npos)
      << typed;
  EXPECT_NE(typed.find("  30-39    ############################## 1\n"), std::string::npos)
      << typed;
  EXPECT_NE(typed.find("  not a number: 1\n"), std::string::npos) << typed;
  const std::string same =
      section(run_.out, "Same ages (sameAgePlusAnotherYearAge - anotherYearAge)");
  EXPECT_NE(same.find("  30-39    ############################## 3\n"), std::string::npos) << same;
  EXPECT_NE(same.find("  40-49    ##########                     1\n"), std::string::npos) << same;
}

TEST_F(SurveyReport, CountsTheFindingsByRuleAndLocatesTheFirst) {
  const std::string findings = section(run_.out, "Findings of survey-export --check");
  EXPECT_NE(findings.find("  not-a-number: 1\n    north.dat:36 ageNowText 36,5\n"),
            std::string::npos)
      << findings;
  EXPECT_NE(findings.find("  age-mismatch: 1\n    south.dat:1 ageNowText 7\n"), std::string::npos)
      << findings;
}

// A spelling's findings are counted every time it comes, not only the first.
TEST(SurveyReportFindings, CountsAnAnswerFoundFaultyEveryTimeItComes) {
  SurveyAnswers faulty = trickyAnswers();
  faulty.firstName = "Jose\xCC\x81";
  faulty.surname = "Okaf?r";
  faulty.dateOfBirth = "1990-02-30";
  std::string records;
  for (int copy = 0; copy < 3; ++copy) {
    faulty.placeOfBirth = "Site" + std::to_string(copy);  // three sets of answers
    records += recordOf(faulty);
  }
  const std::string findings =
      section(reportOn({{"north.dat", records}}).out, "Findings of survey-export --check");
  for (const char* count : {"  not-a-date: 3\n", "  replaced-letter: 3\n", "  unnormalised: 3\n"}) {
    EXPECT_NE(findings.find(count), std::string::npos) << count << findings;
  }
}

// The rows of every HTML table as "column|value|count|kind", in order.
std::vector<std::string> htmlRows(const std::string& page) {
  std::vector<std::string> rows;
  std::string column;
  auto attribute = [&](size_t from, const std::string& name) {
    const size_t start = page.find(name + "=\"", from) + name.size() + 2;
    return page.substr(start, page.find('"', start) - start);
  };
  for (size_t at = 0; (at = page.find('<', at)) != std::string::npos; ++at) {
    if (page.compare(at, 7, "<table ") == 0) column = attribute(at, "data-column");
    if (page.compare(at, 4, "<tr ") == 0) {
      rows.push_back(column + "|" + attribute(at, "data-value") + "|" +
                     attribute(at, "data-count") + "|" + attribute(at, "data-kind"));
    }
  }
  return rows;
}

TEST_F(SurveyReport, HtmlTablesCarryTheTextReportsNumbers) {
  const Exported html = reportOn({{"north.dat", north_}, {"south.dat", south_}}, {"--format=html"});
  EXPECT_EQ(html.status, 1);
  const std::vector<std::string> rows = htmlRows(html.out);
  // Each answer column's value rows are the text report's bar lines, in order.
  for (const char* column : {"tribalLanguage", "ageNowText", "country"}) {
    SCOPED_TRACE(column);
    std::string fromHtml;
    for (const std::string& row : rows) {
      const size_t bar = row.find('|'), second = row.find('|', bar + 1),
                   third = row.find('|', second + 1);
      if (row.substr(0, bar) != column || row.substr(third + 1) != "value") continue;
      fromHtml += row.substr(bar + 1, second - bar - 1) + " " +
                  row.substr(second + 1, third - second - 1) + "\n";
    }
    std::string fromText;
    const std::string text = section(run_.out, std::string("Answers: ") + column);
    for (size_t at = text.find('\n') + 1; at < text.size(); at = text.find('\n', at) + 1) {
      const std::string line = text.substr(at, text.find('\n', at) - at);
      if (line.find('#') == std::string::npos) continue;
      const size_t valueEnd = line.find(' ', 2);
      fromText += line.substr(2, valueEnd - 2) + " " + line.substr(line.rfind(' ') + 1) + "\n";
    }
    EXPECT_FALSE(fromText.empty());
    EXPECT_SAME_TEXT(fromHtml, fromText);
  }
  EXPECT_NE(std::find(rows.begin(), rows.end(), "tribalLanguage||0|missing-like"), rows.end());
  EXPECT_NE(std::find(rows.begin(), rows.end(), "typedAge||1|not-a-number"), rows.end());
  EXPECT_NE(std::find(rows.begin(), rows.end(), "rule|not-a-number|1|value"), rows.end());
}

TEST(SurveyReportHtml, IsOneFileWithAChartBesideEveryTableAndValuesEscaped) {
  SurveyAnswers answers = trickyAnswers();
  answers.country = "<script>alert(1)</script>&\"";
  const Exported html = reportOn({{"north.dat", recordOf(answers)}}, {"--format", "html"});
  ASSERT_EQ(html.status, 0) << html.err;
  for (const char* outside : {"http:", "https:", "src=", "href=", "url(", "@import", "<script"}) {
    EXPECT_EQ(html.out.find(outside), std::string::npos) << outside;
  }
  EXPECT_NE(html.out.find("content=\"default-src 'none'; style-src 'unsafe-inline'\""),
            std::string::npos);
  EXPECT_NE(html.out.find("data-value=\"&lt;script&gt;alert(1)&lt;/script&gt;&amp;&quot;\""),
            std::string::npos);
  size_t charts = 0, tables = 0, sections = 0;
  for (size_t at = 0; (at = html.out.find('<', at)) != std::string::npos; ++at) {
    charts += html.out.compare(at, 5, "<svg ") == 0 ? 1 : 0;
    tables += html.out.compare(at, 19, "<table data-column=") == 0 ? 1 : 0;
    sections += html.out.compare(at, 9, "<section>") == 0 ? 1 : 0;
  }
  EXPECT_EQ(sections, 2 + 21 + 2 + 1u);  // files, run dates, answers, ages, findings
  EXPECT_EQ(charts, sections);
  EXPECT_EQ(tables, sections);
  // An escape byte in an answer is shown as its control picture (U+241B).
  EXPECT_NE(html.out.find("Esc\xE2\x90\x9B[1m"), std::string::npos);
}

TEST(SurveyReportCodebook, EndsThePageInTextAndHtml) {
  FakeEnv env("");
  ASSERT_EQ(runExport(env, {"--codebook"}), 0) << env.fakeErrors().text;
  Table codebook = decodeCsv(env.fakeOutput().text);
  ASSERT_EQ(codebook.size(), std::size(kColumnNames));
  const std::string north = recordOf(trickyAnswers());
  const Exported text = reportOn({{"north.dat", north}});
  const Exported html = reportOn({{"north.dat", north}}, {"--format", "html"});
  const size_t textStart = text.out.find("\nCodebook: what each column holds\n");
  const size_t htmlStart = html.out.find("<table class=\"codebook\">");
  ASSERT_NE(textStart, std::string::npos) << text.out;
  ASSERT_NE(htmlStart, std::string::npos);
  EXPECT_LT(text.out.find("\nFindings of survey-export --check\n"), textStart);
  for (auto& row : codebook) {
    SCOPED_TRACE(row["column"]);
    // Text: a line of its own per column, with its type, prompt texts and note.
    const size_t line = text.out.find("\n  " + row["column"] + ": " + row["type"], textStart);
    ASSERT_NE(line, std::string::npos);
    const std::string shown = text.out.substr(line, text.out.find('\n', line + 1) - line);
    EXPECT_NE(shown.find(row["promptText"]), std::string::npos) << shown;
    EXPECT_NE(shown.find(row["note"]), std::string::npos) << shown;
    // HTML: a row whose cells are the codebook's, in its order.
    EXPECT_NE(html.out.find("<tr><td>" + row["column"] + "</td><td>" + row["prompt"] + "</td>",
                            htmlStart),
              std::string::npos);
  }
}

TEST(SurveyReportOptions, RefusesWhatItDoesNotKnow) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"--format", "pdf"}, "invalid format 'pdf' (html or text)"},
      {{"--format"}, "option '--format' requires an argument"},
      {{"--encoding=no-such-code-page"}, "unknown encoding"},
      {{"--colour"}, "unrecognized option '--colour'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const Exported run = reportOn({}, c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace survey::testing
