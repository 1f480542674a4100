#include "ElementChoiceMemory.h"

#include <QFileInfo>

#include <utility>
#include <vector>

#include "MIniFile.h"

namespace {

QString FileKey(int place) { return QString("File%1").arg(place); }
QString MapKey(int place) { return QString("Map%1").arg(place); }

QString FullName(const QString& fileName) { return QFileInfo(fileName).absoluteFilePath(); }

// The files and their maps' texts, most recent first.
std::vector<std::pair<QString, QString>> Remembered(const MIniFile& ini)
{
    std::vector<std::pair<QString, QString>> files;
    for (int place = 1; place <= ElementChoiceMostFiles; ++place) {
        const QString file = ini.ReadString(ElementChoiceSection, FileKey(place), {});
        if (file.isEmpty())
            break;
        files.emplace_back(file, ini.ReadString(ElementChoiceSection, MapKey(place), {}));
    }
    return files;
}

}  // namespace

ElementMap RecallElementChoices(const MIniFile& ini, const QString& fullFileName)
{
    for (const auto& [file, text] : Remembered(ini))
        if (file == fullFileName) {
            ElementMapParse parse = ParseElementMap(text.toStdString());
            return parse.map ? std::move(*parse.map) : ElementMap{};
        }
    return {};
}

void RememberElementChoices(MIniFile& ini, const QString& fullFileName, const ElementMap& map)
{
    std::vector<std::pair<QString, QString>> files = Remembered(ini);
    std::erase_if(files, [&](const auto& entry) { return entry.first == fullFileName; });
    if (!map.empty())
        files.insert(files.begin(), {fullFileName, QString::fromStdString(ElementMapText(map))});
    if (files.size() > std::size_t(ElementChoiceMostFiles))
        files.resize(std::size_t(ElementChoiceMostFiles));
    ini.EraseSection(ElementChoiceSection);
    for (std::size_t i = 0; i < files.size(); ++i) {
        ini.WriteString(ElementChoiceSection, FileKey(int(i) + 1), files[i].first);
        ini.WriteString(ElementChoiceSection, MapKey(int(i) + 1), files[i].second);
    }
}

ElementMap RecallElementChoicesOfFile(const QString& settingsFile, const QString& fileName)
{
    MIniFile ini;
    if (!ini.LoadFromFile(settingsFile))
        return {};
    return RecallElementChoices(ini, FullName(fileName));
}

MFileSaveResult RememberElementChoicesOfFile(const QString& settingsFile, const QString& fileName,
                                             const ElementMap& map)
{
    MIniFile ini;
    std::string reason;
    if (!ini.LoadFromFile(settingsFile, &reason))
        return {false, reason};
    RememberElementChoices(ini, FullName(fileName), map);
    return ini.SaveToFileWithReason(settingsFile);
}
