#include "FormMain_.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMimeData>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ElementTableLocation.h"
#include "FileDialogPlaces.h"
#include "FrameBmp_.h"
#include "KFactor.h"
#include "LocalFileName.h"
#include "MBmpSaveLoad.h"
#include "MCategoryPanelGroup.h"
#include "MFileName.h"
#include "MFunction.h"
#include "MSaveIni.h"
#include "MSingle.h"
#include "RecentFiles.h"
#include "StatusLine.h"
#include "SvgFile.h"
#include "TrajectoryPlayer.h"
#include "ViewButtons.h"

namespace {

// The settings file lies beside the executable (or two folders up in a build with a map file).
const QString SettingsFileCode = QStringLiteral("0|2");

// The caption: the file's name without its folder, a byte that is not UTF-8 shown as U+FFFD.
QString CaptionOf(const QString& fileName)
{
    const std::string bytes = FileNameToBytes(fileName);
    return QString::fromUtf8(bytes.substr(bytes.rfind('/') + 1));
}

std::string JoinedLines(const std::vector<std::string>& lines)
{
    std::string joined;
    for (const std::string& line : lines)
        joined += (joined.empty() ? "" : "\n") + line;
    return joined;
}

// A note without its "Line N: ".
std::string_view WithoutLine(std::string_view note) { return note.substr(std::min(note.find(": "), note.size())); }

// The platform's general float text of a factor, with the user's decimal mark.
QString FactorText(double value)
{
    return QString::fromStdString(FloatToText(value, QLocale().decimalPoint().toStdString()));
}

// While a handler's work runs: the wait cursor and, once it has taken a moment, the step under way
// with the seconds so far in the status line, painted at once since no events are handled
// meanwhile; when it ends, how long it took. Handlers run inside one another; the outermost one
// shows.
class BusyIndicator {
public:
    BusyIndicator(ScenePipeline& pipeline, TStatusLine* status, const char* work)
        : pipeline_(pipeline), status_(status), work_(QString::fromLatin1(work))
    {
        if (depth_++ > 0)
            return;
        outermost_ = true;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        started_.start();
        pipeline_.SetProgress([this](const char* step) { Show(step); });
    }
    ~BusyIndicator()
    {
        --depth_;
        if (!outermost_)
            return;
        pipeline_.SetProgress(nullptr);
        if (status_ != nullptr && (shown_ || started_.elapsed() >= status_->QuietMilliseconds))
            status_->ShowProgress(QString("%1: %2 s").arg(work_).arg(Seconds(), 0, 'f', 1));
        QGuiApplication::restoreOverrideCursor();
    }
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;

private:
    double Seconds() const { return static_cast<double>(started_.elapsed()) / 1000; }

    void Show(const char* step)
    {
        if (status_ == nullptr || started_.elapsed() < status_->QuietMilliseconds)
            return;
        status_->ShowProgress(
            QString("%1: %2... %3 s").arg(work_, QString::fromLatin1(step)).arg(Seconds(), 0, 'f', 1));
        status_->PaintNow();
        shown_ = true;
    }

    static inline int depth_ = 0;
    ScenePipeline& pipeline_;
    TStatusLine* status_;
    QString work_;
    QElapsedTimer started_;
    bool outermost_ = false;
    bool shown_ = false;
};

// What an empty window shows in the middle of the view.
const QString EmptyWindowHint = QStringLiteral("Open a file (Ctrl+O) or drop one here");

}  // namespace

TFormMain::TFormMain(const QString& programFolder, TFormMainDialogs dialogs, QWidget* parent)
    : QWidget(parent), programFolder_(programFolder), dialogs_(std::move(dialogs))
{
    BuildControls();
    PlaceForFirstStart();
    bSvg = false;
    bLockDraw = false;
    FrameBmp1->Load(&pipeline_.Bitmap(), true, true);
    player_ = new TTrajectoryPlayer(this);
    player_->ShowFrame = [this](int frame) { return PlayFrame(frame); };
    ConnectHandlers();
    ConnectPicture();
    {
        // Restoring a control runs its handler as a change by the user would, on an empty scene;
        // the one picture worth painting is the one after the last of them.
        const QScopedValueRollback restoring(bRestoring, true);
        (void)LoadFromFileIni(this, SettingsFileCode);
    }
    keepRestoredView_ = !FrameBmp1->bFollowFit;
    FrameBmp1->SetHintText(EmptyWindowHint);
    ShowRecentFiles();
    ShowCellEditsFromTheStart();
    ShowScene();
    LoadAtom();
}

