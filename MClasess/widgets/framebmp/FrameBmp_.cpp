// The frame core: construction and destruction, the zoom law applied to the zoom bar, the layout
// of the view, loading, and drawing through the off-screen buffer.

#include "FrameBmp_.h"
#include "FrameBmpFlagGuard.h"
#include "FrameBmpPanel.h"
#include "FrameBmpStretch.h"
#include "MTrace.h"

#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <vector>

using framebmp::TFlagGuard;

namespace {

// The five colours the first point marks take, 0x00BBGGRR.
constexpr TColor kInitialMarkColours[] = {0xFAFA00, 0xFA00FA, 0x32FF, 0xFF32, 0xFF3200};

}  // namespace

TFrameBmp::TFrameBmp(QWidget* owner)
    : QFrame(owner), LPoint(std::make_unique<MList<MPoint<float>>>()), LColor(std::make_unique<MList<TColor>>())
{
    CreateControls();
    ConnectControls();
    for (const TColor colour : kInitialMarkColours)
        LColor->Add(colour);
}

TFrameBmp::~TFrameBmp()
{
    // Partners drop their links to this frame first, then this frame unhooks itself from all of
    // its partners; after that no list anywhere refers to it.
    RaiseClose();
    ClearSyncScale();
    ClearSyncLPoint();
    ClearSyncCursor();
    // The child controls go with QObject; stop what could still call back into this frame.
    Timer1->stop();
    for (QScrollBar* bar : {ScrollBarScale, ScrollBarX, ScrollBarY})
        bar->disconnect(this);
    PanelButton->removeEventFilter(this);
    for (framebmp::TFrameBmpPanel* panel : {PanelPic, PaintBoxMain, PanelMap, PanelS, PaintBoxS}) {
        panel->OnPaint = nullptr;
        panel->OnMouseDown = nullptr;
        panel->OnMouseMove = nullptr;
        panel->OnMouseUp = nullptr;
        panel->OnDoubleClick = nullptr;
        panel->OnEnter = nullptr;
    }
}

void TFrameBmp::Mark(const char* label, const char* method) const
{
    if (TraceChannelOpen())
        TraceMark(objectName().toStdString(), label, method);
}

int TFrameBmp::PictureWidth() const { return Bmp == nullptr ? 0 : Bmp->width(); }

int TFrameBmp::PictureHeight() const { return Bmp == nullptr ? 0 : Bmp->height(); }

double TFrameBmp::GetScaleFit() const
{
    if (Bmp == nullptr)
        return 0;
    return framebmp::ScaleFit(PictureWidth(), PictureHeight(), PaintBoxMain->width(), PaintBoxMain->height());
}

bool TFrameBmp::GetCoordinatOfVisibleArea(int& x, int& y, int& w, int& h)
{
    if (Bmp == nullptr)
        return false;
    if (Scale <= 0) {
        Scale = GetScaleFit();
        if (Scale <= 0)
            return true;
    }
    const framebmp::TViewAreas areas = framebmp::ComputeViewAreas(
        PictureWidth(), PictureHeight(), PaintBoxMain->width(), PaintBoxMain->height(), Scale, CenterX, CenterY);
    VisibleArea = areas.Visible;
    DrawArea = areas.Draw;
    x = VisibleArea.X;
    y = VisibleArea.Y;
    w = VisibleArea.W;
    h = VisibleArea.H;
    return true;
}

bool TFrameBmp::CoordinateBmpToFrame(double& x, double& y) const
{
    if (Bmp == nullptr)
        return false;
    return framebmp::BmpToFrame(Areas(), x, y);
}

bool TFrameBmp::CoordinateFrameToBmp(double& x, double& y) const
{
    if (Bmp == nullptr)
        return false;
    return framebmp::FrameToBmp(Areas(), x, y);
}

void TFrameBmp::UpdateZoomBarRange()
{
    const framebmp::TScaleLimits limits = framebmp::ScaleLimitsForFit(GetScaleFit());
    ScaleMin = limits.Min;
    ScaleMax = limits.Max;
    const framebmp::TZoomBarRange range = framebmp::ZoomBarRangeFor(limits);
    // One call changes both ends, so the minimum is never above the maximum in between.
    ScrollBarScale->setRange(range.Minimum, range.Maximum);
    Mark("1", "TFrameBmp::FrameResize");
    ScrollBarScale->setSingleStep(range.SmallStep);
    ScrollBarScale->setPageStep(range.LargeStep);
}

