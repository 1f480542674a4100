#ifndef PELMORA_APP_WINDOW_FORMMAIN_H
#define PELMORA_APP_WINDOW_FORMMAIN_H

// TFormMain: the program's only window. On the left a column of collapsible panels holds the
// controls ("File", "Atoms", "Translate", "View"); the rest is the viewer frame FrameBmp1 that
// shows the scene bitmap. Each handler reads its controls into plain values, runs the steps of
// the scene pipeline its control stands for, shows what the user must read, and has the frame
// show the new picture. The window's state is saved when it closes and restored when it is made.

#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "AtomPicks.h"
#include "FormMainDialogs.h"
#include "FrameBmp_.h"
#include "MSaveIniHooks.h"
#include "ScenePipeline.h"

class ElementsView;
class MCategoryPanel;
class MCategoryPanelGroup;
class QAction;
class QCheckBox;
class QComboBox;
class QListWidget;
class TStatusLine;
class TTrajectoryPlayer;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QSlider;
class QSpinBox;
class QToolButton;
class TFrameBmp;

// The window cannot be made: the element table is missing or broken. The message is the one the
// user is shown before the program ends.
class TFormMainStartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TFormMain : public QWidget {
    Q_OBJECT
public:
    // Builds the controls, hands the scene bitmap to the frame, restores the saved state and reads
    // the element table found in programFolder (or ../share/pelmora). Throws TFormMainStartError
    // when the table is missing or broken. The first file is opened by OpenAtStart.
    explicit TFormMain(const QString& programFolder, TFormMainDialogs dialogs = TFormMainDialogs::Standard(),
                       QWidget* parent = nullptr);
    ~TFormMain() override;

    // The start-up's last step: opens the given file, or asks for one when it is empty.
    void OpenAtStart(const QString& fileName);
    // Opens a file without asking, as the open button does after its dialog; a file opened is
    // shown whole and becomes the first of the recent files.
    void OpenFile(const QString& fileName);
    // Shows a one-line note in the status line (the first line of text; all of it as the tooltip).
    void ShowNote(const QString& text);
    // Saves the picture shown as PNG, JPEG, BMP or GIF by the name's extension (PNG when it has
    // none), replacing the old file only when completely written; false (after telling the user
    // why) when it could not be written.
    bool SavePicture(const QString& fileName);
    // The measurement of the picked atoms as the status line shows it; empty for fewer than two.
    [[nodiscard]] QString Measurement() const;
    [[nodiscard]] const TAtomPicks& Picks() const { return picks_; }
    // The files opened last, newest first (RecentFiles.h).
    [[nodiscard]] QStringList RecentFiles() const;

    // ---- Handlers, named after the controls they serve -------------------------------------------

    void SpeedButtonOpenFileClick(QObject* sender);
    void SpeedButtonSaveFileClick(QObject* sender);
    void SpeedButtonSavePictureClick(QObject* sender);
    // A file chosen in the recent files; one that no longer exists is told and taken off them.
    void ComboBoxRecentActivated(int index);
    // Play or pause the frames of a trajectory (also Space while the picture has the focus).
    void SpeedButtonPlayClick(QObject* sender);
    void SpinEditRateChange(QObject* sender);
    // The frame's events over the picture (picture pixels): the atom under the cursor in the
    // status line; a left drag turns the structure (Shift: about the axis out of the screen); a
    // Ctrl+click picks an atom to measure, a click on the ground clears the picks.
    void PictureMouseMove(TFrameBmp* frame, TShiftState shift, double x, double y);
    void PictureDrag(TFrameBmp* frame, TShiftState shift, double dx, double dy);
    void PictureClick(TFrameBmp* frame, Qt::MouseButton button, TShiftState shift, double x, double y);
    // Rings round the picked atoms, drawn over the view.
    void DrawPicks(TFrameBmp* frame, QPainter* canvas);
    // The frame control of a trajectory: shows the chosen frame, rebuilt with every setting.
    void SpinEditFrameChange(QObject* sender);
    void ScrollBarStickChange(QObject* sender);
    void ScrollBarAxChange(QObject* sender);
    void ButtonTranslateClick(QObject* sender);
    void BuildTranslation();
    void SetView(int ax, int ay, int az);
    // The view buttons: each sets the angles of its row of ViewButtons (ViewButtons.h).
    void SpeedButton1Click(QObject* sender);
    void SpeedButton2Click(QObject* sender);
    void SpeedButton3Click(QObject* sender);
    void SpeedButton4Click(QObject* sender);
    void SpeedButton5Click(QObject* sender);
    void SpeedButton9Click(QObject* sender);
    // Reads the element table; throws TFormMainStartError when it is missing or broken.
    void LoadAtom();
    // Saves the SVG document of the current scene; false (after telling the user) when it
    // could not be written.
    bool SaveSvg(const QString& fileName);
    // Opens the Elements view (ElementsView.h) beside the window, a row for each symbol.
    void SpeedButtonElementsClick(QObject* sender);
    // The user chose an element for a symbol of the open file (an empty element: the rules
    // decide again): the frame is read again, rebuilt with every setting, and the choice is kept
    // for the file in the settings file.
    void ChooseElement(const QByteArray& symbol, const QByteArray& element);
    // The Elements view, made when first opened (nullptr before).
    ElementsView* ElementsWindow() const { return elementsView_; }

