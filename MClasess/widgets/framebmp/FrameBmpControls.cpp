// The frame's child controls: creation with their object names (which name their keys in the
// saved window state), wiring of their events to the frame's handlers, and the alignment of the
// tool bar and the view panel inside the frame.

#include "FrameBmpGuard.h"
#include "FrameBmpPanel.h"
#include "FrameBmp_.h"
#include "MSaveIniUpDown.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

using framebmp::RunGuarded;
using framebmp::TFrameBmpPanel;

namespace {

constexpr QSize kStartSize(744, 518);
constexpr QSize kPanelMapSize(36, 17);
constexpr int kSyncPanelWidth = 50;
constexpr int kSyncEditWidth = 21 + 15;  // the edit and its up-down arrows
constexpr int kSyncCursorButtonWidth = 16;
constexpr QRgb kListBoxColour = 0xFFA6CAF0;  // sky blue

template <class Widget>
Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The small pictures are drawn at this many device pixels per logical pixel, so that they stay
// sharp on screens scaled up to it.
constexpr int kGlyphPixelRatio = 4;

// An empty picture of the logical size given, drawn at kGlyphPixelRatio.
QPixmap SharpPixmap(int width, int height)
{
    QPixmap pixmap(width * kGlyphPixelRatio, height * kGlyphPixelRatio);
    pixmap.setDevicePixelRatio(kGlyphPixelRatio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The tool bar's small glyphs, drawn here so the frame needs no picture files.
enum class TGlyph { Save, Point, Grid, Smooth, Cursor };

QIcon Glyph(TGlyph kind)
{
    QPixmap pixmap = SharpPixmap(16, 16);
    QPainter painter(&pixmap);
    switch (kind) {
    case TGlyph::Save:
        painter.fillRect(2, 2, 12, 12, QColor(40, 70, 140));
        painter.fillRect(4, 2, 8, 5, Qt::white);
        painter.fillRect(5, 10, 6, 4, QColor(200, 200, 200));
        break;
    case TGlyph::Point:
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::black);
        painter.setBrush(QColor(0, 250, 250));
        painter.drawEllipse(QRectF(1.5, 6.5, 6, 6));
        painter.setPen(QColor(0, 160, 160));
        painter.drawText(QRect(8, 0, 8, 10), Qt::AlignCenter, QStringLiteral("1"));
        break;
    case TGlyph::Grid:
        painter.setPen(QColor(80, 120, 200));
        for (int i = 1; i < 16; i += 4) {
            painter.drawLine(i, 1, i, 13);
            painter.drawLine(1, i, 13, i);
        }
        break;
    case TGlyph::Smooth: {
        QLinearGradient gradient(0, 0, 16, 16);
        gradient.setColorAt(0, Qt::black);
        gradient.setColorAt(1, Qt::white);
        painter.fillRect(2, 2, 12, 12, gradient);
        break;
    }
    case TGlyph::Cursor:
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QColor(0, 0, 255));
        painter.setBrush(QColor(255, 255, 0));
        painter.drawEllipse(QRectF(3.5, 3.5, 9, 9));
        break;
    }
    return QIcon(pixmap);
}

QToolButton* SpeedButton(QWidget* parent, const char* name, const QString& text, const QString& tip, TGlyph glyph,
                         bool toggle)
{
    auto* button = Named(new QToolButton(parent), name);
    button->setAutoRaise(true);
    button->setCheckable(toggle);
    button->setText(text);
    button->setToolTip(tip);
    button->setIcon(Glyph(glyph));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setFixedSize(TFrameBmp::ToolBarHeight, TFrameBmp::ToolBarHeight);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QScrollBar* CentreBar(QWidget* parent, const char* name, Qt::Orientation orientation)
{
    auto* bar = Named(new QScrollBar(orientation, parent), name);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setPageStep(0);
    if (orientation == Qt::Vertical)
        bar->setGeometry(0, 0, TFrameBmp::ScrollBarThickness, 100);
    else
        bar->setGeometry(0, 0, 100, TFrameBmp::ScrollBarThickness);
    return bar;
}

// The overview button's icon: a small picture with the shown part framed.
QPixmap OverviewIcon()
{
    QPixmap icon = SharpPixmap(14, 11);
    icon.fill(QColor(0x80, 0x80, 0x80));
    QPainter painter(&icon);
    painter.setPen(QColor(0x00, 0x80, 0x00));
    painter.drawRect(3, 2, 6, 5);
    return icon;
}

QListWidget* HiddenListBox(QWidget* parent, const char* name)
{
    auto* list = Named(new QListWidget(parent), name);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, QColor::fromRgb(kListBoxColour));
    list->setPalette(palette);
    list->hide();
    return list;
}

}  // namespace

