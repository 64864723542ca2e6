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

const std::pair<const char*, std::string ExportOptions::*> kValueOptions[] = {
    {"--encoding", &ExportOptions::encoding},
    {"--faults", &ExportOptions::faults},
    {"--output", &ExportOptions::output},
};
const std::pair<const char*, bool ExportOptions::*> kFlags[] = {
    {"--unique", &ExportOptions::unique},     {"--safe-cells", &ExportOptions::safeCells},
    {"--codebook", &ExportOptions::codebook}, {"--check", &ExportOptions::check},
    {"--bom", &ExportOptions::bom},
};

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
    const auto* flag = std::find_if(std::begin(kFlags), std::end(kFlags),
                                    [&](const auto& known) { return arg == known.first; });
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
      } else if (flag != std::end(kFlags)) {
        options.*flag->second = true;
      } else if (std::none_of(std::begin(kValueOptions), std::end(kValueOptions),
                              [&](const auto& known) {
                                return valueOf(known.first, &(options.*known.second));
                              })) {
        return usageError(env, "unrecognized option '" + arg + "'");
      }
    } catch (const std::invalid_argument& missing) {
      return usageError(env, missing.what());
    }
  }
  const std::pair<bool, const char*> kWrongTogether[] = {
      {options.check && (!options.csv || options.unique || options.codebook),
       "option '--check' writes CSV of every record; it takes no --format, --unique or "
       "--codebook"},
      {options.safeCells && !options.csv, "option '--safe-cells' is for CSV only"},
      {options.bom && !options.csv, "option '--bom' is for CSV only"},
      {options.sqlite && (options.output.empty() || options.codebook),
       "format 'sqlite' needs '--output FILE' and is for records only"},
      {options.stats && (options.output.empty() || options.codebook),
       "formats 'dta' and 'sav' need '--output FILE' and are for records only"},
      {options.stats && !StatsTable::available(),
       "this build of survey-export has no libreadstat: formats 'dta' and 'sav' are not "
       "available"},
      {options.sqlite && !RecordDatabase::available(),
       "this build of survey-export has no SQLite: format 'sqlite' is not available"},
  };
  for (const auto& [wrong, message] : kWrongTogether) {
    if (wrong) return usageError(env, message);
  }
  if (options.codebook) return writeCodebook(env, options);
  std::unique_ptr<CodePage> codePage;
  if (!options.encoding.empty() && (codePage = openCodePage(options.encoding)) == nullptr) {
    return usageError(env, "unknown encoding '" + options.encoding + "'");
  }
  if (paths.empty()) paths.emplace_back(kRecordFileName);
  // Replacing or emptying a file that is read, a record file say, would lose its records.
  for (const auto& [path, what] :
       {std::pair(options.output, "output"), std::pair(options.faults, "fault list")}) {
    if (!path.empty() && std::find(paths.begin(), paths.end(), path) != paths.end()) {
      return usageError(env, "the " + std::string(what) + " '" + path + "' is a file to read");
    }
  }
  std::unique_ptr<FaultList> faults;
  if (!options.faults.empty()) {
    faults = std::make_unique<FaultList>();
    if (Status opened = faults->open(env.files(), options.faults, options.safeCells);
        !opened.ok()) {
      tellError(env.errors(), kProgram, options.faults + ": " + opened.reason());
      return 2;
    }
  }
  return exportRows(env, options, paths, codePage.get(), faults.get());
}

}  // namespace survey
