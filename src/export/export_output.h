// The file of survey-export's --output, put in place only once the export is complete, and the
// codebook written there or to standard output.
#pragma once

#include <memory>

#include "export/export_options.h"
#include "export/output_file.h"
#include "platform/env.h"

namespace survey {

// The file of --output, when one is named (else `file` stays null); a failure is told on
// standard error.
Status openOutput(Env& env, const ExportOptions& options, std::unique_ptr<OutputFile>* file);

// Puts the file of --output in place unless a file could not be read or a write failed (status
// 2): then the target is left as it was. Returns the exit status, 2 if the file could not be put
// in place.
int commitOutput(Env& env, int status, OutputFile* file);

// Writes the codebook to standard output or the file of --output; returns the exit status.
int writeCodebook(Env& env, const ExportOptions& options);

}  // namespace survey
