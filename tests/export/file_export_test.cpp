// One file exported in chunks by several workers gives what one parser reading it whole gives.
#include "export/file_export.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "export/chunk_reader.h"
#include "export/memory_blocks.h"
#include "export/read_whole.h"
#include "export/record_parser.h"
#include "export/sample_records.h"
#include "records/record_layout.h"

namespace survey::testing {
namespace {

// The file read from start to end, or at offsets; each read gives at most `readSize` bytes.
ExportResult exportInChunks(const std::string& bytes, size_t blockSize, size_t readSize,
                            size_t workers, bool atOffsets) {
  MemoryFileSystem files;
  files.files["f.dat"] = bytes;
  files.readChunk = readSize;
  MemoryBlocks blocks(files, "f.dat", blockSize, atOffsets);
  FakeOutput output;
  FakeOutput errors;
  BlockWriter rows(output);
  FileExport fileExport(*blocks.source, "f.dat", ExportFormat::kCsv, rows, errors);
  fileExport.run(workers);
  rows.flush();
  return ExportResult{output.text, errors.text, fileExport.status()};
}

SurveyAnswers answersNamed(const std::string& name) {
  SurveyAnswers answers = trickyAnswers();
  answers.firstName = name;
  return answers;
}

// Stretches of record files, good and bad, to be strung together.
std::vector<std::string> pieces() {
  const std::string record = recordOf(answersNamed("Ada"));
  const size_t firstLineEnd = record.find('\n') + 1;
  std::string edited = recordOf(answersNamed("Bo"));
  edited.replace(edited.find("Candidate Name"), 9, "Kandidate");
  std::string badDate = recordOf(answersNamed("Cy"), LocalTime{31, 10, 126, 9, 30});
  std::string longLine = recordOf(answersNamed("Di"));
  longLine.insert(longLine.find("Candidate Name"), std::string(70000, 'x'));
  return {
      record,
      withCrLf(recordOf(answersNamed("Eve"))),
      record.substr(0, firstLineEnd),             // a first line alone
      record.substr(0, record.find("Your Age")),  // cut short
      "junk\n\n",
      edited,
      badDate,
      longLine,
      std::string(70000, 'y') + "\n",
      withCrLf(record.substr(0, firstLineEnd)) + record.substr(firstLineEnd),
  };
}

// Files of the pieces in many orders, some ending inside a line.
std::vector<std::string> files() {
  const std::vector<std::string> all = pieces();
  std::vector<std::string> files;
  std::mt19937 random(20261208);
  for (int i = 0; i < 12; ++i) {
    std::string file;
    for (int n = 0; n < 14; ++n) file += all[random() % all.size()];
    if (i % 3 == 1) file.resize(file.size() - 1 - random() % 200);
    files.push_back(file);
  }
  std::string plain;
  for (int n = 0; n < 60; ++n) plain += all[0];
  files.push_back(plain);
  return files;
}

TEST(FileExport, GivesWhatOneParserReadingTheWholeFileGives) {
  const struct {
    size_t blockSize, readSize, workers;
  } ways[] = {
      {1, 1, 1},      {97, 1 << 20, 1},    {97, 13, 3},           {3000, 1 << 20, 2},
      {4096, 700, 4}, {65536, 1 << 20, 2}, {1 << 20, 1 << 20, 4},
  };
  for (const std::string& file : files()) {
    const ExportResult whole = readWhole(file, "f.dat");
    for (const auto& way : ways) {
      if (way.blockSize == 1 && file.size() > 200000) continue;  // one read a byte: too slow
      for (bool atOffsets : {false, true}) {
        ExportResult chunked =
            exportInChunks(file, way.blockSize, way.readSize, way.workers, atOffsets);
        SCOPED_TRACE("block " + std::to_string(way.blockSize) + ", reads of " +
                     std::to_string(way.readSize) + ", " + std::to_string(way.workers) +
                     " workers" + (atOffsets ? ", at offsets" : ""));
        EXPECT_EQ(chunked.rows, whole.rows);
        EXPECT_EQ(chunked.reports, whole.reports);
        EXPECT_EQ(chunked.status, whole.status);
      }
    }
  }
}

// Chunks are cut at record starts, which is sound only if a record's first line starts a
// record wherever it turns up, even inside another record.
TEST(FileExport, AFirstLineStartsARecordAfterAnyLineOfAnother) {
  const std::string record = recordOf(answersNamed("Ada"));
  const std::string firstLine = record.substr(0, record.find('\n') + 1);
  size_t lineEnd = 0;
  for (size_t lines = 1; lines < kRecordLineCount; ++lines) {
    lineEnd = record.find('\n', lineEnd) + 1;
    const ExportResult result = readWhole(record.substr(0, lineEnd) + record, "f.dat");
    const std::string where = lines == 1 ? "1" : "1-" + std::to_string(lines);
    EXPECT_EQ(result.reports, "survey-export: f.dat:" + where +
                                  ": record skipped: cut short after " + std::to_string(lines) +
                                  " of 35 lines by a new record at line " +
                                  std::to_string(lines + 1) + "\n");
    EXPECT_EQ(result.rows.find("f.dat," + std::to_string(lines + 1) + ","), 0u) << lines;
  }
  EXPECT_EQ(findLastRecordStart(firstLine), std::string_view::npos);
}

TEST(FileExport, FindsTheLastWholeRecordStartAfterTheFirstByte) {
  const std::string record = recordOf(answersNamed("Ada"));
  const std::string firstLine = record.substr(0, record.find('\n') + 1);
  const struct {
    std::string bytes;
    size_t start;
  } cases[] = {
      {"", std::string_view::npos},
      {record, std::string_view::npos},
      {record + record, record.size()},
      {record + record + firstLine.substr(0, 20), record.size()},
      {record + firstLine.substr(0, firstLine.size() - 1), std::string_view::npos},
      {"x\n" + withCrLf(firstLine) + "y", 2},
      {"x" + firstLine, std::string_view::npos},
  };
  for (const auto& c : cases) EXPECT_EQ(findLastRecordStart(c.bytes), c.start) << c.bytes.size();
}

// Sizes about the vector counter's steps (32 and 128 bytes) and rounds (63 steps), and the
// scalar counter's stretches (240 bytes); all line ends fill every lane of a round.
TEST(FileExport, CountsLineEndsInEveryStretch) {
  for (auto count : {countLineEnds, countLineEndsPlain}) {
    for (size_t size : {0, 1, 31, 127, 128, 129, 239, 240, 241, 8063, 8064, 8065, 20000}) {
      for (size_t every : {1, 3}) {
        std::string bytes(size, 'a');
        uint64_t expected = 0;
        for (size_t at = 0; at < size; at += every) {
          bytes[at] = '\n';
          ++expected;
        }
        EXPECT_EQ(count(bytes), expected) << size << " every " << every;
      }
    }
  }
}

}  // namespace
}  // namespace survey::testing
