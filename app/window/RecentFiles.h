#ifndef PELMORA_APP_WINDOW_RECENTFILES_H
#define PELMORA_APP_WINDOW_RECENTFILES_H

// The files opened last, newest first, as the File panel lists them and the settings keep them.

#include <QString>
#include <QStringList>

inline constexpr int RecentFilesKept = 10;

// The list after fileName was opened: fileName first, every file once, at most RecentFilesKept.
[[nodiscard]] QStringList WithRecentFile(QStringList recent, const QString& fileName);

// The name the list shows for a file: its name without the folder.
[[nodiscard]] QString RecentFileCaption(const QString& fileName);

#endif
