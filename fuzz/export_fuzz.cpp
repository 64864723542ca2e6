// Exporting an arbitrary record file in chunks, by one worker or several, read from start to
// end or at offsets, with reads and blocks of any size: the rows, the reports and the status are
// what one parser reading the whole file at once gives.
#include <cstdint>
#include <string>

#include "export/file_export.h"
#include "export/memory_blocks.h"
#include "export/read_whole.h"
#include "fuzz_check.h"
#include "support/fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey;
  using namespace survey::fuzzing;
  Feed feed = splitFeed(data, size);
  testing::MemoryFileSystem files;
  files.files["f.dat"] = std::string(feed.bytes);
  files.readChunk = feed.chunk;
  // Blocks from a few bytes, so that chunks end at every kind of place.
  const size_t blockSize = feed.chunk > 16 ? feed.chunk : 7 * feed.chunk + 50;
  testing::MemoryBlocks blocks(files, "f.dat", blockSize, size > 0 && (data[0] & 0x20) != 0);
  testing::FakeOutput output;
  testing::FakeOutput errors;
  BlockWriter rows(output);
  FileExport fileExport(*blocks.source, "f.dat", ExportFormat::kCsv, rows, errors);
  fileExport.run(feed.flag ? 3 : 1);
  rows.flush();

  const testing::ExportResult whole = testing::readWhole(feed.bytes, "f.dat");
  FUZZ_CHECK(output.text == whole.rows, "the rows");
  FUZZ_CHECK(errors.text == whole.reports, "the reports");
  FUZZ_CHECK(fileExport.status() == whole.status, "the status");
  return 0;
}
