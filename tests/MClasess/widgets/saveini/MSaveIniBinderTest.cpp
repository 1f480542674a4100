// One binding of keys run as a save and as a load: what a save writes and in which order, what
// a load puts back, and what it does with keys the file lacks.

#include "MSaveIniBinder.h"
#include "MIniFile.h"
#include "SaveIniTestSupport.h"

#include <gtest/gtest.h>

namespace {

using saveini::MSaveIniBinder;
using saveini::MSaveIniKeys;
using saveini::TDirection;

const QString kSection = QStringLiteral("Form");

// The state of a control, as a row would hold it.
struct Control {
    int count = 3;
    bool on = true;
    QString text = QStringLiteral("a");
    int index = 5;
    int shown = 9;
    bool shownRestored = false;
    int loadSteps = 0;
    int saveSteps = 0;
};

// Each key named once, for both directions.
void Bind(Control& c, const MSaveIniBinder& keys)
{
    keys.ReplacesSection();
    keys.Key(u"->Count", c.count);
    keys.Key(u"->On", c.on, [&c](bool on) { c.on = on; });
    keys.WrittenOnlyIf(!c.text.isEmpty()).Key(u"->Text", c.text);
    keys.KeyOr(u"->Index", c.index, 0);
    keys.KeyIfPresent(u"->Shown", c.shown, [&c](int shown) {
        c.shown = shown;
        c.shownRestored = true;
    });
    keys.AfterLoad([&c] { ++c.loadSteps; });
    keys.AfterSave([&c] { ++c.saveSteps; });
}

// The file text after the binding ran on a file of the given text.
QString FileAfter(Control& c, TDirection direction, const QString& text)
{
    MIniFile ini;
    ini.LoadFromText(text);
    Bind(c, MSaveIniBinder(direction, MSaveIniKeys(ini, kSection, QStringLiteral("Box"))));
    return ini.ToText();
}

TEST(MSaveIniBinderTest, ASaveWritesEveryKeyInTheOrderItIsBound)
{
    struct Case {
        const char* name;
        QString text;  // the control's text
        QString file;  // the file after the save
    };
    const Case cases[] = {
        {"all keys, the old ones erased", QStringLiteral("a"),
         QStringLiteral("[Form]\nBox->Count=3\nBox->On=1\nBox->Text=a\nBox->Index=5\nBox->Shown=9\n\n")},
        {"a key written only when not empty", QString(),
         QStringLiteral("[Form]\nBox->Count=3\nBox->On=1\nBox->Index=5\nBox->Shown=9\n\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Control control;
        control.text = c.text;
        const QString before = QStringLiteral("[Form]\nBox->Stale=1\nBox->Text=old\n");
        EXPECT_EQ(FileAfter(control, TDirection::Save, before), c.file);
        EXPECT_EQ(control.saveSteps, 1);
        EXPECT_EQ(control.loadSteps, 0);
        EXPECT_FALSE(control.shownRestored);
    }
}

TEST(MSaveIniBinderTest, ALoadPutsBackWhatTheFileHoldsAndDecidesForMissingKeys)
{
    Control all;
    const QString file = QStringLiteral("[Form]\nBox->Count=7\nBox->On=0\nBox->Text=b\nBox->Index=2\nBox->Shown=4\n");
    EXPECT_EQ(FileAfter(all, TDirection::Load, file), file + QStringLiteral("\n"));  // read, never written
    EXPECT_EQ(all.count, 7);
    EXPECT_FALSE(all.on);
    EXPECT_EQ(all.text, QStringLiteral("b"));
    EXPECT_EQ(all.index, 2);
    EXPECT_EQ(all.shown, 4);
    EXPECT_TRUE(all.shownRestored);
    EXPECT_EQ(all.loadSteps, 1);
    EXPECT_EQ(all.saveSteps, 0);

    // Missing keys: the control's own value, the given one (Index), or no restore at all (Shown).
    Control none;
    none.text.clear();
    (void)FileAfter(none, TDirection::Load, QStringLiteral("[Form]\nBox->Text=read although empty\n"));
    EXPECT_EQ(none.count, 3);
    EXPECT_TRUE(none.on);
    EXPECT_EQ(none.text, QStringLiteral("read although empty"));
    EXPECT_EQ(none.index, 0);
    EXPECT_EQ(none.shown, 9);
    EXPECT_FALSE(none.shownRestored);
}

TEST(MSaveIniBinderTest, KeysInAnotherSectionKeepTheComponentsName)
{
    MIniFile ini;
    const MSaveIniBinder keys(TDirection::Save, MSaveIniKeys(ini, kSection, QStringLiteral("Grid")));
    int columns = 4;
    keys.InSection(QStringLiteral("Form_>Grid")).Key(u"->ColCount", columns);
    keys.WrittenOnlyIf(false).InSection(QStringLiteral("Form_>Grid")).Key(u"->RowCount", columns);
    EXPECT_EQ(ini.ToText(), QStringLiteral("[Form_>Grid]\nGrid->ColCount=4\n\n"));
}

}  // namespace
