// The command line, the files read in turn, and the rows written in large blocks.
#include "export/exporter.h"

#include <memory>

#include "export/record_parser.h"
#include "export/row_writers.h"
#include "records/record_file.h"

namespace survey {
namespace {

constexpr const char* kProgram = "survey-export";
constexpr size_t kReadBlock = 256 * 1024;
constexpr size_t kWriteBlock = 1 << 20;
constexpr const char* kStandardInputName = "(standard input)";

const char kHelp[] =
    "Usage: survey-export [OPTION]... [FILE]...\n"
    "Write the records of survey record files to standard output as a table, one row per\n"
    "record: CSV (RFC 4180) or JSON Lines.\n"
    "\n"
    "With no FILE, read datas.dat in the working directory; several FILEs are read in turn.\n"
    "A FILE of - is standard input.\n"
    "\n"
    "      --format=FORMAT  csv (the default) or jsonl\n"
    "      --help           display this help and exit\n"
    "      --version        output version information and exit\n"
    "\n"
    "Columns: file, line, runDate, runTime, entryDate, entryTime, the answers by their\n"
    "field names, anotherYearAge and sameAgePlusAnotherYearAge.\n"
    "\n"
    "A record that does not match the record layout, and lines outside any record, are\n"
    "reported on standard error with their file and line numbers and skipped.\n"
    "\n"
    "Exit status: 0 if every record was exported, 1 if anything was skipped,\n"
    "2 if a file could not be read, output failed or the arguments were wrong.\n";

enum class Format { kCsv, kJsonLines };

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

class Exporter : public RecordSink {
 public:
  Exporter(Env& env, Format format) : env_(env), format_(format) {
    out_.reserve(kWriteBlock + 64 * 1024);
    if (format_ == Format::kCsv) appendCsvHeader(&out_);
  }

  void exportFile(const std::string& path) {
    name_ = path == "-" ? kStandardInputName : path;
    std::unique_ptr<SequentialFile> file;
    if (path == "-") {
      file = std::make_unique<StandardInputFile>(env_.input());
    } else if (Status opened = env_.files().openForReading(path, &file); !opened.ok()) {
      fileFailed(opened);
      return;
    }
    if (!block_) block_ = std::make_unique<char[]>(kReadBlock);
    RecordParser parser(name_, *this);
    for (;;) {
      size_t count = 0;
      if (Status read = file->read(block_.get(), kReadBlock, &count); !read.ok()) {
        fileFailed(read);
        return;
      }
      if (count == 0) break;
      parser.feed(std::string_view(block_.get(), count));
      if (!output_.ok()) return;
    }
    parser.finish();
  }

  // Writes what is left and gives the exit status.
  int finish() {
    flush();
    if (!output_.ok()) {
      report(std::string("standard output: ") + output_.reason());
      return 2;
    }
    return status_;
  }

  bool outputFailed() const { return !output_.ok(); }

  void record(const ExportRow& row) override {
    if (format_ == Format::kCsv) {
      appendCsvRow(row, &out_);
    } else {
      appendJsonLine(row, &out_);
    }
    if (out_.size() >= kWriteBlock) flush();
  }

  void skipped(const SkippedLines& lines) override {
    std::string where = std::to_string(lines.firstLine);
    if (lines.lastLine != lines.firstLine) where += "-" + std::to_string(lines.lastLine);
    report(name_ + ":" + where + ": " + std::string(lines.message));
    if (status_ < 1) status_ = 1;
  }

 private:
  void fileFailed(const Status& status) {
    report(name_ + ": " + status.reason());
    status_ = 2;
  }

  void report(const std::string& message) {
    env_.errors().write(std::string(kProgram) + ": " + message + "\n");
  }

  void flush() {
    if (output_.ok() && !out_.empty()) output_ = env_.output().write(out_);
    out_.clear();
  }

  Env& env_;
  Format format_;
  std::string out_;
  Status output_;
  int status_ = 0;
  std::string name_;  // of the file being read
  std::unique_ptr<char[]> block_;
};

int usageError(Env& env, const std::string& message) {
  env.errors().write(std::string(kProgram) + ": " + message + "\nTry '" + kProgram +
                     " --help' for more information.\n");
  return 2;
}

int writeAndExit(Env& env, std::string_view text) {
  Status written = env.output().write(text);
  if (written.ok()) return 0;
  env.errors().write(std::string(kProgram) + ": standard output: " + written.reason() + "\n");
  return 2;
}

}  // namespace

int runExport(Env& env, const std::vector<std::string>& args, std::string_view version) {
  Format format = Format::kCsv;
  std::vector<std::string> paths;
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!options || arg.size() < 2 || arg[0] != '-') {
      paths.push_back(arg);
    } else if (arg == "--") {
      options = false;
    } else if (arg == "--help") {
      return writeAndExit(env, kHelp);
    } else if (arg == "--version") {
      return writeAndExit(env, std::string(kProgram) + " (survey) " + std::string(version) + "\n");
    } else if (arg == "--format" || arg.compare(0, 9, "--format=") == 0) {
      std::string value;
      if (arg.size() > 8) {
        value = arg.substr(9);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return usageError(env, "option '--format' requires an argument");
      }
      if (value == "csv") {
        format = Format::kCsv;
      } else if (value == "jsonl") {
        format = Format::kJsonLines;
      } else {
        return usageError(env, "invalid format '" + value + "' (csv or jsonl)");
      }
    } else {
      return usageError(env, "unrecognized option '" + arg + "'");
    }
  }
  if (paths.empty()) paths.push_back(kRecordFileName);

  Exporter exporter(env, format);
  for (const std::string& path : paths) {
    exporter.exportFile(path);
    if (exporter.outputFailed()) break;
  }
  return exporter.finish();
}

}  // namespace survey
