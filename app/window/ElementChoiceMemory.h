#ifndef PELMORA_APP_WINDOW_ELEMENTCHOICEMEMORY_H
#define PELMORA_APP_WINDOW_ELEMENTCHOICEMEMORY_H

// The elements the user chose for the symbols of a file, remembered in the settings file for
// the next time the file is opened, keyed by the file's full name. Section [ElementChoices]:
// File1/Map1 the file chosen for last, File2/Map2 the one before, and so on, of the last
// MostFiles files only (an older file's choices are forgotten).

#include <QString>

#include "ElementMap.h"
#include "MFileSave.h"

class MIniFile;

inline constexpr int ElementChoiceMostFiles = 50;
inline constexpr const char* ElementChoiceSection = "ElementChoices";

// The elements chosen for the file's symbols, or an empty map (also for a map that does not read).
ElementMap RecallElementChoices(const MIniFile& ini, const QString& fullFileName);

// Keeps the map as the file's, first of the files; an empty map forgets the file.
void RememberElementChoices(MIniFile& ini, const QString& fullFileName, const ElementMap& map);

// The same on the settings file itself: read, changed and written back whole (other sections
// kept). The file's full name is taken from fileName.
ElementMap RecallElementChoicesOfFile(const QString& settingsFile, const QString& fileName);
MFileSaveResult RememberElementChoicesOfFile(const QString& settingsFile, const QString& fileName,
                                             const ElementMap& map);

#endif
