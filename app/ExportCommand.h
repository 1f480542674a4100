#ifndef PELMORA_APP_EXPORTCOMMAND_H
#define PELMORA_APP_EXPORTCOMMAND_H

// The command line of the program:
//   pelmora [FILE.xyz]
// opens the window (on FILE.xyz when given);
//   pelmora --export OUT [options] FILE.xyz
// draws FILE.xyz without a window, through the same steps the window takes when it opens a
// file, and writes OUT: an SVG drawing when OUT ends in ".svg", otherwise the scene bitmap as a
// picture chosen by OUT's extension. `--info` prints what was read and built as one JSON object.
// The options are named after the controls they stand for and take the same ranges. `--frame K`
// draws frame K of a trajectory, `--frame all` every frame into its own OUT, on every processor.

#include <iosfwd>
#include <string>

#include <QString>
#include <QStringList>

#include "PeriodicTranslation.h"
#include "Projection.h"
#include "Scene.h"

enum ExitCode : int {
    ExitSuccess = 0,
    ExitFailure = 1,  // a file or the element table was rejected, or OUT could not be written
    ExitUsage = 2,    // the arguments were wrong or out of range
};

// The controls the options stand for, starting at the window's design values.
struct ExportOptions {
    QString XyzFile;
    QString OutFile;  // empty: nothing is written
    bool Info = false;
    QString ElementFile;
    StickControls Sticks;
    int StickRadiusPosition = StickRadiusBarMaximum / 2;
    ViewAngles Angles;
    TranslationCell Cell;
    // The steps of the cell the command line gave; the others come from the cell the file
    // declares (Lattice=), as the window's Translate panel takes it, when it declares one.
    struct {
        bool Ax = false, Ay = false, Dx = false, Dy = false;
    } StepsGiven;
    int Frame = 1;           // the frame of a trajectory to draw, from 1
    bool AllFrames = false;  // every frame, each into OUT with its number (FrameOutFile)
};

// What the arguments ask for.
struct CommandLine {
    enum class Action { Export, Window, Help, Version, UsageError };
    Action action = Action::UsageError;
    ExportOptions options;
    std::string text;  // the help or version text, or what is wrong with the arguments
};

// Reads the arguments (the program's name first). The element table defaults to
// defaultElementFile.
CommandLine ParseCommandLine(const QStringList& arguments, const QString& defaultElementFile);

// Reads, builds and writes as the options say. Messages for people go to err, each on one line
// starting "pelmora: ", with the texts the window shows; the JSON of --info goes to out.
// Returns an ExitCode.
int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err);

// Where --frame all writes a frame: OUT with a dash and the frame number of at least four digits
// before the extension of its last component ("out.png", 7 -> "out-0007.png"), or at its end.
QString FrameOutFile(const QString& outFile, int frame);

// Parses and runs; the element table defaults to Atom.txt beside the executable.
int RunCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err);

#endif
