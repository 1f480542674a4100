#ifndef PELMORA_APP_CLI_COMMANDLINE_H
#define PELMORA_APP_CLI_COMMANDLINE_H

// The command line of the program:
//   pelmora [FILE.xyz]
// opens the window (on FILE.xyz when given);
//   pelmora --export OUT [options] FILE.xyz...
// draws each FILE.xyz without a window, through the same steps the window takes when it opens a
// file, and writes OUT: an SVG drawing when OUT ends in ".svg", otherwise the scene bitmap as a
// picture chosen by OUT's extension. `--info` prints what was read and built as one JSON object.
// The options are named after the controls they stand for and take the same ranges. `--frame`
// selects frames of a trajectory, `--shard` a share of them, `--size` the size of the pictures
// (BatchCommandLine.h); many frames and files are drawn on every processor (BatchRun.h).

#include <string>

#include <QString>
#include <QStringList>

#include "ExportOptions.h"

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

#endif
