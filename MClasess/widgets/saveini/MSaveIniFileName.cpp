#include "MSaveIniFileName.h"
#include "MTrace.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <optional>

namespace {

QString ChangeFileExt(const QString& path, const QString& extension)
{
    const qsizetype lastSlash = path.lastIndexOf(u'/');
    const qsizetype lastDot = path.lastIndexOf(u'.');
    return (lastDot > lastSlash ? path.left(lastDot) : path) + extension;
}

std::optional<int> ToInteger(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// dir, levels times "/..", "/", name with the extension.
QString LevelPath(const QFileInfo& executable, int levels, const QString& extension)
{
    return executable.path() + QStringLiteral("/..").repeated(std::max(levels, 0)) + u'/'
        + ChangeFileExt(executable.fileName(), extension);
}

void ReportUnknownError() { TraceError(TraceUnitText, "Unknown error", "GetFileNameExt"); }

std::optional<QString> PathOfNumberCode(const QString& code, const QString& extension, const QFileInfo& executable)
{
    if (code.size() == 1) {
        if (!code[0].isDigit())
            return std::nullopt;
        return LevelPath(executable, code[0].digitValue(), extension);
    }
    const qsizetype bar = code.indexOf(u'|');
    if (bar < 0)
        return std::nullopt;
    const std::optional<int> plain = ToInteger(code.left(bar));
    if (!plain) {
        ReportUnknownError();
        return std::nullopt;
    }
    if (!QFileInfo::exists(LevelPath(executable, *plain, QStringLiteral(".map"))))
        return LevelPath(executable, *plain, extension);
    const std::optional<int> development = ToInteger(code.mid(bar + 1));
    if (!development) {
        ReportUnknownError();
        return std::nullopt;
    }
    return LevelPath(executable, *development, extension);
}

}  // namespace

QString GetFileNameExt(const QString& code, const QString& extension)
{
    return GetFileNameExt(code, extension, QCoreApplication::applicationFilePath());
}

QString GetFileNameExt(const QString& code, const QString& extension, const QString& executableFile)
{
    const QString effective = code.isEmpty() ? QString::fromLatin1(SaveIniDefaultCode) : code;
    try {
        if (std::optional<QString> path = PathOfNumberCode(effective, extension, QFileInfo(executableFile)))
            return *path;
    } catch (...) {
        ReportUnknownError();
    }
    return ChangeFileExt(effective, extension);
}

bool IsFolderWritable(const QString& folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/.pelmora-write-test-XXXXXX"));
    return probe.open();
}

QString SaveIniFileName(const QString& code)
{
    const QString path = GetFileNameExt(code, QStringLiteral(".ini"));
    const QFileInfo file(path);
    if (IsFolderWritable(file.path()))
        return path;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u'/' + file.fileName();
}
