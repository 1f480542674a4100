#include "ElementTableLocation.h"

#include <QCoreApplication>

#include <filesystem>
#include <system_error>

#include "ElementTable.h"
#include "MFileName.h"

QString ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return QCoreApplication::applicationDirPath();
    return FileNameFromBytes(program.parent_path().native());
}

QString ElementTablePath(const QString& programFolder)
{
    const std::filesystem::path folder = FileNameToBytes(programFolder);
    const std::filesystem::path beside = folder / ElementTableFileName;
    const std::filesystem::path installed =
        (folder / ".." / "share" / "pelmora" / ElementTableFileName).lexically_normal();
    for (const std::filesystem::path& candidate : {beside, installed}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return FileNameFromBytes(candidate.native());
    }
    return FileNameFromBytes(beside.native());
}
