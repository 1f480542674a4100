#include <exception>
#include <iostream>

#include <QCoreApplication>

#include "ExportCommand.h"

int main(int argc, char** argv)
{
    try {
        // Until the window exists the program only exports. A core application loads no
        // platform plugin, so the export runs on machines without a display.
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName("pelmora");
        QCoreApplication::setApplicationVersion(PELMORA_VERSION);
        return RunCommandLine(QCoreApplication::arguments(), std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "pelmora: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "pelmora: unknown error\n";
    }
    return ExitFailure;
}
