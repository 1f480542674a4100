// A form's bounds and window state: what a save writes and sets, what a load restores, and
// bounds that would leave the window where no screen shows it.

#include "MSaveIniWindow.h"
#include "MIniFile.h"
#include "MSaveIni.h"

#include <gtest/gtest.h>

#include "SaveIniTestSupport.h"
#include "TempDir.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

class MSaveIniWindowTest : public ::testing::Test {
protected:
    MSaveIniWindowTest() { form_.setObjectName(QStringLiteral("FormMain")); }

    QString Code() const { return QString::fromStdString(dir_.File("settings")); }
    void WriteFile(const QString& text) const
    {
        QFile file(Code() + QStringLiteral(".ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }
    MIniFile ReadFile() const
    {
        MIniFile ini;
        EXPECT_TRUE(ini.LoadFromFile(Code() + QStringLiteral(".ini")));
        return ini;
    }
    int Key(const MIniFile& ini, const char* key) const
    {
        return ini.ReadInteger(QStringLiteral("FormMain"), QStringLiteral("FormMain->") + QLatin1String(key), -999);
    }

    TempDir dir_;
    QWidget form_;
};

TEST_F(MSaveIniWindowTest, BoundsRoundTrip)
{
    form_.setGeometry(100, 120, 300, 200);
    ASSERT_TRUE(SaveToFileIni(&form_, Code()));
    const MIniFile ini = ReadFile();
    EXPECT_EQ(Key(ini, "Top"), 120);
    EXPECT_EQ(Key(ini, "Left"), 100);
    EXPECT_EQ(Key(ini, "Height"), 200);
    EXPECT_EQ(Key(ini, "Width"), 300);

    form_.setGeometry(5, 6, 70, 80);
    ASSERT_TRUE(LoadFromFileIni(&form_, Code()));
    EXPECT_EQ(form_.geometry(), QRect(100, 120, 300, 200));
}

TEST_F(MSaveIniWindowTest, SavingAMaximisedWindowStoresItsNormalBoundsAndMakesItNormal)
{
    form_.setGeometry(100, 120, 300, 200);
    form_.show();
    form_.setWindowState(Qt::WindowMaximized);
    ASSERT_TRUE(SaveToFileIni(&form_, Code()));
    const MIniFile ini = ReadFile();
    EXPECT_EQ(Key(ini, "WindowState"), 2);
    EXPECT_EQ(Key(ini, "Left"), 100);
    EXPECT_EQ(Key(ini, "Width"), 300);
    EXPECT_FALSE(form_.windowState() & Qt::WindowMaximized);
}

TEST_F(MSaveIniWindowTest, WindowStatesRestoreAndAMinimisedOneComesBackNormal)
{
    struct Case {
        int saved;
        Qt::WindowStates restored;
    };
    const Case cases[] = {
        {0, Qt::WindowNoState},    {1, Qt::WindowNoState}, {2, Qt::WindowMaximized},
        {3, Qt::WindowFullScreen}, {7, Qt::WindowNoState},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        form_.setWindowState(Qt::WindowMinimized);
        WriteFile(QStringLiteral("[FormMain]\nFormMain->WindowState=%1\n").arg(c.saved));
        ASSERT_TRUE(LoadFromFileIni(&form_, Code()));
        EXPECT_EQ(form_.windowState(), c.restored);
    }
}

TEST_F(MSaveIniWindowTest, BoundsOffEveryScreenAreMovedOntoOne)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    form_.setGeometry(10, 10, 50, 50);
    WriteFile(
        QStringLiteral("[FormMain]\nFormMain->Left=%1\nFormMain->Top=%2\nFormMain->Width=200\nFormMain->Height=150\n")
            .arg(screen.right() + 3000)
            .arg(screen.top() - 5000));
    ASSERT_TRUE(LoadFromFileIni(&form_, Code()));
    EXPECT_EQ(form_.geometry(), QRect(screen.right() + 1 - 200, screen.top(), 200, 150));
}

TEST_F(MSaveIniWindowTest, AWidthOrHeightThatIsNotPositiveKeepsTheCurrentOne)
{
    form_.setGeometry(10, 20, 300, 200);
    WriteFile(QStringLiteral("[FormMain]\nFormMain->Left=30\nFormMain->Width=0\nFormMain->Height=-5\n"));
    ASSERT_TRUE(LoadFromFileIni(&form_, Code()));
    EXPECT_EQ(form_.geometry(), QRect(30, 20, 300, 200));
}

TEST(MoveOntoScreensTest, KeepsReachableBoundsAndMovesOthersOntoTheNearestScreen)
{
    const QList<QRect> screens = {QRect(0, 0, 1000, 800), QRect(1000, 0, 1600, 900)};
    struct Case {
        const char* name;
        QRect bounds;
        QRect moved;
    };
    const Case cases[] = {
        {"inside the first", QRect(10, 10, 300, 200), QRect(10, 10, 300, 200)},
        {"across both", QRect(900, 100, 300, 200), QRect(900, 100, 300, 200)},
        {"a 32 pixel corner on the second", QRect(2568, 868, 300, 200), QRect(2568, 868, 300, 200)},
        {"a 31 pixel corner on the second", QRect(2569, 100, 300, 200), QRect(2300, 100, 300, 200)},
        {"small and just inside", QRect(995, 795, 5, 5), QRect(995, 795, 5, 5)},
        {"left of the first", QRect(-900, 100, 300, 200), QRect(0, 100, 300, 200)},
        {"below the second", QRect(1500, 5000, 300, 200), QRect(1500, 700, 300, 200)},
        {"above both", QRect(100, -400, 300, 200), QRect(100, 0, 300, 200)},
        {"larger than the screen it goes to", QRect(-5000, 10, 1200, 900), QRect(0, 0, 1000, 800)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(saveini::MoveOntoScreens(c.bounds, screens), c.moved);
    }
    EXPECT_EQ(saveini::MoveOntoScreens(QRect(-900, 0, 10, 10), {}), QRect(-900, 0, 10, 10));
}

}  // namespace
