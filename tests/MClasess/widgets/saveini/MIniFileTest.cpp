// The in-memory ini file: what a load keeps, how names match, how values are read, and the
// bytes it writes and reads.

#include "MIniFile.h"
#include "MIniText.h"

#include <gtest/gtest.h>

#include "SaveIniTestSupport.h"
#include "TempDir.h"

#include <QFile>

#include <filesystem>

namespace {

TEST(MIniFileTest, KeepsWhatAWriteDoesNotTouchInItsOrder)
{
    MIniFile ini;
    ini.LoadFromText(QStringLiteral("; written by hand\n"
                                    "[Other]\n"
                                    "Zeta=1\n"
                                    "# a comment inside\n"
                                    "Alpha= spaced value \n"
                                    "\n"
                                    "[FormMain]\n"
                                    "EditAx->Text=2.46\n"
                                    "Unknown=kept\n"));
    ini.WriteString(QStringLiteral("formmain"), QStringLiteral("EDITAX->TEXT"), QStringLiteral("3"));
    ini.WriteInteger(QStringLiteral("FormMain"), QStringLiteral("New"), -7);
    ini.WriteBool(QStringLiteral("Added"), QStringLiteral("Flag"), true);

    EXPECT_EQ(ini.ToText(),
              QStringLiteral("; written by hand\n"
                             "[Other]\n"
                             "Zeta=1\n"
                             "# a comment inside\n"
                             "Alpha= spaced value \n"
                             "\n"
                             "[FormMain]\n"
                             "EditAx->Text=3\n"
                             "Unknown=kept\n"
                             "New=-7\n"
                             "\n"
                             "[Added]\n"
                             "Flag=1\n"
                             "\n"));
}

TEST(MIniFileTest, MatchesSectionAndKeyNamesWithoutRegardToCase)
{
    MIniFile ini;
    ini.LoadFromText(QStringLiteral("[FormMain->FrameBmp1]\nScrollBarX->Position=120\n[Ärger]\nÖl=1\n"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("formmain->framebmp1"), QStringLiteral("SCROLLBARX->position"), 0), 120);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("ärger"), QStringLiteral("öL"), 0), 1);
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("FORMMAIN->FRAMEBMP1")));
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("FormMain->FrameBmp1"), QStringLiteral("ScrollBarY->Position")));
}

TEST(MIniFileTest, ReadsValuesWithTheirDefaults)
{
    MIniFile ini;
    ini.LoadFromText(QStringLiteral("[S]\n"
                                    "Int= 42 \n"
                                    "Negative=-3\n"
                                    "Word=abc\n"
                                    "Fraction=1.5\n"
                                    "Empty=\n"
                                    "True=1\n"
                                    "Two=2\n"
                                    "False=0\n"
                                    "Twice=first\n"
                                    "Twice=second\n"
                                    "Text= keeps = signs \n"));
    const QString s = QStringLiteral("S");
    struct Case {
        const char* key;
        int integer;   // read with the default 99
        bool boolean;  // read with the default true
    };
    const Case cases[] = {
        {"Int", 42, true}, {"Negative", -3, true}, {"Word", 99, true},  {"Fraction", 99, true}, {"Empty", 99, true},
        {"True", 1, true}, {"Two", 2, true},       {"False", 0, false}, {"Missing", 99, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ini.ReadInteger(s, QString::fromLatin1(c.key), 99), c.integer);
        EXPECT_EQ(ini.ReadBool(s, QString::fromLatin1(c.key), true), c.boolean);
    }
    EXPECT_FALSE(ini.ReadBool(s, QStringLiteral("Word"), false));
    EXPECT_EQ(ini.ReadString(s, QStringLiteral("Twice"), {}), QStringLiteral("first"));
    EXPECT_EQ(ini.ReadString(s, QStringLiteral("Text"), {}), QStringLiteral(" keeps = signs "));
    EXPECT_EQ(ini.ReadString(QStringLiteral("None"), QStringLiteral("Int"), QStringLiteral("d")), QStringLiteral("d"));
}

