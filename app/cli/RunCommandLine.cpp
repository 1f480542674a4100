#include "RunCommandLine.h"

#include "CommandLine.h"
#include "ElementTableLocation.h"
#include "ExitCode.h"
#include "ExportRun.h"
#include "RunMessages.h"

int RunCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err)
{
    const QString defaultElementFile = ElementTablePath(ProgramFolder());
    const CommandLine command = ParseCommandLine(arguments, defaultElementFile);
    switch (command.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        out << command.text;
        return ExitSuccess;
    case CommandLine::Action::Export:
        return RunExport(command.options, out, err);
    case CommandLine::Action::Window:
        err << MessagePrefix << "the window is opened by the program itself, not by this command line runner\n";
        return ExitUsage;
    case CommandLine::Action::UsageError:
        break;
    }
    err << MessagePrefix << command.text << "\nTry 'pelmora --help' for more information.\n";
    return ExitUsage;
}
