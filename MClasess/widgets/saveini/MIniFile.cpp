#include "MIniFile.h"
#include "MFileName.h"
#include "MFileSave.h"
#include "MIniText.h"
#include "MMessageText.h"

#include <QFile>

#include <string_view>

namespace {

bool IsComment(QStringView trimmedLine) { return trimmedLine.startsWith(u';') || trimmedLine.startsWith(u'#'); }

bool IsSectionHeader(QStringView trimmedLine)
{
    return trimmedLine.size() >= 2 && trimmedLine.startsWith(u'[') && trimmedLine.endsWith(u']');
}

QString OneLine(const QString& value)
{
    if (!value.contains(u'\n') && !value.contains(u'\r'))
        return value;
    QString line = value;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    return line;
}

}  // namespace

bool MIniFile::LoadFromFile(const QString& fileName, std::string* reason)
{
    QFile file(fileName);
    if (!file.exists()) {
        Clear();
        return true;
    }
    const auto failed = [&] {
        if (reason != nullptr)
            *reason = "Cannot read file \"" + EscapedForMessage(FileNameToBytes(fileName)) + "\". "
                + file.errorString().toStdString();
        return false;
    };
    if (!file.open(QIODevice::ReadOnly))
        return failed();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed();
    LoadFromText(DecodeIniText(bytes));
    return true;
}

void MIniFile::LoadFromText(const QString& text)
{
    Clear();
    Section* current = nullptr;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QString line = text.mid(start, end - start);
        start = end + 1;
        if (end < text.size() && text[end] == u'\r' && start < text.size() && text[start] == u'\n')
            ++start;

        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (IsSectionHeader(trimmed))
            current = &SectionForWriting(trimmed.mid(1, trimmed.size() - 2).trimmed());
        else if (current == nullptr)
            preface_.push_back(line);
        else
            AddLine(current, line);
    }
}

void MIniFile::AddLine(Section* section, const QString& line)
{
    const qsizetype equals = line.indexOf(u'=');
    const QString key = equals > 0 ? line.left(equals).trimmed() : QString();
    if (key.isEmpty() || IsComment(line.trimmed())) {
        section->entries.push_back({{}, line, false});
        return;
    }
    const QString folded = Folded(key);
    if (!section->keyIndex.contains(folded))
        section->keyIndex.insert(folded, section->entries.size());
    section->entries.push_back({key, line.mid(equals + 1), true});
}

bool MIniFile::SaveToFile(const QString& fileName) const { return SaveToFileWithReason(fileName).saved; }

MFileSaveResult MIniFile::SaveToFileWithReason(const QString& fileName) const
{
    const QByteArray bytes = EncodeIniText(ToText());
    return SaveFileAtomically(FileNameToBytes(fileName), std::string_view(bytes.constData(), bytes.size()));
}

QString MIniFile::ToText() const
{
    QString text;
    for (const QString& line : preface_)
        text += line + u'\n';
    for (const Section& section : sections_) {
        text += u'[' + section.name + QLatin1String("]\n");
        for (const Entry& entry : section.entries) {
            if (entry.isKey)
                text += entry.key + u'=' + entry.value + u'\n';
            else
                text += entry.value + u'\n';
        }
        text += u'\n';
    }
    return text;
}

QString MIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Entry* entry = FindEntry(section, key);
    return entry ? entry->value : defaultValue;
}

int MIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    const Entry* entry = FindEntry(section, key);
    if (!entry)
        return defaultValue;
    bool ok = false;
    const int value = entry->value.trimmed().toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool MIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void MIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    Section& target = SectionForWriting(section);
    const QString folded = Folded(key);
    const auto found = target.keyIndex.constFind(folded);
    if (found != target.keyIndex.cend()) {
        target.entries[*found].value = OneLine(value);
        return;
    }
    target.keyIndex.insert(folded, target.entries.size());
    target.entries.push_back({key, OneLine(value), true});
}

void MIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void MIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool MIniFile::SectionExists(const QString& section) const { return FindSection(section) != nullptr; }

bool MIniFile::ValueExists(const QString& section, const QString& key) const
{
    return FindEntry(section, key) != nullptr;
}

void MIniFile::EraseSection(const QString& section)
{
    const auto found = sectionIndex_.constFind(Folded(section));
    if (found == sectionIndex_.cend())
        return;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(*found));
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i)
        sectionIndex_.insert(Folded(sections_[i].name), i);
}

int MIniFile::KeyCount(const QString& section) const
{
    const Section* found = FindSection(section);
    return found ? static_cast<int>(found->keyIndex.size()) : 0;
}

QStringList MIniFile::Sections() const
{
    QStringList names;
    for (const Section& section : sections_)
        names.append(section.name);
    return names;
}

QStringList MIniFile::Keys(const QString& section) const
{
    QStringList keys;
    if (const Section* found = FindSection(section))
        for (const Entry& entry : found->entries)
            if (entry.isKey)
                keys.append(entry.key);
    return keys;
}

const MIniFile::Section* MIniFile::FindSection(const QString& name) const
{
    const auto found = sectionIndex_.constFind(Folded(name));
    return found == sectionIndex_.cend() ? nullptr : &sections_[*found];
}

const MIniFile::Entry* MIniFile::FindEntry(const QString& section, const QString& key) const
{
    const Section* found = FindSection(section);
    if (!found)
        return nullptr;
    const auto entry = found->keyIndex.constFind(Folded(key));
    return entry == found->keyIndex.cend() ? nullptr : &found->entries[*entry];
}

MIniFile::Section& MIniFile::SectionForWriting(const QString& name)
{
    const QString folded = Folded(name);
    const auto found = sectionIndex_.constFind(folded);
    if (found != sectionIndex_.cend())
        return sections_[*found];
    sectionIndex_.insert(folded, sections_.size());
    sections_.push_back({name, {}, {}});
    return sections_.back();
}

void MIniFile::Clear()
{
    preface_.clear();
    sections_.clear();
    sectionIndex_.clear();
}
