// survey-export's command line: its options, their checks and the help text.
#include "export/exporter.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "console/characters.h"
#include "console/program_info.h"
#include "export/export_options.h"
#include "export/export_output.h"
#include "export/export_rows.h"
#include "export/fault_list.h"
#include "export/record_database.h"
#include "export/record_input.h"
#include "export/stats_file.h"
#include "platform/code_page.h"
#include "records/record_file.h"

namespace survey {
namespace {

constexpr const char* kProgram = kExportName;

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

int usageError(Env& env, const std::string& message) {
  return survey::usageError(env.errors(), kProgram, message);
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

  return exportRows(env, options, paths, codePage.get(), faults.get());
}

}  // namespace survey