TEST(MIniFileTest, AWriteToAKeyGivenTwiceChangesTheFirst)
{
    MIniFile ini;
    ini.LoadFromText(QStringLiteral("[S]\nK=1\nk=2\n"));
    ini.WriteInteger(QStringLiteral("S"), QStringLiteral("K"), 5);
    EXPECT_EQ(ini.ToText(), QStringLiteral("[S]\nK=5\nk=2\n\n"));
    EXPECT_EQ(ini.KeyCount(QStringLiteral("S")), 1);
}

TEST(MIniFileTest, ErasedSectionComesBackEmptyAtTheEnd)
{
    MIniFile ini;
    ini.LoadFromText(QStringLiteral("[A]\nx=1\n[Grid]\nCells[0][0]=a\nCells[5][5]=old\n[B]\ny=2\n"));
    ini.EraseSection(QStringLiteral("grid"));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("Grid")));
    ini.WriteString(QStringLiteral("Grid"), QStringLiteral("Cells[0][0]"), QStringLiteral("b"));
    ini.WriteInteger(QStringLiteral("B"), QStringLiteral("y"), 3);
    EXPECT_EQ(ini.ToText(), QStringLiteral("[A]\nx=1\n\n[B]\ny=3\n\n[Grid]\nCells[0][0]=b\n\n"));
    EXPECT_EQ(ini.Sections(), QStringList({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Grid")}));
}

TEST(MIniFileTest, ALineBreakInAValueIsStoredAsASpace)
{
    MIniFile ini;
    ini.WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("one\r\ntwo\nthree"));
    ini.WriteString(QStringLiteral("S"), QStringLiteral("After"), QStringLiteral("x"));
    EXPECT_EQ(ini.ToText(), QStringLiteral("[S]\nK=one  two three\nAfter=x\n\n"));
}

TEST(MIniFileTest, LinesEndAtCrLfLfOrCrAndHeadersAndNamesAreTrimmed)
{
    MIniFile ini;
    ini.LoadFromText(QStringLiteral("  [ S ]  \r\n  Key  =v1\rOther=v2\n=no name\n[unclosed\n"));
    EXPECT_EQ(ini.Sections(), QStringList{QStringLiteral("S")});
    EXPECT_EQ(ini.Keys(QStringLiteral("S")), QStringList({QStringLiteral("Key"), QStringLiteral("Other")}));
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("Key"), {}), QStringLiteral("v1"));
    EXPECT_EQ(ini.ToText(), QStringLiteral("[S]\nKey=v1\nOther=v2\n=no name\n[unclosed\n\n"));
}

TEST(MIniFileTest, WritesUtf8WithoutAMarkAndReadsItBack)
{
    TempDir dir;
    const std::string fileName = dir.File("settings.ini");
    MIniFile ini;
    ini.WriteString(QStringLiteral("Fenêtre"), QStringLiteral("EditAx->Text"), QStringLiteral("Å 1,5 €"));
    ASSERT_TRUE(ini.SaveToFile(QString::fromStdString(fileName)));
    EXPECT_EQ(ReadBytes(fileName), QByteArray("[Fen\xC3\xAAtre]\nEditAx->Text=\xC3\x85 1,5 \xE2\x82\xAC\n\n"));

    MIniFile again;
    ASSERT_TRUE(again.LoadFromFile(QString::fromStdString(fileName)));
    EXPECT_EQ(again.ReadString(QStringLiteral("fenêtre"), QStringLiteral("EditAx->Text"), {}),
              QStringLiteral("Å 1,5 €"));
}

TEST(MIniFileTest, DecodesMarkedUtf8AndUtf16AndFallsBackToWindows1252)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {"plain UTF-8", QByteArray("K=\xC3\xA9\xE2\x82\xAC"), QStringLiteral("K=é€")},
        {"UTF-8 with mark", QByteArray("\xEF\xBB\xBFK=\xC3\xA9"), QStringLiteral("K=é")},
        {"UTF-16 LE", QByteArray("\xFF\xFEK\0=\0\xE9\0", 8), QStringLiteral("K=é")},
        {"UTF-16 BE", QByteArray("\xFE\xFF\0K\0=\0\xE9", 8), QStringLiteral("K=é")},
        {"Windows-1252", QByteArray("K=\xE9\x80\x9F\x81"), QStringLiteral("K=\u00E9\u20AC\u0178\u0081")},
        {"UTF-8 cut at the end", QByteArray("K=\xC3\xA9\xE2\x82"), QStringLiteral("K=\u00C3\u00A9\u00E2\u201A")},
        {"a surrogate coded as UTF-8", QByteArray("K=\xED\xA0\x80"), QStringLiteral("K=\u00ED\u00A0\u20AC")},
        {"empty", QByteArray(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeIniText(c.bytes), c.text);
    }
}

