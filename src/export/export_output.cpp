// The file of --output: opened, put in place or left alone, and the codebook written.
#include "export/export_output.h"

#include <string>

#include "console/characters.h"
#include "export/codebook.h"

namespace survey {
namespace {

constexpr const char* kProgram = kExportName;

}  // namespace

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

}  // namespace survey
