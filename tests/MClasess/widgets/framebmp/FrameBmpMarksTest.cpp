// Point marks, the pixel grid, smoothing, the save button and the form-state notifications.

#include "FrameBmpTestSupport.h"
#include "MFunction.h"
#include "MSaveIniHooks.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

using namespace framebmp_test;

namespace {

constexpr QRgb kSkyBlue = 0xFFA6CAF0;

QColor ColourOf(TColor colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

// A frame at zoom 1 whose paint-box point (350, 250) is picture point (750, 1500).
struct MarkFrame {
    std::unique_ptr<TFrameBmp> frame = ShownFrame();
    QImage picture = TwoColourPicture(3000, 3000);
    TRecorder recorder;

    MarkFrame()
    {
        frame->SpeedButtonGray->setChecked(false);
        frame->Load(&picture, true, true);
        frame->SetScale(1);
        frame->SetCenter(750, 1500);
        frame->SpeedButtonPoint->setChecked(true);
        recorder.Listen(*frame);
    }
    void Click(Qt::MouseButton button, QPoint at)
    {
        QTest::mouseClick(frame->PaintBoxMain, button, Qt::NoModifier, at);
    }
    std::vector<TColor> Colours() const
    {
        return std::vector<TColor>(frame->LColor->Data, frame->LColor->Data + frame->LColor->FCount);
    }
};

void FillListBox(QListWidget* list, const QStringList& texts)
{
    list->clear();
    list->addItems(texts);
}

// Black and white pixels in a checkerboard: any averaging turns it grey.
QImage Checkerboard(int size)
{
    QImage picture(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            picture.setPixel(x, y, (x + y) % 2 == 0 ? 0xFF000000 : 0xFFFFFFFF);
    return picture;
}

int CountPixels(const QImage& image, const std::function<bool(QRgb)>& test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test(image.pixel(x, y));
    return count;
}

}  // namespace

TEST(FrameBmpMarks, LeftClickAddsANumberedMarkInTheFirstColour)
{
    MarkFrame f;
    f.Click(Qt::LeftButton, QPoint(350, 250));
    ASSERT_EQ(f.frame->LPoint->FCount, 1);
    EXPECT_FLOAT_EQ(f.frame->LPoint->Data[0].x, 0.25f);
    EXPECT_FLOAT_EQ(f.frame->LPoint->Data[0].y, 0.5f);
    EXPECT_EQ(f.recorder.markChanges, 1);
    EXPECT_EQ(f.frame->BmpMain.pixel(350, 250), QColor(0, 250, 250).rgb());
    // The number stands to the right of the disc in the mark's colour.
    const QImage number = f.frame->BmpMain.copy(355, 243, 12, 14);
    EXPECT_GT(CountPixels(number, [](QRgb p) { return p == QColor(0, 250, 250).rgb(); }), 0);

    // The marks are drawn only in point-mark mode.
    f.frame->SpeedButtonPoint->setChecked(false);
    f.frame->Redraw();
    EXPECT_EQ(f.frame->BmpMain.pixel(350, 250), kLeft);
}

TEST(FrameBmpMarks, LaterMarksTakeRandomColoursBelow255)
{
    MarkFrame f;
    for (int i = 0; i < 7; ++i)
        f.Click(Qt::LeftButton, QPoint(100 + 50 * i, 200));
    ASSERT_EQ(f.frame->LPoint->FCount, 7);
    const std::vector<TColor> colours = f.Colours();
    ASSERT_EQ(colours.size(), 7u);
    EXPECT_EQ(colours[0], 0xFAFA00);
    EXPECT_EQ(colours[4], 0xFF3200);
    for (std::size_t i = 5; i < colours.size(); ++i) {
        EXPECT_LE(colours[i] & 0xFF, 254);
        EXPECT_LE((colours[i] >> 8) & 0xFF, 254);
        EXPECT_LE((colours[i] >> 16) & 0xFF, 254);
        EXPECT_EQ(colours[i] >> 24, 0);
    }
}

TEST(FrameBmpMarks, RightClickRemovesTheNearestAndRenumbers)
{
    MarkFrame f;
    f.Click(Qt::LeftButton, QPoint(100, 100));
    f.Click(Qt::LeftButton, QPoint(300, 300));
    f.Click(Qt::LeftButton, QPoint(500, 100));
    const std::vector<TColor> before = f.Colours();
    f.Click(Qt::RightButton, QPoint(290, 310));
    ASSERT_EQ(f.frame->LPoint->FCount, 2);
    EXPECT_FLOAT_EQ(f.frame->LPoint->Data[1].x, (400.0f + 500.0f) / 3000.0f);
    const std::vector<TColor> after = f.Colours();
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1], before[2]);
    EXPECT_EQ(f.recorder.markChanges, 4);
    // The mark now second (the third before the removal) is drawn in the third colour.
    EXPECT_EQ(f.frame->BmpMain.pixel(500, 100), ColourOf(before[2]).rgb());
}

