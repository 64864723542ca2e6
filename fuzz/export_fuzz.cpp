// An arbitrary record file fed to the parser in pieces of any size through blocks of any size,
// and exported by survey-export from a file or from standard input in reads of any size: the
// rows, the reports and the status are those of one parser fed the whole file at once.
#include <cstdint>
#include <string>

#include "export/exporter.h"
#include "export/read_whole.h"
#include "export/row_writers.h"
#include "fuzz_check.h"
#include "support/fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey;
  using namespace survey::fuzzing;
  Feed feed = splitFeed(data, size);
  // Blocks from a few bytes, so that the buffer fills up at every kind of place.
  const size_t blockSize = size > 1 ? 1 + data[1] % 64 : 1;
  const std::string name = feed.flag ? "(standard input)" : "f.dat";
  const testing::ExportResult whole = testing::readWhole(feed.bytes, name);

  const testing::ExportResult pieces =
      testing::readInPieces(feed.bytes, name, feed.chunk, blockSize);
  FUZZ_CHECK(pieces.rows == whole.rows, "the rows, in pieces");
  FUZZ_CHECK(pieces.reports == whole.reports, "the reports, in pieces");
  FUZZ_CHECK(pieces.status == whole.status, "the status, in pieces");

  testing::FakeEnv env("");
  env.memoryFiles().files["f.dat"] = std::string(feed.bytes);
  env.memoryFiles().readChunk = feed.chunk;
  env.fakeInput() = testing::FakeInput(std::string(feed.bytes), feed.chunk);
  int status = runExport(env, {feed.flag ? "-" : "f.dat"});
  std::string header;
  appendCsvHeader(&header);
  FUZZ_CHECK(env.fakeOutput().text == header + whole.rows, "the rows, exported");
  FUZZ_CHECK(env.fakeErrors().text == whole.reports, "the reports, exported");
  FUZZ_CHECK(status == whole.status, "the status, exported");
  return 0;
}
