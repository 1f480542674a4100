#ifndef PELMORA_APP_CLI_RUNCOMMANDLINE_H
#define PELMORA_APP_CLI_RUNCOMMANDLINE_H

#include <ostream>

#include <QStringList>

// Parses the arguments (CommandLine.h) and runs what they ask for that needs no window: the
// export, --info, --help and --version, with the element table ElementTablePath finds for the
// program's folder unless --elements names one. Wrong arguments are told on err with a pointer to --help. Returns an
// ExitCode.
int RunCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err);

#endif