TEST(FrameBmpMarks, OfTwoMarksAtOnePlaceTheHigherNumberGoes)
{
    MarkFrame f;
    f.Click(Qt::LeftButton, QPoint(200, 200));
    f.Click(Qt::LeftButton, QPoint(400, 400));
    f.Click(Qt::LeftButton, QPoint(200, 200));
    f.Click(Qt::RightButton, QPoint(200, 200));
    ASSERT_EQ(f.frame->LPoint->FCount, 2);
    EXPECT_FLOAT_EQ(f.frame->LPoint->Data[1].y, (1250.0f + 400.0f) / 3000.0f);
}

TEST(FrameBmpMarks, PressesOutsideTheDrawnAreaChangeNothing)
{
    MarkFrame f;
    f.frame->SetScale(-1);  // margins left and right of the picture
    ASSERT_GT(f.frame->DrawArea.X, 20);
    f.recorder.redraws = 0;
    f.Click(Qt::LeftButton, QPoint(10, 250));
    f.Click(Qt::RightButton, QPoint(10, 250));
    EXPECT_EQ(f.frame->LPoint->FCount, 0);
    EXPECT_EQ(f.recorder.markChanges, 0);
    EXPECT_EQ(f.recorder.redraws, 2);
}

TEST(FrameBmpMarks, GridAppearsFromZoomFour)
{
    MarkFrame f;
    f.frame->SpeedButtonPoint->setChecked(false);
    f.frame->SetCenter(1500, 1500);
    QTest::mouseClick(f.frame->SpeedButtonNet, Qt::LeftButton);
    ASSERT_TRUE(f.frame->SpeedButtonNet->isChecked());

    const auto skyBlue = [](QRgb p) { return p == kSkyBlue; };
    f.frame->SetScale(3.99);
    EXPECT_EQ(CountPixels(f.frame->BmpMain, skyBlue), 0);

    f.frame->SetScale(4);
    ASSERT_EQ(f.frame->VisibleArea, (framebmp::TArea{1413, 1438, 175, 125}));
    // Lines on the pixel boundaries, every four screen pixels.
    EXPECT_EQ(f.frame->BmpMain.pixel(4, 2), kSkyBlue);
    EXPECT_EQ(f.frame->BmpMain.pixel(2, 4), kSkyBlue);
    EXPECT_EQ(f.frame->BmpMain.pixel(2, 2), kLeft);
    EXPECT_EQ(f.frame->BmpMain.pixel(6, 6), kLeft);

    QTest::mouseClick(f.frame->SpeedButtonNet, Qt::LeftButton);
    EXPECT_EQ(CountPixels(f.frame->BmpMain, skyBlue), 0);
}

TEST(FrameBmpMarks, SmoothingAveragesWhenShrinkingAndSmoothsWhenEnlarging)
{
    const auto frame = ShownFrame();
    const QImage picture = Checkerboard(2400);
    const auto isPure = [](QRgb p) { return p == 0xFF000000 || p == 0xFFFFFFFF; };
    const QRect inside(160, 20, 380, 460);

    frame->SpeedButtonGray->setChecked(false);
    frame->Load(&picture, true, true);
    ASSERT_LT(frame->Scale, 0.25);
    EXPECT_EQ(CountPixels(frame->BmpMain.copy(inside), isPure), inside.width() * inside.height());

    QTest::mouseClick(frame->SpeedButtonGray, Qt::LeftButton);
    const QImage smoothed = frame->BmpMain.copy(inside);
    EXPECT_EQ(CountPixels(smoothed, [](QRgb p) { return qGray(p) < 120 || qGray(p) > 136; }), 0);

    // Enlarged: replicated blocks of pure colour without smoothing, blends with it.
    frame->SetScale(8);
    EXPECT_GT(CountPixels(frame->BmpMain, [&](QRgb p) { return !isPure(p); }), 1000);
    QTest::mouseClick(frame->SpeedButtonGray, Qt::LeftButton);
    EXPECT_EQ(CountPixels(frame->BmpMain, [&](QRgb p) { return !isPure(p); }), 0);
}