void TFrameBmp::FrameResize()
{
    if (PanelPic == nullptr)
        return;  // still under construction
    // A new layout changes what fits, not the zoom: a zoom already chosen is kept, clamped into
    // the new range, and partners hear of it only when the clamp changed it. Frames side by side
    // are laid out one after the other; a partner that copied our zoom against its old fit would
    // hand the difference back once laid out in turn, and the zooms would drift with every resize.
    const double scaleBefore = Scale;
    if (!FLayoutRunning)
        FScaleBeforeLayout = Scale;
    TFlagGuard layout(FLayoutRunning);
    TFlagGuard paintLock(bLockPaint);
    {
        TFlagGuard scrollLock(bLockScroll);
        LayoutFrame();
        const int picWidth = PanelPic->width();
        const int picHeight = PanelPic->height();
        const int scaleLeft = picWidth - ScrollBarScale->width();
        const int yLeft = scaleLeft - ScrollBarY->width() - 1;
        const int xWidth = std::max(0, yLeft);
        const int xTop = picHeight - ScrollBarX->height();
        const int barHeight = std::max(0, xTop - ScrollBarY->y());

        ScrollBarScale->move(scaleLeft, ScrollBarScale->y());
        ScrollBarY->move(yLeft, ScrollBarY->y());
        PanelMap->move(yLeft, xTop);
        ScrollBarX->setGeometry(ScrollBarX->x(), xTop, xWidth, ScrollBarX->height());
        ScrollBarY->resize(ScrollBarY->width(), barHeight);
        ScrollBarScale->resize(ScrollBarScale->width(), barHeight);
        PaintBoxMain->setGeometry(0, 0, xWidth, barHeight);

        UpdateZoomBarRange();
    }
    SetScale(Scale == 0 || bFollowFit ? GetScaleFit() : Scale);
    paintLock.Restore();
    // The first layout of a picture, and every layout while the zoom follows the fit, takes the
    // fit as the zoom bar quantises it.
    FollowScrollBars(scaleBefore == 0 || bFollowFit);
    PanelSResize();
}

bool TFrameBmp::Load(const QImage* picture, bool reset, bool showOverview)
{
    Bmp = picture;
    if (Bmp == nullptr) {
        Redraw();
        return false;
    }
    TFlagGuard hideMap(bHideMap, !showOverview);
    {
        TFlagGuard paintLock(bLockPaint);
        {
            TFlagGuard scaleLock(bLockScale);
            TFlagGuard scrollLock(bLockScroll);
            if (reset) {
                Scale = 0;
                bFollowFit = true;
                const int w = PictureWidth();
                const int h = PictureHeight();
                for (auto [bar, length] : {std::pair{ScrollBarX, w}, std::pair{ScrollBarY, h}}) {
                    bar->setRange(0, length);
                    bar->setValue(length / 2);
                    bar->setSingleStep(std::max(1, length / 100));
                    bar->setPageStep(10 * bar->singleStep());
                }
            }
            PanelSResize();
        }
        if (reset)
            FrameResize();
    }
    Redraw();
    return true;
}

bool TFrameBmp::SetScale(double scale)
{
    if (Bmp == nullptr || bLockScale)
        return false;
    {
        TFlagGuard scaleLock(bLockScale);
        // A zoom of the caller's own is a choice; the fit and the bar's position are not.
        if (scale > 0 && !FLayoutRunning)
            bFollowFit = false;
        if (scale == -1)
            Scale = GetScaleFit();
        else if (scale != 0)
            Scale = scale;
        else
            Scale = framebmp::ScaleOfZoomBarPosition(ScrollBarScale->value());
        Scale = framebmp::ClampScale(Scale, {ScaleMin, ScaleMax});
        ScrollBarScale->setValue(framebmp::ZoomBarPosition(Scale));
    }
    if (!FLayoutRunning || Scale != FScaleBeforeLayout)
        RaiseAfterScaleChange();
    return true;
}

bool TFrameBmp::SetCenter(double x, double y)
{
    if (Bmp == nullptr || bLockScale)
        return false;
    if (x < 0)
        x = ScrollBarX->value();
    if (y < 0)
        y = ScrollBarY->value();
    bool xChanged = false;
    {
        TFlagGuard scrollLock(bLockScroll);
        const int before = ScrollBarX->value();
        ScrollBarX->setValue(framebmp::Trunc(x));
        xChanged = ScrollBarX->value() != before;
    }
    const int yBefore = ScrollBarY->value();
    ScrollBarY->setValue(framebmp::Trunc(y));
    // A bar reports only real changes: when y stays, the view must still follow a new x.
    if (xChanged && ScrollBarY->value() == yBefore)
        ScrollBarXChange();
    return true;
}

void TFrameBmp::ScrollBarXChange() { FollowScrollBars(true); }

void TFrameBmp::ShowWhole()
{
    if (Bmp == nullptr)
        return;
    {
        TFlagGuard scrollLock(bLockScroll);
        ScrollBarX->setValue(PictureWidth() / 2);
        ScrollBarY->setValue(PictureHeight() / 2);
    }
    SetScale(-1);
    bFollowFit = true;
    // The view is redrawn even when the bars were already there.
    ScrollBarXChange();
}

