#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MINIFILE_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MINIFILE_H

// MIniFile: a settings file held whole in memory, changed there, and written back whole.
//
// Format: "[Section]" header lines and "Key=Value" lines below them. Section and key names
// match without regard to case; a write to an existing key changes its value in place, keeping
// the spelling and position the file gave it, and a new key goes to the end of its section (a
// new section to the end of the file). Sections and keys a program does not touch are kept in
// their order, and so are comment lines (";" or "#") and any other line that is not a key.
// Blank lines are not kept: the file is written with one blank line after each section.
// Values are kept exactly as they follow the "=" (no trimming, no quotes); key and section
// names are trimmed. Of a key given twice, the first counts. A line break cannot live in a
// value, so each CR or LF in a written value is stored as a space.
//
// Reading decodes as MIniText.h describes; writing produces UTF-8 without a byte-order mark,
// lines ending in LF, saved as MFileSave.h describes: the old file is replaced only once the new
// one is completely on the disk.

#include <QHash>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

#include "MFileSave.h"

class MIniFile {
public:
    // Replaces the content with the file's. A missing file gives an empty ini and true; a file
    // that exists but cannot be read gives false and leaves the content unchanged, and when
    // reason is given it says why, naming the file: "Cannot read file \"a.ini\". Permission denied".
    [[nodiscard]] bool LoadFromFile(const QString& fileName, std::string* reason = nullptr);
    // Replaces the content with the lines of a text.
    void LoadFromText(const QString& text);
    // Writes the whole ini. False when the file cannot be written; the old file is then kept
    // as it was and no temporary file is left behind.
    [[nodiscard]] bool SaveToFile(const QString& fileName) const;
    // The same, with the reason when the file is not written, as MFileSave.h words it
    // ("Cannot write file \"a.ini\". No space left on device").
    [[nodiscard]] MFileSaveResult SaveToFileWithReason(const QString& fileName) const;
    // The text SaveToFile writes.
    [[nodiscard]] QString ToText() const;

    // The value of a key, or the default when the section or key is missing.
    [[nodiscard]] QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // A decimal integer (spaces around it allowed); the default when missing or not a number.
    [[nodiscard]] int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // An integer read as above, nonzero meaning true.
    [[nodiscard]] bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    // Written as 1 or 0.
    void WriteBool(const QString& section, const QString& key, bool value);

    [[nodiscard]] bool SectionExists(const QString& section) const;
    [[nodiscard]] bool ValueExists(const QString& section, const QString& key) const;
    // Removes the section with all its keys; a later write makes it again, at the end.
    void EraseSection(const QString& section);
    // How many keys the section holds (0 when it is missing).
    [[nodiscard]] int KeyCount(const QString& section) const;
    [[nodiscard]] QStringList Sections() const;
    [[nodiscard]] QStringList Keys(const QString& section) const;

private:
    // A line of a section: a key with its value, or a line kept as it was (comments).
    struct Entry {
        QString key;
        QString value;
        bool isKey = true;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
        QHash<QString, std::size_t> keyIndex;  // folded key -> first entry with that key
    };

    static QString Folded(const QString& name) { return name.toCaseFolded(); }
    [[nodiscard]] const Section* FindSection(const QString& name) const;
    [[nodiscard]] const Entry* FindEntry(const QString& section, const QString& key) const;
    Section& SectionForWriting(const QString& name);
    void AddLine(Section* section, const QString& line);
    void Clear();

    std::vector<QString> preface_;  // lines before the first section
    std::vector<Section> sections_;
    QHash<QString, std::size_t> sectionIndex_;  // folded name -> index in sections_
};

#endif
