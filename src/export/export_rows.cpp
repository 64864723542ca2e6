// Each file read in turn from start to end, and its rows written in blocks, into a database or
// into a statistics file.
#include "export/export_rows.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

#include "console/characters.h"
#include "export/export_output.h"
#include "export/export_reports.h"
#include "export/quality_check.h"
#include "export/record_database.h"
#include "export/record_input.h"
#include "export/row_writers.h"
#include "export/stats_file.h"
#include "platform/page_buffer.h"
#include "reader/record_reader.h"
#include "records/store_files.h"

namespace survey {
namespace {

constexpr const char* kProgram = kExportName;
// The notice of a wait for a program that is writing the file, as the survey program words it.
constexpr const char* kBusy = " is busy (";
constexpr const char* kWaiting = "); waiting for it";

// Rows as a terminal can show them without taking them for commands: control characters in
// caret notation, each row's line end (CR LF or LF) kept.
std::string shownAtTerminal(std::string_view rows) {
  std::string shown;
  for (size_t from = 0;;) {
    const size_t lineEnd = rows.find("\r\n", from);
    appendCaretNotation(rows.substr(from, lineEnd - from), &shown);
    if (lineEnd == std::string_view::npos) return shown;
    shown += "\r\n";
    from = lineEnd + 2;
  }
}

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
        reports_(kProgram, env.errors()),
        check_(options.safeCells),
        atTerminal_(&output == &env.output() && env.terminal().outputIsTerminal()) {
    if (options.check) reports_.checking();
  }

  // A block at a time, from the file or, for "-", standard input. The CSV header goes out with
  // the first file that opens.
  void exportFile(const std::string& path) {
    name_ = path == "-" ? kStandardInputName : path;
    std::unique_ptr<SequentialFile> file;
    if (path == "-") {
      file = std::make_unique<StandardInputFile>(env_.input());
    } else if (Status opened = openForReading(env_.files(), path, waitingNotice(), &file);
               !opened.ok()) {
      return fail(opened);
    }
    if (database_ != nullptr) {
      fileBytes_ = fileRecords_ = fileFaults_ = 0;
      keep(database_->beginFile(name_, exportedAt()));
    } else if (options_.csv && !headerWritten_) {
      std::string header(options_.bom ? RecordReader::kUtf8Mark : "");
      options_.check ? QualityCheck::appendHeader(&header) : appendCsvHeader(&header);
      write(header);
      headerWritten_ = true;
    }
    fingerprints_.reserve(RecordReader::mostRecordsIn(file->knownSize()));
    reports_.beginFile(name_);
    if (options_.check) check_.beginFile(name_, changedDay(env_.files(), path));
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
    if (database_ != nullptr) keep(database_->endFile(fileBytes_, fileRecords_, fileFaults_));
    reports_.endFile(parser.notes(), readFailed, options_.encoding, options_.unique);
  }

  // The row is written in place; a duplicate's bytes are taken back with --unique.
  void record(const RecordRow& row) override {
    // The identity's slot is far in memory: it loads while the row is written.
    fingerprints_.prefetch(row.recordId);
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
    const bool duplicate = !fingerprints_.insert(row.recordId);
    reports_.exported(duplicate);
    if (duplicate && options_.unique) return;
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

  // Each file in turn until output fails; then what is left and the summary. Returns the exit
  // status.
  int exportFiles(const std::vector<std::string>& paths) {
    for (auto path = paths.begin(); path != paths.end() && written_.ok(); ++path) {
      exportFile(*path);
    }
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
  // The record's findings go into the block; its identity is counted for the summary.
  void checkRecord(const RecordRow& row) {
    findings_.clear();
    reports_.found(check_.check(row, &findings_).size());
    reports_.exported(!fingerprints_.insert(row.recordId));
    if (used_ + findings_.size() > block_.size()) flush();
    if (findings_.size() > block_.size()) return write(findings_);
    std::copy(findings_.begin(), findings_.end(), block_.data() + used_);
    used_ += findings_.size();
  }
  void fail(const Status& status) {
    report(name_ + ": " + status.reason());
    status_ = 2;
  }
  void report(const std::string& text) { tellError(env_.errors(), kProgram, text); }
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
  ExportReports reports_;
  FingerprintSet fingerprints_;
  QualityCheck check_;
  std::string findings_;  // the CSV rows of one record's findings
  std::string name_;
  PageBuffer block_{kBlockSize};
  size_t used_ = 0;
  bool headerWritten_ = false;
  Status written_;
  int status_ = 0;
  const bool atTerminal_;  // rows are shown safely rather than written raw
};

// The records into the database of --output, in one transaction that is committed only when
// every file was read and every step succeeded. A database that this run was making is not
// left behind.
int exportToDatabase(Env& env, const ExportOptions& options, const std::vector<std::string>& paths,
                     CodePage* codePage, FaultList* faults) {
  int status = 2;
  {
    std::unique_ptr<RecordDatabase> database;
    const auto notice = [&env](const std::string& text) {
      tellError(env.errors(), kProgram, text);
    };
    if (Status opened = RecordDatabase::open(options.output, &database, notice); !opened.ok()) {
      tellError(env.errors(), kProgram, options.output + ": " + opened.reason());
    } else {
      Exporter exporter(env, options, codePage, env.output(), options.output, faults);
      exporter.intoDatabase(database.get());
      status = exporter.exportFiles(paths);
      if (Status committed = status == 2 ? Status() : database->commit(); !committed.ok()) {
        tellError(env.errors(), kProgram, options.output + ": " + committed.reason());
        status = 2;
      }
    }
  }
  if (status == 2) {
    tellError(env.errors(), kProgram, options.output + ": left as it was");
  }
  return status;
}

}  // namespace

int exportRows(Env& env, const ExportOptions& options, const std::vector<std::string>& paths,
               CodePage* codePage, FaultList* faults) {
  if (options.sqlite) return exportToDatabase(env, options, paths, codePage, faults);
  std::unique_ptr<OutputFile> file;
  if (Status created = openOutput(env, options, &file); !created.ok()) return 2;
  int exportStatus = 0;
  {
    Exporter exporter(env, options, codePage, file ? *file : env.output(),
                      file ? options.output : "standard output", faults);
    StatsTable table;
    if (options.stats) exporter.intoTable(&table);
    exportStatus = exporter.exportFiles(paths);
    if (options.stats && exportStatus != 2) {
      if (Status written = table.write(options.statsFormat, *file); !written.ok()) {
        tellError(env.errors(), kProgram, options.output + ": " + written.reason());
        exportStatus = 2;
      }
    }
  }
  return file ? commitOutput(env, exportStatus, file.get()) : exportStatus;
}

}  // namespace survey
