// The whole tool in-process: arguments, files in turn, both formats, reports and exit status.
#include "export/exporter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/input_reader.h"
#include "export/csv_table.h"
#include "export/sample_records.h"

namespace survey::testing {
namespace {

void appendUtf8(uint32_t codePoint, std::string* out) {
  if (codePoint < 0x80) {
    out->push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out->push_back(static_cast<char>(0xC0 | codePoint >> 6));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | codePoint >> 12));
    out->push_back(static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | codePoint >> 18));
    out->push_back(static_cast<char>(0x80 | (codePoint >> 12 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

// JSON Lines of flat objects whose values are strings or whole numbers (kept as their digits).
Table decodeJsonLines(std::string_view text) {
  Table table;
  size_t at = 0;
  auto expectByte = [&](char c) {
    EXPECT_EQ(text.substr(at, 1), std::string(1, c)) << "at byte " << at;
    ++at;
  };
  auto hex = [&](size_t from) {
    return std::stoul(std::string(text.substr(from, 4)), nullptr, 16);
  };
  auto string = [&] {
    std::string value;
    expectByte('"');
    while (at < text.size() && text[at] != '"') {
      if (text[at] != '\\') {
        value.push_back(text[at++]);
        continue;
      }
      char escaped = text[at + 1];
      at += 2;
      const std::string simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
      if (escaped != 'u') {
        value.push_back(meaning[simple.find(escaped)]);
        continue;
      }
      uint32_t codePoint = static_cast<uint32_t>(hex(at));
      at += 4;
      if (codePoint >= 0xD800 && codePoint < 0xDC00) {
        codePoint =
            0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<uint32_t>(hex(at + 2)) - 0xDC00);
        at += 6;
      }
      appendUtf8(codePoint, &value);
    }
    expectByte('"');
    return value;
  };
  while (at < text.size()) {
    table.emplace_back();
    expectByte('{');
    while (at < text.size() && text[at] != '}') {
      std::string key = string();
      expectByte(':');
      if (text[at] == '"') {
        table.back()[key] = string();
      } else {
        size_t end = text.find_first_not_of("0123456789", at);
        table.back()[key] = std::string(text.substr(at, end - at));
        at = end;
      }
      if (text[at] == ',') ++at;
    }
    expectByte('}');
    expectByte('\n');
  }
  return table;
}

int run(FakeEnv& env, const std::vector<std::string>& args) { return runExport(env, args); }

SurveyAnswers answersOf(const std::string& name) {
  SurveyAnswers answers = trickyAnswers();
  answers.firstName = name;
  return answers;
}

TEST(Exporter, ReadsSeveralFilesInTurn) {
  FakeEnv env("");
  env.memoryFiles().files["north/datas.dat"] =
      recordOf(answersOf("Ada")) + recordOf(answersOf("Bo"));
  env.memoryFiles().files["south,east.dat"] = withCrLf(recordOf(answersOf("Cy")));
  env.memoryFiles().readChunk = 1000;
  EXPECT_EQ(run(env, {"north/datas.dat", "south,east.dat"}), 0);
  EXPECT_EQ(env.fakeErrors().text,
            "survey-export: north/datas.dat: 2 records exported\n"
            "survey-export: south,east.dat: 1 record exported\n");
  Table table = decodeCsv(env.fakeOutput().text);
  ASSERT_EQ(table.size(), 3u);
  const char* const expected[][3] = {{"north/datas.dat", "1", "Ada"},
                                     {"north/datas.dat", "36", "Bo"},
                                     {"south,east.dat", "1", "Cy"}};
  for (size_t row = 0; row < 3; ++row) {
    EXPECT_EQ(table[row]["file"], expected[row][0]);
    EXPECT_EQ(table[row]["line"], expected[row][1]);
    EXPECT_EQ(table[row]["firstName"], expected[row][2]);
  }
}

TEST(Exporter, CsvAndJsonLinesCarryTheSameValues) {
  FakeEnv env("");
  std::string file = recordOf(trickyAnswers());
  for (double age : {0.5, 1e7, -3.0}) {
    SurveyAnswers answers = trickyAnswers();
    answers.anotherYearAge = age;
    file += recordOf(answers, LocalTime{29, 1, 124, 0, 7});
  }
  env.memoryFiles().files["a \"b\",c\\.dat"] = file;
  ASSERT_EQ(run(env, {"a \"b\",c\\.dat"}), 0);
  const std::string csv = env.fakeOutput().text;
  env.fakeOutput().text.clear();
  ASSERT_EQ(run(env, {"--format=jsonl", "a \"b\",c\\.dat"}), 0);
  Table fromCsv = decodeCsv(csv);
  Table fromJson = decodeJsonLines(env.fakeOutput().text);
  ASSERT_EQ(fromCsv.size(), 4u);
  EXPECT_EQ(fromJson, fromCsv);
  // And they are what was typed.
  const SurveyAnswers typed = trickyAnswers();
  for (const TextAnswer& answer : kTextAnswers) {
    EXPECT_EQ(fromJson[0][std::string(answer.name)], typed.*answer.field) << answer.name;
  }
  EXPECT_EQ(fromJson[0]["file"], "a \"b\",c\\.dat");
  EXPECT_EQ(fromJson[3]["runDate"], "2024-02-29");
  EXPECT_EQ(fromJson[3]["runTime"], "00:07");
  EXPECT_EQ(fromJson[2]["anotherYearAge"], "1e+007");
}

TEST(Exporter, ReportsSkippedRecordsAndEndsWithOne) {
  FakeEnv env("");
  const std::string good = recordOf(answersOf("Ada"));
  env.memoryFiles().files["datas.dat"] = good + good.substr(0, 500);
  EXPECT_EQ(run(env, {}), 1);
  EXPECT_EQ(decodeCsv(env.fakeOutput().text).size(), 1u);
  EXPECT_EQ(env.fakeErrors().text,
            "survey-export: datas.dat:36-43: record skipped: line 43 (record line 8) has no line "
            "end (the file ends inside it)\n"
            "survey-export: datas.dat: 1 record exported, 1 skipped\n");
}

TEST(Exporter, NamesAFileThatCannotBeReadAndGoesOnWithTheRest) {
  FakeEnv env("");
  env.memoryFiles().files["good.dat"] = recordOf(answersOf("Ada"));
  env.memoryFiles().files["short.dat"] = "junk\n";
  env.memoryFiles().directories.insert("folder");
  EXPECT_EQ(run(env, {"missing.dat", "short.dat", "folder", "good.dat"}), 2);
  EXPECT_EQ(env.fakeErrors().text,
            "survey-export: missing.dat: No such file or directory\n"
            "survey-export: short.dat:1: line skipped: not part of a record\n"
            "survey-export: folder: Is a directory\n"
            "survey-export: short.dat: 0 records exported, 1 line outside any record skipped\n"
            "survey-export: good.dat: 1 record exported\n");
  Table table = decodeCsv(env.fakeOutput().text);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0]["file"], "good.dat");
}

TEST(Exporter, NamesAFileWhoseReadFailsWithoutCallingItsRecordCutShort) {
  const std::string record = recordOf(answersOf("Ada"));
  FakeEnv env("");
  MemoryFileSystem& files = env.memoryFiles();
  files.files["a.dat"] = files.files["b.dat"] = record + record;
  // Each file's reads give 100 bytes at a time and fail past the first record.
  files.readChunk = 100;
  std::map<std::string, size_t> reads;
  files.failWhen = [&](const char* step, const std::string& path) {
    return std::string_view(step) == "readAt" && ++reads[path] > (record.size() + 500) / 100;
  };
  EXPECT_EQ(run(env, {"a.dat", "b.dat"}), 2);
  EXPECT_EQ(env.fakeErrors().text,
            "survey-export: a.dat: Input/output error\n"
            "survey-export: b.dat: Input/output error\n"
            "survey-export: a.dat: 1 record exported; the read stopped at an error\n"
            "survey-export: b.dat: 1 record exported (1 of them duplicates of earlier records); "
            "the read stopped at an error\n");
  Table table = decodeCsv(env.fakeOutput().text);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0]["file"], "a.dat");
  EXPECT_EQ(table[1]["file"], "b.dat");
}

