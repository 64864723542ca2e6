// survey-report's command line, each file read in turn into the tally, and the page written.
#include "export/reporter.h"

#include <memory>

#include "console/program_info.h"
#include "export/record_input.h"
#include "export/report_html.h"
#include "export/report_tally.h"
#include "export/report_text.h"
#include "platform/code_page.h"
#include "reader/record_reader.h"
#include "records/record_file.h"
#include "records/store_files.h"

namespace survey {
namespace {

constexpr const char* kProgram = "survey-report";

constexpr const char kHelp[] =
    "Usage: survey-report [OPTION]... [FILE]...\n"
    "Write one page about the records of survey record files: records per file\n"
    "and run date, each answer's frequencies (spellings that differ only in\n"
    "case, accents or Unicode form grouped), missing-like answers, the ages, and\n"
    "the findings of survey-export --check counted by rule.\n"
    "\n"
    "With no FILE, read datas.dat in the working directory; several FILEs are\n"
    "read in turn. A FILE of - is standard input.\n"
    "\n"
    "      --format=FORMAT    text (the default) or html: one file with charts\n"
    "                         and tables, needing no network and no other file\n"
    "      --encoding=NAME    read answers that are not UTF-8 in the code page\n"
    "                         NAME (cp850, cp437, cp1252, ...)\n"
    "      --help             display this help and exit\n"
    "      --version          output version information and exit\n"
    "\n"
    "Skipped records are reported on standard error, as survey-export does.\n"
    "\n"
    "Exit status: 0 if every record was read, 1 if anything was skipped,\n"
    "2 if a file could not be read, output failed or the arguments were wrong.\n";

const ProgramInfo kReportProgram = {kProgram, kHelp, /*failureStatus=*/2};

// Feeds the records to the tally and the skipped lines to both.
class ReportSink : public RecordSink {
 public:
  ReportSink(ReportTally& tally, ExportReports& reports) : tally_(tally), reports_(reports) {}
  void record(const RecordRow& row) override { tally_.record(row); }
  void skipped(const SkippedLines& lines) override {
    tally_.skipped(lines);
    reports_.skipped(lines);
  }

 private:
  ReportTally& tally_;
  ExportReports& reports_;
};

void report(Env& env, const std::string& text) { tellError(env.errors(), kProgram, text); }

int usageError(Env& env, const std::string& message) {
  return survey::usageError(env.errors(), kProgram, message);
}

// Reads one file, or standard input for "-", into the tally; false when it could not be read.
bool readFile(Env& env, const std::string& path, CodePage* codePage, ReportTally& tally,
              ExportReports& reports) {
  const std::string name = path == "-" ? kStandardInputName : path;
  std::unique_ptr<SequentialFile> file;
  if (path == "-") {
    file = std::make_unique<StandardInputFile>(env.input());
  } else if (Status opened = openForReading(
                 env.files(), path,
                 [&](const Status& busy) {
                   report(env, name + " is busy (" + busy.reason() + "); waiting for it");
                 },
                 &file);
             !opened.ok()) {
    report(env, name + ": " + opened.reason());
    return false;
  }
  tally.beginFile(name, changedDay(env.files(), path));
  reports.beginFile(name);
  ReportSink sink(tally, reports);
  RecordReader reader(name, sink);
  reader.readOtherAnswersIn(codePage);
  bool readFailed = false;
  for (;;) {
    size_t capacity = 0;
    char* to = reader.room(&capacity);
    size_t count = 0;
    if (Status read = file->read(to, capacity, &count); !read.ok()) {
      report(env, name + ": " + read.reason());
      readFailed = true;
      break;
    }
    if (count == 0) {
      reader.finish();
      break;
    }
    reader.filled(count);
  }
  reports.endFile(reader.notes(), readFailed, "", false);
  return !readFailed;
}

}  // namespace

int runReport(Env& env, const std::vector<std::string>& args) {
  int status = 0;
  if (answerInformationOption({args.begin(), args.end()}, kReportProgram, env.output(),
                              env.errors(), &status)) {
    return status;
  }
  std::string encoding;
  bool html = false;
  std::vector<std::string> paths;
  bool optionsEnd = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string format;
    std::string* value = nullptr;
    if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
      paths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnd = true;
      continue;
    }
    for (const auto& [name, target] :
         {std::pair<std::string, std::string*>{"--format", &format}, {"--encoding", &encoding}}) {
      if (arg == name) {
        if (i + 1 == args.size()) {
          return usageError(env, "option '" + name + "' requires an argument");
        }
        *target = args[++i];
        value = target;
      } else if (arg.compare(0, name.size() + 1, name + "=") == 0) {
        *target = arg.substr(name.size() + 1);
        value = target;
      }
    }
    if (value == nullptr) return usageError(env, "unrecognized option '" + arg + "'");
    if (value == &format && format != "text" && format != "html") {
      return usageError(env, "invalid format '" + format + "' (html or text)");
    }
    if (value == &format) html = format == "html";
  }
  std::unique_ptr<CodePage> codePage;
  if (!encoding.empty() && (codePage = openCodePage(encoding)) == nullptr) {
    return usageError(env, "unknown encoding '" + encoding + "'");
  }
  if (paths.empty()) paths.emplace_back(kRecordFileName);

  ReportTally tally;
  // Skipped lines as survey-export words them; no per-file summary, which the page gives.
  ExportReports reports(kProgram, env.errors());
  for (const std::string& path : paths) {
    if (!readFile(env, path, codePage.get(), tally, reports)) status = 2;
  }
  if (Status written = env.output().write(html ? reportHtml(tally) : reportText(tally));
      !written.ok()) {
    report(env, "standard output: " + written.reason());
    return 2;
  }
  return std::max(status, reports.status());
}

}  // namespace survey
