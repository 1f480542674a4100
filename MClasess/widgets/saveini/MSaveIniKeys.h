#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIKEYS_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIKEYS_H

// The keys of one component in the settings file: the component's name followed by a property
// path ("EditAx" + "->Text"), all in one section.

#include "MIniFile.h"

#include <QString>
#include <QStringView>

#include <initializer_list>
#include <utility>

namespace saveini {

// The parts one after another.
inline QString Joined(std::initializer_list<QStringView> parts)
{
    qsizetype size = 0;
    for (const QStringView part : parts)
        size += part.size();
    QString text;
    text.reserve(size);
    for (const QStringView part : parts)
        text.append(part);
    return text;
}

class MSaveIniKeys {
public:
    MSaveIniKeys(MIniFile& ini, QString section, QString name)
        : ini_(ini), section_(std::move(section)), name_(std::move(name))
    {
    }

    [[nodiscard]] MIniFile& Ini() const { return ini_; }
    [[nodiscard]] const QString& Section() const { return section_; }
    [[nodiscard]] const QString& Name() const { return name_; }
    [[nodiscard]] QString Key(QStringView path) const { return Joined({name_, path}); }
    [[nodiscard]] bool Has(QStringView path) const { return ini_.ValueExists(section_, Key(path)); }

    [[nodiscard]] int ReadInteger(QStringView path, int defaultValue) const
    {
        return ini_.ReadInteger(section_, Key(path), defaultValue);
    }
    [[nodiscard]] bool ReadBool(QStringView path, bool defaultValue) const
    {
        return ini_.ReadBool(section_, Key(path), defaultValue);
    }
    [[nodiscard]] QString ReadString(QStringView path, const QString& defaultValue) const
    {
        return ini_.ReadString(section_, Key(path), defaultValue);
    }
    void WriteInteger(QStringView path, int value) const { ini_.WriteInteger(section_, Key(path), value); }
    void WriteBool(QStringView path, bool value) const { ini_.WriteBool(section_, Key(path), value); }
    void WriteString(QStringView path, const QString& value) const { ini_.WriteString(section_, Key(path), value); }

    // How many entries a list of this component may read at most: the items it holds plus every
    // key of the section, so that a damaged count cannot make a load run away.
    [[nodiscard]] int ItemLimit(int currentItems) const { return currentItems + ini_.KeyCount(section_); }

private:
    MIniFile& ini_;
    QString section_;
    QString name_;
};

// Property paths with an index: "->Strings[" 3 "]".
inline QString IndexedPath(QStringView collection, int index)
{
    return Joined({u"->", collection, u"[", QString::number(index), u"]"});
}

}  // namespace saveini

#endif