TEST(Exporter, ReadsStandardInputForADash) {
  FakeEnv env(recordOf(answersOf("Ada")));
  env.memoryFiles().files["-x"] = recordOf(answersOf("Bo"));
  EXPECT_EQ(run(env, {"--format", "jsonl", "-", "--", "-x"}), 0);
  Table table = decodeJsonLines(env.fakeOutput().text);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0]["file"], "(standard input)");
  EXPECT_EQ(table[0]["firstName"], "Ada");
  EXPECT_EQ(table[1]["file"], "-x");
}

// Every answer as long as the program keeps, full of bytes that JSON escapes: a row larger than
// the block that rows are written into, between two ordinary rows.
TEST(Exporter, WritesRowsOfTheLongestAnswers) {
  SurveyAnswers longest = trickyAnswers();
  for (const TextAnswer& answer : kTextAnswers) {
    longest.*answer.field = std::string(InputReader::kWordLimit - 1, '"') + "Z";
  }
  FakeEnv env("");
  env.memoryFiles().files["datas.dat"] =
      recordOf(answersOf("Ada")) + recordOf(longest) + recordOf(answersOf("Bo"));
  for (const char* format : {"csv", "jsonl"}) {
    SCOPED_TRACE(format);
    env.fakeOutput().text.clear();
    ASSERT_EQ(run(env, {std::string("--format=") + format}), 0);
    Table table = format == std::string("csv") ? decodeCsv(env.fakeOutput().text)
                                               : decodeJsonLines(env.fakeOutput().text);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0]["firstName"], "Ada");
    for (const TextAnswer& answer : kTextAnswers) {
      EXPECT_EQ(table[1][std::string(answer.name)], longest.*answer.field) << answer.name;
    }
    EXPECT_EQ(table[2]["firstName"], "Bo");
  }
}

