// The controls of the main window: their names, ranges, starting values, captions and places.
// Sizes are given in layout pixels at 144 pixels per inch; Qt's logical pixels are at 96, two
// thirds of them.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "FormMain_.h"
#include "FrameBmp_.h"
#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"
#include "MSaveIniComponent.h"
#include "StatusLine.h"
#include "ViewButtons.h"

namespace {

constexpr int LayoutDpi = 144;
constexpr int LogicalDpi = 96;

// Logical pixels of a length in layout pixels, to the nearest pixel.
constexpr int Dp(int layoutPixels) { return (layoutPixels * LogicalDpi + LayoutDpi / 2) / LayoutDpi; }

constexpr int ClientWidth = 1069;
constexpr int ClientHeight = 685;
constexpr int LeftColumnWidth = 449;
constexpr int WindowFontHeight = 17;
constexpr int HeaderFontHeight = 11;
constexpr int HeaderHeight = 16;
// clMoneyGreen, the headers' gradient colour.
const QColor HeaderColor(192, 220, 192);
constexpr const char* WindowFontFamily = "Tahoma";

constexpr int ViewButtonSize = 36;
constexpr int ViewPanelWidth = 320;
constexpr int ViewPanelHeight = 132;

QFont WindowFont(int layoutPixelHeight)
{
    QFont font(WindowFontFamily);
    font.setPixelSize(Dp(layoutPixelHeight));
    return font;
}

QScrollBar* MakeBar(QWidget* parent, const char* name, int minimum, int maximum, int position, const QString& tip)
{
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(minimum, maximum);
    bar->setValue(position);
    // A page of zero gives the smallest thumb; the bars take no keyboard focus.
    bar->setPageStep(0);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setToolTip(tip);
    return bar;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QToolButton* MakeButton(QWidget* parent, const char* name, const char* icon, QSize size, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    if (icon != nullptr) {
        button->setIcon(QIcon(QString(":/icons/%1.svg").arg(icon)));
        button->setIconSize(size * 3 / 4);
    }
    button->setFixedSize(size);
    button->setAutoRaise(true);
    button->setToolTip(tip);
    return button;
}

}  // namespace

void TFormMain::BuildControls()
{
    setObjectName("FormMain");
    setWindowTitle("Pelmora");
    setWindowIcon(QIcon(":/icons/pelmora.svg"));
    setFont(WindowFont(WindowFontHeight));
    resize(Dp(ClientWidth), Dp(ClientHeight));
    setAcceptDrops(true);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    rows->addLayout(layout, 1);

    Panel2 = new QWidget(this);
    Panel2->setObjectName("Panel2");
    Panel2->setFixedWidth(Dp(LeftColumnWidth));
    auto* columnLayout = new QVBoxLayout(Panel2);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    CategoryPanelGroup1 = new MCategoryPanelGroup(Panel2);
    CategoryPanelGroup1->setObjectName("CategoryPanelGroup1");
    CategoryPanelGroup1->SetHeaderFont(WindowFont(HeaderFontHeight));
    CategoryPanelGroup1->SetHeaderHeight(Dp(HeaderHeight));
    CategoryPanelGroup1->SetHeaderColor(HeaderColor);
    columnLayout->addWidget(CategoryPanelGroup1);
    layout->addWidget(Panel2);

    BuildFilePanel();
    BuildAtomsPanel();
    BuildTranslatePanel();
    BuildViewPanel();

    FrameBmp1 = new TFrameBmp(this);
    FrameBmp1->setObjectName("FrameBmp1");
    FrameBmp1->PanelButton->hide();
    layout->addWidget(FrameBmp1, 1);

    StatusLine1 = new TStatusLine(this);
    rows->addWidget(StatusLine1);

    BuildActions();
}

void TFormMain::BuildFilePanel()
{
    CategoryPanelFile = CategoryPanelGroup1->AddPanel("File");
    CategoryPanelFile->setObjectName("CategoryPanelFile");
    QWidget* body = CategoryPanelFile->Body();
    SpeedButtonOpenFile =
        MakeButton(body, "SpeedButtonOpenFile", "open", {Dp(73), Dp(79)}, "Open an XYZ file (Ctrl+O)");
    SpeedButtonSaveFile =
        MakeButton(body, "SpeedButtonSaveFile", "save", {Dp(78), Dp(79)}, "Save the scene as an SVG drawing (Ctrl+S)");
    SpeedButtonSavePicture = MakeButton(body, "SpeedButtonSavePicture", "save-picture", {Dp(78), Dp(79)},
                                        "Save the picture as PNG, JPEG, BMP or GIF (Ctrl+Shift+S)");
    ComboBoxRecent = new QComboBox(body);
    ComboBoxRecent->setObjectName("ComboBoxRecent");
    // The list shows names; the whole paths are kept (and saved) in ListBoxRecentFiles.
    saveini::SetTag(ComboBoxRecent, SaveIniTagSkip);
    ComboBoxRecent->setPlaceholderText("Recent files");
    // The column's width, not the longest name, sets the list's width.
    ComboBoxRecent->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBoxRecent->setMinimumContentsLength(8);
    ComboBoxRecent->setToolTip("Open one of the files opened last");
    ListBoxRecentFiles = new QListWidget(body);
    ListBoxRecentFiles->setObjectName("ListBoxRecentFiles");
    ListBoxRecentFiles->setVisible(false);
    for (auto [edit, name] :
         {std::pair{&EditOpenFolder, "EditOpenFolder"}, std::pair{&EditSaveFolder, "EditSaveFolder"}}) {
        *edit = new QLineEdit(body);
        (*edit)->setObjectName(name);
        (*edit)->setVisible(false);
    }
    SpeedButtonElements = new QToolButton(body);
    SpeedButtonElements->setObjectName("SpeedButtonElements");
    SpeedButtonElements->setText("Elements...");
    SpeedButtonElements->setToolTip("The element of each symbol of the file, and the rule that gave it (Ctrl+E)");
    Memo1 = new QPlainTextEdit(body);
    Memo1->setObjectName("Memo1");
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVisible(false);
    BuildFrameControl(body);

    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    row->addWidget(SpeedButtonOpenFile);
    row->addWidget(SpeedButtonSaveFile);
    row->addWidget(SpeedButtonSavePicture);
    row->addWidget(SpeedButtonElements);
    row->addStretch(1);
    row->addWidget(Memo1);
    column->addLayout(row);
    column->addWidget(ComboBoxRecent);
    column->addWidget(PanelFrame);
}

void TFormMain::BuildFrameControl(QWidget* body)
{
    PanelFrame = new QWidget(body);
    PanelFrame->setObjectName("PanelFrame");
    PanelFrame->setVisible(false);
    LabelFrame = MakeLabel(PanelFrame, "LabelFrame", "Frame");
    SpinEditFrame = new QSpinBox(PanelFrame);
    SpinEditFrame->setObjectName("SpinEditFrame");
    SpinEditFrame->setRange(1, 1);
    SpinEditFrame->setToolTip("The frame of the trajectory shown");
    // Never saved: every file opens at its first frame.
    saveini::SetTag(SpinEditFrame, SaveIniTagSkip);
    LabelFrameCount = MakeLabel(PanelFrame, "LabelFrameCount", "of 1");
    TrackBarFrame = new QSlider(Qt::Horizontal, PanelFrame);
    TrackBarFrame->setObjectName("TrackBarFrame");
    TrackBarFrame->setRange(1, 1);
    TrackBarFrame->setFocusPolicy(Qt::NoFocus);
    TrackBarFrame->setToolTip("Step through the frames of the trajectory");
    saveini::SetTag(TrackBarFrame, SaveIniTagSkip);
    BuildPlayControls(PanelFrame);

    auto* row = new QHBoxLayout(PanelFrame);
    row->setContentsMargins(0, 2, 0, 0);
    row->addWidget(LabelFrame);
    row->addWidget(SpinEditFrame);
    row->addWidget(LabelFrameCount);
    row->addWidget(TrackBarFrame, 1);
    row->addWidget(SpeedButtonPlay);
    row->addWidget(SpinEditRate);
}

void TFormMain::BuildPlayControls(QWidget* parent)
{
    SpeedButtonPlay = MakeButton(parent, "SpeedButtonPlay", "play", {Dp(36), Dp(36)},
                                 "Play the frames, looping (Space while the picture has the focus)");
    SpeedButtonPlay->setCheckable(true);
    // Playing is never restored: a trajectory opens standing still.
    saveini::SetTag(SpeedButtonPlay, SaveIniTagSkip);
    SpinEditRate = new QSpinBox(parent);
    SpinEditRate->setObjectName("SpinEditRate");
    SpinEditRate->setRange(1, 60);
    SpinEditRate->setValue(10);
    SpinEditRate->setSuffix(" fps");
    SpinEditRate->setToolTip("Frames a second while playing; slower drawing skips frames");
}

void TFormMain::BuildAtomsPanel()
{
    CategoryPanelAtoms = CategoryPanelGroup1->AddPanel("Atoms");
    CategoryPanelAtoms->setObjectName("CategoryPanelAtoms");
    QWidget* body = CategoryPanelAtoms->Body();
    CheckBoxDrawLink = new QCheckBox("Draw sticks", body);
    CheckBoxDrawLink->setObjectName("CheckBoxDrawLink");
    CheckBoxDrawLink->setToolTip("Join near atoms by sticks");
    LabelKMinStickLenght = MakeLabel(body, "LabelKMinStickLenght", " K Min stick length");
    ScrollBarStick = MakeBar(body, "ScrollBarStick", 0, StickBarMaximum, 0,
                             "How near two atoms must be to be joined, as a factor of their radii");
    LabelStickR = MakeLabel(body, "LabelStickR", " Stick radius");
    ScrollBarRStick = MakeBar(body, "ScrollBarRStick", 1, StickRadiusBarMaximum, StickRadiusBarMaximum / 2,
                              "Thickness of the sticks");
    LabelKAtomRadius = MakeLabel(body, "LabelKAtomRadius", " K atom radius");
    ScrollBarKRPoint = MakeBar(body, "ScrollBarKRPoint", 1, AtomRadiusBarMaximum, AtomRadiusBarMaximum / 2,
                               "Size of the balls, as a factor of the element radii");

    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 2, 4, 4);
    column->setSpacing(2);
    for (QWidget* control : {static_cast<QWidget*>(CheckBoxDrawLink), static_cast<QWidget*>(LabelKMinStickLenght),
                             static_cast<QWidget*>(ScrollBarStick), static_cast<QWidget*>(LabelStickR),
                             static_cast<QWidget*>(ScrollBarRStick), static_cast<QWidget*>(LabelKAtomRadius),
                             static_cast<QWidget*>(ScrollBarKRPoint)})
        column->addWidget(control);
}

