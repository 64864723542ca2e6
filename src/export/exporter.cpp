// The command line, the files read in turn, and the rows written in large blocks.
#include "export/exporter.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "export/file_export.h"
#include "export/row_writers.h"
#include "records/record_file.h"

namespace survey {
namespace {

constexpr const char* kProgram = "survey-export";
constexpr size_t kReadBlock = 1024 * 1024;
constexpr size_t kMostWorkers = 4;
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

// Up to four workers, one to a processor.
size_t workerCount() {
  return std::clamp<size_t>(std::thread::hardware_concurrency(), 1, kMostWorkers);
}

class Exporter {
 public:
  Exporter(Env& env, ExportFormat format) : env_(env), format_(format), rows_(env.output()) {
    if (format_ == ExportFormat::kCsv) {
      std::string header;
      appendCsvHeader(&header);
      rows_.append(header);
    }
  }

  void exportFile(const std::string& path) {
    std::string name = path == "-" ? kStandardInputName : path;
    // Standard input may be a terminal, whose reads wait for the user: one worker reads it.
    // A file is read at offsets, by all the workers at once.
    std::unique_ptr<SequentialFile> input;
    std::unique_ptr<RandomAccessFile> file;
    std::unique_ptr<BlockSource> blocks;
    size_t workers = workerCount();
    if (path == "-") {
      input = std::make_unique<StandardInputFile>(env_.input());
      blocks = std::make_unique<SequentialBlocks>(*input, kReadBlock);
      workers = 1;
    } else if (Status opened = env_.files().openForRandomReading(path, &file); opened.ok()) {
      blocks = std::make_unique<PositionalBlocks>(*file, kReadBlock);
    } else {
      env_.errors().write(std::string(kProgram) + ": " + name + ": " + opened.reason() + "\n");
      status_ = 2;
      return;
    }
    FileExport fileExport(*blocks, name, format_, rows_, env_.errors());
    fileExport.run(workers);
    status_ = std::max(status_, fileExport.status());
  }

  // Writes what is left and gives the exit status.
  int finish() {
    rows_.flush();
    if (!rows_.status().ok()) {
      env_.errors().write(std::string(kProgram) + ": standard output: " + rows_.status().reason() +
                          "\n");
      return 2;
    }
    return status_;
  }

  bool outputFailed() const { return !rows_.status().ok(); }

 private:
  Env& env_;
  ExportFormat format_;
  BlockWriter rows_;
  int status_ = 0;
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
  ExportFormat format = ExportFormat::kCsv;
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
        format = ExportFormat::kCsv;
      } else if (value == "jsonl") {
        format = ExportFormat::kJsonLines;
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