void TFrameBmp::CreateControls()
{
    setObjectName(QStringLiteral("FrameBmp"));
    setFocusPolicy(Qt::ClickFocus);
    setAutoFillBackground(true);
    setMouseTracking(true);
    resize(kStartSize);
    CreateToolBar();
    CreateView();
    CreateOverview();

    ListBoxLPointX = HiddenListBox(this, "ListBoxLPointX");
    ListBoxLPointY = HiddenListBox(this, "ListBoxLPointY");

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setSingleShot(true);
    Timer1->setInterval(OverviewHideMs);
}

void TFrameBmp::CreateToolBar()
{
    PanelButton = Named(new QWidget(this), "PanelButton");
    PanelButton->setFixedHeight(ToolBarHeight);
    PanelButton->installEventFilter(this);
    auto* bar = new QHBoxLayout(PanelButton);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);

    SpeedButtonSave =
        SpeedButton(PanelButton, "SpeedButtonSave", tr("Save the picture"),
                    tr("Save the picture to a file (BMP, PNG, JPEG or GIF), without marks"), TGlyph::Save, false);
    SpeedButtonPoint = SpeedButton(PanelButton, "SpeedButtonPoint", tr("Point marks"),
                                   tr("Point marks: a left click sets a numbered mark, a right click removes "
                                      "the nearest one"),
                                   TGlyph::Point, true);
    SpeedButtonNet =
        SpeedButton(PanelButton, "SpeedButtonNet", tr("Pixel grid"),
                    tr("Pixel grid: lines between the picture's pixels from a zoom of 4 on"), TGlyph::Grid, true);
    SpeedButtonGray = SpeedButton(PanelButton, "SpeedButtonGray", tr("Smoothing"),
                                  tr("Smoothing: average the picture's pixels when shrinking, blend them when "
                                     "enlarging"),
                                  TGlyph::Smooth, true);
    SpeedButtonGray->setChecked(true);

    PanelSyncGroup = Named(new QWidget(PanelButton), "PanelSyncGroup");
    PanelSyncGroup->setFixedWidth(kSyncPanelWidth);
    auto* sync = new QHBoxLayout(PanelSyncGroup);
    sync->setContentsMargins(0, 0, 0, 0);
    sync->setSpacing(0);
    // The edit and its up-down arrows are one spin box; its edit carries the edit's name.
    // An up-down to the window-state walk: its state is stored as "->Position".
    UpDownSyncGroup = Named(new MSaveIniUpDown(PanelSyncGroup), "UpDownSyncGroup");
    UpDownSyncGroup->setRange(0, 100);
    UpDownSyncGroup->setValue(0);
    UpDownSyncGroup->setFixedWidth(kSyncEditWidth);
    UpDownSyncGroup->setToolTip(tr("Sync group: linked frames with the same number follow each other"));
    EditSyncGroup = Named(UpDownSyncGroup->findChild<QLineEdit*>(), "EditSyncGroup");
    EditSyncGroup->setToolTip(UpDownSyncGroup->toolTip());
    SpeedButtonShowSyncCursor = SpeedButton(PanelSyncGroup, "SpeedButtonShowSyncCursor", tr("Common cursor"),
                                            tr("Show the cursor of the sync group"), TGlyph::Cursor, true);
    SpeedButtonShowSyncCursor->setFixedWidth(kSyncCursorButtonWidth);
    SpeedButtonShowSyncCursor->hide();
    sync->addWidget(UpDownSyncGroup);
    sync->addStretch(1);
    sync->addWidget(SpeedButtonShowSyncCursor);
    PanelSyncGroup->hide();

    LabelCoordinate = Named(new QLabel(QStringLiteral("0:0"), PanelButton), "LabelCoordinate");
    LabelCoordinate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelCoordinate->setToolTip(tr("The picture point under the mouse and its colour (red, green, blue)"));
    QPalette palette = LabelCoordinate->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    LabelCoordinate->setPalette(palette);

    for (QWidget* widget :
         {static_cast<QWidget*>(SpeedButtonSave), static_cast<QWidget*>(SpeedButtonPoint),
          static_cast<QWidget*>(SpeedButtonNet), static_cast<QWidget*>(SpeedButtonGray), PanelSyncGroup})
        bar->addWidget(widget);
    bar->addStretch(1);
    bar->addWidget(LabelCoordinate);
}

