#include <csignal>
#include <exception>
#include <iostream>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include "CommandLine.h"
#include "ElementTableLocation.h"
#include "ExitCode.h"
#include "FormMain_.h"
#include "MFileName.h"
#include "MFileSave.h"
#include "MTrace.h"
#include "RunCommandLine.h"

namespace {

constexpr const char* DisplayName = "Pelmora";

// Whether a window can be shown: a display to connect to, or a platform chosen by the caller
// (the offscreen one of the tests, say).
bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    return false;
}

void NameTheApplication()
{
    QCoreApplication::setApplicationName("pelmora");
    QCoreApplication::setApplicationVersion(PELMORA_VERSION);
}

// The window: made, shown, and then asked for its first file. A missing or broken element
// table ends the program before any window appears, with the reason and a failure status.
int RunWindow(int argc, char** argv, const QString& fileName)
{
    if (!HasDisplay()) {
        std::cerr << "pelmora: cannot open the window: there is no display (DISPLAY and WAYLAND_DISPLAY are "
                     "not set); --export and --info draw without one\n";
        return ExitFailure;
    }
    QApplication application(argc, argv);
    NameTheApplication();
    QGuiApplication::setApplicationDisplayName(DisplayName);
    QGuiApplication::setDesktopFileName("pelmora");
    QGuiApplication::setWindowIcon(QIcon(":/icons/pelmora.svg"));
    (void)TraceStartIfViewerRunning();
    try {
        TFormMain window(ProgramFolder());
        window.show();
        QTimer::singleShot(0, &window, [&window, fileName] { window.OpenAtStart(fileName); });
        return QApplication::exec();
    } catch (const TFormMainStartError& error) {
        QMessageBox::critical(nullptr, DisplayName, QString::fromStdString(error.what()));
    }
    return ExitFailure;
}

// --export, --info, --help, --version and wrong arguments need no display: a core application
// loads no platform plugin.
int RunHeadless(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    NameTheApplication();
    (void)TraceStartIfViewerRunning();
    // Qt's own arguments() replaces bytes that are not UTF-8; file names keep them here.
    return RunCommandLine(ArgumentsFromBytes(argc, argv), std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv)
{
    // Past a file-size limit a write then fails with "File too large" and the old file stays,
    // instead of the signal ending the program halfway through a save.
    std::signal(SIGXFSZ, SIG_IGN);
    InstallSaveCleanupOnSignals();
    try {
        const CommandLine command = ParseCommandLine(ArgumentsFromBytes(argc, argv), {});
        if (command.action == CommandLine::Action::Window)
            return RunWindow(argc, argv, command.options.XyzFile);
        return RunHeadless(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "pelmora: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "pelmora: unknown error\n";
    }
    return ExitFailure;
}
