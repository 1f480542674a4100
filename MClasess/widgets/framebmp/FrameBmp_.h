#ifndef PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMP_H
#define PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMP_H

// TFrameBmp: a viewer frame that shows a picture someone else owns, zoomed and panned inside a
// paint box, with a zoom bar, two bars for the view centre, an auto-hiding overview, a cursor
// read-out, numbered point marks, a pixel grid, a smoothing switch, a save button, and links
// that keep several frames in step (sync groups). It knows nothing of what the picture shows.
//
// The owner hands the picture over with Load, calls Redraw whenever it has changed the picture's
// pixels, and keeps the picture alive as long as the frame may draw it.
//
// The frame's operations, handlers and fields carry the names its owners and its saved state know
// (Load, Redraw, SetScale, ScrollBarXChange, ...); its state is public, as the window-state
// persistence and the frames of a sync group read it directly.

#include "FrameBmpGeometry.h"
#include "FrameBmpOverview.h"
#include "FrameBmpReducedCopies.h"
#include "MColor.h"
#include "MList.h"
#include "MListSimpleFind.h"
#include "MMethod.h"
#include "MPoint.h"
#include "MSaveIniHooks.h"

#include <QFrame>
#include <QImage>
#include <QPen>

#include <cstdint>
#include <memory>
#include <string>

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMouseEvent;
class QPainter;
class QScrollBar;
class QSpinBox;
class QTimer;
class QToolButton;

namespace framebmp {
class TFrameBmpPanel;
}

// Keys and mouse buttons held during a mouse event.
struct TShiftState {
    Qt::KeyboardModifiers Keys;
    Qt::MouseButtons Buttons;
    [[nodiscard]] bool Has(Qt::MouseButton button) const noexcept { return Buttons.testFlag(button); }
    friend bool operator==(const TShiftState& a, const TShiftState& b) noexcept
    {
        return a.Keys == b.Keys && a.Buttons == b.Buttons;
    }
};

class TFrameBmp;

using TFrameNotify = MMethod<void(TFrameBmp*)>;
using TFrameMouseMove = MMethod<void(TFrameBmp*, TShiftState, int, int)>;
using TFrameMouseDown = MMethod<void(TFrameBmp*, Qt::MouseButton, TShiftState, int, int)>;
using TFrameDrawBmp = MMethod<void(TFrameBmp*, QImage*)>;
using TFrameDrawCanvas = MMethod<void(TFrameBmp*, QPainter*)>;
using TFrameGetColor = MMethod<std::string(TFrameBmp*, int, int)>;
// A point of the picture (picture pixels, fractions kept) or a move across it.
using TFramePicturePoint = MMethod<void(TFrameBmp*, TShiftState, double, double)>;
using TFramePictureClick = MMethod<void(TFrameBmp*, Qt::MouseButton, TShiftState, double, double)>;

class TFrameBmp : public QFrame, public MSaveIniFrame, public MSaveIniNotified {
    Q_OBJECT
public:
    explicit TFrameBmp(QWidget* owner = nullptr);
    ~TFrameBmp() override;
    TFrameBmp(const TFrameBmp&) = delete;
    TFrameBmp& operator=(const TFrameBmp&) = delete;

    // ---- Public operations -------------------------------------------------------------------

    // Takes a picture (not owned). With reset the picture is shown at the fitting zoom, centred;
    // without, zoom and scroll positions are kept. Returns false for a null picture.
    bool Load(const QImage* picture, bool reset, bool showOverview);
    // Rebuilds the view from the picture and shows it, the overview too.
    void Redraw();
    // Sets the zoom (paint-box pixels per picture pixel): -1 the fit, 0 the zoom bar's position.
    // Returns false without a picture or while a SetScale or SetCenter is running. No redraw.
    bool SetScale(double scale);
    // Centres the view on a picture point; a negative value keeps that coordinate.
    bool SetCenter(double x, double y);
    // Zoom at which the whole picture fits the paint box; 0 without a picture.
    [[nodiscard]] double GetScaleFit() const;
    // Recomputes VisibleArea and returns it; false without a picture.
    bool GetCoordinatOfVisibleArea(int& x, int& y, int& w, int& h);
    // In-place conversions between picture and paint-box points; see FrameBmpGeometry.h.
    bool CoordinateBmpToFrame(double& x, double& y) const;
    bool CoordinateFrameToBmp(double& x, double& y) const;
    // Takes another frame's zoom and centre, relative to each frame's picture.
    void ScaleCopyFrom(TFrameBmp* source);