TFormMain::~TFormMain() = default;

void TFormMain::ConnectHandlers()
{
    connect(SpeedButtonOpenFile, &QToolButton::clicked, this,
            [this] { SpeedButtonOpenFileClick(SpeedButtonOpenFile); });
    connect(SpeedButtonSaveFile, &QToolButton::clicked, this,
            [this] { SpeedButtonSaveFileClick(SpeedButtonSaveFile); });
    connect(CheckBoxDrawLink, &QCheckBox::toggled, this, [this] { ScrollBarStickChange(CheckBoxDrawLink); });
    for (QScrollBar* bar : {ScrollBarStick, ScrollBarKRPoint})
        connect(bar, &QScrollBar::valueChanged, this, [this, bar] { ScrollBarStickChange(bar); });
    for (QScrollBar* bar : {ScrollBarAx, ScrollBarAy, ScrollBarAz, ScrollBarRStick})
        connect(bar, &QScrollBar::valueChanged, this, [this, bar] { ScrollBarAxChange(bar); });
    connect(ButtonTranslate, &QPushButton::clicked, this, [this] { ButtonTranslateClick(ButtonTranslate); });
    // The slider moves the spin edit, whose change is the one the handler takes.
    connect(TrackBarFrame, &QSlider::valueChanged, SpinEditFrame, &QSpinBox::setValue);
    connect(SpinEditFrame, &QSpinBox::valueChanged, this, [this](int frame) {
        TrackBarFrame->setValue(frame);
        SpinEditFrameChange(SpinEditFrame);
    });
    for (const ViewButton& view : ViewButtons())
        if (view.handler != nullptr) {
            QToolButton* button = SpeedButton[view.number];
            connect(button, &QToolButton::clicked, this,
                    [this, button, handler = view.handler] { (this->*handler)(button); });
        }
    connect(ActionOpen, &QAction::triggered, this, [this] { SpeedButtonOpenFileClick(nullptr); });
    connect(ActionSave, &QAction::triggered, this, [this] { SpeedButtonSaveFileClick(nullptr); });
    connect(ActionSavePicture, &QAction::triggered, this, [this] { SpeedButtonSavePictureClick(nullptr); });
    connect(ActionQuit, &QAction::triggered, this, &QWidget::close);
    connect(SpeedButtonElements, &QToolButton::clicked, this,
            [this] { SpeedButtonElementsClick(SpeedButtonElements); });
    connect(ActionElements, &QAction::triggered, this, [this] { SpeedButtonElementsClick(nullptr); });
    connect(SpeedButtonSavePicture, &QToolButton::clicked, this,
            [this] { SpeedButtonSavePictureClick(SpeedButtonSavePicture); });
    connect(ComboBoxRecent, &QComboBox::activated, this, [this](int index) { ComboBoxRecentActivated(index); });
    connect(SpeedButtonPlay, &QToolButton::clicked, this, [this] { SpeedButtonPlayClick(SpeedButtonPlay); });
    connect(SpinEditRate, &QSpinBox::valueChanged, this, [this] { SpinEditRateChange(SpinEditRate); });
    connect(player_, &TTrajectoryPlayer::PlayingChanged, this, [this](bool playing) { ShowPlaying(playing); });
}

void TFormMain::PlaceForFirstStart()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    // Room for a title bar and borders, which the window manager adds outside the window.
    constexpr int DecorationAllowance = 40;
    const int tallest = std::max(1, available.height() - DecorationAllowance);
    const int columnHeight = CategoryPanelGroup1->widget()->sizeHint().height() + 2 * CategoryPanelGroup1->frameWidth()
        + StatusLine1->sizeHint().height();
    const QSize size(std::min(available.width(), std::max(available.width() * 3 / 4, Panel2->width() * 2)),
                     std::min(tallest, std::max(available.height() * 3 / 4, columnHeight)));
    resize(size);
    move(available.center() - QPoint(size.width() / 2, size.height() / 2));
}

template <class Body>
void TFormMain::Guarded(Body&& body)
{
    try {
        body();
    } catch (const std::exception& error) {
        dialogs_.ShowError(this, QString::fromStdString(error.what()));
    } catch (...) {
        dialogs_.ShowError(this, QString());
    }
}

// ---- Reading the controls ----------------------------------------------------------------------

StickControls TFormMain::ReadStickControls() const
{
    return {CheckBoxDrawLink->isChecked(), ScrollBarStick->value(), ScrollBarKRPoint->value()};
}

