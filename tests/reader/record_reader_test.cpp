// Reading records back: records written by the program's record writer, and what breaks them.
#include "reader/record_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "console/number_format.h"
#include "export/read_whole.h"
#include "export/row_text.h"
#include "export/sample_records.h"
#include "platform/code_page.h"
#include "records/record_layout.h"

namespace survey::testing {
namespace {

struct Collected : RecordSink {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> skips;  // "first-last: message"

  void record(const RecordRow& row) override {
    rows.emplace_back(std::begin(row.fields), std::end(row.fields));
  }
  void skipped(const SkippedLines& lines) override {
    skips.push_back(std::to_string(lines.firstLine) + "-" + std::to_string(lines.lastLine) + ": " +
                    std::string(lines.message));
  }
};

constexpr size_t kWhole = std::numeric_limits<size_t>::max();

Collected parse(std::string_view bytes, size_t piece = kWhole) {
  Collected collected;
  RecordReader parser("datas.dat", collected);
  while (!bytes.empty()) {
    size_t size = std::min(piece, bytes.size());
    feed(parser, bytes.substr(0, size));
    bytes.remove_prefix(size);
  }
  parser.finish();
  return collected;
}

std::string column(const std::vector<std::string>& row, std::string_view name) {
  const auto* at = std::find(std::begin(kColumnNames), std::end(kColumnNames), name);
  EXPECT_NE(at, std::end(kColumnNames)) << name;
  return at == std::end(kColumnNames) ? "" : row[static_cast<size_t>(at - kColumnNames)];
}

// The row a record of `answers` made at 21:05 on 7 December 2026 and starting at `line` gives.
void expectRowOf(const SurveyAnswers& answers, const std::vector<std::string>& row, uint64_t line) {
  ASSERT_EQ(row.size(), kColumnCount);
  EXPECT_EQ(column(row, "file"), "datas.dat");
  EXPECT_EQ(column(row, "line"), std::to_string(line));
  EXPECT_EQ(column(row, "runDate"), "2026-12-07");
  EXPECT_EQ(column(row, "runTime"), "21:05");
  for (const TextAnswer& answer : kTextAnswers) {
    EXPECT_EQ(column(row, answer.name), answers.*answer.field) << answer.name;
  }
  EXPECT_EQ(column(row, "anotherYearAge"), formatReal(answers.anotherYearAge));
  EXPECT_EQ(column(row, "sameAgePlusAnotherYearAge"),
            formatReal(answers.sameAge + answers.anotherYearAge));
}

SurveyAnswers plainAnswers(const std::string& name) {
  SurveyAnswers answers = trickyAnswers();
  answers.firstName = name;
  return answers;
}

// Three records, of "One", "Two" and "Three", on lines 1, 36 and 71.
std::string threeRecords() {
  return recordOf(plainAnswers("One")) + recordOf(plainAnswers("Two")) +
         recordOf(plainAnswers("Three"));
}

std::vector<std::string> firstNames(const Collected& collected) {
  std::vector<std::string> names;
  for (const auto& row : collected.rows) names.push_back(column(row, "firstName"));
  return names;
}

// Where line `line` (from 1) of `text` begins.
size_t lineStart(const std::string& text, size_t line) {
  size_t at = 0;
  while (--line > 0) at = text.find('\n', at) + 1;
  return at;
}

// `text` with the first `from` after `at` replaced by `to`.
std::string edited(std::string text, size_t at, std::string_view from, std::string_view to) {
  size_t found = text.find(from, at);
  EXPECT_NE(found, std::string::npos) << from;
  return found == std::string::npos ? text : text.replace(found, from.size(), to);
}

TEST(RecordReader, GivesBackTheTypedAnswersInPiecesOfAnySize) {
  const SurveyAnswers answers = trickyAnswers();
  const std::string record = recordOf(answers);
  for (size_t piece : {size_t{1}, size_t{2}, size_t{7}, size_t{100}, size_t{4096}, kWhole}) {
    SCOPED_TRACE(piece);
    Collected collected = parse(record + record, piece);
    EXPECT_EQ(collected.skips, std::vector<std::string>{});
    ASSERT_EQ(collected.rows.size(), 2u);
    expectRowOf(answers, collected.rows[0], 1);
    expectRowOf(answers, collected.rows[1], 36);
  }
}

TEST(RecordReader, ReadsFiguresAndStartTimesAsTheProgramWritesThem) {
  const struct {
    double sameAge, anotherYearAge;
    LocalTime time;
    const char *runDate, *runTime;
  } cases[] = {
      {30, 5, {7, 11, 126, 21, 5}, "2026-12-07", "21:05"},
      {-2.5, 0.125, {1, 0, 100, 0, 0}, "2000-01-01", "00:00"},
      {1e7, 123456.5, {29, 1, 124, 12, 59}, "2024-02-29", "12:59"},
      {0.0001, -0.00001, {31, 6, 99, 11, 1}, "1999-07-31", "11:01"},
      {std::numeric_limits<double>::infinity(),
       std::numeric_limits<double>::quiet_NaN(),
       {15, 3, 126, 23, 30},
       "2026-04-15",
       "23:30"},
  };
  for (const auto& c : cases) {
    SurveyAnswers answers = trickyAnswers();
    answers.sameAge = c.sameAge;
    answers.anotherYearAge = c.anotherYearAge;
    const std::string record = recordOf(answers, c.time);
    SCOPED_TRACE(record.substr(record.find(" Your Age In"), 60));
    Collected collected = parse(record);
    EXPECT_EQ(collected.skips, std::vector<std::string>{});
    ASSERT_EQ(collected.rows.size(), 1u);
    EXPECT_EQ(column(collected.rows[0], "anotherYearAge"), formatReal(c.anotherYearAge));
    EXPECT_EQ(column(collected.rows[0], "sameAgePlusAnotherYearAge"),
              formatReal(c.sameAge + c.anotherYearAge));
    EXPECT_EQ(column(collected.rows[0], "runDate"), c.runDate);
    EXPECT_EQ(column(collected.rows[0], "runTime"), c.runTime);
  }
  // One file, each start time twice in a row: a parser reading one record after another,
  // remembering what the records of a run share, still reads each.
  std::string file;
  for (const auto& c : cases) {
    file += recordOf(trickyAnswers(), c.time) + recordOf(trickyAnswers(), c.time);
  }
  Collected collected = parse(file);
  ASSERT_EQ(collected.rows.size(), 2 * std::size(cases));
  for (size_t i = 0; i < collected.rows.size(); ++i) {
    EXPECT_EQ(column(collected.rows[i], "runDate"), cases[i / 2].runDate) << i;
    EXPECT_EQ(column(collected.rows[i], "runTime"), cases[i / 2].runTime) << i;
  }
}

TEST(RecordReader, TakesCrLfLineEndsLineByLine) {
  const std::string lf = threeRecords();
  const std::string crlf = withCrLf(lf);
  // The middle record's lines alternate between the two.
  std::string mixed = recordOf(plainAnswers("One"));
  const std::string middle = recordOf(plainAnswers("Two"));
  for (size_t start = 0, line = 0; start < middle.size(); ++line) {
    size_t end = middle.find('\n', start) + 1;
    std::string text = middle.substr(start, end - start);
    mixed += line % 2 == 0 ? withCrLf(text) : text;
    start = end;
  }
  mixed += withCrLf(recordOf(plainAnswers("Three")));
  for (const std::string& file : {crlf, mixed}) {
    for (size_t piece : {size_t{1}, size_t{5}, kWhole}) {
      Collected collected = parse(file, piece);
      EXPECT_EQ(collected.skips, std::vector<std::string>{});
      EXPECT_EQ(firstNames(collected), (std::vector<std::string>{"One", "Two", "Three"}));
      EXPECT_EQ(collected.rows, parse(lf).rows);
    }
  }
}

// A last line without its line end is read as if it had one; a last record cut short is skipped.
TEST(RecordReader, ReadsALastLineWithoutLineEndAndSkipsATruncatedLastRecord) {
  const std::string file = threeRecords();
  const struct {
    size_t keep;
    const char* skipped;  // none: the last record is read
  } cases[] = {
      {file.size() - 1, nullptr},
      {lineStart(file, 90),
       "71-89: record skipped: cut short after 19 of 35 lines by the end of the file"},
      {lineStart(file, 73),
       "71-72: record skipped: cut short after 2 of 35 lines by the end of the file"},
      {lineStart(file, 105),
       "71-104: record skipped: cut short after 34 of 35 lines by the end of the file"},
      {lineStart(file, 90) + 10,
       "71-90: record skipped: line 90 (record line 20) has no line end (the file ends inside "
       "it)"},
  };
  for (const auto& c : cases) {
    for (size_t piece : {size_t{3}, kWhole}) {
      Collected collected = parse(file.substr(0, c.keep), piece);
      const std::vector<std::string> all = {"One", "Two", "Three"};
      EXPECT_EQ(firstNames(collected),
                std::vector<std::string>(all.begin(), all.end() - (c.skipped ? 1 : 0)));
      EXPECT_EQ(collected.skips,
                c.skipped ? std::vector<std::string>{c.skipped} : std::vector<std::string>{});
    }
  }
}

TEST(RecordReader, SkipsAnEditedRecordAndGoesOn) {
  const std::string file = threeRecords();
  const size_t second = lineStart(file, 36);
  const struct {
    std::string from, to, skipped;
  } cases[] = {
      {" Candidate Name :: ", " Candidate name :: ",
       "36-70: record skipped: line 43 (record line 8) does not match the layout"},
      {"Amara N. Okafor", "Amara N Okafor", "36-70: lines skipped: not part of a record"},
      {"Two O\"Brien,Jr", "Two O\"Brien, Jr",
       "36-70: record skipped: line 43 (record line 8) has an answer that is not one word"},
      {"Two O\"Brien,Jr", "Two O\"Brien,\xC3",
       "36-70: record skipped: line 43 (record line 8) has an answer that is not valid UTF-8"},
      {"Two O\"Brien,Jr", "Two ",
       "36-70: record skipped: line 43 (record line 8) has an answer that is not one word"},
      {"Two O\"Brien,Jr", "Two " + std::string(5000, 'x'),
       "36-70: record skipped: line 43 (record line 8) has an answer longer than the program "
       "keeps"},
      {"Will Be :: 35 .", "Will Be :: 035 .",
       "36-70: record skipped: line 52 (record line 17) has a figure that the program does not "
       "write so"},
      {"Will Be :: 35 .", "Will Be :: 35.0 .",
       "36-70: record skipped: line 52 (record line 17) has a figure that the program does not "
       "write so"},
      {"Is :: 5 x 5 = 25", "Is :: 5 x 6 = 25",
       "36-70: record skipped: line 62 (record line 27) shows a figure unlike its other lines"},
      {"Is :: 5 x 5 = 25", "Is :: 5 x 55 = 25",
       "36-70: record skipped: line 62 (record line 27) shows a figure unlike its other lines"},
      {"09:05 PM", "13:05 PM",
       "36-70: record skipped: line 65 (record line 30) has a start date or time that the program "
       "does not write so"},
      {"Is 7 December", "Is 07 December",
       "36-70: record skipped: line 65 (record line 30) has a start date or time that the program "
       "does not write so"},
      {"Is 7 December", "Is 31 November",
       "36-70: record skipped: line 65 (record line 30) has a start date that does not exist"},
      {"\n\n", "\n \n",
       "36-70: record skipped: line 66 (record line 31) does not match the layout"},
      {"Country Is :: Nigeria\n", "Country Is :: Nigeria\r\r\n",
       "36-70: record skipped: line 60 (record line 25) does not match the layout"},
      // Inside and at the ends of runs of lines that hold fixed text only.
      {"Copyright", "Copyleft",
       "36-70: record skipped: line 37 (record line 2) does not match the layout"},
      {"E.Mail", "EMail",
       "36-70: record skipped: line 40 (record line 5) does not match the layout"},
      {"Department Of", "Department of",
       "36-70: record skipped: line 70 (record line 35) does not match the layout"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.to.substr(0, 40));
    for (size_t piece : {size_t{3}, kWhole}) {
      Collected collected = parse(edited(file, second, c.from, c.to), piece);
      EXPECT_EQ(firstNames(collected), (std::vector<std::string>{"One", "Three"}));
      EXPECT_EQ(collected.skips, std::vector<std::string>{c.skipped});
    }
  }
}

// A start date with no day, in the first record a parser reads: nothing read before stands in.
TEST(RecordReader, SkipsAStartDateWithoutADay) {
  const std::string file = threeRecords();
  Collected collected = parse(edited(file, 0, "Is 7 December", "Is  December"));
  EXPECT_EQ(firstNames(collected), (std::vector<std::string>{"Two", "Three"}));
  EXPECT_EQ(collected.skips,
            std::vector<std::string>{"1-35: record skipped: line 30 (record line 30) has a start "
                                     "date or time that the program does not write so"});
}

// Every byte of the middle record changed in turn, fixed texts and values alike: the record is
// skipped or its row shows the change. Only the products and sums (record lines 27 and 28 after
// " = "), which are checked as figures but not exported, may change unseen. The last line end
// stays: the third record needs it to begin.
TEST(RecordReader, NoticesAnyByteChangedInARecord) {
  const std::string file = threeRecords();
  const size_t second = lineStart(file, 36), third = lineStart(file, 71);
  const std::vector<std::string> original = parse(file).rows.at(1);
  const size_t unexportedFrom[] = {file.find(" = ", lineStart(file, 62)),
                                   file.find(" = ", lineStart(file, 63))};
  for (size_t at = second; at + 1 < third; ++at) {
    bool unexported = false;
    for (size_t from : unexportedFrom) unexported |= at > from && at < file.find('\n', from);
    if (unexported) continue;
    std::string changed = file;
    changed[at] = changed[at] == 'Z' ? 'Y' : 'Z';
    Collected collected = parse(changed);
    std::vector<std::string> names = firstNames(collected);
    ASSERT_GE(names.size(), 2u) << at - second;
    EXPECT_EQ(names.front(), "One") << at - second;
    EXPECT_EQ(names.back(), "Three") << at - second;
    if (names.size() == 3) {
      EXPECT_NE(collected.rows[1], original) << at - second;
    }
  }
}

TEST(RecordReader, ReportsLinesOutsideRecordsTogether) {
  const std::string one = recordOf(plainAnswers("One"));
  const std::string two = recordOf(plainAnswers("Two"));
  const std::string fiveLinesOfTwo = two.substr(0, lineStart(two, 6));
  Collected collected = parse("junk\n\n" + one + "\n" + fiveLinesOfTwo + one + "tail", 4);
  EXPECT_EQ(firstNames(collected), (std::vector<std::string>{"One", "One"}));
  EXPECT_EQ(
      collected.skips,
      (std::vector<std::string>{
          "1-2: lines skipped: not part of a record", "38-38: line skipped: not part of a record",
          "39-43: record skipped: cut short after 5 of 35 lines by a new record at line 44",
          "79-79: line skipped: not part of a record"}));
}

// A record's first line starts a record wherever it turns up, even after any line of another.
TEST(RecordReader, AFirstLineStartsARecordAfterAnyLineOfAnother) {
  const std::string record = recordOf(plainAnswers("One"));
  size_t lineEnd = 0;
  for (size_t lines = 1; lines < kRecordLineCount; ++lines) {
    lineEnd = record.find('\n', lineEnd) + 1;
    Collected collected = parse(record.substr(0, lineEnd) + record);
    EXPECT_EQ(collected.skips, std::vector<std::string>{"1-" + std::to_string(lines) +
                                                        ": record skipped: cut short after " +
                                                        std::to_string(lines) +
                                                        " of 35 lines by a new record at "
                                                        "line " +
                                                        std::to_string(lines + 1)});
    ASSERT_EQ(collected.rows.size(), 1u);
    EXPECT_EQ(column(collected.rows[0], "line"), std::to_string(lines + 1));
  }
}

TEST(RecordReader, KeepsNoMoreThanOneLineOfAnOverlongLine) {
  const std::string one = recordOf(plainAnswers("One"));
  std::string file = one;
  file.insert(file.find(" Candidate Name"), std::string(3 * RecordReader::kMaxLineLength, 'x'));
  file += one;
  for (size_t piece : {size_t{1000}, kWhole}) {
    Collected collected = parse(file, piece);
    EXPECT_EQ(firstNames(collected), (std::vector<std::string>{"One"}));
    EXPECT_EQ(collected.skips,
              std::vector<std::string>{"1-35: record skipped: line 8 (record line 8) is too long"});
  }
}

// Records good and bad, whatever the bytes put in at once and wherever the buffer fills up.
TEST(RecordReader, ReadsTheSameWhateverTheBlockSize) {
  const std::string file = threeRecords();
  const std::string mixed = "junk\n" + withCrLf(recordOf(plainAnswers("Four"))) +
                            edited(file, 0, "Will Be :: 35 .", "Will Be :: 035 .") +
                            file.substr(0, lineStart(file, 20) + 10);
  const ExportResult whole = readWhole(mixed, "datas.dat");
  ASSERT_EQ(std::count(whole.rows.begin(), whole.rows.end(), '\n'), 3);        // Four, Two, Three
  ASSERT_EQ(std::count(whole.reports.begin(), whole.reports.end(), '\n'), 4);  // and the summary
  for (size_t block : {size_t{1}, size_t{5}, size_t{300}, size_t{4096}}) {
    for (size_t piece : {size_t{7}, kWhole}) {
      SCOPED_TRACE("block " + std::to_string(block) + ", piece " + std::to_string(piece));
      const ExportResult result = readInPieces(mixed, "datas.dat", piece, block);
      EXPECT_EQ(result.rows, whole.rows);
      EXPECT_EQ(result.reports, whole.reports);
    }
  }
}

// Reads the bytes from 0xFC as characters that CSV quotes or JSON escapes, as a code page
// unlike ASCII might; the other bytes as Latin-1.
class QuotingCodePage : public CodePage {
 public:
  bool toUtf8(std::string_view bytes, std::string* out) override {
    for (char c : bytes) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x80) {
        out->push_back(c);
      } else if (byte >= 0xfc) {
        out->push_back("\x1b\\,\""[byte - 0xfc]);
      } else {
        out->push_back(static_cast<char>(0xc0 | byte >> 6));
        out->push_back(static_cast<char>(0x80 | (byte & 0x3f)));
      }
    }
    return true;
  }
};

