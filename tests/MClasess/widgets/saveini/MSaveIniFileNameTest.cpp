// File-name codes: every form, with and without a linker map beside the executable.

#include "MSaveIniFileName.h"

#include <gtest/gtest.h>

#include "SaveIniTestSupport.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace {

TEST(MSaveIniFileNameTest, EveryCodeFormWithAndWithoutAMapFile)
{
    TempDir dir;
    // An executable two folders deep; the map files are made where each case needs one.
    const std::filesystem::path bin = dir.Path() / "a" / "b" / "bin";
    std::filesystem::create_directories(bin);
    const QString exe = QString::fromStdString((bin / "pelmora").string());
    const QString binDir = QString::fromStdString(bin.string());

    struct Case {
        const char* code;
        const char* mapAt;  // where a map file lies, relative to the executable's folder; "" none
        QString path;
    };
    const Case cases[] = {
        {"", "", binDir + "/pelmora.ini"},
        {"0|2", "", binDir + "/pelmora.ini"},
        {"0|2", ".", binDir + "/../../pelmora.ini"},
        {"", ".", binDir + "/../../pelmora.ini"},
        {"0|2", "../..", binDir + "/pelmora.ini"},  // a map elsewhere does not count
        {"1|0", "..", binDir + "/pelmora.ini"},
        {"1|0", "", binDir + "/../pelmora.ini"},
        {"0", "", binDir + "/pelmora.ini"},
        {"0", ".", binDir + "/pelmora.ini"},
        {"1", "", binDir + "/../pelmora.ini"},
        {"3", ".", binDir + "/../../../pelmora.ini"},
        {"a", "", "a.ini"},
        {"x|2", ".", "x|2.ini"},
        {"0|y", "", binDir + "/pelmora.ini"},  // m is read only when the map is there
        {"0|y", ".", "0|y.ini"},
        {"settings", "", "settings.ini"},
        {"/etc/pelmora/window.cfg", ".", "/etc/pelmora/window.ini"},
        {"/etc/pelmora.d/window", "", "/etc/pelmora.d/window.ini"},
        {"/home/u/.hidden", "", "/home/u/.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " map at '" + c.mapAt + "'");
        std::filesystem::path map;
        if (*c.mapAt) {
            map = bin / c.mapAt / "pelmora.map";
            QFile(QString::fromStdString(map.string())).open(QIODevice::WriteOnly);
        }
        EXPECT_EQ(GetFileNameExt(QString::fromLatin1(c.code), QStringLiteral(".ini"), exe), c.path);
        if (!map.empty())
            std::filesystem::remove(map);
    }
}

TEST(MSaveIniFileNameTest, TheExtensionReplacesTheExecutablesOwn)
{
    EXPECT_EQ(GetFileNameExt(QStringLiteral("0"), QStringLiteral(".ini"), QStringLiteral("/opt/p/pelmora.bin")),
              QStringLiteral("/opt/p/pelmora.ini"));
    EXPECT_EQ(GetFileNameExt(QStringLiteral("2"), QStringLiteral(".cfg"), QStringLiteral("/opt/p.d/pelmora")),
              QStringLiteral("/opt/p.d/../../pelmora.cfg"));
}

TEST(MSaveIniFileNameTest, TheRunningExecutableGivesDirAndName)
{
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    EXPECT_EQ(GetFileNameExt(QStringLiteral("1"), QStringLiteral(".ini")),
              exe.path() + QStringLiteral("/../") + exe.completeBaseName() + QStringLiteral(".ini"));
}

TEST(MSaveIniFileNameTest, AFolderIsWritableWhenAFileCanBeMadeInIt)
{
    TempDir dir;
    EXPECT_TRUE(IsFolderWritable(QString::fromStdString(dir.Path().string())));
    EXPECT_FALSE(IsFolderWritable(QString::fromStdString(dir.File("missing"))));
    EXPECT_FALSE(IsFolderWritable(QStringLiteral("/proc")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
