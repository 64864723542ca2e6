// Micro-benchmarks of the hot paths: number formatting, the three readers of typed input,
// the listing's byte filter, the rendering of the summary and the record, and the export's
// parsing and row writing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "answer_maker.h"
#include "console/console_stream.h"
#include "console/input_reader.h"
#include "console/number_format.h"
#include "console/start_clock.h"
#include "export/row_writers.h"
#include "questionnaire/summary.h"
#include "reader/record_reader.h"
#include "records/byte_scan.h"
#include "records/listing_scan.h"
#include "records/record_listing.h"
#include "records/record_writer.h"

namespace survey {
namespace {

// Typed input that never ends: the same text over and over.
class EndlessInput : public ConsoleInput {
 public:
  explicit EndlessInput(std::string text) : text_(std::move(text)) {}
  size_t read(char* buffer, size_t capacity) override {
    size_t count = std::min(capacity, text_.size() - position_);
    text_.copy(buffer, count, position_);
    position_ = (position_ + count) % text_.size();
    return count;
  }

 private:
  std::string text_;
  size_t position_ = 0;
};

class NullOutput : public ConsoleOutput {
 public:
  Status write(std::string_view bytes) override {
    benchmark::DoNotOptimize(bytes.data());
    return Status();
  }
};

SurveyAnswers sampleAnswers() {
  SurveyAnswers a{"Ada",
                  "Okafor",
                  "Lagos",
                  "10-12-1990",
                  "36",
                  36,
                  37.5,
                  "Community-Learning-Centre",
                  "Market-Street",
                  "Grace-Mensah",
                  "River-Works",
                  "Green-Plaza",
                  "North-Works",
                  "Public-Library",
                  "2500",
                  "Hills-Plaza",
                  "Valley-Public-School",
                  "2026-12-08",
                  "09:00",
                  "Lagos",
                  "River-Valley",
                  "Yoruba",
                  "Nigeria"};
  return a;
}

StartClock sampleClock() {
  LocalTime time{7, 11, 126, 21, 5};
  return StartClock{time, formatTimeLine(time)};
}

void formatRealBench(benchmark::State& state) {
  const double values[] = {25, 8.3333333, 0.5, 1234567, 0.00001, -37.5, 1406.25, 12.3333};
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(formatReal(values[i++ % 8]));
  }
}
BENCHMARK(formatRealBench);

void readWholeNumberBench(benchmark::State& state) {
  EndlessInput input("12 -1 0x1F 017 2147483647 7\n1\n");
  InputReader reader(input, nullptr);
  int value = 0;
  NumberText text;
  for (auto _ : state) {
    reader.readWholeNumber(&value, &text);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(readWholeNumberBench);

void readRealBench(benchmark::State& state) {
  EndlessInput input("36\n37.5\n-2.5e3\n0.00001\n1406.25\n");
  InputReader reader(input, nullptr);
  double value = 0;
  NumberText text;
  for (auto _ : state) {
    reader.readReal(&value, &text);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(readRealBench);

void readWordBench(benchmark::State& state) {
  EndlessInput input("Ada\nOkafor\nCommunity-Learning-Centre Market-Street\n2026-12-08\n09:00\n");
  InputReader reader(input, nullptr);
  std::string word;
  bool cut = false;
  for (auto _ : state) {
    reader.readWord(&word, &cut);
    benchmark::DoNotOptimize(word.data());
  }
}
BENCHMARK(readWordBench);

// A 128 KiB piece of a record file: plain, written on Windows, or with control characters.
std::string listingBlock(int kind) {
  std::string records;
  const std::string record = buildRecord(answerLookup(sampleAnswers()), sampleClock());
  while (records.size() < 128 * 1024) records += record;
  records.resize(128 * 1024);
  std::string block;
  for (size_t i = 0; i < records.size(); ++i) {
    if (kind == 1 && records[i] == '\n') block.push_back('\r');
    if (kind == 2 && i % 97 == 0) block.push_back('\x1b');
    block.push_back(records[i]);
  }
  return block;
}

void listingFilterBench(benchmark::State& state) {
  const std::string block = listingBlock(static_cast<int>(state.range(0)));
  ListingFilter filter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(filter.filter(block).data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * block.size()));
}
BENCHMARK(listingFilterBench)->ArgName("plain0_crlf1_control2")->Arg(0)->Arg(1)->Arg(2);

// The byte-set scan behind the listing and the record reader, in each vector width (where the
// processor has it) and without.
void markBytesBench(benchmark::State& state) {
  const std::string block = listingBlock(0);
  constexpr ByteSet kControls = ByteSet::of([](int c) { return needsAttention(c); });
  std::vector<uint64_t> bits(block.size() / 64 + 1);
  const auto width = static_cast<ScanWidth>(state.range(0));
  for (auto _ : state) {
    markBytesUpTo(width, kControls, block.data(), block.size(), bits.data());
    benchmark::DoNotOptimize(bits.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * block.size()));
}
BENCHMARK(markBytesBench)->ArgName("plain0_sse1_avx2")->Arg(0)->Arg(1)->Arg(2);

void buildRecordBench(benchmark::State& state) {
  const SurveyAnswers answers = sampleAnswers();
  const StartClock clock = sampleClock();
  for (auto _ : state) {
    benchmark::DoNotOptimize(buildRecord(answerLookup(answers), clock));
  }
}
BENCHMARK(buildRecordBench);

void showSummaryBench(benchmark::State& state) {
  const SurveyAnswers answers = sampleAnswers();
  NullOutput sink;
  ConsoleStream stream(sink, false);
  for (auto _ : state) {
    showSummary(stream, answers);
  }
}
BENCHMARK(showSummaryBench);

// Rows written in turn into one reused buffer, as the export writes them: not at all, as CSV,
// or as JSON Lines.
class RowBufferSink : public RecordSink {
 public:
  explicit RowBufferSink(int format) : format_(format), buffer_(64 * 1024) {}
  void record(const RecordRow& row) override {
    ++rows_;
    if (format_ == 0) return;
    size_t bound = format_ == 1 ? csvRowBound(row) : jsonLineBound(row);
    if (bound > buffer_.size()) buffer_.resize(bound);
    char* end =
        format_ == 1 ? writeCsvRow(row, false, buffer_.data()) : writeJsonLine(row, buffer_.data());
    benchmark::DoNotOptimize(end);
  }
  void skipped(const SkippedLines&) override { ++skipped_; }
  size_t rows() const { return rows_; }

 private:
  int format_;
  std::vector<char> buffer_;
  size_t rows_ = 0;
  size_t skipped_ = 0;
};

// A 1 MiB piece of a record file, whole records of varied answers as in the benchmark's
// file, fed again and again to one parser, which reads it as a file of such pieces, and written
// as rows. The parser copies each piece into its buffer, as a read would.
void exportRecordsBench(benchmark::State& state) {
  std::string records;
  AnswerMaker maker(20261207);
  while (records.size() < 1024 * 1024)
    records += buildRecord(answerLookup(maker.next()), sampleClock());
  RowBufferSink sink(static_cast<int>(state.range(0)));
  RecordReader parser("datas.dat", sink);
  for (auto _ : state) {
    for (std::string_view rest = records; !rest.empty();) {
      size_t capacity = 0;
      char* to = parser.room(&capacity);
      const size_t count = std::min(capacity, rest.size());
      std::memcpy(to, rest.data(), count);
      parser.filled(count);
      rest.remove_prefix(count);
    }
  }
  parser.finish();
  if (sink.rows() == 0) state.SkipWithError("no rows exported");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * records.size()));
}
BENCHMARK(exportRecordsBench)->ArgName("parse0_csv1_jsonl2")->Arg(0)->Arg(1)->Arg(2);

}  // namespace
}  // namespace survey

BENCHMARK_MAIN();
