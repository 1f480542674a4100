#include "ExportRun.h"

#include <iostream>

#include <unistd.h>

#include "BatchRun.h"
#include "ExitCode.h"
#include "ProgressLine.h"
#include "RunMessages.h"

int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err)
{
    // A run that takes longer than a second says on the terminal what it is doing.
    ProgressLine progress(err, &err == &std::cerr && isatty(STDERR_FILENO) == 1);
    try {
        return RunBatch(options, progress, out, err);
    } catch (...) {
        // Out of memory, or a scene larger than its lists hold: never an empty picture that
        // looks like success.
        Report(err, FailureSentence(std::current_exception()));
        return ExitFailure;
    }
}