TEST(FrameBmpMarks, EveryNewPictureIsSmoothFromItsFirstPaint)
{
    // The main window draws a new scene into its bitmap and redraws on every move of a bar, so
    // no paint may show the picture sampled instead of averaged, not even the first.
    const auto frame = ShownFrame();
    ASSERT_TRUE(frame->SpeedButtonGray->isChecked());
    QImage picture = Checkerboard(2400);
    const QRect inside(160, 20, 380, 460);
    frame->Load(&picture, true, true);
    ASSERT_LT(frame->Scale, 0.25);
    EXPECT_EQ(CountPixels(frame->BmpMain.copy(inside), [](QRgb p) { return qGray(p) < 120 || qGray(p) > 136; }), 0);

    // One-pixel dark lines every fourth column: a quarter dark everywhere once averaged.
    picture.fill(Qt::white);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); x += 4)
            picture.setPixel(x, y, 0xFF000000);
    frame->Redraw();
    const auto notAQuarterDark = [](QRgb p) { return qGray(p) < 186 || qGray(p) > 198; };
    EXPECT_EQ(CountPixels(frame->BmpMain.copy(inside), notAQuarterDark), 0);
    // The overview too: inside its rectangle nothing is darkened.
    EXPECT_EQ(CountPixels(frame->BmpS.copy(10, 10, 100, 100), notAQuarterDark), 0);
}

TEST(FrameBmpMarks, ShrinkingWithoutSmoothingKeepsThinDarkLines)
{
    // Seven one-pixel black lines each way on white, at different offsets within the six or so
    // picture pixels that merge into one view pixel at the fitting zoom.
    const auto frame = ShownFrame();
    frame->SpeedButtonGray->setChecked(false);
    QImage picture(3000, 3000, QImage::Format_RGB32);
    picture.fill(Qt::white);
    constexpr int kLines = 7;
    for (int i = 0; i < kLines; ++i) {
        const int at = 700 + 201 * i;
        for (int k = 0; k < picture.width(); ++k) {
            picture.setPixel(at, k, 0xFF000000);
            picture.setPixel(k, at, 0xFF000000);
        }
    }
    frame->Load(&picture, true, true);
    ASSERT_LT(frame->Scale, 0.2);
    const auto black = [](QRgb p) { return p == 0xFF000000; };
    // A row and a column of the view that meet no line across them.
    const framebmp::TArea& d = frame->DrawArea;
    EXPECT_EQ(CountPixels(frame->BmpMain.copy(d.X, 100, d.W, 1), black), kLines);
    EXPECT_EQ(CountPixels(frame->BmpMain.copy(200, d.Y, 1, d.H), black), kLines);
    // Everything else stays white: merging keeps a dark pixel, it does not spread it.
    EXPECT_EQ(CountPixels(frame->BmpMain.copy(d.X, 100, d.W, 1), [](QRgb p) { return p == 0xFFFFFFFF; }), d.W - kLines);
    // The overview merges the same way.
    EXPECT_EQ(CountPixels(frame->BmpS.copy(1, 4, 123, 1), black), kLines);
}

TEST(FrameBmpMarks, ListBoxesCarryTheMarksThroughAFormState)
{
    MarkFrame f;
    f.frame->LPoint->Add(MPoint<float>{0.1f, 0.75f});
    f.frame->LPoint->Add(MPoint<float>{1.0f / 3, 0.0f});

    // A real mouse move over the frame is no notification.
    f.frame->FrameMouseMove(f.frame.get(), {}, -103, -103);
    EXPECT_EQ(f.frame->ListBoxLPointX->count(), 0);

    f.frame->FrameMouseMove(nullptr, {}, -103, -103);
    ASSERT_EQ(f.frame->ListBoxLPointX->count(), 2);
    EXPECT_EQ(f.frame->ListBoxLPointX->item(0)->text(), "0.100000001490116");
    EXPECT_EQ(f.frame->ListBoxLPointY->item(0)->text(), "0.75");

    f.frame->FrameMouseMove(nullptr, {}, -101, -101);
    EXPECT_TRUE(f.frame->bLockScroll);
    f.frame->LPoint->SetCount(0);
    f.frame->FrameMouseMove(nullptr, {}, -102, -102);
    EXPECT_FALSE(f.frame->bLockScroll);
    ASSERT_EQ(f.frame->LPoint->FCount, 2);
    EXPECT_EQ(f.frame->LPoint->Data[0].x, 0.1f);
    EXPECT_EQ(f.frame->LPoint->Data[1].x, 1.0f / 3);

    // Uneven lists rebuild as many marks as the shorter one holds; a comma reads too.
    FillListBox(f.frame->ListBoxLPointX, {"0.5", "0,25", "0.125"});
    FillListBox(f.frame->ListBoxLPointY, {"0.5", "0.5"});
    f.frame->FrameMouseMove(nullptr, {}, -102, -102);
    ASSERT_EQ(f.frame->LPoint->FCount, 2);
    EXPECT_EQ(f.frame->LPoint->Data[1].x, 0.25f);
}

