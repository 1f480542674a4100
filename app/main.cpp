#include <csignal>
#include <exception>
#include <iostream>

#include <QCoreApplication>

#include "ExportCommand.h"
#include "MFileName.h"

int main(int argc, char** argv)
{
    // Past a file-size limit a write then fails with "File too large" and the old file stays,
    // instead of the signal ending the program halfway through a save.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        // Until the window exists the program only exports. A core application loads no
        // platform plugin, so the export runs on machines without a display.
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName("pelmora");
        QCoreApplication::setApplicationVersion(PELMORA_VERSION);
        // Qt's own arguments() replaces bytes that are not UTF-8; file names keep them here.
        return RunCommandLine(ArgumentsFromBytes(argc, argv), std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "pelmora: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "pelmora: unknown error\n";
    }
    return ExitFailure;
}
