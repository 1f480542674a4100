// The window on a real X server (run through xvfb-run on a 1366 x 768 screen), driven by mouse
// and key events as a user drives it:
// - a first start without settings shows every panel's controls without scrolling;
// - a left drag over the picture turns the structure through the angle bars, and the picture is
//   the one the export draws with the bars' angles;
// - the status line names the atom under the mouse; Ctrl+clicks on the two atoms of a bond give
//   its length; Esc clears the picks;
// - Play steps through a trajectory and Space over the picture stops it;
// - a long Translate shows its progress in the status line while it runs.

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FormMain_.h"
#include "FrameBmpPanel.h"
#include "FrameBmp_.h"
#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"
#include "StatusLine.h"
#include "TempDir.h"
#include "TrajectoryPlayer.h"

namespace {

// Water: the O-H bonds are 0.957 Angstrom long.
const char* const kWater = "3\nwater\nO 0.000 0.000 0.117\nH 0.000 0.757 -0.469\nH 0.000 -0.757 -0.469\n";

void WriteText(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::filesystem::path SettingsFile()
{
    return std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).replace_extension(".ini");
}

struct Told {
    std::vector<QString> messages;
    TFormMainDialogs Dialogs()
    {
        TFormMainDialogs dialogs;
        dialogs.AskOpenFileName = [](QWidget*, const QString&) { return QString(); };
        dialogs.AskSaveFileName = [](QWidget*, const QString&) { return QString(); };
        dialogs.AskSavePictureName = [](QWidget*, const QString&) { return QString(); };
        dialogs.ShowMessage = [this](QWidget*, const QString& text) { messages.push_back(text); };
        dialogs.ShowError = [this](QWidget*, const QString& text) { messages.push_back(text); };
        return dialogs;
    }
};

// Records every text the progress part of the status line is painted with.
class PaintedTexts : public QObject {
public:
    explicit PaintedTexts(QLabel* label) : label_(label) { label->installEventFilter(this); }
    std::vector<QString> texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == label_ && event->type() == QEvent::Paint && (texts.empty() || texts.back() != label_->text()))
            texts.push_back(label_->text());
        return false;
    }

private:
    QLabel* label_;
};

class FormMainScreenTest : public ::testing::Test {
protected:
    FormMainScreenTest()
    {
        std::filesystem::remove(SettingsFile());
        std::filesystem::copy_file(std::filesystem::path(PELMORA_DATA_DIR) / "Atom.txt", dir.Path() / "Atom.txt");
        WriteText(dir.Path() / "water.xyz", kWater);
        window = std::make_unique<TFormMain>(QString::fromStdString(dir.Path().string()), told.Dialogs());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    ~FormMainScreenTest() override
    {
        window.reset();
        std::filesystem::remove(SettingsFile());
    }
    QString Path(const char* name) const { return QString::fromStdString((dir.Path() / name).string()); }
    QWidget* View() const { return window->FrameBmp1->PaintBoxMain; }

    // Where the ball of a scene atom lies in the view.
    QPoint ViewPointOf(std::int64_t sceneAtom) const
    {
        const std::optional<ScenePipeline::BallOnPicture> ball = window->Pipeline().BallOf(sceneAtom);
        EXPECT_TRUE(ball.has_value());
        double x = ball ? ball->X : 0;
        double y = ball ? ball->Y : 0;
        window->FrameBmp1->CoordinateBmpToFrame(x, y);
        return {static_cast<int>(x), static_cast<int>(y)};
    }
    // A move without a button held, delivered at once (QTest::mouseMove moves the X pointer, whose
    // event comes later).
    void Hover(QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), View()->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(View(), &move);
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QTest::mousePress(View(), Qt::LeftButton, keys, from);
        for (int step = 1; step <= 8; ++step) {
            const QPoint at = from + (to - from) * step / 8;
            QMouseEvent move(QEvent::MouseMove, QPointF(at), View()->mapToGlobal(QPointF(at)), Qt::NoButton,
                             Qt::LeftButton, keys);
            QApplication::sendEvent(View(), &move);
        }
        QTest::mouseRelease(View(), Qt::LeftButton, keys, to);
    }

    TempDir dir;
    Told told;
    std::unique_ptr<TFormMain> window;
};

}  // namespace

TEST_F(FormMainScreenTest, AFirstStartShowsEveryPanelsControls)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(screen.size(), QSize(1366, 768)) << "run on a 1366 x 768 screen";
    EXPECT_GE(window->width(), 1366 * 3 / 4 - 1);
    EXPECT_EQ(window->CategoryPanelGroup1->verticalScrollBar()->maximum(), 0);
    const QRect viewport(window->CategoryPanelGroup1->viewport()->mapTo(window.get(), QPoint()),
                         window->CategoryPanelGroup1->viewport()->size());
    for (const MCategoryPanel* panel : window->CategoryPanelGroup1->Panels()) {
        for (const QWidget* control : panel->Body()->findChildren<QWidget*>()) {
            if (control->isVisibleTo(window.get()) && !control->objectName().isEmpty()) {
                EXPECT_TRUE(viewport.contains(QRect(control->mapTo(window.get(), QPoint()), control->size())))
                    << control->objectName().toStdString();
            }
        }
    }
    EXPECT_EQ(window->FrameBmp1->HintText(), "Open a file (Ctrl+O) or drop one here");
}

