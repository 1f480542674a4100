#ifndef PELMORA_APP_LOCALFILENAME_H
#define PELMORA_APP_LOCALFILENAME_H

#include <QString>

#include <string>

#include "MFileName.h"

// The bytes of the file system for a name the program holds as text. Names from the command
// line keep bytes that are not UTF-8 (MFileName.h); names from the dialogs are plain text. Both
// come back as the bytes they stand for.
inline std::string LocalFileName(const QString& fileName) { return FileNameToBytes(fileName); }

#endif