ViewAngles TFormMain::ReadAngles() const { return {ScrollBarAx->value(), ScrollBarAy->value(), ScrollBarAz->value()}; }

TranslationCell TFormMain::ReadTranslationCell() const
{
    TranslationCell cell;
    cell.Nx = SpinEditNx->value();
    cell.Ny = SpinEditNy->value();
    cell.Ax = StrToDoubleInSingleRange(EditAx->text().toStdString());
    cell.Ay = StrToDoubleInSingleRange(EditAy->text().toStdString());
    cell.Dx = StrToDoubleInSingleRange(EditDx->text().toStdString());
    cell.Dy = StrToDoubleInSingleRange(EditDy->text().toStdString());
    return cell;
}

void TFormMain::ShowScene()
{
    if (bRestoring)
        return;
    (void)pipeline_.Picture(ScrollBarRStick->value());
    FrameBmp1->Redraw();
}

// ---- Start-up and files ----------------------------------------------------------------------

void TFormMain::LoadAtom()
{
    const QString path = ElementTablePath(programFolder_);
    try {
        const ElementTableResult result = pipeline_.LoadElementTableFile(LocalFileName(path));
        if (!result.complete)
            throw TFormMainStartError(result.message);
    } catch (const TFormMainStartError&) {
        throw;
    } catch (const std::exception& error) {
        throw TFormMainStartError(error.what());
    }
}

void TFormMain::OpenAtStart(const QString& fileName)
{
    if (fileName.isEmpty())
        SpeedButtonOpenFileClick(nullptr);
    else
        OpenFile(fileName);
    keepRestoredView_ = false;
}

void TFormMain::SpeedButtonOpenFileClick(QObject*)
{
    const QString fileName = dialogs_.AskOpenFileName(this, EditOpenFolder->text());
    if (!fileName.isEmpty())
        OpenFile(fileName);
}

void TFormMain::OpenFile(const QString& fileName)
{
    const BusyIndicator busy(pipeline_, StatusLine1, "Opening");
    Guarded([&] {
        const XyzReadResult opened = pipeline_.OpenFile(LocalFileName(fileName));
        setWindowTitle(CaptionOf(fileName));
        if (!opened.Rebuild()) {
            dialogs_.ShowMessage(this, QString::fromStdString(opened.message));
            return;
        }
        player_->Stop();
        ClearPicks();
        openFile_ = QFileInfo(fileName).absoluteFilePath();
        RememberOpenedFile(openFile_);
        FrameBmp1->SetHintText({});
        ShowFrameControl();
        RecallElementChoices(fileName);
        const XyzReadResult read = pipeline_.ReadFrame(1);
        ShowSymbolsRead();
        std::vector<std::string> told = pipeline_.Document()->Notes();
        noteTold_ = read.note;
        for (const std::string& text : {read.note, read.message})
            if (!text.empty())
                told.push_back(text);
        if (!told.empty())
            dialogs_.ShowMessage(this, QString::fromStdString(JoinedLines(told)));
        TakeCellOfFile();
        const StickFactors factors = pipeline_.Rebuild(ReadStickControls(), ReadTranslationCell(), ReadAngles());
        ShowScene();
        if (!keepRestoredView_)
            FrameBmp1->ShowWhole();
        TellWhySticksAreMissing(factors);
        TellDrawingProblem();
    });
}

QStringList TFormMain::RecentFiles() const
{
    QStringList files;
    for (int i = 0; i < ListBoxRecentFiles->count(); ++i)
        if (const QString file = ListBoxRecentFiles->item(i)->text(); !file.isEmpty())
            files << file;
    return files;
}

void TFormMain::RememberOpenedFile(const QString& fileName)
{
    const QStringList files = WithRecentFile(RecentFiles(), fileName);
    ListBoxRecentFiles->clear();
    ListBoxRecentFiles->addItems(files);
    ShowRecentFiles();
    EditOpenFolder->setText(FolderOfFile(fileName));
}

void TFormMain::ForgetRecentFile(const QString& fileName)
{
    QStringList files = RecentFiles();
    files.removeAll(fileName);
    ListBoxRecentFiles->clear();
    ListBoxRecentFiles->addItems(files);
    ShowRecentFiles();
}

