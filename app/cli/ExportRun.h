#ifndef PELMORA_APP_CLI_EXPORTRUN_H
#define PELMORA_APP_CLI_EXPORTRUN_H

// A run without a window: the element table and the XYZ file read as the window reads them at
// start and on opening, then the frames and files asked for built and written (BatchRun.h).

#include <ostream>

#include "ExportOptions.h"

// Reads, builds and writes as the options say. Messages for people go to err, each on one line
// starting "pelmora: ", with the texts the window shows; the JSON of --info goes to out. A run
// that takes longer than a second on a terminal shows what it is doing (ProgressLine.h).
// Returns an ExitCode.
int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err);

#endif
