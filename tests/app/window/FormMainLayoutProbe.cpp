// Where the main window's controls are, for the end-to-end test that drives the real program
// with X input events. Qt draws its widgets itself (they are no X windows of their own), so the
// test cannot ask the X server where a check box is. This program builds the same window on the
// offscreen platform, at the size the real one has on the screen, and prints the rectangles of
// the controls the test uses, in window coordinates:
//
//   FormMainLayoutProbe DATA_DIR WIDTH HEIGHT [XYZ_FILE [PREFIX]]
//
// prints lines "NAME LEFT TOP WIDTH HEIGHT". The window restores the state saved beside the probe
// (FormMainLayoutProbe.ini), as the program restores pelmora.ini. With XYZ_FILE it opens that
// file, as the program does at start. With PREFIX it also writes what it shows:
// PREFIX-column.ppm, the left column of controls, so that the test can check that the screen
// shows it pixel for pixel (same style, same fonts, same layout) before it trusts these
// rectangles; PREFIX-frame.ppm, the paint box above the overview in its corner, the picture a
// freshly started window shows. The probe never closes the window, so it writes no settings.
//
//   FormMainLayoutProbe --start-error PROGRAM_DIR PICTURE.ppm
//
// makes the window as the program in PROGRAM_DIR would, expecting it to fail for want of an
// element table, prints the message, and shows the critical message box the program should show
// with it, on the real display (the box's width and button pictures follow the screen and the
// platform), drawing it into PICTURE: the test compares the program's box with it.

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QImage>
#include <QMessageBox>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "FormMain_.h"
#include "FrameBmpPanel.h"
#include "FrameBmp_.h"

namespace {

void Print(const char* name, const QWidget& window, const QWidget& widget, const QRect& rectInWidget)
{
    const QPoint topLeft = widget.mapTo(&window, rectInWidget.topLeft());
    std::printf("%s %d %d %d %d\n", name, topLeft.x(), topLeft.y(), rectInWidget.width(), rectInWidget.height());
}

QRect InWindow(const QWidget& window, const QWidget& widget)
{
    return {widget.mapTo(&window, QPoint(0, 0)), widget.size()};
}

// The paint box without the overview, which comes and goes on a timer in its lower corner.
QRect FrameAboveOverview(const TFormMain& window)
{
    QRect frame = InWindow(window, *window.FrameBmp1->PaintBoxMain);
    frame.setBottom(InWindow(window, *window.FrameBmp1->PanelS).top() - 1);
    return frame;
}

bool WritePictures(TFormMain& window, const QString& prefix)
{
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB888);
    bool written = true;
    for (auto [suffix, area] : {std::pair{"-column.ppm", InWindow(window, *window.Panel2)},
                                std::pair{"-frame.ppm", FrameAboveOverview(window)}}) {
        if (!shown.copy(area).save(prefix + suffix, "PPM")) {
            std::fprintf(stderr, "cannot write %s%s\n", qPrintable(prefix), suffix);
            written = false;
        }
    }
    return written;
}

void Print(const char* name, const QWidget& window, const QWidget& widget)
{
    Print(name, window, widget, widget.rect());
}

// The part of a check box that a click toggles: its box and its caption, not the empty rest of
// the row it is stretched over.
QRect ClickRect(const QCheckBox& box)
{
    QStyleOptionButton option;
    option.initFrom(&box);
    option.text = box.text();
    option.icon = box.icon();
    option.iconSize = box.iconSize();
    return box.style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, &box);
}

// A scroll bar's thumb at its current position, and the groove it slides in.
QStyleOptionSlider BarOption(const QScrollBar& bar)
{
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.subControls = QStyle::SC_None;
    option.activeSubControls = QStyle::SC_None;
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    option.upsideDown = bar.invertedAppearance();
    if (bar.orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    return option;
}

void PrintBar(const char* name, const QWidget& window, const QScrollBar& bar)
{
    const QStyleOptionSlider option = BarOption(bar);
    const QByteArray base(name);
    for (auto [part, control] :
         {std::pair{".thumb", QStyle::SC_ScrollBarSlider}, std::pair{".groove", QStyle::SC_ScrollBarGroove}})
        Print((base + part).constData(), window, bar,
              bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, control, &bar));
}

TFormMainDialogs SilentDialogs()
{
    TFormMainDialogs dialogs;
    dialogs.AskOpenFileName = [](QWidget*, const QString&) { return QString(); };
    dialogs.AskSaveFileName = [](QWidget*, const QString&) { return QString(); };
    dialogs.AskSavePictureName = [](QWidget*, const QString&) { return QString(); };
    dialogs.ShowMessage = [](QWidget*, const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    };
    dialogs.ShowError = [](QWidget*, const QString& text) { std::fprintf(stderr, "error: %s\n", qPrintable(text)); };
    return dialogs;
}

int ProbeWindow(int argc, char** argv)
{
    try {
        TFormMain window(QString::fromLocal8Bit(argv[1]), SilentDialogs());
        window.resize(std::atoi(argv[2]), std::atoi(argv[3]));
        window.show();
        if (argc >= 5)
            window.OpenFile(QString::fromLocal8Bit(argv[4]));
        QApplication::processEvents();

        Print("window", window, window);
        Print("Panel2", window, *window.Panel2);
        Print("CheckBoxDrawLink", window, *window.CheckBoxDrawLink, ClickRect(*window.CheckBoxDrawLink));
        PrintBar("ScrollBarStick", window, *window.ScrollBarStick);
        PrintBar("ScrollBarAx", window, *window.ScrollBarAx);
        Print("PaintBoxMain", window, *window.FrameBmp1->PaintBoxMain);
        // The overview in the paint box's corner comes and goes on a timer; the test leaves it out.
        Print("PanelS", window, *window.FrameBmp1->PanelS);

        if (argc == 6 && !WritePictures(window, QString::fromLocal8Bit(argv[5])))
            return 1;
    } catch (const TFormMainStartError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

// Waits up to ten seconds for a shown widget's window to be on the screen.
bool WaitUntilExposed(QWidget& widget)
{
    QElapsedTimer clock;
    clock.start();
    while (!(widget.windowHandle() != nullptr && widget.windowHandle()->isExposed()) && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
    return widget.windowHandle() != nullptr && widget.windowHandle()->isExposed();
}

int ProbeStartError(const QString& programFolder, const QString& picture)
{
    try {
        TFormMain window(programFolder, SilentDialogs());
    } catch (const TFormMainStartError& error) {
        std::printf("%s\n", error.what());
        QMessageBox box(QMessageBox::Critical, "Pelmora", QString::fromStdString(error.what()), QMessageBox::Ok);
        box.show();
        if (!WaitUntilExposed(box)) {
            std::fprintf(stderr, "the message box did not appear\n");
            return 1;
        }
        return box.grab().toImage().convertToFormat(QImage::Format_RGB888).save(picture, "PPM") ? 0 : 1;
    }
    std::fprintf(stderr, "the window was made without an element table in %s\n", qPrintable(programFolder));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string_view(argv[1]) == "--start-error") {
        QApplication application(argc, argv);
        return ProbeStartError(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (argc < 4 || argc > 6) {
        std::fprintf(stderr,
                     "usage: %s DATA_DIR WIDTH HEIGHT [XYZ_FILE [PREFIX]]\n"
                     "       %s --start-error PROGRAM_DIR PICTURE.ppm\n",
                     argv[0], argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return ProbeWindow(argc, argv);
}