void TFrameBmp::CreateView()
{
    PanelPic = Named(new TFrameBmpPanel(this), "PanelPic");

    PaintBoxMain = Named(new TFrameBmpPanel(PanelPic), "PaintBoxMain");
    PaintBoxMain->setAttribute(Qt::WA_OpaquePaintEvent);
    PaintBoxMain->setMouseTracking(true);

    ScrollBarScale = CentreBar(PanelPic, "ScrollBarScale", Qt::Vertical);
    ScrollBarScale->setToolTip(tr("Zoom (also the mouse wheel, + and -; Home shows the whole picture)"));
    ScrollBarY = CentreBar(PanelPic, "ScrollBarY", Qt::Vertical);
    ScrollBarY->setToolTip(tr("Move the view up and down (also the arrow keys)"));
    ScrollBarX = CentreBar(PanelPic, "ScrollBarX", Qt::Horizontal);
    ScrollBarX->setToolTip(tr("Move the view left and right (also the arrow keys)"));

    PanelMap = Named(new TFrameBmpPanel(PanelPic), "PanelMap");
    PanelMap->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelMap->resize(kPanelMapSize);
    PanelMap->setMouseTracking(true);
    PanelMap->setToolTip(tr("Overview: point here to show it, double-click to fit the whole picture"));
    Image2 = Named(new QLabel(PanelMap), "Image2");
    Image2->setPixmap(OverviewIcon());
    Image2->setAlignment(Qt::AlignCenter);
    Image2->setGeometry(PanelMap->rect());
    // Hover and double click on the icon are the panel's.
    Image2->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TFrameBmp::CreateOverview()
{
    PanelS = Named(new TFrameBmpPanel(PanelPic), "PanelS");
    PanelS->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanelS->setLineWidth(framebmp::OverviewBevel / 2);
    PanelS->hide();
    PaintBoxS = Named(new TFrameBmpPanel(PanelS), "PaintBoxS");
    PaintBoxS->setAttribute(Qt::WA_OpaquePaintEvent);
    PaintBoxS->setMouseTracking(true);
    PaintBoxS->setContextMenuPolicy(Qt::CustomContextMenu);
    PaintBoxS->setToolTip(tr("Drag the green frame to move the view, double-click to centre it there; "
                             "the right button keeps the overview shown"));

    PopupMenuPaintBoxS = Named(new QMenu(this), "PopupMenuPaintBoxS");
    MenuItemPaintBoxSFix = Named(PopupMenuPaintBoxS->addAction(tr("Fix")), "MenuItemPaintBoxSFix");
    MenuItemPaintBoxSFix->setCheckable(true);
    MenuItemPaintBoxSFix->setChecked(false);
}

namespace {

TShiftState ShiftOf(const QMouseEvent& event) { return {event.modifiers(), event.buttons()}; }

int PixelX(const QMouseEvent& event) { return framebmp::Trunc(event.position().x()); }

int PixelY(const QMouseEvent& event) { return framebmp::Trunc(event.position().y()); }

}  // namespace

void TFrameBmp::ConnectControls()
{
    // The zoom bar moved by anything but the frame's own zoom law (the wheel, keys, the user, a
    // restored state) is a zoom chosen: the fit is no longer followed.
    connect(ScrollBarScale, &QScrollBar::valueChanged, this, [this] {
        if (!bLockScale && !FLayoutRunning)
            bFollowFit = false;
    });
    for (QScrollBar* bar : {ScrollBarScale, ScrollBarX, ScrollBarY})
        connect(bar, &QScrollBar::valueChanged, this,
                [this] { RunGuarded(this, "TFrameBmp::ScrollBarXChange", [this] { ScrollBarXChange(); }); });

    connect(SpeedButtonSave, &QToolButton::clicked, this,
            [this] { RunGuarded(this, "TFrameBmp::SpeedButtonSaveClick", [this] { SpeedButtonSaveClick(); }); });
    for (QToolButton* button : {SpeedButtonNet, SpeedButtonGray})
        connect(button, &QToolButton::clicked, this,
                [this] { RunGuarded(this, "TFrameBmp::SpeedButtonNetClick", [this] { SpeedButtonNetClick(); }); });
    // Point-mark mode and the common cursor share a group in which at most one is down.
    const auto groupClick = [this](QToolButton* other) {
        return [this, other](bool down) {
            RunGuarded(this, "TFrameBmp::SpeedButtonShowSyncCursorClick", [&] {
                if (down)
                    other->setChecked(false);
                SpeedButtonShowSyncCursorClick();
            });
        };
    };
    connect(SpeedButtonPoint, &QToolButton::clicked, this, groupClick(SpeedButtonShowSyncCursor));
    connect(SpeedButtonShowSyncCursor, &QToolButton::clicked, this, groupClick(SpeedButtonPoint));

    connect(Timer1, &QTimer::timeout, this,
            [this] { RunGuarded(this, "TFrameBmp::Timer1Timer", [this] { Timer1Timer(); }); });
    connect(MenuItemPaintBoxSFix, &QAction::triggered, this, [this] {
        RunGuarded(this, "TFrameBmp::MenuItemPaintBoxSFixClick", [this] { MenuItemPaintBoxSFixClick(); });
    });
    connect(PaintBoxS, &QWidget::customContextMenuRequested, this,
            [this](QPoint pos) { PopupMenuPaintBoxS->popup(PaintBoxS->mapToGlobal(pos)); });

    PaintBoxMain->OnPaint = [this](QPainter& canvas) { PaintBoxMainPaint(canvas); };
    PaintBoxMain->OnMouseDown = [this](QMouseEvent& e) {
        PaintBoxMainMouseDown(PaintBoxMain, e.button(), ShiftOf(e), PixelX(e), PixelY(e));
    };
    PaintBoxMain->OnMouseMove = [this](QMouseEvent& e) {
        PaintBoxMainMouseMove(PaintBoxMain, ShiftOf(e), PixelX(e), PixelY(e));
    };
    PaintBoxMain->OnMouseUp = [this](QMouseEvent& e) {
        PaintBoxMainMouseUp(PaintBoxMain, e.button(), ShiftOf(e), PixelX(e), PixelY(e));
    };
    PaintBoxMain->OnEnter = [this] { PaintBoxMainMouseEnter(); };

    PaintBoxS->OnPaint = [this](QPainter& canvas) { PaintBoxSShow(canvas); };
    PaintBoxS->OnMouseDown = [this](QMouseEvent& e) {
        PaintBoxSMouseDown(PaintBoxS, e.button(), ShiftOf(e), PixelX(e), PixelY(e));
    };
    PaintBoxS->OnMouseMove = [this](QMouseEvent& e) {
        PaintBoxSMouseMove(PaintBoxS, ShiftOf(e), PixelX(e), PixelY(e));
    };
    PaintBoxS->OnMouseUp = [this](QMouseEvent&) { PaintBoxSMouseUp(); };
    PaintBoxS->OnDoubleClick = [this](QMouseEvent& e) { PaintBoxSDblClick(QPoint(PixelX(e), PixelY(e))); };

    PanelMap->OnMouseMove = [this](QMouseEvent&) { PanelMapMouseMove(); };
    PanelMap->OnEnter = [this] { PanelMapMouseMove(); };
    PanelMap->OnDoubleClick = [this](QMouseEvent&) { PanelMapDblClick(); };
}

void TFrameBmp::LayoutFrame()
{
    const int top = PanelButton->isHidden() ? 0 : ToolBarHeight;
    if (!PanelButton->isHidden())
        PanelButton->setGeometry(0, 0, width(), ToolBarHeight);
    PanelPic->setGeometry(0, top, width(), std::max(0, height() - top));
}

QSize TFrameBmp::FrameSizeForPaintBox(QSize paintBox) const
{
    const int top = PanelButton->isHidden() ? 0 : ToolBarHeight;
    return {paintBox.width() + ScrollBarScale->width() + ScrollBarY->width() + 1,
            paintBox.height() + ScrollBarX->height() + top};
}

void TFrameBmp::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    RunGuarded(this, "TFrameBmp::FrameResize", [this] { FrameResize(); });
}