void TFormMain::BuildTranslatePanel()
{
    CategoryPanelTranslate = CategoryPanelGroup1->AddPanel("Translate");
    CategoryPanelTranslate->setObjectName("CategoryPanelTranslate");
    QWidget* body = CategoryPanelTranslate->Body();
    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(4, 2, 4, 4);

    struct Count {
        QLabel** label;
        const char* labelName;
        const char* caption;
        QSpinBox** spin;
        const char* name;
        const char* tip;
    };
    const Count counts[] = {
        {&Label1, "Label1", "Nx=", &SpinEditNx, "SpinEditNx", "Copies along the first lattice vector (Ax, dy)"},
        {&Label2, "Label2", "Ny=", &SpinEditNy, "SpinEditNy", "Copies along the second lattice vector (dx, Ay)"},
    };
    int column = 0;
    for (const Count& c : counts) {
        *c.label = MakeLabel(body, c.labelName, c.caption);
        *c.spin = new QSpinBox(body);
        (*c.spin)->setObjectName(c.name);
        (*c.spin)->setRange(1, 10);
        (*c.spin)->setValue(1);
        // Never saved: the repeat counts are 1 at every start.
        saveini::SetTag(*c.spin, SaveIniTagSkip);
        (*c.spin)->setToolTip(c.tip);
        grid->addWidget(*c.label, 0, column);
        grid->addWidget(*c.spin, 0, column + 1);
        column += 2;
    }

    struct Step {
        QLabel** label;
        const char* labelName;
        const char* caption;
        QLineEdit** edit;
        const char* name;
        const char* text;
        const char* tip;
        int row, column;
    };
    const Step steps[] = {
        {&Label3, "Label3", "Ax=", &EditAx, "EditAx", "10", "x step between copies along the first vector", 1, 0},
        {&Label4, "Label4", "Ay=", &EditAy, "EditAy", "10", "y step between copies along the second vector", 1, 2},
        {&Label6, "Label6", "dx=", &EditDx, "EditDx", "0", "x shift per step along the second vector", 2, 0},
        {&Label5, "Label5", "dy=", &EditDy, "EditDy", "0", "y shift per step along the first vector", 2, 2},
    };
    for (const Step& s : steps) {
        *s.label = MakeLabel(body, s.labelName, s.caption);
        *s.edit = new QLineEdit(s.text, body);
        (*s.edit)->setObjectName(s.name);
        (*s.edit)->setToolTip(QString(s.tip) + " (a comma may mark decimals)");
        grid->addWidget(*s.label, s.row, s.column);
        grid->addWidget(*s.edit, s.row, s.column + 1);
    }

    ButtonTranslate = new QPushButton("Translate", body);
    ButtonTranslate->setObjectName("ButtonTranslate");
    ButtonTranslate->setToolTip("Repeat the structure Nx x Ny times and rebuild the scene");
    grid->addWidget(ButtonTranslate, 3, 0, 1, 4);
}