// Whether a value is quoted or escaped goes by the text written, not by the bytes read.
TEST(RecordReader, QuotesAndEscapesAnswersAsTheCodePageReadsThem) {
  struct Written : RecordSink {
    std::string csv, json;
    void record(const RecordRow& row) override {
      appendCsvRow(row, &csv);
      appendJsonLine(row, &json);
    }
    void skipped(const SkippedLines&) override { ADD_FAILURE() << "a record skipped"; }
  } written;
  QuotingCodePage codePage;
  RecordReader parser("datas.dat", written);
  parser.readOtherAnswersIn(&codePage);
  SurveyAnswers answers = plainAnswers(
      "A\xff\xfe\xfd\xfc"
      "B");
  answers.surname = "\xe9t\xe9";
  feed(parser, recordOf(answers));
  parser.finish();
  EXPECT_NE(written.csv.find(",\"A\"\",\\\x1b"
                             "B\",\xc3\xa9t\xc3\xa9,"),
            std::string::npos)
      << written.csv;
  EXPECT_NE(
      written.json.find("\"firstName\":\"A\\\",\\\\\\u001bB\",\"surname\":\"\xc3\xa9t\xc3\xa9\","),
      std::string::npos)
      << written.json;
}

TEST(RecordReader, AnEmptyFileHasNothing) {
  Collected collected = parse("");
  EXPECT_TRUE(collected.rows.empty());
  EXPECT_TRUE(collected.skips.empty());
}

}  // namespace
}  // namespace survey::testing