    // ---- Model ----------------------------------------------------------------------------------

    const ScenePipeline& Pipeline() const { return pipeline_; }
    TTrajectoryPlayer& Player() { return *player_; }
    bool bSvg = false;
    bool bLockDraw = false;
    // While the saved state is restored, handlers rebuild but nothing is painted.
    bool bRestoring = false;

    // ---- Controls (objectName = member name) ----------------------------------------------------

    QWidget* Panel2 = nullptr;
    MCategoryPanelGroup* CategoryPanelGroup1 = nullptr;
    MCategoryPanel* CategoryPanelFile = nullptr;
    MCategoryPanel* CategoryPanelAtoms = nullptr;
    MCategoryPanel* CategoryPanelTranslate = nullptr;
    MCategoryPanel* CategoryPanelView = nullptr;
    QToolButton* SpeedButtonOpenFile = nullptr;
    QToolButton* SpeedButtonSaveFile = nullptr;
    QToolButton* SpeedButtonSavePicture = nullptr;
    QToolButton* SpeedButtonElements = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    // The recent files as chosen (names only) and as saved (whole paths, hidden).
    QComboBox* ComboBoxRecent = nullptr;
    QListWidget* ListBoxRecentFiles = nullptr;
    // The folders the open and the save dialogs start in (hidden, saved).
    QLineEdit* EditOpenFolder = nullptr;
    QLineEdit* EditSaveFolder = nullptr;
    // Shown for trajectories only, and never saved: a file opens at its first frame.
    QWidget* PanelFrame = nullptr;
    QLabel* LabelFrame = nullptr;
    QSpinBox* SpinEditFrame = nullptr;
    QLabel* LabelFrameCount = nullptr;
    QSlider* TrackBarFrame = nullptr;
    QToolButton* SpeedButtonPlay = nullptr;
    QSpinBox* SpinEditRate = nullptr;
    QCheckBox* CheckBoxDrawLink = nullptr;
    QLabel* LabelKMinStickLenght = nullptr;
    QScrollBar* ScrollBarStick = nullptr;
    QLabel* LabelStickR = nullptr;
    QScrollBar* ScrollBarRStick = nullptr;
    QLabel* LabelKAtomRadius = nullptr;
    QScrollBar* ScrollBarKRPoint = nullptr;
    QLabel* Label1 = nullptr;
    QSpinBox* SpinEditNx = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* SpinEditNy = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* EditAx = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* EditAy = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* EditDx = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* EditDy = nullptr;
    QPushButton* ButtonTranslate = nullptr;
    QWidget* Panel1 = nullptr;
    QToolButton* SpeedButton[11] = {};  // SpeedButton[1] .. SpeedButton[10]
    QScrollBar* ScrollBarAx = nullptr;
    QScrollBar* ScrollBarAz = nullptr;
    QScrollBar* ScrollBarAy = nullptr;
    TFrameBmp* FrameBmp1 = nullptr;
    TStatusLine* StatusLine1 = nullptr;
    QAction* ActionOpen = nullptr;
    QAction* ActionSave = nullptr;
    QAction* ActionSavePicture = nullptr;
    QAction* ActionQuit = nullptr;
    QAction* ActionElements = nullptr;

protected:
    // Saves the window's state; when the settings file cannot be written the user is told why
    // (in a message box, or on standard error for a window that was never shown) and the window
    // closes all the same.
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // While the picture has the focus: Space plays or pauses, Esc clears the picked atoms, Ctrl+C
    // copies their measurement.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void BuildFilePanel();
    void BuildFrameControl(QWidget* body);
    void BuildAtomsPanel();
    void BuildTranslatePanel();
    void BuildViewPanel();
    void BuildActions();
    void BuildPlayControls(QWidget* parent);
    void ConnectHandlers();
    void ConnectPicture();
    // The picked atoms: cleared when the scene is rebuilt (their numbers change), kept on turns.
    void ClearPicks();
    void ShowPicks();
    void CopyMeasurement();
    // Without saved state the window takes about three quarters of the screen, centred, and at
    // least the height that shows every panel's controls.
    void PlaceForFirstStart();
    void RememberOpenedFile(const QString& fileName);
    void ForgetRecentFile(const QString& fileName);
    void ShowRecentFiles();
    // Shows frame of the open trajectory as the frame control does; false when it was not shown.
    bool PlayFrame(int frame);
    void ShowPlaying(bool playing);

