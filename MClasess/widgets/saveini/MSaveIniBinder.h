#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIBINDER_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIBINDER_H

// One description of a component's keys serves both a save and a load. Whatever stores state
// (a row of the class table, a form's bounds, the walk's tag) binds each of its keys once: the
// key's path, the value the control shows, and how a read value is put back. A save's binder
// writes the value under the key; a load's binder reads the key and puts the value back, taking
// the control's own value (or the given one) when the file lacks the key. A key's name, its
// format and its place among the others are therefore written in one place only.
//
// Values are int (decimal), bool (1 or 0) or QString, as MIniFile stores them.

#include "MSaveIniKeys.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <type_traits>
#include <utility>

namespace saveini {

enum class TDirection { Save, Load };

class MSaveIniBinder {
public:
    template <class T>
    using TRestore = std::type_identity_t<std::function<void(const T&)>>;

    MSaveIniBinder(TDirection direction, MSaveIniKeys keys) : direction_(direction), keys_(std::move(keys)) {}

    [[nodiscard]] const QString& Section() const { return keys_.Section(); }
    [[nodiscard]] const QString& Name() const { return keys_.Name(); }

    // One key. A save writes value; a load reads the key, value when the file lacks it, and passes
    // what it read to restore.
    template <class T>
    void Key(QStringView path, const T& value, const TRestore<T>& restore) const
    {
        KeyOr(path, value, value, restore);
    }
    // The same, where a load takes `missing` when the file lacks the key.
    template <class T>
    void KeyOr(QStringView path, const T& value, const std::type_identity_t<T>& missing,
               const TRestore<T>& restore) const
    {
        if (direction_ == TDirection::Load)
            restore(Read(path, missing));
        else if (written_)
            Write(path, value);
    }
    // The same, where a load leaves the control alone when the file lacks the key.
    template <class T>
    void KeyIfPresent(QStringView path, const T& value, const TRestore<T>& restore) const
    {
        if (direction_ == TDirection::Save || keys_.Has(path))
            Key(path, value, restore);
    }

    // A key held in a variable, for values that are put back together once all are read (AfterLoad):
    // a save writes the variable, a load reads the key into it (`missing` when the file lacks it).
    template <class T>
    void Key(QStringView path, T& variable) const
    {
        KeyOr(path, variable, variable);
    }
    template <class T>
    void KeyOr(QStringView path, T& variable, const std::type_identity_t<T>& missing) const
    {
        KeyOr(path, variable, missing, [&variable](const T& read) { variable = read; });
    }

    // A step that only a load takes, with the values its keys read so far; a save passes it by.
    void AfterLoad(const std::function<void()>& step) const
    {
        if (direction_ == TDirection::Load)
            step();
    }
    // A step that only a save takes, once the keys before it are written.
    void AfterSave(const std::function<void()>& step) const
    {
        if (direction_ == TDirection::Save)
            step();
    }

    // The same keys, written by a save only when the condition holds; a load reads them always.
    [[nodiscard]] MSaveIniBinder WrittenOnlyIf(bool condition) const
    {
        MSaveIniBinder binder = *this;
        binder.written_ = written_ && condition;
        return binder;
    }
    // The keys of the same component in another section.
    [[nodiscard]] MSaveIniBinder InSection(QString section) const
    {
        MSaveIniBinder binder(direction_, MSaveIniKeys(keys_.Ini(), std::move(section), keys_.Name()));
        binder.written_ = written_;
        return binder;
    }
    // A save that writes these keys erases their section first, so no key of a larger state stays
    // behind; a load reads the section as it is.
    void ReplacesSection() const
    {
        if (direction_ == TDirection::Save && written_)
            keys_.Ini().EraseSection(keys_.Section());
    }

    // See MSaveIniKeys::ItemLimit.
    [[nodiscard]] int ItemLimit(int currentItems) const { return keys_.ItemLimit(currentItems); }

private:
    void Write(QStringView path, int value) const { keys_.WriteInteger(path, value); }
    void Write(QStringView path, bool value) const { keys_.WriteBool(path, value); }
    void Write(QStringView path, const QString& value) const { keys_.WriteString(path, value); }
    [[nodiscard]] int Read(QStringView path, int missing) const { return keys_.ReadInteger(path, missing); }
    [[nodiscard]] bool Read(QStringView path, bool missing) const { return keys_.ReadBool(path, missing); }
    [[nodiscard]] QString Read(QStringView path, const QString& missing) const
    {
        return keys_.ReadString(path, missing);
    }

    TDirection direction_;
    MSaveIniKeys keys_;
    bool written_ = true;
};

}  // namespace saveini

#endif