    // Shows the whole picture, centred, and keeps fitting it to the view through resizes until a
    // zoom is chosen (wheel, keys, zoom bar, SetScale with a zoom of its own, a restored state).
    void ShowWhole();
    // Paints the view again from its buffer, so that OnDrawCanvas draws what lies over the picture
    // anew without the picture being stretched again.
    void UpdateOverlay();
    // A one-line hint drawn in the middle of the view while it is not empty.
    void SetHintText(const QString& text);
    [[nodiscard]] const QString& HintText() const { return FHintText; }

    // Frame size that gives the paint box `paintBox` (the tool bar counted while it is shown).
    [[nodiscard]] QSize FrameSizeForPaintBox(QSize paintBox) const;

    // ---- Handlers of the child controls ------------------------------------------------------

    void FrameResize();
    void ScrollBarXChange();
    void PaintBoxMainPaint(QPainter& canvas);
    void PaintBoxMainMouseDown(QObject* sender, Qt::MouseButton button, TShiftState shift, int x, int y);
    void PaintBoxMainMouseMove(QObject* sender, TShiftState shift, int x, int y);
    void PaintBoxMainMouseUp() {}
    // A left release close to its press (point-mark mode off) raises OnPictureClick.
    void PaintBoxMainMouseUp(QObject* sender, Qt::MouseButton button, TShiftState shift, int x, int y);
    void PaintBoxMainMouseEnter() {}
    void FrameMouseWheelDown(QObject* sender, TShiftState shift, QPoint mousePos, bool& handled);
    void FrameMouseWheelUp(QObject* sender, TShiftState shift, QPoint mousePos, bool& handled);
    void ShowCoordinate(double x, double y);
    // Keys while the frame has the focus: + and - zoom one wheel step, the arrows move the view
    // by a tenth of the part shown, Home shows the whole picture (ShowWhole). False for any other key.
    bool FrameKeyDown(int key);

    void PanelSResize();
    void PanelSShow();
    void PanelSHide();
    void Timer1Timer();
    void PaintBoxSPaint();
    void PaintBoxSMouseDown(QObject* sender, Qt::MouseButton button, TShiftState shift, int x, int y);
    void PaintBoxSMouseMove(QObject* sender, TShiftState shift, int x, int y);
    void PaintBoxSMouseUp();
    void PaintBoxSDblClick(QPoint clientPos);
    void MenuItemPaintBoxSFixClick();
    void PanelMapMouseMove();
    void PanelMapDblClick();

    void SpeedButtonShowSyncCursorClick();
    void SpeedButtonSaveClick();
    void SpeedButtonNetClick();
    // Form-state notifications: acts only on a null sender with x and y both -101 .. -104.
    void FrameMouseMove(QObject* sender, TShiftState shift, int x, int y);
    // The window-state walk's way in: the same notifications (MSaveIniCode).
    void SaveIniNotify(int code) override;
    void LPointToListBox();
    void LPointFromListBox();

    // ---- Sync groups --------------------------------------------------------------------------

    // Links `partner` into this frame's list of the kind: this frame's handler of the kind and
    // its close handler are hooked into the partner's event lists, and the partner counts the
    // link. A frame follows a sender when both are in the list of one listener hooked into the
    // sender: to keep frames A, B, C in step, let A link A, B and C. Returns false for a null
    // partner or a failed list operation.
    bool AddSyncScale(TFrameBmp* partner);
    bool AddSyncLPoint(TFrameBmp* partner);
    bool AddSyncCursor(TFrameBmp* partner);
    // All three kinds.
    bool AddSync(TFrameBmp* partner);

    void OnAfterScaleChangeFrameSync(TFrameBmp* sender);
    void OnAfterLPointChangeFrameSync(TFrameBmp* sender);
    void OnMouseMoveFrameSync(TFrameBmp* sender, TShiftState shift, int x, int y);
    void OnMouseDownFrameSync(TFrameBmp* sender, Qt::MouseButton button, TShiftState shift, int x, int y);
    void OnCloseFrameSync(TFrameBmp* closing);
    void SetSyncCursor(MPoint<double> point);
    bool DeleteSyncScale(int index);
    bool DeleteSyncLPoint(int index);
    bool DeleteSyncCursor(int index);
    bool ClearSyncScale();
    bool ClearSyncLPoint();
    bool ClearSyncCursor();
    // The group number set in the tool bar; only frames with equal numbers follow each other.
    [[nodiscard]] int SyncGroup() const;

