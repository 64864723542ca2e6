// The command line, each file read in turn from start to end, and the rows written in blocks.
#include "export/exporter.h"

#include <algorithm>
#include <memory>

#include "console/program_info.h"
#include "export/record_parser.h"
#include "export/row_writers.h"
#include "platform/page_buffer.h"
#include "records/record_file.h"

namespace survey {
namespace {

constexpr const char* kProgram = "survey-export";
constexpr const char* kStandardInputName = "(standard input)";

constexpr const char kHelp[] =
    "Usage: survey-export [OPTION]... [FILE]...\n"
    "Write the records of survey record files to standard output as a table, one row\n"
    "per record: CSV (RFC 4180) or JSON Lines.\n"
    "\n"
    "With no FILE, read datas.dat in the working directory; several FILEs are read in\n"
    "turn. A FILE of - is standard input.\n"
    "\n"
    "      --format=FORMAT  csv (the default) or jsonl\n"
    "      --help           display this help and exit\n"
    "      --version        output version information and exit\n"
    "\n"
    "Columns: file, line, runDate, runTime, entryDate, entryTime, the answers by\n"
    "their field names, anotherYearAge and sameAgePlusAnotherYearAge.\n"
    "\n"
    "A record that does not match the record layout, and lines outside any record,\n"
    "are reported on standard error with their file and line numbers and skipped.\n"
    "\n"
    "Exit status: 0 if every record was exported, 1 if anything was skipped,\n"
    "2 if a file could not be read, output failed or the arguments were wrong.\n";

// Standard input as a file; the console input does not tell an error from the end.
class StandardInputFile : public SequentialFile {
 public:
  explicit StandardInputFile(ConsoleInput& input) : input_(input) {}
  Status read(char* buffer, size_t capacity, size_t* count) override {
    *count = input_.read(buffer, capacity);
    return Status();
  }

 private:
  ConsoleInput& input_;
};

// Each file read in turn from start to end, its rows written in place into one block, which goes
// to standard output once the next row may not fit; reports go to standard error as they come.
// Once a write fails, nothing more is written or read.
class Exporter : public RecordSink {
 public:
  Exporter(Env& env, bool csv) : env_(env), csv_(csv) {
    if (!csv_) return;
    std::string header;
    appendCsvHeader(&header);
    used_ =
        static_cast<size_t>(std::copy(header.begin(), header.end(), block_.data()) - block_.data());
  }

  // A block at a time, from the file or, for "-", standard input.
  void exportFile(const std::string& path) {
    name_ = path == "-" ? kStandardInputName : path;
    std::unique_ptr<SequentialFile> file;
    if (path == "-") {
      file = std::make_unique<StandardInputFile>(env_.input());
    } else if (Status opened = env_.files().openForReading(path, &file); !opened.ok()) {
      return fail(opened);
    }
    RecordParser parser(name_, *this);
    while (written_.ok()) {
      size_t capacity = 0;
      char* to = parser.room(&capacity);
      size_t count = 0;
      if (Status read = file->read(to, capacity, &count); !read.ok()) return fail(read);
      if (count == 0) return parser.finish();
      parser.filled(count);
    }
  }

  void record(const ExportRow& row) override {
    size_t bound = csv_ ? csvRowBound(row) : jsonLineBound(row);
    if (used_ + bound > block_.size()) flush();
    if (bound > block_.size()) {  // answers of thousands of bytes, escaped
      std::unique_ptr<char[]> large(new char[bound]);
      char* end = csv_ ? writeCsvRow(row, large.get()) : writeJsonLine(row, large.get());
      return write(std::string_view(large.get(), static_cast<size_t>(end - large.get())));
    }
    char* to = block_.data() + used_;
    used_ =
        static_cast<size_t>((csv_ ? writeCsvRow(row, to) : writeJsonLine(row, to)) - block_.data());
  }

  void skipped(const SkippedLines& lines) override {
    std::string where = std::to_string(lines.firstLine);
    if (lines.lastLine != lines.firstLine) where += "-" + std::to_string(lines.lastLine);
    report(name_ + ":" + where + ": " + std::string(lines.message));
    status_ = std::max(status_, 1);
  }

  bool outputFailed() const { return !written_.ok(); }

  // Writes what is left and gives the exit status.
  int finish() {
    flush();
    if (written_.ok()) return status_;
    report("standard output: " + written_.reason());
    return 2;
  }

 private:
  // Rows go out in writes this large: few system calls, from a block that stays in the cache.
  static constexpr size_t kBlockSize = 256 * 1024;

  void fail(const Status& status) {
    report(name_ + ": " + status.reason());
    status_ = 2;
  }
  void report(const std::string& text) {
    env_.errors().write(std::string(kProgram) + ": " + text + "\n");
  }
  void flush() {
    write(std::string_view(block_.data(), used_));
    used_ = 0;
  }
  void write(std::string_view bytes) {
    if (written_.ok() && !bytes.empty()) written_ = env_.output().write(bytes);
  }

  Env& env_;
  const bool csv_;
  std::string name_;
  PageBuffer block_{kBlockSize};
  size_t used_ = 0;
  Status written_;
  int status_ = 0;
};

int usageError(Env& env, const std::string& message) {
  env.errors().write(std::string(kProgram) + ": " + message + "\nTry '" + kProgram +
                     " --help' for more information.\n");
  return 2;
}

const ProgramInfo kExportProgram = {kProgram, kHelp, /*failureStatus=*/2};

}  // namespace

int runExport(Env& env, const std::vector<std::string>& args) {
  int status = 0;
  if (answerInformationOption({args.begin(), args.end()}, kExportProgram, env.output(),
                              env.errors(), &status)) {
    return status;
  }
  bool csv = true;
  std::vector<std::string> paths;
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!options || arg.size() < 2 || arg[0] != '-') {
      paths.push_back(arg);
    } else if (arg == "--") {
      options = false;
    } else if (arg == "--format" || arg.compare(0, 9, "--format=") == 0) {
      std::string value;
      if (arg.size() > 8) {
        value = arg.substr(9);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return usageError(env, "option '--format' requires an argument");
      }
      if (value != "csv" && value != "jsonl") {
        return usageError(env, "invalid format '" + value + "' (csv or jsonl)");
      }
      csv = value == "csv";
    } else {
      return usageError(env, "unrecognized option '" + arg + "'");
    }
  }
  if (paths.empty()) paths.emplace_back(kRecordFileName);

  Exporter exporter(env, csv);
  for (const std::string& path : paths) {
    exporter.exportFile(path);
    if (exporter.outputFailed()) break;
  }
  return exporter.finish();
}

}  // namespace survey