void TFrameBmp::FollowScrollBars(bool zoomFromBar)
{
    if (Bmp == nullptr)
        return;
    PanelSShow();
    if (bLockScroll)
        return;
    TFlagGuard scrollLock(bLockScroll);
    const int w = PictureWidth();
    const int h = PictureHeight();
    CenterX = w < 1 ? 0.0 : static_cast<double>(ScrollBarX->value()) / w;
    CenterY = h < 1 ? 0.0 : static_cast<double>(ScrollBarY->value()) / h;
    if (zoomFromBar)
        SetScale(0);
    Redraw();
    Mark("1", "TFrameBmp::ScrollBarXChange");
}

bool TFrameBmp::IsSmoothing() const { return SpeedButtonGray->isChecked(); }

void TFrameBmp::Redraw()
{
    if (bLockPaint)
        return;
    TFlagGuard paintLock(bLockPaint);
    const QSize size = PaintBoxMain->size().expandedTo(QSize(0, 0));
    if (BmpMain.size() != size)
        BmpMain = QImage(size, QImage::Format_RGB32);
    DrawArea.X = 1;
    DrawArea.W = 0;
    int x = 0, y = 0, w = 0, h = 0;
    GetCoordinatOfVisibleArea(x, y, w, h);
    BmpMain.fill(palette().color(QPalette::Window));
    if (Bmp == nullptr || BmpMain.isNull())
        return;
    DrawPicture();
    {
        QPainter painter(&BmpMain);
        if (SpeedButtonNet->isChecked() && Scale >= 4)
            DrawGrid(painter);
        if (SpeedButtonPoint->isChecked())
            DrawPointMarks(painter);
        if (SyncCursorCount > 0 && SpeedButtonShowSyncCursor->isChecked())
            DrawSyncCursor(painter);
    }
    if (OnDrawBmp)
        OnDrawBmp(this, &BmpMain);
    PaintBoxMain->update();
    PaintBoxSPaint();
}

void TFrameBmp::DrawPicture()
{
    if (DrawArea.W <= 0 || DrawArea.H <= 0 || VisibleArea.W <= 0 || VisibleArea.H <= 0 || Bmp->isNull())
        return;
    const QRect target(DrawArea.X, DrawArea.Y, DrawArea.W, DrawArea.H);
    const QRect visible(VisibleArea.X, VisibleArea.Y, VisibleArea.W, VisibleArea.H);
    const TViewPictureKey key{Bmp,           Bmp->cacheKey(), visible,
                              target.size(), IsSmoothing(),   palette().color(QPalette::Window).rgb()};
    if (!(key == FViewPictureKey)) {
        StretchPicture(visible, target.size());
        FViewPictureKey = key;
    }
    QPainter painter(&BmpMain);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target.topLeft(), FViewPicture);
}

void TFrameBmp::StretchPicture(const QRect& visible, QSize size)
{
    if (FViewPicture.size() != size)
        FViewPicture = QImage(size, QImage::Format_RGB32);
    if (!IsSmoothing()) {
        framebmp::StretchBlackOnWhite(FViewPicture, FViewPicture.rect(), *Bmp, visible);
        return;
    }
    // The reduced copy this view needs is built here when the picture is new or has changed, so
    // even the first paint of a picture is an average, not a sample.
    const double scaleX = static_cast<double>(size.width()) / visible.width();
    const double scaleY = static_cast<double>(size.height()) / visible.height();
    const framebmp::TReducedCopies::TSource source = FReducedCopies.SourceFor(Bmp, QRectF(visible), scaleX, scaleY);
    if (source.Image->hasAlphaChannel())
        FViewPicture.fill(palette().color(QPalette::Window));
    QPainter painter(&FViewPicture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(FViewPicture.rect()), *source.Image, source.Rect);
}

void TFrameBmp::PaintBoxMainPaint(QPainter& canvas)
{
    canvas.drawImage(0, 0, BmpMain);
    if (OnDrawCanvas)
        OnDrawCanvas(this, &canvas);
    if (!FHintText.isEmpty())
        DrawHint(canvas);
}

void TFrameBmp::RaiseAfterScaleChange()
{
    if (OnAfterScaleChange)
        OnAfterScaleChange(this);
    for (int i = 0; i < LOnAfterScaleChange.FCount; ++i)
        LOnAfterScaleChange.Data[i](this);
}

void TFrameBmp::RaiseAfterLPointChange()
{
    if (OnAfterLPointChange)
        OnAfterLPointChange(this);
    for (int i = 0; i < LOnAfterLPointChange.FCount; ++i)
        LOnAfterLPointChange.Data[i](this);
}

void TFrameBmp::RaiseClose()
{
    if (OnClose)
        OnClose(this);
    // Each handler removes its own entries while it runs: walk the handlers present at the start.
    const std::vector<TFrameNotify> handlers(LOnClose.Data, LOnClose.Data + LOnClose.FCount);
    for (const TFrameNotify& handler : handlers)
        handler(this);
}
