// The command line, each file read in turn from start to end, and the rows written in blocks.
#include "export/exporter.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "console/characters.h"
#include "console/program_info.h"
#include "export/codebook.h"
#include "export/export_reports.h"
#include "export/fault_list.h"
#include "export/output_file.h"
#include "export/quality_check.h"
#include "export/record_database.h"
#include "export/row_writers.h"
#include "export/stats_file.h"
#include "platform/code_page.h"
#include "platform/page_buffer.h"
#include "reader/record_reader.h"
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
    "      --format=FORMAT    csv (the default), jsonl, or sqlite (with --output:\n"
    "                         a database that gets the records it lacks), dta\n"
    "                         (Stata) or sav (SPSS), both with --output\n"
    "      --encoding=NAME    read answers that are not UTF-8 in the code page\n"
    "                         NAME (cp850, cp437, cp1252, ...); output is UTF-8\n"
    "      --unique           leave out records whose recordId an earlier one has\n"
    "      --safe-cells       put ' before file names and answers that a\n"
    "                         spreadsheet would take for a formula (=, +, -, @,\n"
    "                         tab, CR); the program's figures are left alone\n"
    "      --faults=FILE      write every fault to FILE as CSV (file, firstLine,\n"
    "                         lastLine, why), none left out; FILE is emptied first\n"
    "      --codebook         write what each column holds, not the records\n"
    "      --check            write every data-quality finding, not the records:\n"
    "                         CSV of file, line, recordId, column, rule, value\n"
    "                         and detail; exit status 1 when there is any\n"
    "      --output=FILE      write to FILE, which is replaced only once the\n"
    "                         export is complete, not to standard output\n"
    "      --bom              begin CSV with a UTF-8 byte-order mark, for Excel\n"
    "      --help             display this help and exit\n"
    "      --version          output version information and exit\n"
    "\n"
    "Columns: file, line, recordId, runDate, runTime, entryDate, entryTime,\n"
    "firstName, surname, placeOfBirth, dateOfBirth, ageNowText, learningCenter,\n"
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
  bool sqlite = false;
  bool stats = false;  // Stata or SPSS, as statsFormat says
  StatsFormat statsFormat = StatsFormat::kStata;
  bool unique = false;
  bool safeCells = false;
  bool codebook = false;
  bool check = false;  // findings of the data-quality rules in place of the rows
  bool bom = false;
  std::string encoding;
  std::string output;  // empty: standard output
  std::string faults;  // the fault list's path, if one is asked for
};

