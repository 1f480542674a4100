// The viewer frame's hot paths on a 3000 x 3000 scene-like picture (white with a few hundred
// coloured discs) in a 1000 x 800 paint box, offscreen platform:
//   Redraw at the fitting zoom, with and without smoothing, of a picture shown before (reduced
//   copies already built) and of a picture the owner has just drawn (copies built in the redraw);
//   the reduced copy a smoothed view at the fitting zoom needs, built alone;
//   the overview paint;
//   a middle-button pan across the full drawn width (about ten redraws), through real mouse
//   events to the paint box.

#include "FrameBmpPanel.h"
#include "FrameBmp_.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kPictureSide = 3000;
constexpr QSize kPaintBox(1000, 800);

QImage ScenePicture()
{
    QImage picture(kPictureSide, kPictureSide, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(1234);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor::fromRgb(random.generate() | 0xFF000000u));
        const int radius = 20 + random.bounded(60);
        painter.drawEllipse(QPoint(random.bounded(kPictureSide), random.bounded(kPictureSide)), radius, radius);
    }
    return picture;
}

const QImage& Picture()
{
    static const QImage picture = ScenePicture();
    return picture;
}

// A shown frame with the picture loaded at the fitting zoom (which builds the reduced copies the
// smoothed view and overview need).
std::unique_ptr<TFrameBmp> LoadedFrame(bool smooth, const QImage* picture = &Picture())
{
    auto frame = std::make_unique<TFrameBmp>();
    frame->resize(frame->FrameSizeForPaintBox(kPaintBox));
    frame->show();
    QCoreApplication::processEvents();
    frame->SpeedButtonGray->setChecked(smooth);
    frame->Load(picture, true, true);
    frame->MenuItemPaintBoxSFix->setChecked(true);  // keep the overview up
    return frame;
}

void BM_RedrawAtFit(benchmark::State& state)
{
    const auto frame = LoadedFrame(state.range(0) != 0);
    for (auto _ : state) {
        frame->Redraw();
        benchmark::DoNotOptimize(frame->BmpMain.constBits());
    }
    state.SetLabel(state.range(0) != 0 ? "smoothing" : "no smoothing");
}
BENCHMARK(BM_RedrawAtFit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Redraw and the paint that puts the buffer on the (offscreen) screen.
void BM_RedrawAndPaintAtFit(benchmark::State& state)
{
    const auto frame = LoadedFrame(state.range(0) != 0);
    for (auto _ : state) {
        frame->Redraw();
        frame->PaintBoxMain->repaint();
    }
    state.SetLabel(state.range(0) != 0 ? "smoothing" : "no smoothing");
}
BENCHMARK(BM_RedrawAndPaintAtFit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What a new picture costs a smoothed view at the fitting zoom before it is drawn: the one reduced
// copy it draws from (half size here, as the fit is 0.26).
void BM_BuildReducedCopies(benchmark::State& state)
{
    const double fit = static_cast<double>(kPaintBox.height()) / kPictureSide;
    for (auto _ : state) {
        framebmp::TReducedCopies copies;
        const auto source = copies.SourceFor(&Picture(), QRectF(0, 0, kPictureSide, kPictureSide), fit, fit);
        benchmark::DoNotOptimize(source.Image);
    }
}
BENCHMARK(BM_BuildReducedCopies)->Unit(benchmark::kMillisecond);

// Redraw right after the owner has drawn into the picture, as the main window redraws after every
// move of a bar: with smoothing, the reduced copy is built within this redraw. With the overview
// shown, its copy of the picture is rebuilt too; the main window's overview is hidden except
// for three seconds after the view moves.
void BM_RedrawAfterOwnerChange(benchmark::State& state)
{
    QImage picture = Picture().copy();
    const auto frame = LoadedFrame(state.range(0) != 0, &picture);
    const bool overview = state.range(1) != 0;
    if (!overview) {
        frame->MenuItemPaintBoxSFix->setChecked(false);
        frame->PanelSHide();
    }
    for (auto _ : state) {
        state.PauseTiming();
        picture.setPixel(0, 0, picture.pixel(0, 0) ^ 1u);  // the owner draws
        state.ResumeTiming();
        frame->Redraw();
    }
    state.SetLabel(std::string(state.range(0) != 0 ? "smoothing" : "no smoothing")
                   + (overview ? ", overview shown" : ", overview hidden"));
}
BENCHMARK(BM_RedrawAfterOwnerChange)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

void BM_OverviewPaint(benchmark::State& state)
{
    const auto frame = LoadedFrame(true);
    for (auto _ : state) {
        frame->PaintBoxSPaint();
        frame->PaintBoxS->repaint();
    }
}
BENCHMARK(BM_OverviewPaint)->Unit(benchmark::kMillisecond);

void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), target->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Presses the middle button at one side of the drawn area and moves to the other in one jump:
// the frame catches up in steps of a tenth of the drawn width, redrawing each step.
void BM_PanAcrossDrawnWidth(benchmark::State& state)
{
    const auto frame = LoadedFrame(state.range(0) != 0);
    frame->SetScale(state.range(1) / 100.0);
    frame->Redraw();
    QWidget* box = frame->PaintBoxMain;
    const int width = frame->DrawArea.W;
    const int left = frame->DrawArea.X;
    const int y = box->height() / 2;
    bool rightward = true;
    for (auto _ : state) {
        const QPoint from(rightward ? left : left + width, y);
        const QPoint to(rightward ? left + width : left, y);
        SendMouse(box, QEvent::MouseButtonPress, from, Qt::MiddleButton, Qt::MiddleButton);
        SendMouse(box, QEvent::MouseMove, to, Qt::NoButton, Qt::MiddleButton);
        SendMouse(box, QEvent::MouseButtonRelease, to, Qt::MiddleButton, Qt::NoButton);
        rightward = !rightward;
    }
    state.SetLabel(std::string(state.range(0) != 0 ? "smoothing" : "no smoothing") + ", zoom "
                   + std::to_string(state.range(1)) + "%");
}
BENCHMARK(BM_PanAcrossDrawnWidth)
    ->Args({0, 26})
    ->Args({1, 26})
    ->Args({0, 100})
    ->Args({1, 100})
    ->Unit(benchmark::kMillisecond);

}  // namespace
