// The window's first start, without saved state, on a screen of a given size and scale (the
// offscreen platform's screen, set up before the application exists):
//
//   FormMainFirstStartTest WIDTH HEIGHT SCALE DATA_DIR
//
// The window takes about three quarters of the screen, centred; every panel's controls are
// visible without scrolling, none is cut short, and the button pictures are drawn for the
// screen's pixels.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "FormMain_.h"
#include "FrameBmpPanel.h"
#include "FrameBmp_.h"
#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"
#include "StatusLine.h"

namespace {

int screenWidth = 0;
int screenHeight = 0;
double screenScale = 1;
QString dataDir;

// The settings file beside this program, which a first start must not find.
std::filesystem::path SettingsFile()
{
    return std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).replace_extension(".ini");
}

QRect InWindow(const QWidget& window, const QWidget& widget)
{
    return {widget.mapTo(&window, QPoint(0, 0)), widget.size()};
}

}  // namespace

TEST(FormMainFirstStart, TheWindowTakesThreeQuartersAndShowsEveryControl)
{
    std::filesystem::remove(SettingsFile());
    TFormMain window(dataDir, TFormMainDialogs::Silent());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();

    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    SCOPED_TRACE(testing::Message() << "screen " << available.width() << " x " << available.height() << ", window "
                                    << window.width() << " x " << window.height());
    EXPECT_GE(window.width(), available.width() * 3 / 4 - 1);
    EXPECT_GE(window.height(), available.height() * 3 / 4 - 1);
    EXPECT_LE(window.height(), available.height());
    EXPECT_LE(std::abs(window.geometry().center().x() - available.center().x()), 1);

    // No panel is collapsed at a first start, and the column does not scroll.
    EXPECT_EQ(window.CategoryPanelGroup1->verticalScrollBar()->maximum(), 0);
    const QRect viewport = InWindow(window, *window.CategoryPanelGroup1->viewport());
    for (const MCategoryPanel* panel : window.CategoryPanelGroup1->Panels()) {
        SCOPED_TRACE(panel->Caption().toStdString());
        EXPECT_FALSE(panel->Collapsed());
        for (const QWidget* control : panel->Body()->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(&window) || control->objectName().isEmpty())
                continue;
            SCOPED_TRACE(control->objectName().toStdString());
            EXPECT_TRUE(viewport.contains(InWindow(window, *control)));
            // Nothing cut short: each caption has the room its text asks for, each picture button
            // holds its picture.
            if (const auto* tool = qobject_cast<const QToolButton*>(control)) {
                EXPECT_LE(tool->iconSize().width(), tool->width());
                EXPECT_LE(tool->iconSize().height(), tool->height());
            } else if (qobject_cast<const QLabel*>(control) != nullptr
                       || qobject_cast<const QAbstractButton*>(control) != nullptr) {
                EXPECT_GE(control->width(), control->minimumSizeHint().width());
            }
        }
    }
    // The status line and the picture share the rest.
    EXPECT_GT(window.FrameBmp1->PaintBoxMain->height(), 200);
    EXPECT_TRUE(window.StatusLine1->isVisible());

    // The button pictures are drawn for the screen's pixels, not enlarged from small ones.
    const qreal ratio = window.devicePixelRatioF();
    EXPECT_DOUBLE_EQ(ratio, screenScale);
    for (const QToolButton* button : {window.SpeedButtonOpenFile, window.SpeedButton[1], window.SpeedButtonPlay}) {
        SCOPED_TRACE(button->objectName().toStdString());
        const QPixmap drawn = button->icon().pixmap(button->iconSize(), ratio);
        EXPECT_EQ(drawn.width(), qRound(button->iconSize().width() * ratio));
    }
    const QPixmap overview = window.FrameBmp1->Image2->pixmap();
    EXPECT_GE(overview.devicePixelRatio(), ratio);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT SCALE DATA_DIR\n", argv[0]);
        return 2;
    }
    screenWidth = std::atoi(argv[1]);
    screenHeight = std::atoi(argv[2]);
    screenScale = std::atof(argv[3]);
    // A screen of that size in device pixels; the scale makes its logical size smaller.
    QTemporaryDir config;
    const QString configFile = config.filePath("screen.json");
    QFile file(configFile);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(QString(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": %1, "height": %2,)"
                       R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(screenWidth)
                   .arg(screenHeight)
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + configFile).toUtf8());
    qputenv("QT_SCALE_FACTOR", QByteArray::number(screenScale));
    QApplication application(argc, argv);
    dataDir = QString::fromLocal8Bit(argv[4]);
    return RUN_ALL_TESTS();
}
