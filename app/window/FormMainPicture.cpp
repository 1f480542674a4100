// The window's handlers of the mouse over the picture: the atom under the cursor, turning the
// structure with a left drag, and picking atoms to measure with Ctrl+click, ringed over the view.

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>
#include <optional>

#include "FormMain_.h"
#include "FrameBmp_.h"
#include "StatusLine.h"
#include "ViewTurn.h"

namespace {

// The colour and width of the rings round picked atoms, with a white halo so that they show on
// any ball and on the white ground.
const QColor PickRingColour(200, 0, 160);
constexpr double PickRingWidth = 2.5;
constexpr double PickHaloWidth = 5;
// A ring lies this many view pixels outside its ball, and is at least this large.
constexpr double PickRingGap = 3;
constexpr double PickRingSmallest = 6;

int PicturePixel(double coordinate) { return static_cast<int>(std::floor(coordinate)); }

}  // namespace

void TFormMain::ConnectPicture()
{
    FrameBmp1->OnPictureMouseMove = TFramePicturePoint::Of<&TFormMain::PictureMouseMove>(this);
    FrameBmp1->OnPictureDrag = TFramePicturePoint::Of<&TFormMain::PictureDrag>(this);
    FrameBmp1->OnPictureClick = TFramePictureClick::Of<&TFormMain::PictureClick>(this);
    FrameBmp1->OnDrawCanvas = TFrameDrawCanvas::Of<&TFormMain::DrawPicks>(this);
}

void TFormMain::PictureMouseMove(TFrameBmp*, TShiftState shift, double x, double y)
{
    // While a button is held the picture turns or pans under the mouse: the read-out waits for
    // the release, and each step of the drag is spared the search of a freshly painted picture.
    if (shift.Buttons != Qt::NoButton)
        return;
    const std::optional<PickedAtom> atom = pipeline_.AtomAt(PicturePixel(x), PicturePixel(y));
    StatusLine1->ShowAtom(atom ? QString::fromStdString(AtomReadOut(*atom)) : QString());
}

void TFormMain::PictureDrag(TFrameBmp*, TShiftState shift, double dx, double dy)
{
    if (openFile_.isEmpty())
        return;
    // A drag across the whole width shown turns the structure half round, whatever the zoom.
    const double pixelsPerHalfTurn = std::max(1, FrameBmp1->VisibleArea.W);
    const ViewAngles turned =
        TurnedByDrag(ReadAngles(), dx, dy, shift.Keys.testFlag(Qt::ShiftModifier), pixelsPerHalfTurn);
    {
        // The bars are the one record of the view; set together, they rebuild once below.
        const QSignalBlocker quietX(ScrollBarAx);
        const QSignalBlocker quietY(ScrollBarAy);
        const QSignalBlocker quietZ(ScrollBarAz);
        ScrollBarAx->setValue(turned.Ax);
        ScrollBarAy->setValue(turned.Ay);
        ScrollBarAz->setValue(turned.Az);
    }
    // As for a dragged bar: moves already waiting are taken in first, and one rebuild follows.
    ScrollBarAxChange(ScrollBarAx);
}

void TFormMain::PictureClick(TFrameBmp*, Qt::MouseButton, TShiftState shift, double x, double y)
{
    const std::optional<PickedAtom> atom = pipeline_.AtomAt(PicturePixel(x), PicturePixel(y));
    bool changed = false;
    if (!atom)
        changed = picks_.Clear();
    else if (shift.Keys.testFlag(Qt::ControlModifier))
        changed = picks_.Pick(*atom);
    if (changed)
        ShowPicks();
}

void TFormMain::ClearPicks()
{
    if (picks_.Clear())
        ShowPicks();
}

void TFormMain::ShowPicks()
{
    StatusLine1->ShowMeasurement(QString::fromStdString(MeasurementLine(picks_.Atoms())));
    FrameBmp1->UpdateOverlay();
}

QString TFormMain::Measurement() const { return QString::fromStdString(MeasurementLine(picks_.Atoms())); }

void TFormMain::CopyMeasurement()
{
    const QString line = Measurement();
    if (line.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(line);
    ShowNote("Copied: " + line);
}

void TFormMain::DrawPicks(TFrameBmp* frame, QPainter* canvas)
{
    if (picks_.Empty() || frame->VisibleArea.W <= 0)
        return;
    const double viewPerPicture = static_cast<double>(frame->DrawArea.W) / frame->VisibleArea.W;
    canvas->save();
    canvas->setRenderHint(QPainter::Antialiasing);
    canvas->setBrush(Qt::NoBrush);
    int number = 0;
    for (const PickedAtom& atom : picks_.Atoms()) {
        ++number;
        const std::optional<ScenePipeline::BallOnPicture> ball = pipeline_.BallOf(atom.SceneAtom);
        if (!ball)
            continue;
        double x = ball->X;
        double y = ball->Y;
        frame->CoordinateBmpToFrame(x, y);
        const double radius = std::max(PickRingSmallest, ball->Radius * viewPerPicture + PickRingGap);
        for (auto [colour, width] :
             {std::pair{QColor(Qt::white), PickHaloWidth}, std::pair{PickRingColour, PickRingWidth}}) {
            canvas->setPen(QPen(colour, width));
            canvas->drawEllipse(QPointF(x, y), radius, radius);
        }
        canvas->setPen(PickRingColour);
        canvas->drawText(QPointF(x + radius * 0.75 + 2, y - radius * 0.75 - 2), QString::number(number));
    }
    canvas->restore();
}