TEST(FrameBmpMarks, TheWindowStateWalkTellsTheFrameThroughItsNotifiedSide)
{
    MarkFrame f;
    f.frame->LPoint->Add(MPoint<float>{0.25f, 0.75f});
    // The walk sees frames as widgets and recognises them by their side.
    QWidget* widget = f.frame.get();
    ASSERT_NE(dynamic_cast<MSaveIniFrame*>(widget), nullptr);
    auto* notified = dynamic_cast<MSaveIniNotified*>(widget);
    ASSERT_NE(notified, nullptr);

    notified->SaveIniNotify(SaveIniSaveBegins);
    ASSERT_EQ(f.frame->ListBoxLPointX->count(), 1);
    EXPECT_EQ(f.frame->ListBoxLPointY->item(0)->text(), "0.75");
    notified->SaveIniNotify(SaveIniSaveEnds);
    EXPECT_EQ(f.frame->ListBoxLPointX->count(), 1);

    notified->SaveIniNotify(SaveIniLoadBegins);
    EXPECT_TRUE(f.frame->bLockScroll);
    f.frame->LPoint->SetCount(0);
    f.frame->ScrollBarX->setValue(600);
    EXPECT_DOUBLE_EQ(f.frame->CenterX, 0.25);  // restored under the lock: no effect yet
    notified->SaveIniNotify(SaveIniLoadEnds);
    EXPECT_FALSE(f.frame->bLockScroll);
    ASSERT_EQ(f.frame->LPoint->FCount, 1);
    EXPECT_EQ(f.frame->LPoint->Data[0].x, 0.25f);
    EXPECT_DOUBLE_EQ(f.frame->CenterX, 0.2);
}

TEST(FrameBmpMarks, ABadListBoxTextLeavesTheFrameUsable)
{
    MarkFrame f;
    FillListBox(f.frame->ListBoxLPointX, {"0.5", "abc", "0.25"});
    FillListBox(f.frame->ListBoxLPointY, {"0.5", "0.5", "0.5"});
    f.frame->FrameMouseMove(nullptr, {}, -101, -101);
    f.frame->ScrollBarX->setValue(2000);  // restored under the lock: no effect yet
    EXPECT_THROW(f.frame->FrameMouseMove(nullptr, {}, -102, -102), MConvertError);

    EXPECT_EQ(f.frame->LPoint->FCount, 1);  // the marks before the bad text stay
    EXPECT_FALSE(f.frame->bLockScroll);
    EXPECT_DOUBLE_EQ(f.frame->CenterX, 2000.0 / 3000);  // the restored bars took effect
    f.frame->SetCenter(1000, 1000);
    EXPECT_DOUBLE_EQ(f.frame->CenterX, 1000.0 / 3000);
}

TEST(FrameBmpMarks, SaveButtonWritesThePictureOrSaysItDidNot)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString fileName = folder.filePath("shot.png");
    const auto frame = ShownFrame();
    QImage picture = TwoColourPicture(64, 32);

    // Answers the dialog that the next click opens with a name, then whatever modal box follows.
    QString messageText, messageReason;
    const auto answerDialogs = [&](const QString& name) {
        QTimer::singleShot(0, [&, name] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->objectName(), "SavePictureDialog");
            EXPECT_TRUE(dialog->nameFilters().contains("All (*.bmp *.png *.jpg *.jpeg *.gif)"));
            dialog->selectFile(name);
            QTimer::singleShot(0, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    messageText = box->text();
                    messageReason = box->informativeText();
                    box->accept();
                }
            });
            static_cast<QDialog*>(dialog)->accept();
        });
    };

    // Without a picture there is nothing to save: the user is told.
    answerDialogs(fileName);
    QTest::mouseClick(frame->SpeedButtonSave, Qt::LeftButton);
    EXPECT_EQ(messageText, QString::fromUtf8("Не сохранено"));
    EXPECT_FALSE(QFile::exists(fileName));

    messageText.clear();
    frame->Load(&picture, true, true);
    frame->SpeedButtonPoint->setChecked(true);
    frame->LPoint->Add(MPoint<float>{0.5f, 0.5f});
    answerDialogs(fileName);
    QTest::mouseClick(frame->SpeedButtonSave, Qt::LeftButton);
    EXPECT_TRUE(messageText.isEmpty());
    const QImage saved(fileName);
    ASSERT_EQ(saved.size(), picture.size());
    // The picture itself, without the marks drawn over the view.
    EXPECT_EQ(saved.pixel(32, 16), kRight);

    // A folder that does not exist: the user is told why.
    const QString taken = folder.filePath("missing/taken.png");
    messageText.clear();
    answerDialogs(taken);
    QTest::mouseClick(frame->SpeedButtonSave, Qt::LeftButton);
    EXPECT_EQ(messageText, QString::fromUtf8("Не сохранено"));
    EXPECT_TRUE(messageReason.contains("taken.png")) << messageReason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(taken));
    EXPECT_EQ(saved.pixel(0, 0), kLeft);
}
