#ifndef PELMORA_APP_CLI_BATCHRUN_H
#define PELMORA_APP_CLI_BATCHRUN_H

// A run over the files and frames the options select: every file read and checked first, every
// output name known and checked before anything is written, then the frames drawn on every core
// (one scene per thread) and written, pictures one file per frame and movies one file per input.

#include <ostream>

#include "ExportOptions.h"
#include "ProgressLine.h"

// Reads, builds and writes as the options say; messages and JSON as RunExport tells them, in
// the order of the files and frames whichever thread drew them. A file that cannot be read is
// reported and skipped, and the others are written. Wrong selections (frames past a file's end,
// two outputs of one name, --shard of a movie) stop the run before anything is written.
// Returns the worst ExitCode.
int RunBatch(const ExportOptions& options, ProgressLine& progress, std::ostream& out, std::ostream& err);

#endif