TEST(Exporter, WritesInLargeBlocksAndReportsAFailedOutput) {
  FakeEnv env("");
  std::string file;
  for (int i = 0; i < 5000; ++i) file += recordOf(answersOf("N" + std::to_string(i)));
  env.memoryFiles().files["datas.dat"] = file;
  EXPECT_EQ(run(env, {}), 0);
  EXPECT_EQ(decodeCsv(env.fakeOutput().text).size(), 5000u);
  // Every write but the last carries at least 64 KiB.
  EXPECT_LE(env.fakeOutput().writes, env.fakeOutput().text.size() / (64 * 1024) + 1);

  FakeEnv full("");
  full.memoryFiles().files["datas.dat"] = file;
  full.fakeOutput().failAfter = 0;
  EXPECT_EQ(run(full, {}), 2);
  EXPECT_EQ(full.fakeErrors().text, "survey-export: standard output: No space left on device\n");
  EXPECT_EQ(full.fakeOutput().writes, 1);
}

TEST(Exporter, AnswersHelpAndVersionAndRefusesWrongArguments) {
  FakeEnv help("");
  EXPECT_EQ(run(help, {"--help", "--bogus"}), 0);
  EXPECT_EQ(help.fakeOutput().text.rfind("Usage: survey-export [OPTION]... [FILE]...\n", 0), 0u);
  EXPECT_NE(help.fakeOutput().text.find("--format=FORMAT"), std::string::npos);

  FakeEnv version("");
  EXPECT_EQ(run(version, {"--version"}), 0);
  EXPECT_EQ(version.fakeOutput().text.substr(0, version.fakeOutput().text.find('\n')),
            "survey-export (survey) " SURVEY_EXPECTED_VERSION);

  const struct {
    std::vector<std::string> args;
    const char* error;
  } wrong[] = {
      {{"--bogus"}, "unrecognized option '--bogus'"},
      {{"-f", "csv"}, "unrecognized option '-f'"},
      {{"--format"}, "option '--format' requires an argument"},
      {{"--format=xml"}, "invalid format 'xml' (csv, jsonl, sqlite, dta or sav)"},
  };
  for (const auto& c : wrong) {
    FakeEnv env("");
    EXPECT_EQ(run(env, c.args), 2);
    EXPECT_EQ(env.fakeOutput().text, "");
    EXPECT_EQ(env.fakeErrors().text, std::string("survey-export: ") + c.error +
                                         "\nTry 'survey-export --help' for more information.\n");
  }
}

}  // namespace
}  // namespace survey::testing
