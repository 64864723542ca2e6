// The command line, each file read in turn from start to end, and the rows written in blocks.
#include "export/exporter.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>

#include "console/characters.h"
#include "console/program_info.h"
#include "export/codebook.h"
#include "export/export_reports.h"
#include "export/record_parser.h"
#include "export/row_writers.h"
#include "platform/code_page.h"
#include "platform/page_buffer.h"
#include "records/record_file.h"

namespace survey {
namespace {

constexpr const char* kProgram = "survey-export";
constexpr const char* kStandardInputName = "(standard input)";
// The notice of a wait for a program that is writing the file, as the survey program words it.
constexpr const char* kBusy = " is busy (";
constexpr const char* kWaiting = "); waiting for it";

constexpr const char kHelp[] =
    "Usage: survey-export [OPTION]... [FILE]...\n"
    "Write the records of survey record files to standard output as a table,\n"
    "one row per record: CSV (RFC 4180) or JSON Lines.\n"
    "\n"
    "With no FILE, read datas.dat in the working directory; several FILEs are\n"
    "read in turn. A FILE of - is standard input.\n"
    "\n"
    "      --format=FORMAT    csv (the default) or jsonl\n"
    "      --encoding=NAME    read answers that are not UTF-8 in the code page\n"
    "                         NAME (cp850, cp437, cp1252, ...); output is UTF-8\n"
    "      --unique           leave out records identical to an earlier one\n"
    "      --safe-cells       put ' before CSV values that a spreadsheet would\n"
    "                         take for a formula (=, +, -, @, tab, CR)\n"
    "      --codebook         write what each column holds, not the records\n"
    "      --help             display this help and exit\n"
    "      --version          output version information and exit\n"
    "\n"
    "Columns: file, line, runDate, runTime, entryDate, entryTime, firstName,\n"
    "surname, placeOfBirth, dateOfBirth, ageNowText, learningCenter,\n"
    "centerStreet, coordinatorName, nearbyBusiness, productivityCompany,\n"
    "maintenanceCompany, zonalLibrary, libraryFee, shoppingCenter, nearestSchool,\n"
    "stateOrCity, touristPlace, tribalLanguage, country, anotherYearAge,\n"
    "sameAgePlusAnotherYearAge.\n"
    "\n"
    "A record that does not match the record layout, and lines outside any\n"
    "record, are reported on standard error with their file and line numbers\n"
    "and skipped; a summary per file ends the reports.\n"
    "\n"
    "Exit status: 0 if every record was exported, 1 if anything was skipped,\n"
    "2 if a file could not be read, output failed or the arguments were wrong.\n";

// Standard input as a file: a read that gives nothing is its end or its error.
class StandardInputFile : public SequentialFile {
 public:
  explicit StandardInputFile(ConsoleInput& input) : input_(input) {}
  Status read(char* buffer, size_t capacity, size_t* count) override {
    *count = input_.read(buffer, capacity);
    return *count == 0 ? input_.readError() : Status();
  }

 private:
  ConsoleInput& input_;
};

struct ExportOptions {
  bool csv = true;
  bool unique = false;
  bool safeCells = false;
  bool codebook = false;
  std::string encoding;
};

// Rows as a terminal can show them without taking them for commands: control characters in
// caret notation, each row's line end (CR LF or LF) kept.
std::string shownAtTerminal(std::string_view rows) {
  std::string shown;
  while (!rows.empty()) {
    const size_t end = rows.find('\n');
    std::string_view line = rows.substr(0, end);
    rows.remove_prefix(end == std::string_view::npos ? rows.size() : end + 1);
    const bool crlf = end != std::string_view::npos && !line.empty() && line.back() == '\r';
    if (crlf) line.remove_suffix(1);
    appendCaretNotation(line, &shown);
    if (crlf) shown.push_back('\r');
    if (end != std::string_view::npos) shown.push_back('\n');
  }
  return shown;
}

// Reports written to standard error as they come.
class ErrorReports : public ExportReports {
 public:
  explicit ErrorReports(ConsoleOutput& errors) : ExportReports(kProgram), errors_(errors) {}

 protected:
  void write(const std::string& line) override { errors_.write(line); }

 private:
  ConsoleOutput& errors_;
};

// Each file read in turn from start to end, its rows written in place into one block, which goes
// to standard output once the next row may not fit; reports go to standard error as they come,
// and the summary at the end. Once a write fails, nothing more is written or read.
class Exporter : public RecordSink {
 public:
  Exporter(Env& env, const ExportOptions& options, CodePage* codePage)
      : env_(env),
        options_(options),
        codePage_(codePage),
        reports_(env.errors()),
        atTerminal_(env.terminal().outputIsTerminal()) {}

  // A block at a time, from the file or, for "-", standard input. The CSV header goes out with
  // the first file that opens.
  void exportFile(const std::string& path) {
    name_ = path == "-" ? kStandardInputName : path;
    std::unique_ptr<SequentialFile> file;
    if (path == "-") {
      file = std::make_unique<StandardInputFile>(env_.input());
    } else if (Status opened = env_.files().openForReading(path, waitingNotice(), &file);
               !opened.ok()) {
      return fail(opened);
    }
    if (options_.csv && !headerWritten_) {
      std::string header;
      appendCsvHeader(&header);
      write(header);
      headerWritten_ = true;
    }
    reports_.beginFile(name_);
    RecordParser parser(name_, *this);
    parser.readOtherAnswersIn(codePage_);
    bool readFailed = false;
    while (written_.ok()) {
      size_t capacity = 0;
      char* to = parser.room(&capacity);
      size_t count = 0;
      if (Status read = file->read(to, capacity, &count); !read.ok()) {
        fail(read);
        readFailed = true;
        break;
      }
      if (count == 0) {
        parser.finish();
        break;
      }
      parser.filled(count);
    }
    takePending();
    reports_.endFile(parser.notes(), readFailed, options_.encoding, options_.unique);
  }