void TFormMain::ShowRecentFiles()
{
    const QSignalBlocker quiet(ComboBoxRecent);
    ComboBoxRecent->clear();
    for (const QString& file : RecentFiles()) {
        ComboBoxRecent->addItem(RecentFileCaption(file), file);
        ComboBoxRecent->setItemData(ComboBoxRecent->count() - 1, file, Qt::ToolTipRole);
    }
    ComboBoxRecent->setCurrentIndex(-1);
    ComboBoxRecent->setEnabled(ComboBoxRecent->count() > 0);
}

void TFormMain::ComboBoxRecentActivated(int index)
{
    const QString file = ComboBoxRecent->itemData(index).toString();
    {
        const QSignalBlocker quiet(ComboBoxRecent);
        ComboBoxRecent->setCurrentIndex(-1);
    }
    if (file.isEmpty())
        return;
    if (!QFileInfo::exists(file)) {
        ForgetRecentFile(file);
        dialogs_.ShowMessage(this, QString("\"%1\" no longer exists; it is taken off the recent files.").arg(file));
        return;
    }
    OpenFile(file);
}

void TFormMain::ShowFrameControl()
{
    const int frames = pipeline_.FrameCount();
    {
        const QSignalBlocker spinQuiet(SpinEditFrame);
        const QSignalBlocker sliderQuiet(TrackBarFrame);
        SpinEditFrame->setRange(1, frames);
        SpinEditFrame->setValue(1);
        TrackBarFrame->setRange(1, frames);
        TrackBarFrame->setValue(1);
    }
    LabelFrameCount->setText(QString("of %1").arg(frames));
    PanelFrame->setVisible(frames > 1);
}

// ---- Playing a trajectory ---------------------------------------------------------------------

void TFormMain::SpeedButtonPlayClick(QObject*)
{
    if (player_->IsPlaying())
        player_->Stop();
    else if (pipeline_.FrameCount() > 1)
        player_->Start(pipeline_.Frame(), pipeline_.FrameCount(), SpinEditRate->value());
    ShowPlaying(player_->IsPlaying());
}

void TFormMain::SpinEditRateChange(QObject*) { player_->SetRate(SpinEditRate->value()); }

bool TFormMain::PlayFrame(int frame)
{
    SpinEditFrame->setValue(frame);
    return pipeline_.Frame() == frame;
}

void TFormMain::ShowPlaying(bool playing)
{
    SpeedButtonPlay->setChecked(playing);
    SpeedButtonPlay->setIcon(QIcon(playing ? ":/icons/pause.svg" : ":/icons/play.svg"));
}

void TFormMain::TakeCellOfFile()
{
    if (const std::optional<XyzPlaneLattice>& lattice = pipeline_.Document()->Lattice())
        ShowCell(*lattice);
    cellOfFile_ = CellEditTexts();
}

bool TFormMain::TakeCellOfFrame(const std::optional<XyzPlaneLattice>& lattice)
{
    // Steps the user typed stay.
    if (!lattice || CellEditTexts() != cellOfFile_)
        return false;
    ShowCell(*lattice);
    cellOfFile_ = CellEditTexts();
    return true;
}

void TFormMain::ShowCell(const XyzPlaneLattice& lattice)
{
    EditAx->setText(QString::fromStdString(lattice.A1));
    EditDy->setText(QString::fromStdString(lattice.A2));
    EditDx->setText(QString::fromStdString(lattice.B1));
    EditAy->setText(QString::fromStdString(lattice.B2));
    ShowCellEditsFromTheStart();
}

QStringList TFormMain::CellEditTexts() const
{
    return {EditAx->text(), EditAy->text(), EditDx->text(), EditDy->text()};
}

void TFormMain::ShowCellEditsFromTheStart()
{
    // A long number ("4.274290845193297") is read from its first digit: setText leaves the
    // cursor, and with it the view, at the end.
    for (QLineEdit* edit : {EditAx, EditAy, EditDx, EditDy})
        edit->setCursorPosition(0);
}