    // ---- State ----------------------------------------------------------------------------------

    const QImage* Bmp = nullptr;
    double Scale = 0;
    double ScaleMin = 0;
    double ScaleMax = 0;
    double CenterX = 0;
    double CenterY = 0;
    framebmp::TArea VisibleArea;
    framebmp::TArea DrawArea;
    framebmp::TArea VisibleAreaS;
    double ScalePaintBoxS = 0;
    QImage BmpMain;
    QImage BmpS;
    double MapDivider = 4.0;

    bool bLockScale = false;
    bool bLockPaint = false;
    bool bLockScroll = false;
    bool bLockMove = false;
    bool bHideMap = false;
    bool bMapResizePending = false;
    bool bInvertY = true;
    // The zoom follows the fit through resizes: set by Load with reset and by ShowWhole, cleared
    // when a zoom is chosen.
    bool bFollowFit = false;
    Qt::CursorShape CursorMain = Qt::ArrowCursor;

    std::unique_ptr<MList<MPoint<float>>> LPoint;
    std::unique_ptr<MList<TColor>> LColor;

    MPoint<double> SyncCursor{};
    std::unique_ptr<MList<TFrameBmp*>> LFrameBmpSyncScale;
    std::unique_ptr<MList<TFrameBmp*>> LFrameBmpSyncLPoint;
    std::unique_ptr<MList<TFrameBmp*>> LFrameBmpSyncCursor;
    std::int32_t SyncCount = 0;
    std::int32_t SyncCursorCount = 0;
    bool bSyncScaleReady = true;
    bool bSyncScaleBusy = false;
    bool bSyncLPointBusy = false;
    bool bSyncCursorBusy = false;
    bool bSyncCursorLeftOnly = false;

    // ---- Events: the single handler first, then the list --------------------------------------

    TFrameNotify OnAfterScaleChange;
    MListSimpleFind<TFrameNotify> LOnAfterScaleChange;
    TFrameNotify OnAfterLPointChange;
    MListSimpleFind<TFrameNotify> LOnAfterLPointChange;
    TFrameMouseMove OnMouseMoveMain;
    MListSimpleFind<TFrameMouseMove> LOnMouseMove;
    TFrameMouseDown OnMouseDownMain;
    MListSimpleFind<TFrameMouseDown> LOnMouseDown;
    TFrameNotify OnClose;
    MListSimpleFind<TFrameNotify> LOnClose;
    TFrameDrawBmp OnDrawBmp;
    TFrameDrawBmp OnDrawBmpS;
    TFrameDrawCanvas OnDrawCanvas;
    TFrameGetColor OnGetColor;
    // Every handled move over the view, at the picture point under the mouse (also outside it).
    TFramePicturePoint OnPictureMouseMove;
    // A left-button drag in the view (point-mark mode off): the move since the last one, in
    // picture pixels (x to the right, y down). It starts once the mouse has left the press by
    // more than ClickSlop pixels, and the first move counts from the press.
    TFramePicturePoint OnPictureDrag;
    // A left press released within ClickSlop pixels of it (point-mark mode off), at the picture
    // point of the press, with the keys held at the press.
    TFramePictureClick OnPictureClick;

    // ---- Child controls (objectName = member name) ----------------------------------------------

