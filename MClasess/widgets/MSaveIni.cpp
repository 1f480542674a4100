// The entry points: the settings file around the walks.

#include "MSaveIni.h"
#include "MIniFile.h"
#include "MTrace.h"

#include <QDir>
#include <QFileInfo>

namespace {

void ReportUnknownError(const char* method)
{
    TraceError(TraceUnitText, "Unknown error", method);
}

enum class TWalkResult { Done, Failed, Threw };

// Runs a walk over each owner until one fails.
template <class Walk>
TWalkResult WalkOwners(std::span<QObject* const> owners, Walk walk) noexcept
{
    try {
        for (QObject* owner : owners)
            if (!walk(owner))
                return TWalkResult::Failed;
        return TWalkResult::Done;
    } catch (...) {
        return TWalkResult::Threw;
    }
}

bool SaveWalks(std::span<QObject* const> owners, const QString& fileName, const QString& sectionPrefix)
{
    MIniFile ini;
    if (!ini.LoadFromFile(fileName)) {
        ReportUnknownError("SaveToFileIni");
        return false;  // writing now would lose what the unreadable file holds
    }
    const bool walked = WalkOwners(owners, [&](QObject* owner) {
        return ForSaveToFileIni(owner, &ini, sectionPrefix);
    }) == TWalkResult::Done;
    if (!walked)
        ReportUnknownError("SaveToFileIni");
    // The per-user folder may not exist yet.
    const bool written = QDir().mkpath(QFileInfo(fileName).path()) && ini.SaveToFile(fileName);
    if (!written)
        ReportUnknownError("SaveToFileIni");
    return walked && written;
}

bool LoadWalks(std::span<QObject* const> owners, const QString& fileName, const QString& sectionPrefix)
{
    MIniFile ini;
    if (!ini.LoadFromFile(fileName)) {
        ReportUnknownError("LoadFromFileIni");
        return false;
    }
    const TWalkResult result = WalkOwners(owners, [&](QObject* owner) {
        return ForLoadFromFileIni(owner, &ini, sectionPrefix);
    });
    if (result == TWalkResult::Threw)
        ReportUnknownError("LoadFromFileIni");
    return result == TWalkResult::Done;
}

}  // namespace

bool SaveToFileIni(std::span<QObject* const> owners, const QString& fileNameCode, const QString& sectionPrefix)
{
    try {
        if (owners.empty()) {
            ReportUnknownError("SaveToFileIni");
            return false;
        }
        return SaveWalks(owners, SaveIniFileName(fileNameCode), sectionPrefix);
    } catch (...) {
        ReportUnknownError("SaveToFileIni");
        return false;
    }
}

bool SaveToFileIni(QObject* owner, const QString& fileNameCode, const QString& sectionPrefix)
{
    return SaveToFileIni(std::span<QObject* const>(&owner, 1), fileNameCode, sectionPrefix);
}

bool LoadFromFileIni(std::span<QObject* const> owners, const QString& fileNameCode, const QString& sectionPrefix)
{
    try {
        if (owners.empty()) {
            ReportUnknownError("LoadFromFileIni");
            return false;
        }
        const QString fileName = SaveIniFileName(fileNameCode);
        if (!QFileInfo::exists(fileName))
            return false;
        return LoadWalks(owners, fileName, sectionPrefix);
    } catch (...) {
        ReportUnknownError("LoadFromFileIni");
        return false;
    }
}

bool LoadFromFileIni(QObject* owner, const QString& fileNameCode, const QString& sectionPrefix)
{
    return LoadFromFileIni(std::span<QObject* const>(&owner, 1), fileNameCode, sectionPrefix);
}
