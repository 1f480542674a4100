#include "RecentFiles.h"

#include <QFileInfo>

QStringList WithRecentFile(QStringList recent, const QString& fileName)
{
    recent.removeAll(fileName);
    recent.prepend(fileName);
    while (recent.size() > RecentFilesKept)
        recent.removeLast();
    return recent;
}

QString RecentFileCaption(const QString& fileName) { return QFileInfo(fileName).fileName(); }
