// The recent files and the places the file dialogs start in.

#include "RecentFiles.h"
#include "FileDialogPlaces.h"

#include <gtest/gtest.h>

TEST(RecentFiles, TheFileOpenedComesFirstOnceAndTheListKeepsTen)
{
    struct Case {
        const char* name;
        QStringList before;
        QString opened;
        QStringList after;
    };
    QStringList eleven;
    for (int i = 0; i < 11; ++i)
        eleven << QString("/d/%1.xyz").arg(i);
    const Case cases[] = {
        {"first", {}, "/d/a.xyz", {"/d/a.xyz"}},
        {"new on top", {"/d/a.xyz"}, "/d/b.xyz", {"/d/b.xyz", "/d/a.xyz"}},
        {"again moves up", {"/d/a.xyz", "/d/b.xyz", "/d/c.xyz"}, "/d/c.xyz", {"/d/c.xyz", "/d/a.xyz", "/d/b.xyz"}},
        {"the oldest goes", eleven.mid(0, 10), "/d/new.xyz", QStringList{"/d/new.xyz"} + eleven.mid(0, 9)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WithRecentFile(c.before, c.opened), c.after);
    }
    EXPECT_EQ(RecentFileCaption("/data/runs/water.xyz"), "water.xyz");
}

TEST(FileDialogPlaces, TheSaveNameIsTheOpenFilesWithTheNewExtension)
{
    struct Case {
        const char* name;
        QString openFile, folder, extension, suggested;
    };
    const Case cases[] = {
        {"beside the file", "/data/water.xyz", "", "svg", "/data/water.svg"},
        {"in the folder saved to last", "/data/water.xyz", "/out", "png", "/out/water.png"},
        {"only the last extension goes", "/data/run.frames.xyz", "/out", "svg", "/out/run.frames.svg"},
        {"no extension", "/data/water", "", "png", "/data/water.png"},
        {"nothing open", "", "/out", "svg", "/out"},
        {"nothing at all", "", "", "svg", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SuggestedSaveName(c.openFile, c.folder, c.extension), c.suggested);
    }
    EXPECT_EQ(FolderOfFile("/data/water.xyz"), "/data");
    EXPECT_EQ(FolderOfFile(""), "");
}
