#include "FileDialogPlaces.h"

#include <QDir>
#include <QFileInfo>

QString FolderOfFile(const QString& fileName)
{
    if (fileName.isEmpty())
        return {};
    return QFileInfo(fileName).absolutePath();
}

QString SuggestedSaveName(const QString& openFile, const QString& folder, const QString& extension)
{
    const QString place = folder.isEmpty() ? FolderOfFile(openFile) : folder;
    if (openFile.isEmpty())
        return place;
    // completeBaseName: "benzene.frames.xyz" keeps "benzene.frames", only the last extension goes.
    const QString name = QFileInfo(openFile).completeBaseName() + '.' + extension;
    return place.isEmpty() ? name : QDir(place).filePath(name);
}