TEST_F(FormMainScreenTest, ADragTurnsTheStructureAsTheExportDrawsIt)
{
    window->OpenFile(Path("water.xyz"));
    const QPoint middle(View()->width() / 2, View()->height() / 2);
    Drag(middle, middle + QPoint(View()->width() / 6, -View()->height() / 8));
    const int ax = window->ScrollBarAx->value(), ay = window->ScrollBarAy->value(), az = window->ScrollBarAz->value();
    EXPECT_NE(ax + ay + az, 0);
    Drag(middle, middle + QPoint(40, 0), Qt::ShiftModifier);
    EXPECT_NE(window->ScrollBarAz->value(), az);

    const QImage shown = window->FrameBmp1->Bmp->convertToFormat(QImage::Format_RGB32);
    QProcess exporter;
    exporter.start(PELMORA_EXECUTABLE,
                   {"--export", Path("export.png"), "--elements", Path("Atom.txt"), "--angle-x",
                    QString::number(window->ScrollBarAx->value()), "--angle-y",
                    QString::number(window->ScrollBarAy->value()), "--angle-z",
                    QString::number(window->ScrollBarAz->value()), Path("water.xyz")});
    ASSERT_TRUE(exporter.waitForFinished(60000));
    ASSERT_EQ(exporter.exitCode(), 0) << exporter.readAllStandardError().toStdString();
    EXPECT_EQ(QImage(Path("export.png")).convertToFormat(QImage::Format_RGB32), shown);
}

TEST_F(FormMainScreenTest, TheAtomUnderTheMouseAndTheLengthOfABond)
{
    window->OpenFile(Path("water.xyz"));
    // The oxygen atom is the file's first, on its line 3.
    std::int64_t oxygen = -1;
    for (std::int64_t atom = 0; atom < 3; ++atom) {
        Hover(ViewPointOf(atom));
        if (window->StatusLine1->LabelAtom->text().startsWith("O "))
            oxygen = atom;
    }
    ASSERT_NE(oxygen, -1) << "no ball read out as oxygen";
    Hover(ViewPointOf(oxygen));
    const QString readOut = window->StatusLine1->LabelAtom->text();
    EXPECT_TRUE(readOut.contains("line 3")) << readOut.toStdString();
    EXPECT_TRUE(readOut.contains("0.117")) << readOut.toStdString();
    Hover(QPoint(2, 2));
    EXPECT_TRUE(window->StatusLine1->LabelAtom->text().isEmpty());

    const std::int64_t hydrogen = oxygen == 1 ? 2 : 1;
    QTest::mouseClick(View(), Qt::LeftButton, Qt::ControlModifier, ViewPointOf(oxygen));
    QTest::mouseClick(View(), Qt::LeftButton, Qt::ControlModifier, ViewPointOf(hydrogen));
    const QString measured = window->StatusLine1->LabelMeasurement->text();
    EXPECT_TRUE(measured.contains("0.957")) << measured.toStdString();
    EXPECT_EQ(window->Measurement(), measured);
    // The rings are drawn over the view, not into the picture.
    const QImage ringed = View()->grab().toImage();
    QTest::keyClick(window->FrameBmp1, Qt::Key_Escape);
    EXPECT_TRUE(window->Picks().Empty());
    EXPECT_TRUE(window->StatusLine1->LabelMeasurement->text().isEmpty());
    EXPECT_NE(View()->grab().toImage(), ringed);
}

TEST_F(FormMainScreenTest, PlayStepsThroughATrajectoryAndSpaceStopsIt)
{
    std::string frames;
    for (int frame = 0; frame < 6; ++frame)
        frames += "3\nframe\nO 0 0 " + std::to_string(0.1 * frame) + "\nH 0 0.757 -0.469\nH 0 -0.757 -0.469\n";
    WriteText(dir.Path() / "frames.xyz", frames);
    window->OpenFile(Path("frames.xyz"));
    window->SpinEditRate->setValue(20);
    QTest::mouseClick(window->SpeedButtonPlay, Qt::LeftButton);
    EXPECT_TRUE(window->Player().IsPlaying());
    QTest::qWait(500);
    EXPECT_NE(window->SpinEditFrame->value(), 1);
    QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTest::keyClick(window->FrameBmp1, Qt::Key_Space);
    EXPECT_FALSE(window->Player().IsPlaying());
    const int stopped = window->SpinEditFrame->value();
    QTest::qWait(200);
    EXPECT_EQ(window->SpinEditFrame->value(), stopped);
}

TEST_F(FormMainScreenTest, ALongTranslateShowsItsProgress)
{
    // A sheet of 200 x 100 atoms repeated 10 x 10 times: two million atoms.
    std::string sheet = "20000\nsheet\n";
    for (int i = 0; i < 200; ++i)
        for (int j = 0; j < 100; ++j)
            sheet += "C " + std::to_string(1.4 * i) + " " + std::to_string(1.4 * j) + " 0\n";
    WriteText(dir.Path() / "sheet.xyz", sheet);
    window->OpenFile(Path("sheet.xyz"));
    // However fast the machine, every step is shown.
    window->StatusLine1->QuietMilliseconds = 0;
    PaintedTexts progress(window->StatusLine1->LabelProgress);
    window->SpinEditNx->setValue(10);
    window->SpinEditNy->setValue(10);
    window->EditAx->setText("280");
    window->EditAy->setText("140");
    QTest::mouseClick(window->ButtonTranslate, Qt::LeftButton);
    ASSERT_FALSE(progress.texts.empty()) << "nothing was shown while the Translate ran";
    EXPECT_TRUE(progress.texts.front().startsWith("Translate: ")) << progress.texts.front().toStdString();
    EXPECT_TRUE(progress.texts.front().endsWith(" s")) << progress.texts.front().toStdString();
    EXPECT_TRUE(window->StatusLine1->LabelProgress->text().startsWith("Translate: "));
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::printf("FormMainScreenTest: no X display; run through xvfb-run\n");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
