// The file of --output: opened, put in place or left alone, and the codebook written.
#include "export/export_output.h"

#include <string>

#include "export/codebook.h"
#include "export/record_input.h"
#include "reader/record_reader.h"

namespace survey {
Status openOutput(Env& env, const ExportOptions& options, std::unique_ptr<OutputFile>* file) {
  if (options.output.empty()) return Status();
  Status created = OutputFile::create(env.files(), options.output, file);
  if (!created.ok()) {
    tellError(env.errors(), kExportName,
              options.output + OutputFile::kPartialSuffix + ": " + created.reason());
  }
  return created;
}

int commitOutput(Env& env, int status, OutputFile* file) {
  if (status == 2) {
    tellError(env.errors(), kExportName,
              file->target() + ": left as it was, since the export is incomplete");
    return status;
  }
  if (Status committed = file->commit(); !committed.ok()) {
    tellError(env.errors(), kExportName, file->target() + ": " + committed.reason());
    return 2;
  }
  return status;
}

int writeCodebook(Env& env, const ExportOptions& options) {
  std::unique_ptr<OutputFile> file;
  if (!openOutput(env, options, &file).ok()) return 2;
  ConsoleOutput& output = file ? *file : env.output();
  const std::string bom(options.bom ? RecordReader::kUtf8Mark : "");
  Status written = output.write(bom + codebook(options.csv, options.safeCells));
  if (!written.ok()) {
    tellError(env.errors(), kExportName,
              (file ? options.output : "standard output") + ": " + written.reason());
  }
  const int status = written.ok() ? 0 : 2;
  return file ? commitOutput(env, status, file.get()) : status;
}

}  // namespace survey
