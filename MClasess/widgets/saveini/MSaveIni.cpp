// The entry points: the settings file around the walks.

#include "MSaveIni.h"
#include "MFileName.h"
#include "MIniFile.h"
#include "MMessageText.h"
#include "MTrace.h"

#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace {

const char* const UnknownError = "Unknown error";

void ReportUnknownError(const char* method) { TraceError(TraceUnitText, UnknownError, method); }

enum class TWalkResult { Done, Failed, Threw };

MFileSaveResult NotSaved(std::string reason) { return {false, std::move(reason)}; }

// The per-user folder may not exist yet; empty when it exists or was made, else why not.
std::string MakeFolderOf(const QString& fileName)
{
    const std::string folder = FileNameToBytes(QFileInfo(fileName).path());
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error)
        return {};
    return "Cannot create folder \"" + EscapedForMessage(folder) + "\". " + error.message();
}

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

MFileSaveResult SaveWalks(std::span<QObject* const> owners, const QString& fileName, const QString& sectionPrefix)
{
    MIniFile ini;
    std::string unreadable;
    if (!ini.LoadFromFile(fileName, &unreadable)) {
        ReportUnknownError("SaveToFileIni");
        return NotSaved(unreadable);  // writing would lose what the unreadable file holds
    }
    const bool walked = WalkOwners(owners, [&](QObject* owner) { return ForSaveToFileIni(owner, &ini, sectionPrefix); })
        == TWalkResult::Done;
    if (!walked)
        ReportUnknownError("SaveToFileIni");
    const std::string folderFailure = MakeFolderOf(fileName);
    MFileSaveResult written = folderFailure.empty() ? ini.SaveToFileWithReason(fileName) : NotSaved(folderFailure);
    if (!written.saved)
        ReportUnknownError("SaveToFileIni");
    if (written.saved && !walked)
        return NotSaved(UnknownError);
    return written;
}

bool LoadWalks(std::span<QObject* const> owners, const QString& fileName, const QString& sectionPrefix)
{
    MIniFile ini;
    if (!ini.LoadFromFile(fileName)) {
        ReportUnknownError("LoadFromFileIni");
        return false;
    }
    const TWalkResult result =
        WalkOwners(owners, [&](QObject* owner) { return ForLoadFromFileIni(owner, &ini, sectionPrefix); });
    if (result == TWalkResult::Threw)
        ReportUnknownError("LoadFromFileIni");
    return result == TWalkResult::Done;
}

}  // namespace

MFileSaveResult SaveToFileIniWithReason(std::span<QObject* const> owners, const QString& fileNameCode,
                                        const QString& sectionPrefix)
{
    try {
        if (owners.empty()) {
            ReportUnknownError("SaveToFileIni");
            return NotSaved(UnknownError);
        }
        return SaveWalks(owners, SaveIniFileName(fileNameCode), sectionPrefix);
    } catch (...) {
        ReportUnknownError("SaveToFileIni");
        return NotSaved(UnknownError);
    }
}

MFileSaveResult SaveToFileIniWithReason(QObject* owner, const QString& fileNameCode, const QString& sectionPrefix)
{
    return SaveToFileIniWithReason(std::span<QObject* const>(&owner, 1), fileNameCode, sectionPrefix);
}

bool SaveToFileIni(std::span<QObject* const> owners, const QString& fileNameCode, const QString& sectionPrefix)
{
    return SaveToFileIniWithReason(owners, fileNameCode, sectionPrefix).saved;
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
