#ifndef PELMORA_APP_CLI_EXITCODE_H
#define PELMORA_APP_CLI_EXITCODE_H

// The status the program ends with.
enum ExitCode : int {
    ExitSuccess = 0,
    ExitFailure = 1,  // a file or the element table was rejected, or OUT could not be written
    ExitUsage = 2,    // the arguments were wrong or out of range
};

#endif
