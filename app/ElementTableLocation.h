#ifndef PELMORA_APP_ELEMENTTABLELOCATION_H
#define PELMORA_APP_ELEMENTTABLELOCATION_H

#include <QString>

// The folder of the running program, byte for byte: names that are not UTF-8 keep their bytes
// as MFileName.h describes (Qt's own answer loses them).
QString ProgramFolder();

// Where the program finds its element table: beside the executable (a build folder, or a copy
// of the program kept with its table), else in ../share/pelmora relative to it (an installed
// tree, wherever its prefix is). When neither exists, the path beside the executable, so that
// the message about the missing table names the place a table copied by hand belongs.
QString ElementTablePath(const QString& programFolder);

#endif