  // The row is written in place; a duplicate's bytes are taken back with --unique. Without it,
  // each fingerprint is looked up at the next record, once its slot is in the cache.
  void record(const ExportRow& row) override {
    size_t bound = options_.csv ? csvRowBound(row) : jsonLineBound(row);
    if (used_ + bound > block_.size()) flush();
    std::unique_ptr<char[]> large;
    char* const to =
        bound > block_.size() ? (large.reset(new char[bound]), large.get()) : block_.data() + used_;
    char* values = nullptr;
    char* end = options_.csv ? writeCsvRow(row, options_.safeCells, to, &values)
                             : writeJsonLine(row, to, &values);
    const uint64_t fingerprint =
        rowFingerprint(std::string_view(values, static_cast<size_t>(end - values)));
    if (options_.unique) {
      const bool duplicate = !fingerprints_.insert(fingerprint);
      reports_.exported(duplicate);
      if (duplicate) return;
    } else {
      takePending();
      fingerprints_.prefetch(fingerprint);
      pending_ = fingerprint;
      hasPending_ = true;
    }
    if (large != nullptr) return write(std::string_view(to, static_cast<size_t>(end - to)));
    used_ = static_cast<size_t>(end - block_.data());
  }

  void skipped(const SkippedLines& lines) override { reports_.skipped(lines); }

  bool outputFailed() const { return !written_.ok(); }

  // Writes what is left, the summary, and gives the exit status.
  int finish() {
    flush();
    if (!written_.ok()) {
      report("standard output: " + written_.reason());
      return 2;
    }
    reports_.summarize();
    return std::max(status_, reports_.status());
  }

 private:
  // Rows go out in writes this large: few system calls, from a block that stays in the cache.
  static constexpr size_t kBlockSize = 128 * 1024;

  // A wait for a program that is writing the file, told once it has lasted a second.
  std::function<void(const Status&)> waitingNotice() {
    return [this](const Status& busy) { report(name_ + kBusy + busy.reason() + kWaiting); };
  }
  void takePending() {
    if (hasPending_) reports_.exported(!fingerprints_.insert(pending_));
    hasPending_ = false;
  }
  void fail(const Status& status) {
    report(name_ + ": " + status.reason());
    status_ = 2;
  }
  void report(const std::string& text) {
    env_.errors().write(std::string(kProgram) + ": " + shownOnOneLine(text) + "\n");
  }
  void flush() {
    write(std::string_view(block_.data(), used_));
    used_ = 0;
  }
  void write(std::string_view bytes) {
    if (!written_.ok() || bytes.empty()) return;
    written_ = env_.output().writeAsIs(atTerminal_ ? shownAtTerminal(bytes) : bytes);
  }

  Env& env_;
  const ExportOptions& options_;
  CodePage* const codePage_;
  ErrorReports reports_;
  FingerprintSet fingerprints_;
  uint64_t pending_ = 0;  // a fingerprint not looked up yet
  bool hasPending_ = false;
  std::string name_;
  PageBuffer block_{kBlockSize};
  size_t used_ = 0;
  bool headerWritten_ = false;
  Status written_;
  int status_ = 0;
  const bool atTerminal_;  // rows are shown safely rather than written raw
};

int usageError(Env& env, const std::string& message) {
  env.errors().write(std::string(kProgram) + ": " + shownOnOneLine(message) + "\nTry '" + kProgram +
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
  ExportOptions options;
  std::vector<std::string> paths;
  bool optionsEnd = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // An option with a value, as "--name=VALUE" or "--name VALUE".
    auto valueOf = [&](const std::string& name, std::string* value) {
      if (arg.compare(0, name.size() + 1, name + "=") == 0) {
        *value = arg.substr(name.size() + 1);
      } else if (arg != name) {
        return false;
      } else if (i + 1 < args.size()) {
        *value = args[++i];
      } else {
        throw std::invalid_argument("option '" + name + "' requires an argument");
      }
      return true;
    };
    std::string format;
    try {
      if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
        paths.push_back(arg);
      } else if (arg == "--") {
        optionsEnd = true;
      } else if (valueOf("--format", &format)) {
        if (format != "csv" && format != "jsonl") {
          return usageError(env, "invalid format '" + format + "' (csv or jsonl)");
        }
        options.csv = format == "csv";
      } else if (valueOf("--encoding", &options.encoding)) {
      } else if (arg == "--unique") {
        options.unique = true;
      } else if (arg == "--safe-cells") {
        options.safeCells = true;
      } else if (arg == "--codebook") {
        options.codebook = true;
      } else {
        return usageError(env, "unrecognized option '" + arg + "'");
      }
    } catch (const std::invalid_argument& missing) {
      return usageError(env, missing.what());
    }
  }
  if (options.safeCells && !options.csv) {
    return usageError(env, "option '--safe-cells' is for CSV only");
  }
  if (options.codebook) {
    Status written = env.output().write(codebook(options.csv, options.safeCells));
    if (written.ok()) return 0;
    env.errors().write(std::string(kProgram) + ": standard output: " + written.reason() + "\n");
    return 2;
  }
  std::unique_ptr<CodePage> codePage;
  if (!options.encoding.empty() && (codePage = openCodePage(options.encoding)) == nullptr) {
    return usageError(env, "unknown encoding '" + options.encoding + "'");
  }
  if (paths.empty()) paths.emplace_back(kRecordFileName);

  Exporter exporter(env, options, codePage.get());
  for (const std::string& path : paths) {
    exporter.exportFile(path);
    if (exporter.outputFailed()) break;
  }
  return exporter.finish();
}

}  // namespace survey