void TFormMain::SpinEditFrameChange(QObject*)
{
    Guarded([&] {
        const int frame = SpinEditFrame->value();
        if (frame == pipeline_.Frame() || frame > pipeline_.FrameCount())
            return;
        const StickControls sticks = ReadStickControls();
        const TranslationCell cell = ReadTranslationCell();
        const ViewAngles angles = ReadAngles();
        // A frame that cannot be read is told, and the frame shown before stays.
        const XyzReadResult read = pipeline_.StepToFrame(frame);
        // A note is told once, not again for every frame whose comment says the same (in
        // another line).
        std::vector<std::string> told;
        if (!read.note.empty() && WithoutLine(read.note) != WithoutLine(noteTold_))
            told.push_back(read.note);
        noteTold_ = read.note;
        if (!read.message.empty())
            told.push_back(read.message);
        if (!told.empty()) {
            const QString text = QString::fromStdString(JoinedLines(told));
            // A note must not hold the frames of a trajectory that plays until it is answered.
            if (player_->IsPlaying() && read.message.empty())
                ShowNote(text);
            else
                dialogs_.ShowMessage(this, text);
        }
        if (read.outcome != XyzReadOutcome::Read)
            return;
        ShowSymbolsRead();
        ClearPicks();
        // While playing, frames come too often for the wait cursor to mean anything.
        std::optional<BusyIndicator> busy;
        if (!player_->IsPlaying())
            busy.emplace(pipeline_, StatusLine1, "Frame");
        const StickFactors factors =
            pipeline_.Rebuild(sticks, TakeCellOfFrame(read.lattice) ? ReadTranslationCell() : cell, angles);
        ShowScene();
        TellWhySticksAreMissing(factors);
        TellDrawingProblem();
    });
}

void TFormMain::SpeedButtonSaveFileClick(QObject*)
{
    const QString fileName =
        dialogs_.AskSaveFileName(this, SuggestedSaveName(openFile_, EditSaveFolder->text(), QStringLiteral("svg")));
    if (fileName.isEmpty())
        return;
    if (SaveSvg(fileName))
        EditSaveFolder->setText(FolderOfFile(fileName));
}

void TFormMain::SpeedButtonSavePictureClick(QObject*)
{
    const QString fileName =
        dialogs_.AskSavePictureName(this, SuggestedSaveName(openFile_, EditSaveFolder->text(), QStringLiteral("png")));
    if (fileName.isEmpty())
        return;
    if (SavePicture(fileName))
        EditSaveFolder->setText(FolderOfFile(fileName));
}

bool TFormMain::SavePicture(const QString& fileName)
{
    // A name without an extension gets the format the dialog offers first.
    const QString target = QFileInfo(fileName).suffix().isEmpty() ? fileName + QStringLiteral(".png") : fileName;
    bool saved = false;
    std::string reason;
    {
        const BusyIndicator busy(pipeline_, StatusLine1, "Saving");
        Guarded([&] {
            const QImage& picture = pipeline_.Picture(ScrollBarRStick->value());
            saved = BmpSaveToFile(&picture, target, reason);
        });
    }
    if (saved)
        ShowNote(QString("Picture saved: %1").arg(target));
    else if (!reason.empty())
        dialogs_.ShowError(
            this, QString("The picture was not saved to \"%1\": %2").arg(target, QString::fromStdString(reason)));
    return saved;
}

void TFormMain::ShowNote(const QString& text)
{
    noteShown_ = text;
    StatusLine1->ShowNote(text);
}

bool TFormMain::SaveSvg(const QString& fileName)
{
    bool saved = false;
    const BusyIndicator busy(pipeline_, StatusLine1, "Saving");
    Guarded([&] {
        bSvg = true;
        TextBuffer svg;
        pipeline_.DrawWithSvg(ScrollBarRStick->value(), svg);
        bSvg = false;
        FrameBmp1->Redraw();
        (void)::SaveSvg(svg, LocalFileName(fileName));
        saved = true;
    });
    bSvg = false;
    return saved;
}

// ---- Sticks, angles, translation, views ---------------------------------------------------------

void TFormMain::TellDrawingProblem()
{
    if (const std::string problem = pipeline_.DrawingProblem(); !problem.empty())
        dialogs_.ShowMessage(this, QString::fromStdString(problem));
}

void TFormMain::TellWhySticksAreMissing(const StickFactors& factors)
{
    // Told once when the sticks go missing, not again at every step of a bar dragged further;
    // the check box stays as the user set it.
    if (!factors.SticksRefused.empty() && factors.SticksRefused != sticksRefusedTold_)
        dialogs_.ShowMessage(this, QString::fromStdString(factors.SticksRefused));
    sticksRefusedTold_ = factors.SticksRefused;
}

bool TFormMain::LetQueuedEventsRun(int work)
{
    pendingWork_ |= work;
    if (handlersWaiting_ > 0)
        return false;
    ++handlersWaiting_;
    QCoreApplication::processEvents();
    --handlersWaiting_;
    return true;
}