    QWidget* PanelButton = nullptr;
    QToolButton* SpeedButtonSave = nullptr;
    QToolButton* SpeedButtonPoint = nullptr;
    QToolButton* SpeedButtonNet = nullptr;
    QToolButton* SpeedButtonGray = nullptr;
    QWidget* PanelSyncGroup = nullptr;
    QLineEdit* EditSyncGroup = nullptr;
    QSpinBox* UpDownSyncGroup = nullptr;
    QToolButton* SpeedButtonShowSyncCursor = nullptr;
    QLabel* LabelCoordinate = nullptr;
    framebmp::TFrameBmpPanel* PanelPic = nullptr;
    framebmp::TFrameBmpPanel* PaintBoxMain = nullptr;
    QScrollBar* ScrollBarScale = nullptr;
    QScrollBar* ScrollBarX = nullptr;
    QScrollBar* ScrollBarY = nullptr;
    framebmp::TFrameBmpPanel* PanelMap = nullptr;
    QLabel* Image2 = nullptr;
    framebmp::TFrameBmpPanel* PanelS = nullptr;
    framebmp::TFrameBmpPanel* PaintBoxS = nullptr;
    QListWidget* ListBoxLPointX = nullptr;
    QListWidget* ListBoxLPointY = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* PopupMenuPaintBoxS = nullptr;
    QAction* MenuItemPaintBoxSFix = nullptr;

    static constexpr int ScrollBarThickness = 17;
    static constexpr int ToolBarHeight = 24;
    static constexpr int OverviewHideMs = 3000;
    static constexpr int ClickSlop = 3;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateToolBar();
    void CreateView();
    void CreateOverview();
    void ConnectControls();
    void LayoutFrame();
    void UpdateZoomBarRange();
    // The bars' change handler; without `zoomFromBar` the zoom is left as it is.
    void FollowScrollBars(bool zoomFromBar);
    void MoveViewByATenth(int dx, int dy);
    void FollowLeftDrag(TShiftState shift, int x, int y);
    void DrawHint(QPainter& canvas) const;

    [[nodiscard]] int PictureWidth() const;
    [[nodiscard]] int PictureHeight() const;
    [[nodiscard]] framebmp::TViewAreas Areas() const { return {VisibleArea, DrawArea}; }
    [[nodiscard]] bool IsSmoothing() const;
    void DrawPicture();
    void StretchPicture(const QRect& visible, QSize size);
    void DrawGrid(QPainter& painter);
    void DrawPointMarks(QPainter& painter);
    void DrawSyncCursor(QPainter& painter);
    void PaintBoxSShow(QPainter& canvas);
    void AddPointMark(int x, int y);
    void RemoveNearestPointMark(int x, int y);
    void AppendRandomColourIfShort();
    void Mark(const char* label, const char* method) const;

    void RaiseAfterScaleChange();
    void RaiseAfterLPointChange();
    void RaiseClose();

    bool AddSyncLink(std::unique_ptr<MList<TFrameBmp*>>& list, TFrameBmp* partner, bool cursor);
    bool DeleteSyncLink(MList<TFrameBmp*>* list, int index, int kind);
    bool ClearSyncList(MList<TFrameBmp*>* list, int kind);

    // Press and move state of the main view and the overview.
    QPoint FPress;
    QPoint FDrag;
    double FCenterAtPressX = 0;
    double FCenterAtPressY = 0;
    QPoint FLastMove;
    TShiftState FLastMoveShift{};
    QPoint FPressS;
    QPoint FDragS;
    bool FDragArmedS = false;
    QPoint FLastMoveS;
    TShiftState FLastMoveShiftS{};
    int FWheelRemainder = 0;
    // The left-button press of a click or a drag in the view.
    bool FLeftPressed = false;
    bool FLeftDragging = false;
    QPoint FLeftPress;
    QPoint FLeftLast;
    TShiftState FLeftPressShift{};
    QString FHintText;

    // While FrameResize runs, SetScale announces only a zoom other than the one before the layout.
    bool FLayoutRunning = false;
    double FScaleBeforeLayout = 0;

    // The buffer's pen lasts from one redraw to the next, as marks take whatever was set last.
    QPen FMainPen{Qt::black, 1};
    framebmp::TReducedCopies FReducedCopies;

    // The picture part of the view as last stretched, and what from: a redraw that changes only
    // what lies over the picture (marks, grid, the common cursor) copies it instead of
    // stretching the picture again.
    struct TViewPictureKey {
        const QImage* Picture = nullptr;
        qint64 PictureKey = 0;
        QRect Visible;
        QSize Size;
        bool Smooth = false;
        QRgb Ground = 0;
        friend bool operator==(const TViewPictureKey&, const TViewPictureKey&) = default;
    };
    TViewPictureKey FViewPictureKey;
    QImage FViewPicture;
    framebmp::TFrameBmpOverview FOverview;
};

#endif
