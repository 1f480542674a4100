#include "ElementTableLocation.h"

#include <QDir>
#include <QFileInfo>

#include "ElementTable.h"

QString ElementTablePath(const QString& programFolder)
{
    const QDir folder(programFolder);
    const QString beside = folder.filePath(ElementTableFileName);
    const QString installed = QDir::cleanPath(folder.filePath(QStringLiteral("../share/pelmora/")
                                                              + ElementTableFileName));
    for (const QString& candidate : {beside, installed})
        if (QFileInfo(candidate).isFile())
            return candidate;
    return beside;
}