void TFormMain::DoPendingWork()
{
    const BusyIndicator busy(pipeline_, StatusLine1, (pendingWork_ & StickWork) != 0 ? "Sticks" : "Turning");
    const int work = std::exchange(pendingWork_, NoWork);
    if ((work & StickWork) != 0) {
        ClearPicks();
        const StickFactors factors = pipeline_.ChangeSticks(ReadStickControls(), ReadAngles());
        ShowScene();
        TellWhySticksAreMissing(factors);
    } else if ((work & ViewWork) != 0 && !bLockDraw) {
        pipeline_.ChangeView(ReadAngles());
        ShowScene();
    }
}

void TFormMain::ScrollBarStickChange(QObject*)
{
    Guarded([&] {
        const StickControls sticks = ReadStickControls();
        LabelKAtomRadius->setText(" K atom radius="
                                  + FactorText(KFactor(sticks.AtomRadiusPosition, AtomRadiusBarMaximum)));
        LabelKMinStickLenght->setText(" K Min stick length="
                                      + FactorText(KFactor(sticks.StickPosition, StickBarMaximum)));
        if (LetQueuedEventsRun(StickWork))
            DoPendingWork();
    });
}

void TFormMain::ScrollBarAxChange(QObject*)
{
    Guarded([&] {
        LabelStickR->setText(" Stick radius="
                             + FactorText(ToSingle(3.0 * ScrollBarRStick->value() / ScrollBarRStick->maximum())));
        if (LetQueuedEventsRun(ViewWork))
            DoPendingWork();
    });
}

void TFormMain::ButtonTranslateClick(QObject*) { BuildTranslation(); }

void TFormMain::BuildTranslation()
{
    ButtonTranslate->setEnabled(false);
    const BusyIndicator busy(pipeline_, StatusLine1, "Translate");
    ClearPicks();
    Guarded([&] {
        const StickFactors factors = pipeline_.Retranslate(ReadTranslationCell(), ReadStickControls(), ReadAngles());
        ShowScene();
        TellWhySticksAreMissing(factors);
        TellDrawingProblem();
    });
    ButtonTranslate->setEnabled(true);
}

void TFormMain::SetView(int ax, int ay, int az)
{
    bLockDraw = true;
    ScrollBarAx->setValue(ax);
    ScrollBarAy->setValue(ay);
    ScrollBarAz->setValue(az);
    bLockDraw = false;
    const BusyIndicator busy(pipeline_, StatusLine1, "Turning");
    Guarded([&] {
        pipeline_.ChangeView(ReadAngles());
        ShowScene();
    });
}

void TFormMain::SetViewOfButton(int number)
{
    const ViewButton* button = FindViewButton(number);
    if (button != nullptr && button->view)
        SetView(button->view->Ax, button->view->Ay, button->view->Az);
}

void TFormMain::SpeedButton1Click(QObject*) { SetViewOfButton(1); }
void TFormMain::SpeedButton2Click(QObject*) { SetViewOfButton(2); }
void TFormMain::SpeedButton3Click(QObject*) { SetViewOfButton(3); }
void TFormMain::SpeedButton4Click(QObject*) { SetViewOfButton(4); }
void TFormMain::SpeedButton5Click(QObject*) { SetViewOfButton(5); }
void TFormMain::SpeedButton9Click(QObject*) { SetViewOfButton(9); }

// ---- Window events ------------------------------------------------------------------------------

void TFormMain::closeEvent(QCloseEvent* event)
{
    player_->Stop();
    const MFileSaveResult settings = SaveToFileIniWithReason(this, SettingsFileCode);
    if (!settings.saved) {
        const QString text =
            QStringLiteral("The window's state was not saved. ") + QString::fromStdString(settings.reason);
        if (isVisible())
            dialogs_.ShowError(this, text);
        else
            std::cerr << QCoreApplication::applicationName().toStdString() << ": " << text.toStdString() << '\n';
    }
    event->accept();
}

void TFormMain::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.front().isLocalFile())
        event->acceptProposedAction();
}

void TFormMain::keyPressEvent(QKeyEvent* event)
{
    if (FrameBmp1->hasFocus()) {
        if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
            SpeedButtonPlayClick(nullptr);
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Escape && !picks_.Empty()) {
            ClearPicks();
            event->accept();
            return;
        }
        if (event->matches(QKeySequence::Copy)) {
            CopyMeasurement();
            event->accept();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void TFormMain::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return;
    event->acceptProposedAction();
    OpenFile(urls.front().toLocalFile());
}