TEST(MIniFileTest, AFileInWindows1252IsReadAndWrittenBackAsUtf8)
{
    TempDir dir;
    const std::string fileName = dir.File("old.ini");
    WriteBytes(fileName, QByteArray("[Form]\r\nEdit->Text=Gr\xFC\xDF\x65\r\n"));
    MIniFile ini;
    ASSERT_TRUE(ini.LoadFromFile(QString::fromStdString(fileName)));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Form"), QStringLiteral("Edit->Text"), {}), QStringLiteral("Grüße"));
    ASSERT_TRUE(ini.SaveToFile(QString::fromStdString(fileName)));
    EXPECT_EQ(ReadBytes(fileName), QByteArray("[Form]\nEdit->Text=Gr\xC3\xBC\xC3\x9F\x65\n\n"));
}

TEST(MIniFileTest, AMissingFileIsEmptyAndAnUnreadableOneFailsWithoutChange)
{
    TempDir dir;
    MIniFile ini;
    ini.LoadFromText(QStringLiteral("[Kept]\nK=1\n"));
    // A folder where the file should be cannot be read as one.
    std::filesystem::create_directory(dir.Path() / "folder.ini");
    EXPECT_FALSE(ini.LoadFromFile(QString::fromStdString(dir.File("folder.ini"))));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Kept"), QStringLiteral("K"), 0), 1);

    EXPECT_TRUE(ini.LoadFromFile(QString::fromStdString(dir.File("missing.ini"))));
    EXPECT_TRUE(ini.Sections().isEmpty());
}

// The reasons a caller can show: the file named as given, and the system's words.
TEST(MIniFileTest, FailuresSayWhyAndNameTheFile)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "folder.ini");
    MIniFile ini;
    ini.LoadFromText(QStringLiteral("[Kept]\nK=1\n"));
    std::string reason;
    EXPECT_FALSE(ini.LoadFromFile(QString::fromStdString(dir.File("folder.ini")), &reason));
    // The system's words follow the name ("file to open is a directory" in Qt 6.4).
    const std::string named = "Cannot read file \"" + dir.File("folder.ini") + "\". ";
    EXPECT_TRUE(reason.starts_with(named) && reason.size() > named.size()) << reason;

    WriteBytes(dir.File("locked.ini"), "[Old]\n");
    std::filesystem::permissions(dir.Path() / "locked.ini", std::filesystem::perms(0444));
    struct Case {
        const char* name;
        std::string file;
        std::string reason;
    };
    const Case cases[] = {
        {"saved", dir.File("new.ini"), ""},
        {"a read-only file", dir.File("locked.ini"),
         "Cannot write file \"" + dir.File("locked.ini") + "\". It is read-only (not saved)"},
        {"a missing folder", dir.File("missing/new.ini"),
         "Cannot create file \"" + dir.File("missing/new.ini") + "\". No such file or directory"},
        {"a folder", dir.File("folder.ini"),
         "Cannot write file \"" + dir.File("folder.ini") + "\". It is not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MFileSaveResult result = ini.SaveToFileWithReason(QString::fromStdString(c.file));
        EXPECT_EQ(result.saved, c.reason.empty());
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_EQ(ini.SaveToFile(QString::fromStdString(c.file)), c.reason.empty());
    }
    EXPECT_EQ(ReadBytes(dir.File("locked.ini")), QByteArray("[Old]\n"));
    EXPECT_EQ(ReadBytes(dir.File("new.ini")), QByteArray("[Kept]\nK=1\n\n"));
}

}  // namespace