void TFrameBmp::wheelEvent(QWheelEvent* event)
{
    RunGuarded(this, "TFrameBmp::wheelEvent", [&] {
        // Fine-grained wheels send parts of a notch; one step per whole notch.
        FWheelRemainder += event->angleDelta().y();
        const TShiftState shift{event->modifiers(), event->buttons()};
        const QPoint pos = event->position().toPoint();
        bool handled = false;
        while (FWheelRemainder <= -QWheelEvent::DefaultDeltasPerStep) {
            FWheelRemainder += QWheelEvent::DefaultDeltasPerStep;
            FrameMouseWheelDown(this, shift, pos, handled);
        }
        while (FWheelRemainder >= QWheelEvent::DefaultDeltasPerStep) {
            FWheelRemainder -= QWheelEvent::DefaultDeltasPerStep;
            FrameMouseWheelUp(this, shift, pos, handled);
        }
    });
    event->accept();
}

void TFrameBmp::mouseMoveEvent(QMouseEvent* event)
{
    RunGuarded(this, "TFrameBmp::FrameMouseMove",
               [&] { FrameMouseMove(this, ShiftOf(*event), PixelX(*event), PixelY(*event)); });
}

bool TFrameBmp::eventFilter(QObject* watched, QEvent* event)
{
    // Showing or hiding the tool bar changes the room of the view, as a resize does.
    if (watched == PanelButton && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        RunGuarded(this, "TFrameBmp::FrameResize", [this] { FrameResize(); });
    return QFrame::eventFilter(watched, event);
}