void TFormMain::BuildViewPanel()
{
    CategoryPanelView = CategoryPanelGroup1->AddPanel("View");
    CategoryPanelView->setObjectName("CategoryPanelView");
    QWidget* body = CategoryPanelView->Body();
    Panel1 = new QWidget(body);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedSize(Dp(ViewPanelWidth), Dp(ViewPanelHeight));
    for (const ViewButton& view : ViewButtons()) {
        const QByteArray name = "SpeedButton" + QByteArray::number(view.number);
        QToolButton* button =
            MakeButton(Panel1, name.constData(), view.icon, {Dp(ViewButtonSize), Dp(ViewButtonSize)}, view.tip);
        button->move(Dp(view.left), Dp(view.top));
        button->setVisible(view.icon != nullptr);
        SpeedButton[view.number] = button;
    }
    ScrollBarAx = MakeBar(body, "ScrollBarAx", 0, AngleBarMaximum, 0, "Angle about x, in tenths of a degree");
    ScrollBarAz = MakeBar(body, "ScrollBarAz", 0, AngleBarMaximum, 0, "Angle about z, in tenths of a degree");
    ScrollBarAy = MakeBar(body, "ScrollBarAy", 0, AngleBarMaximum, 0, "Angle about y, in tenths of a degree");

    auto* column = new QGridLayout(body);
    column->setContentsMargins(4, 2, 4, 4);
    column->setColumnStretch(1, 1);
    column->addWidget(Panel1, 0, 0, 1, 2, Qt::AlignHCenter);
    int row = 1;
    // The axis letters are captions only: they hold no state and carry no name.
    for (auto [axis, bar] : {std::pair{"x", ScrollBarAx}, std::pair{"z", ScrollBarAz}, std::pair{"y", ScrollBarAy}}) {
        column->addWidget(new QLabel(axis, body), row, 0);
        column->addWidget(bar, row, 1);
        ++row;
    }
}

void TFormMain::BuildActions()
{
    ActionOpen = new QAction("Open...", this);
    ActionOpen->setShortcut(QKeySequence::Open);
    ActionSave = new QAction("Save SVG...", this);
    ActionSave->setShortcut(QKeySequence::Save);
    ActionSavePicture = new QAction("Save picture...", this);
    ActionSavePicture->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    ActionQuit = new QAction("Quit", this);
    ActionQuit->setShortcut(QKeySequence::Quit);
    ActionElements = new QAction("Elements...", this);
    ActionElements->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    for (QAction* action : {ActionOpen, ActionSave, ActionSavePicture, ActionQuit, ActionElements}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
}