// The UTF-8 byte-order mark, by which Excel tells UTF-8 from the system's code page.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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
  // Rows go to `output`, which is standard output or a file named `outputName`; faults also
  // to `faults` unless it is null.
  Exporter(Env& env, const ExportOptions& options, CodePage* codePage, ConsoleOutput& output,
           std::string outputName, FaultList* faults)
      : env_(env),
        options_(options),
        codePage_(codePage),
        output_(output),
        outputName_(std::move(outputName)),
        faults_(faults),
        reports_(env.errors()),
        check_(options.safeCells),
        atTerminal_(&output == &env.output() && env.terminal().outputIsTerminal()) {}

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
    if (database_ != nullptr) {
      fileBytes_ = fileRecords_ = fileFaults_ = 0;
      keep(database_->beginFile(name_, exportedAt()));
    } else if (options_.csv && !headerWritten_) {
      std::string header(options_.bom ? kByteOrderMark : "");
      options_.check ? QualityCheck::appendHeader(&header) : appendCsvHeader(&header);
      write(header);
      headerWritten_ = true;
    }
    reports_.beginFile(name_);
    if (options_.check) check_.beginFile(name_, changedDay(path));
    RecordReader parser(name_, *this);
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
      fileBytes_ += count;
      parser.filled(count);
    }
    takePending();
    if (database_ != nullptr) keep(database_->endFile(fileBytes_, fileRecords_, fileFaults_));
    reports_.endFile(parser.notes(), readFailed, options_.encoding, options_.unique);
  }

  // The row is written in place; a duplicate's bytes are taken back with --unique. Without it,
  // each fingerprint is looked up at the next record, once its slot is in the cache.
  void record(const RecordRow& row) override {
    if (options_.check) return checkRecord(row);
    if (stats_ != nullptr) {
      const bool duplicate = !fingerprints_.insert(row.recordId);
      reports_.exported(duplicate);
      if (!duplicate || !options_.unique) stats_->add(row);
      return;
    }
    if (database_ != nullptr) {
      bool added = false;
      ++fileRecords_;
      keep(database_->add(row, &added));
      return reports_.exported(!added);
    }
    size_t bound = options_.csv ? csvRowBound(row) : jsonLineBound(row);
    if (used_ + bound > block_.size()) flush();
    std::unique_ptr<char[]> large;
    char* const to =
        bound > block_.size() ? (large.reset(new char[bound]), large.get()) : block_.data() + used_;
    char* end = options_.csv ? writeCsvRow(row, options_.safeCells, to) : writeJsonLine(row, to);
    const uint64_t fingerprint = row.recordId;
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

  void skipped(const SkippedLines& lines) override {
    if (database_ != nullptr) {
      ++fileFaults_;
      keep(database_->addFault(lines));
    }
    reports_.skipped(lines);
    if (faults_ != nullptr) faults_->add(name_, lines);
  }

  // Rows are kept in `table` rather than written as text.
  void intoTable(StatsTable* table) { stats_ = table; }

  // Rows go into `database` rather than out as text.
  void intoDatabase(RecordDatabase* database) {
    database_ = database;
    reports_.intoDatabase(outputName_);
  }

  bool outputFailed() const { return !written_.ok(); }

  // Writes what is left, the summary, and gives the exit status.
  int finish() {
    flush();
    if (faults_ != nullptr) {
      if (Status listed = faults_->flush(); !listed.ok()) {
        report(options_.faults + ": " + listed.reason());
        status_ = 2;
      }
    }
    if (!written_.ok()) {
      report(outputName_ + ": " + written_.reason());
      return 2;
    }
    reports_.summarize();
    const int found = check_.findings() > 0 ? 1 : 0;
    return std::max({status_, reports_.status(), found});
  }

 private:
  // Rows go out in writes this large: few system calls, from a block that stays in the cache.
  static constexpr size_t kBlockSize = 128 * 1024;

  // A wait for a program that is writing the file, told once it has lasted a second.
  std::function<void(const Status&)> waitingNotice() {
    return [this](const Status& busy) { report(name_ + kBusy + busy.reason() + kWaiting); };
  }
  // The day the file was last changed, when it is a file and that is known.
  std::optional<CalendarDay> changedDay(const std::string& path) {
    LocalTime time;
    if (path == "-" || !env_.files().modifiedAt(path, &time).ok()) return std::nullopt;
    return CalendarDay{time.yearsSince1900 + 1900, time.month + 1, time.dayOfMonth};
  }
  // The record's findings go into the block; its identity is counted for the summary.
  void checkRecord(const RecordRow& row) {
    findings_.clear();
    check_.check(row, &findings_);
    reports_.exported(!fingerprints_.insert(row.recordId));
    if (used_ + findings_.size() > block_.size()) flush();
    if (findings_.size() > block_.size()) return write(findings_);
    std::copy(findings_.begin(), findings_.end(), block_.data() + used_);
    used_ += findings_.size();
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
  // A failed step of the database ends the run as a failed write does.
  void keep(const Status& status) {
    if (written_.ok()) written_ = status;
  }
  // The run's time as ISO 8601 local time, for the database's files table.
  std::string exportedAt() {
    const LocalTime now = env_.clock().now();
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", now.yearsSince1900 + 1900,
                  now.month + 1, now.dayOfMonth, now.hour, now.minute);
    return text;
  }
  void flush() {
    write(std::string_view(block_.data(), used_));
    used_ = 0;
  }
  void write(std::string_view bytes) {
    if (!written_.ok() || bytes.empty()) return;
    written_ = output_.writeAsIs(atTerminal_ ? shownAtTerminal(bytes) : bytes);
  }

  Env& env_;
  const ExportOptions& options_;
  CodePage* const codePage_;
  ConsoleOutput& output_;
  const std::string outputName_;
  RecordDatabase* database_ = nullptr;
  StatsTable* stats_ = nullptr;
  uint64_t fileBytes_ = 0, fileRecords_ = 0, fileFaults_ = 0;
  FaultList* const faults_;  // null without --faults
  ErrorReports reports_;
  FingerprintSet fingerprints_;
  QualityCheck check_;
  std::string findings_;  // the CSV rows of one record's findings
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

// The file of --output, when one is named; a failure is told on standard error.
Status openOutput(Env& env, const ExportOptions& options, std::unique_ptr<OutputFile>* file) {
  if (options.output.empty()) return Status();
  Status created = OutputFile::create(env.files(), options.output, file);
  if (!created.ok()) {
    env.errors().write(
        std::string(kProgram) + ": " +
        shownOnOneLine(options.output + OutputFile::kPartialSuffix + ": " + created.reason()) +
        "\n");
  }
  return created;
}

// Puts the file of --output in place unless a file could not be read or a write failed (status
// 2): then the target is left as it was, and the exit status says why.
int commitOutput(Env& env, int status, OutputFile* file) {
  auto tell = [&](const std::string& text) {
    env.errors().write(std::string(kProgram) + ": " + shownOnOneLine(text) + "\n");
  };
  if (status == 2) {
    tell(file->target() + ": left as it was, since the export is incomplete");
    return status;
  }
  if (Status committed = file->commit(); !committed.ok()) {
    tell(file->target() + ": " + committed.reason());
    return 2;
  }
  return status;
}

// The codebook, to standard output or the file of --output.
int writeCodebook(Env& env, const ExportOptions& options) {
  std::unique_ptr<OutputFile> file;
  if (!openOutput(env, options, &file).ok()) return 2;
  ConsoleOutput& output = file ? *file : env.output();
  const std::string bom(options.bom ? kByteOrderMark : "");
  Status written = output.write(bom + codebook(options.csv, options.safeCells));
  if (!written.ok()) {
    env.errors().write(
        std::string(kProgram) + ": " +
        shownOnOneLine((file ? options.output : "standard output") + ": " + written.reason()) +
        "\n");
    return file ? commitOutput(env, 2, file.get()) : 2;
  }
  return file ? commitOutput(env, 0, file.get()) : 0;
}

// The records into the database of --output, in one transaction that is committed only when
// every file was read and every step succeeded. A database that this run made and could not
// complete is removed.
int exportToDatabase(Env& env, const ExportOptions& options, const std::vector<std::string>& paths,
                     CodePage* codePage, FaultList* faults) {
  std::string unused;
  FileFacts facts;
  const bool existed = !env.files()
                            .readBounded(options.output, kWaitBeforeNotice, 0, &unused, &facts)
                            .is(Status::Kind::kMissing);
  int status = 2;
  {
    std::unique_ptr<RecordDatabase> database;
    if (Status opened = RecordDatabase::open(options.output, &database); !opened.ok()) {
      env.errors().write(std::string(kProgram) + ": " +
                         shownOnOneLine(options.output + ": " + opened.reason()) + "\n");
    } else {
      Exporter exporter(env, options, codePage, env.output(), options.output, faults);
      exporter.intoDatabase(database.get());
      for (const std::string& path : paths) {
        exporter.exportFile(path);
        if (exporter.outputFailed()) break;
      }
      status = exporter.finish();
      if (Status committed = status == 2 ? Status() : database->commit(); !committed.ok()) {
        env.errors().write(std::string(kProgram) + ": " +
                           shownOnOneLine(options.output + ": " + committed.reason()) + "\n");
        status = 2;
      }
    }
  }
  if (status == 2 && !existed) env.files().remove(options.output, kWaitBeforeNotice);
  if (status == 2) {
    env.errors().write(std::string(kProgram) + ": " +
                       shownOnOneLine(options.output + ": left as it was") + "\n");
  }
  return status;
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
        if (format != "csv" && format != "jsonl" && format != "sqlite" && format != "dta" &&
            format != "sav") {
          return usageError(env,
                            "invalid format '" + format + "' (csv, jsonl, sqlite, dta or sav)");
        }
        options.stats = format == "dta" || format == "sav";
        options.statsFormat = format == "sav" ? StatsFormat::kSpss : StatsFormat::kStata;
        options.csv = format == "csv";
        options.sqlite = format == "sqlite";
      } else if (valueOf("--encoding", &options.encoding)) {
      } else if (valueOf("--faults", &options.faults)) {
      } else if (arg == "--unique") {
        options.unique = true;
      } else if (arg == "--safe-cells") {
        options.safeCells = true;
      } else if (arg == "--codebook") {
        options.codebook = true;
      } else if (arg == "--check") {
        options.check = true;
      } else if (valueOf("--output", &options.output)) {
      } else if (arg == "--bom") {
        options.bom = true;
      } else {
        return usageError(env, "unrecognized option '" + arg + "'");
      }
    } catch (const std::invalid_argument& missing) {
      return usageError(env, missing.what());
    }
  }
  if (options.check && (!options.csv || options.unique || options.codebook)) {
    return usageError(env,
                      "option '--check' writes CSV of every record; it takes no --format, "
                      "--unique or --codebook");
  }
  if (options.safeCells && !options.csv) {
    return usageError(env, "option '--safe-cells' is for CSV only");
  }
  if (options.bom && !options.csv) return usageError(env, "option '--bom' is for CSV only");
  if (options.sqlite && (options.output.empty() || options.codebook)) {
    return usageError(env, "format 'sqlite' needs '--output FILE' and is for records only");
  }
  if (options.stats && (options.output.empty() || options.codebook)) {
    return usageError(env, "formats 'dta' and 'sav' need '--output FILE' and are for records only");
  }
  if (options.stats && !StatsTable::available()) {
    return usageError(env,
                      "this build of survey-export has no libreadstat: formats 'dta' and "
                      "'sav' are not available");
  }
  if (options.sqlite && !RecordDatabase::available()) {
    return usageError(env,
                      "this build of survey-export has no SQLite: format 'sqlite' is not "
                      "available");
  }
  if (options.codebook) {
    return writeCodebook(env, options);
  }
  std::unique_ptr<CodePage> codePage;
  if (!options.encoding.empty() && (codePage = openCodePage(options.encoding)) == nullptr) {
    return usageError(env, "unknown encoding '" + options.encoding + "'");
  }
  if (paths.empty()) paths.emplace_back(kRecordFileName);
  std::unique_ptr<FaultList> faults;
  // Replacing a file that is read, a record file say, would lose its records.
  if (!options.output.empty() &&
      std::find(paths.begin(), paths.end(), options.output) != paths.end()) {
    return usageError(env, "the output '" + options.output + "' is a file to read");
  }
  if (!options.faults.empty()) {
    // Emptying a file that is about to be read would lose its records.
    if (std::find(paths.begin(), paths.end(), options.faults) != paths.end()) {
      return usageError(env, "the fault list '" + options.faults + "' is a file to read");
    }
    faults = std::make_unique<FaultList>();
    if (Status opened = faults->open(env.files(), options.faults, options.safeCells);
        !opened.ok()) {
      env.errors().write(std::string(kProgram) + ": " +
                         shownOnOneLine(options.faults + ": " + opened.reason()) + "\n");
      return 2;
    }
  }

  if (options.sqlite) return exportToDatabase(env, options, paths, codePage.get(), faults.get());
  std::unique_ptr<OutputFile> file;
  if (Status created = openOutput(env, options, &file); !created.ok()) return 2;
  int exportStatus = 0;
  {
    Exporter exporter(env, options, codePage.get(), file ? *file : env.output(),
                      file ? options.output : "standard output", faults.get());
    StatsTable table;
    if (options.stats) exporter.intoTable(&table);
    for (const std::string& path : paths) {
      exporter.exportFile(path);
      if (exporter.outputFailed()) break;
    }
    exportStatus = exporter.finish();
    if (options.stats && exportStatus != 2) {
      if (Status written = table.write(options.statsFormat, *file); !written.ok()) {
        env.errors().write(std::string(kProgram) + ": " +
                           shownOnOneLine(options.output + ": " + written.reason()) + "\n");
        exportStatus = 2;
      }
    }
  }
  return file ? commitOutput(env, exportStatus, file.get()) : exportStatus;
}

}  // namespace survey