    StickControls ReadStickControls() const;
    ViewAngles ReadAngles() const;
    TranslationCell ReadTranslationCell() const;
    // The frame shows the pipeline's picture, painted when something changed.
    void ShowScene();
    // The frame control for the open file: its frames, at the frame shown, visible for a trajectory.
    void ShowFrameControl();
    // The Translate panel's steps from the cell the open file declares, when it declares one.
    void TakeCellOfFile();
    // The Translate panel's steps from the cell of a frame shown, when it declares one and the
    // steps are still those the file set (or had when it was opened). True when they were set.
    bool TakeCellOfFrame(const std::optional<XyzPlaneLattice>& lattice);
    void ShowCell(const XyzPlaneLattice& lattice);
    QStringList CellEditTexts() const;
    void ShowCellEditsFromTheStart();
    // Runs a handler's body; a platform error ends only that body and is shown.
    template <class Body>
    void Guarded(Body&& body);
    // Notes the work of a stick or angle handler and lets queued events run. False when this
    // handler itself runs inside such a wait: the waiting handler does the work.
    bool LetQueuedEventsRun(int work);
    // The rebuild the noted work needs (sticks include the rotation), then the drawing.
    void DoPendingWork();
    // SetView with the angles of the view button with that number (ViewButtons.h).
    void SetViewOfButton(int number);
    // Tells the user why the sticks asked for were not made (more than the stick bound).
    void TellWhySticksAreMissing(const StickFactors& factors);
    // Tells the user when the atoms lie too far apart to be drawn.
    void TellDrawingProblem();
    // The elements chosen for the file's symbols when it was last open, for the pipeline.
    void RecallElementChoices(const QString& fileName);
    // After a frame was read: the Elements view's rows, and a note naming the symbols whose
    // elements were guessed by atomic number or label.
    void ShowSymbolsRead();

    QString programFolder_;
    TFormMainDialogs dialogs_;
    ScenePipeline pipeline_;
    // The stick and angle handlers let queued events run before they rebuild, so that the moves
    // of a dragged bar that are already waiting are taken in first. A handler that such a wait
    // runs only notes its work; the waiting handler then does all the noted work once, from the
    // control values as they stand, and draws once: no backlog of stale redraws builds up.
    enum HandlerWork : int { NoWork = 0, ViewWork = 1, StickWork = 2 };
    int pendingWork_ = NoWork;
    int handlersWaiting_ = 0;
    std::string sticksRefusedTold_;  // the refusal last told, empty when the sticks were made
    std::string noteTold_;           // the note of the frame last read
    QString openFile_;               // the file shown; empty before the first
    // A zoom restored from the saved state is kept for the file opened at start; every other
    // file is shown whole.
    bool keepRestoredView_ = false;
    TTrajectoryPlayer* player_ = nullptr;
    TAtomPicks picks_;
    QStringList cellOfFile_;  // the Translate steps as the open file last set them
    QString noteShown_;       // the status line's note
    QString elementsNote_;    // the note of elements guessed, last shown
    QString openFileName_;           // the file the scene shows, as it was opened
    ElementsView* elementsView_ = nullptr;
};

#endif
