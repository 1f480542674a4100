#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIFILENAME_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIFILENAME_H

// Where the settings file lies.
//
// A file-name code names it relative to the executable, with dir its folder and name its file
// name:
//   ""        counts as "0|2";
//   "n"       one digit: dir, n times "/..", "/", name with its extension changed;
//   "n|m"     dir + n times "/.." + "/" + name with the extension ".map"; when that file exists
//             (a development build beside its linker map) the m-level path, otherwise the
//             n-level path, each with the extension changed. The "/.." steps stay in the path;
//   anything else, and "n|m" whose n (or, with the map present, m) is not an integer: the code
//             itself as a path (relative ones to the current folder), its extension changed.
// To change an extension, everything from the last "." of the last path component is replaced,
// and a name without a "." gets the extension appended.
//
// "0|2" thus puts "pelmora.ini" beside the program. An installed program cannot write there,
// and every user would share one file, so a save or load whose folder is not writable uses the
// per-user configuration folder instead (QStandardPaths::AppConfigLocation, for example
// ~/.config/pelmora/pelmora.ini), under the same file name. A build folder is writable and keeps
// the file beside the executable.

#include <QString>

// The file-name code of the main window: beside the executable, or two folders up beside a
// development build's linker map.
inline constexpr const char SaveIniDefaultCode[] = "0|2";

// The path a code gives, with the extension (".ini") put on. A code whose numbers do not
// convert is posted as "Unknown error" and taken as a path.
[[nodiscard]] QString GetFileNameExt(const QString& code, const QString& extension);
// The same for another executable than the running one.
[[nodiscard]] QString GetFileNameExt(const QString& code, const QString& extension, const QString& executableFile);

// The settings file a save or load with this code uses: GetFileNameExt(code, ".ini"), or the
// file of that name in the per-user configuration folder when its folder is not writable.
[[nodiscard]] QString SaveIniFileName(const QString& code);

// Whether a file can be made in the folder, found by making one there (and removing it):
// permission bits say nothing to root, and nothing of read-only or virtual file systems.
[[nodiscard]] bool IsFolderWritable(const QString& folder);

#endif
