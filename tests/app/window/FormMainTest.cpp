// The main window on the offscreen platform: its controls, its handlers driven as a user drives
// them (with the dialogs answered by the test), its saved state, and the SVG it saves compared
// with the one the built program's export writes.

#include "FormMain_.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <cmath>
#include <csignal>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "FrameBmpPanel.h"
#include "FrameBmp_.h"
#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"
#include "MSaveIniComponent.h"
#include "SceneDrawing.h"
#include "StatusLine.h"
#include "TempDir.h"
#include "TrajectoryPlayer.h"

namespace {

const char* const kMethane = "5\nmethane\nC 0 0 0\nH 0.63 0.63 0.63\nH -0.63 -0.63 0.63\nH -0.63 0.63 -0.63\n"
                             "H 0.63 -0.63 -0.63\n";
const char* const kBadSecondAtom = "3\nbroken\nC 0 0 0\nC 1 0\nC 2 0 0\n";

void WriteText(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::string ReadBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The built program run with these arguments (an export, which needs no display), as a child
// process. Returns its exit status, -1 when it did not end by itself; err gets what it told.
int RunProgram(const QStringList& arguments, std::string& err)
{
    QProcess process;
    process.start(PELMORA_EXECUTABLE, arguments);
    if (!process.waitForFinished(120000))
        return -1;
    err = process.readAllStandardError().toStdString();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The settings file of this test program: beside it, named after it.
std::filesystem::path SettingsFile()
{
    return std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).replace_extension(".ini");
}

// What the user would have answered and been told.
struct Answers {
    std::deque<QString> openNames;
    std::deque<QString> saveNames;
    std::deque<QString> pictureNames;
    // Where each dialog started, in the order asked.
    std::vector<QString> starts;
    std::vector<QString> messages;
    std::vector<QString> errors;

    TFormMainDialogs Dialogs()
    {
        TFormMainDialogs dialogs;
        dialogs.AskOpenFileName = [this](QWidget*, const QString& start) { return Next(openNames, start); };
        dialogs.AskSaveFileName = [this](QWidget*, const QString& start) { return Next(saveNames, start); };
        dialogs.AskSavePictureName = [this](QWidget*, const QString& start) { return Next(pictureNames, start); };
        dialogs.ShowMessage = [this](QWidget*, const QString& text) { messages.push_back(text); };
        dialogs.ShowError = [this](QWidget*, const QString& text) { errors.push_back(text); };
        return dialogs;
    }
    QString Next(std::deque<QString>& queue, const QString& start)
    {
        starts.push_back(start);
        if (queue.empty())
            return {};
        QString next = queue.front();
        queue.pop_front();
        return next;
    }
};

class FormMainTest : public ::testing::Test {
protected:
    FormMainTest()
    {
        std::filesystem::remove(SettingsFile());
        std::filesystem::copy_file(std::filesystem::path(PELMORA_DATA_DIR) / "Atom.txt", dir.Path() / "Atom.txt");
        WriteText(dir.Path() / "methane.xyz", kMethane);
    }
    ~FormMainTest() override
    {
        window.reset();
        std::filesystem::remove(SettingsFile());
    }

    TFormMain& Make()
    {
        window = std::make_unique<TFormMain>(QString::fromStdString(dir.Path().string()), answers.Dialogs());
        window->resize(900, 600);
        return *window;
    }
    QString Path(const char* name) const { return QString::fromStdString((dir.Path() / name).string()); }
    const Scene& Model() const { return window->Pipeline().Model(); }
    QImage Shown() const { return window->FrameBmp1->Bmp->copy(); }

    TempDir dir;
    Answers answers;
    std::unique_ptr<TFormMain> window;
};

bool IsAllWhite(const QImage& picture)
{
    for (int y = 0; y < picture.height(); y += 7)
        for (int x = 0; x < picture.width(); x += 7)
            if (picture.pixel(x, y) != 0xFFFFFFFF)
                return false;
    return true;
}

// ---- Controls --------------------------------------------------------------------------------------

TEST_F(FormMainTest, ControlsCarryTheirNamesAndStartingValues)
{
    TFormMain& w = Make();
    EXPECT_EQ(w.objectName(), "FormMain");
    EXPECT_EQ(w.windowTitle(), "Pelmora");
    EXPECT_EQ(w.Panel2->width(), 299);
    EXPECT_FALSE(w.FrameBmp1->PanelButton->isVisibleTo(&w));

    struct Bar {
        const char* name;
        int minimum, maximum, position;
    };
    for (const Bar& b :
         {Bar{"ScrollBarStick", 0, 100, 0}, Bar{"ScrollBarRStick", 1, 1000, 500}, Bar{"ScrollBarKRPoint", 1, 1000, 500},
          Bar{"ScrollBarAx", 0, 3600, 0}, Bar{"ScrollBarAz", 0, 3600, 0}, Bar{"ScrollBarAy", 0, 3600, 0}}) {
        SCOPED_TRACE(b.name);
        auto* bar = w.findChild<QScrollBar*>(b.name);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->minimum(), b.minimum);
        EXPECT_EQ(bar->maximum(), b.maximum);
        EXPECT_EQ(bar->value(), b.position);
        EXPECT_EQ(bar->orientation(), Qt::Horizontal);
        EXPECT_EQ(bar->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(bar->pageStep(), 0);
    }
    struct Caption {
        const char* name;
        const char* text;
    };
    for (const Caption& c :
         {Caption{"Label1", "Nx="}, Caption{"Label2", "Ny="}, Caption{"Label3", "Ax="}, Caption{"Label4", "Ay="},
          Caption{"Label6", "dx="}, Caption{"Label5", "dy="}, Caption{"LabelStickR", " Stick radius"}}) {
        auto* label = w.findChild<QLabel*>(c.name);
        ASSERT_NE(label, nullptr) << c.name;
        EXPECT_EQ(label->text(), c.text);
    }
    for (const Caption& c :
         {Caption{"EditAx", "10"}, Caption{"EditAy", "10"}, Caption{"EditDx", "0"}, Caption{"EditDy", "0"}}) {
        auto* edit = w.findChild<QLineEdit*>(c.name);
        ASSERT_NE(edit, nullptr) << c.name;
        EXPECT_EQ(edit->text(), c.text);
    }
    for (const char* name : {"SpinEditNx", "SpinEditNy"}) {
        auto* spin = w.findChild<QSpinBox*>(name);
        ASSERT_NE(spin, nullptr) << name;
        EXPECT_EQ(spin->minimum(), 1);
        EXPECT_EQ(spin->maximum(), 10);
        EXPECT_EQ(spin->value(), 1);
        EXPECT_EQ(saveini::TagOf(spin), SaveIniTagSkip);
    }
    EXPECT_EQ(w.CheckBoxDrawLink->text(), "Draw sticks");
    EXPECT_FALSE(w.CheckBoxDrawLink->isChecked());
    EXPECT_EQ(w.ButtonTranslate->text(), "Translate");
    EXPECT_FALSE(w.Memo1->isVisibleTo(&w));

    QStringList captions;
    for (const MCategoryPanel* panel : w.CategoryPanelGroup1->Panels())
        captions << panel->Caption();
    EXPECT_EQ(captions, (QStringList{"File", "Atoms", "Translate", "View"}));

    for (int number = 1; number <= 10; ++number) {
        SCOPED_TRACE(number);
        auto* button = w.findChild<QToolButton*>(QString("SpeedButton%1").arg(number));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->size(), QSize(24, 24));
        const bool shown = number <= 5 || number == 9;
        EXPECT_EQ(button->isVisibleTo(&w), shown);
        if (shown) {
            EXPECT_FALSE(button->toolTip().isEmpty());
            EXPECT_FALSE(button->icon().pixmap(24, 24).isNull());
        }
    }
    EXPECT_EQ(w.SpeedButtonOpenFile->size(), QSize(49, 53));
    EXPECT_EQ(w.SpeedButtonSaveFile->size(), QSize(52, 53));
    for (const QToolButton* button : {w.SpeedButtonOpenFile, w.SpeedButtonSaveFile}) {
        EXPECT_FALSE(button->toolTip().isEmpty());
        // The pictures are drawn from SVG: as sharp at twice the size as at the size shown.
        EXPECT_EQ(button->icon().pixmap(QSize(72, 72)).size(), QSize(72, 72));
    }
}

// ---- Handlers -----------------------------------------------------------------------------------

TEST_F(FormMainTest, OpeningAndTheHandlersRebuildTheShownPicture)
{
    TFormMain& w = Make();
    answers.openNames = {Path("methane.xyz")};
    w.SpeedButtonOpenFileClick(nullptr);
    EXPECT_EQ(w.windowTitle(), "methane.xyz");
    EXPECT_EQ(Model().LXyz.FCount, 5);
    EXPECT_EQ(Model().LXyzTrans.FCount, 5);
    EXPECT_EQ(Model().LStick.FCount, 0);
    EXPECT_TRUE(answers.messages.empty());
    const QImage opened = Shown();
    EXPECT_FALSE(IsAllWhite(opened));

    w.ScrollBarStick->setValue(54);
    w.CheckBoxDrawLink->click();
    EXPECT_EQ(Model().LStick.FCount, 8);  // four bonds, each in both directions
    EXPECT_EQ(w.LabelKMinStickLenght->text(), " K Min stick length=1.24000000953674");
    const QImage withSticks = Shown();
    EXPECT_NE(withSticks, opened);

    w.ScrollBarAx->setValue(450);
    EXPECT_NE(Shown(), withSticks);
    w.ScrollBarRStick->setValue(1000);
    EXPECT_EQ(w.LabelStickR->text(), " Stick radius=3");

    w.SpinEditNx->setValue(2);
    w.EditAx->setText("3,5");
    w.ButtonTranslate->click();
    EXPECT_EQ(Model().LXyzTrans.FCount, 10);
    EXPECT_TRUE(w.ButtonTranslate->isEnabled());

    w.SpeedButton[3]->click();
    EXPECT_EQ(w.ScrollBarAx->value(), 900);
    EXPECT_EQ(w.ScrollBarAz->value(), 2700);
    EXPECT_EQ(w.ScrollBarAy->value(), 0);
    EXPECT_TRUE(answers.errors.empty());
}

// Each shown view button sets all three angle bars to its view and draws it, as the bars set by
// hand draw it; the hidden ones set nothing.
TEST_F(FormMainTest, EachViewButtonTurnsTheSceneToItsView)
{
    TFormMain& w = Make();
    w.OpenFile(Path("methane.xyz"));
    const auto setAngles = [&w](int ax, int ay, int az) {
        w.ScrollBarAx->setValue(ax);
        w.ScrollBarAy->setValue(ay);
        w.ScrollBarAz->setValue(az);
    };
    const auto angles = [&w] {
        return std::vector<int>{w.ScrollBarAx->value(), w.ScrollBarAy->value(), w.ScrollBarAz->value()};
    };
    struct View {
        int button;
        std::vector<int> angles;  // Ax, Ay, Az
    };
    const View views[] = {
        {1, {2700, 1800, 0}}, {2, {0, 0, 0}},    {3, {900, 0, 2700}},
        {4, {900, 0, 900}},   {5, {1800, 0, 0}}, {9, {900, 0, 0}},
    };
    for (const View& v : views) {
        SCOPED_TRACE(v.button);
        // A view no button gives, so that every bar has to move.
        setAngles(450, 450, 450);
        w.SpeedButton[v.button]->click();
        EXPECT_EQ(angles(), v.angles);
        const QImage shown = Shown();
        setAngles(450, 450, 450);
        setAngles(v.angles[0], v.angles[1], v.angles[2]);
        EXPECT_EQ(Shown(), shown);
    }
    for (const int hidden : {6, 7, 8, 10}) {
        SCOPED_TRACE(hidden);
        setAngles(450, 450, 450);
        w.SpeedButton[hidden]->click();
        EXPECT_EQ(angles(), (std::vector<int>{450, 450, 450}));
    }
    EXPECT_TRUE(answers.errors.empty());
}

TEST_F(FormMainTest, RejectedFilesAndValuesAreToldAndLeaveWhatIsShown)
{
    TFormMain& w = Make();
    WriteText(dir.Path() / "count.xyz", "4\n\nC 0 0 0\n");
    WriteText(dir.Path() / "line.xyz", kBadSecondAtom);
    WriteText(dir.Path() / "number.xyz", "2\n\nC 0 0 0\nC 1 x 0\n");
    w.OpenFile(Path("methane.xyz"));
    const QImage methane = Shown();

    w.OpenFile(Path("count.xyz"));
    EXPECT_EQ(answers.messages,
              (std::vector<QString>{"Error count of lines in file: the count line says 4 atoms, 1 atom line follows"}));
    EXPECT_EQ(Model().LXyzTrans.FCount, 5);
    EXPECT_EQ(Shown(), methane);

    w.OpenFile(Path("line.xyz"));  // the atom before the bad line is drawn
    EXPECT_EQ(answers.messages.back(), "Error in *.xyz file in line 3");
    EXPECT_EQ(Model().LXyzTrans.FCount, 1);

    w.OpenFile(Path("number.xyz"));
    w.OpenFile(Path("absent.xyz"));
    ASSERT_EQ(answers.errors.size(), 2u);
    EXPECT_EQ(answers.errors[0], "Error in *.xyz file in line 3: 'x' is not a valid floating point value");
    EXPECT_NE(answers.errors[1].indexOf("absent.xyz"), -1);

    w.EditAy->setText("ten");
    w.ButtonTranslate->click();
    ASSERT_EQ(answers.errors.size(), 3u);
    EXPECT_EQ(answers.errors[2], "'ten' is not a valid floating point value");
    EXPECT_TRUE(w.ButtonTranslate->isEnabled());
}

TEST_F(FormMainTest, CancellingTheFirstOpenLeavesAWhiteSceneAndAUsableWindow)
{
    TFormMain& w = Make();
    w.OpenAtStart({});
    EXPECT_EQ(Model().LXyz.FCount, 0);
    w.ScrollBarAy->setValue(100);
    EXPECT_TRUE(IsAllWhite(Shown()));
    w.OpenAtStart(Path("methane.xyz"));  // a file named on the command line opens without asking
    EXPECT_EQ(Model().LXyz.FCount, 5);
}

TEST_F(FormMainTest, AFileDroppedOnTheWindowOpens)
{
    TFormMain& w = Make();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("methane.xyz"))});
    const QPoint over = w.FrameBmp1->geometry().center();
    QDragEnterEvent enter(over, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(over), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    EXPECT_EQ(Model().LXyz.FCount, 5);
}

TEST_F(FormMainTest, QueuedBarMovesAreDrainedBeforeOneRebuild)
{
    TFormMain& w = Make();
    w.OpenFile(Path("methane.xyz"));
    const std::int64_t before = w.Pipeline().DrawCount();
    // Twenty moves of a dragged bar wait in the queue when the first one is handled.
    for (int position = 10; position < 210; position += 10)
        QMetaObject::invokeMethod(
            w.ScrollBarAx, [bar = w.ScrollBarAx, position] { bar->setValue(position); }, Qt::QueuedConnection);
    w.ScrollBarAx->setValue(5);
    EXPECT_EQ(w.ScrollBarAx->value(), 200);
    EXPECT_EQ(w.Pipeline().DrawCount() - before, 1);

    // The one picture is the one of the last position.
    const QImage shown = Shown();
    w.ScrollBarAx->setValue(0);
    w.ScrollBarAx->setValue(200);
    EXPECT_EQ(Shown(), shown);
}

// ---- Saving ---------------------------------------------------------------------------------------

struct Settings {
    const char* name;
    const char* file;  // an example, or "methane.xyz" in the test folder
    bool sticks;
    int stickLength, atomRadius, stickRadius, ax, ay, az, nx, ny;
    const char *stepX, *stepY;
};

TEST_F(FormMainTest, TheSavedSvgIsTheExportsByteForByte)
{
    TFormMain& w = Make();
    const Settings cases[] = {
        {"methane as opened", "methane.xyz", false, 0, 500, 500, 0, 0, 0, 1, 1, "10", "10"},
        {"benzene turned with thin sticks", "benzene.xyz", true, 54, 250, 100, 600, 0, 0, 1, 1, "10", "10"},
        {"graphene repeated", "graphene-cell.xyz", true, 54, 500, 500, 300, 1200, 2100, 3, 2, "2,459512", "4.26"},
        {"cyclohexane from the side", "cyclohexane.xyz", true, 60, 700, 800, 900, 0, 2700, 1, 1, "10", "10"},
    };
    for (const Settings& s : cases) {
        SCOPED_TRACE(s.name);
        const QString xyz =
            std::string_view(s.file) == "methane.xyz" ? Path(s.file) : QString(PELMORA_EXAMPLES_DIR) + "/" + s.file;
        w.SpinEditNx->setValue(s.nx);
        w.SpinEditNy->setValue(s.ny);
        w.EditAx->setText(s.stepX);
        w.EditAy->setText(s.stepY);
        w.OpenFile(xyz);
        w.CheckBoxDrawLink->setChecked(s.sticks);
        w.ScrollBarStick->setValue(s.stickLength);
        w.ScrollBarKRPoint->setValue(s.atomRadius);
        w.ButtonTranslate->click();  // the scale follows the ball size only on a rebuild
        w.ScrollBarRStick->setValue(s.stickRadius);
        w.ScrollBarAx->setValue(s.ax);
        w.ScrollBarAy->setValue(s.ay);
        w.ScrollBarAz->setValue(s.az);
        answers.saveNames = {Path("window")};  // the extension is added
        w.SpeedButtonSaveFileClick(nullptr);
        ASSERT_TRUE(answers.errors.empty()) << answers.errors.front().toStdString();

        QStringList arguments{"--export", Path("export.svg"), "--elements", Path("Atom.txt")};
        if (s.sticks)
            arguments << "--sticks";
        arguments << "--stick-length" << QString::number(s.stickLength) << "--atom-radius"
                  << QString::number(s.atomRadius) << "--stick-radius" << QString::number(s.stickRadius) << "--angle-x"
                  << QString::number(s.ax) << "--angle-y" << QString::number(s.ay) << "--angle-z"
                  << QString::number(s.az) << "--nx" << QString::number(s.nx) << "--ny" << QString::number(s.ny)
                  << "--ax" << s.stepX << "--ay" << s.stepY << xyz;
        std::string err;
        ASSERT_EQ(RunProgram(arguments, err), 0) << err;
        const std::string saved = ReadBytes(dir.Path() / "window.svg");
        EXPECT_GT(saved.size(), 500u);
        EXPECT_TRUE(saved == ReadBytes(dir.Path() / "export.svg"));
    }
}

TEST_F(FormMainTest, AFailedSaveKeepsTheOldDrawingAndSaysWhy)
{
    TFormMain& w = Make();
    w.OpenFile(Path("methane.xyz"));
    // A folder where the file should go: nothing can be written there.
    std::filesystem::create_directory(dir.Path() / "taken.svg");
    answers.saveNames = {Path("taken.svg")};
    w.SpeedButtonSaveFileClick(nullptr);
    ASSERT_EQ(answers.errors.size(), 1u);
    EXPECT_NE(answers.errors[0].indexOf("taken.svg"), -1);
    EXPECT_FALSE(w.bSvg);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "taken.svg"));
}

// ---- Saved state -----------------------------------------------------------------------------

TEST_F(FormMainTest, ClosingSavesTheControlsAndTheNextWindowRestoresThem)
{
    {
        TFormMain& w = Make();
        w.OpenFile(Path("methane.xyz"));
        w.CheckBoxDrawLink->setChecked(true);
        w.ScrollBarStick->setValue(42);
        w.ScrollBarRStick->setValue(321);
        w.ScrollBarKRPoint->setValue(654);
        w.ScrollBarAx->setValue(100);
        w.ScrollBarAy->setValue(200);
        w.ScrollBarAz->setValue(300);
        w.EditAx->setText("2,5");
        w.EditDy->setText("-1.25");
        w.SpinEditNx->setValue(4);
        w.SpinEditNy->setValue(5);
        w.CategoryPanelTranslate->SetCollapsed(true);
        w.FrameBmp1->LPoint->Add(MPoint<float>{0.25f, 0.5f});
        w.FrameBmp1->LPoint->Add(MPoint<float>{0.75f, 0.125f});
        w.close();
        window.reset();
    }
    ASSERT_TRUE(std::filesystem::exists(SettingsFile()));
    const std::string ini = ReadBytes(SettingsFile());
    EXPECT_NE(ini.find("[FormMain]"), std::string::npos);
    EXPECT_NE(ini.find("ScrollBarAx->Position=100"), std::string::npos);
    EXPECT_NE(ini.find("[FormMain->FrameBmp1]"), std::string::npos);
    EXPECT_EQ(ini.find("SpinEditNx"), std::string::npos);
    // The frame's sync group is an up-down: its state is a position, not a spin edit's value.
    EXPECT_NE(ini.find("UpDownSyncGroup->Position="), std::string::npos);

    TFormMain& w = Make();
    EXPECT_TRUE(w.CheckBoxDrawLink->isChecked());
    EXPECT_EQ(w.ScrollBarStick->value(), 42);
    EXPECT_EQ(w.ScrollBarRStick->value(), 321);
    EXPECT_EQ(w.ScrollBarKRPoint->value(), 654);
    EXPECT_EQ(w.ScrollBarAx->value(), 100);
    EXPECT_EQ(w.ScrollBarAy->value(), 200);
    EXPECT_EQ(w.ScrollBarAz->value(), 300);
    EXPECT_EQ(w.EditAx->text(), "2,5");
    EXPECT_EQ(w.EditDy->text(), "-1.25");
    EXPECT_EQ(w.SpinEditNx->value(), 1);
    EXPECT_EQ(w.SpinEditNy->value(), 1);
    EXPECT_TRUE(w.CategoryPanelTranslate->Collapsed());
    ASSERT_EQ(w.FrameBmp1->LPoint->FCount, 2);
    EXPECT_EQ(w.FrameBmp1->LPoint->Data[0].x, 0.25f);
    EXPECT_EQ(w.FrameBmp1->LPoint->Data[1].y, 0.125f);
    // The restored bars drove their handlers: the labels show the restored factors.
    EXPECT_NE(w.LabelKAtomRadius->text(), " K atom radius");
}

// Writes past the given size fail with "File too large", as on a full disk, for the scope's span.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        const rlimit limit{bytes, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int);
};

// A settings file that cannot be written loses the window's state: the user is told why before
// the window goes, and the old file stays as it was.
TEST_F(FormMainTest, ASettingsFileThatCannotBeWrittenIsToldAtClose)
{
    const std::string old = "[Other]\nKept=1\n";
    const std::string notSaved =
        "The window's state was not saved. Cannot write file \"" + SettingsFile().string() + "\". ";
    struct Case {
        const char* name;
        bool readOnly;
        rlim_t fileSizeLimit;  // 0: none
        std::string reason;
    };
    const Case cases[] = {
        {"a read-only settings file", true, 0, "It is read-only (not saved)"},
        {"a full disk", false, old.size() + 1, "File too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(SettingsFile());
        WriteText(SettingsFile(), old);
        if (c.readOnly)
            std::filesystem::permissions(SettingsFile(), std::filesystem::perms(0444));
        answers.errors.clear();
        TFormMain& w = Make();
        w.show();
        {
            std::optional<FileSizeLimit> limit;
            if (c.fileSizeLimit != 0)
                limit.emplace(c.fileSizeLimit);
            w.close();
        }
        window.reset();
        EXPECT_EQ(answers.errors, std::vector<QString>{QString::fromStdString(notSaved + c.reason)});
        EXPECT_EQ(ReadBytes(SettingsFile()), old);
    }

    // A window never shown has no one to show a box to: the message goes to standard error.
    std::filesystem::permissions(SettingsFile(), std::filesystem::perms(0444));
    answers.errors.clear();
    TFormMain& w = Make();
    testing::internal::CaptureStderr();
    w.close();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answers.errors, std::vector<QString>{});
    EXPECT_NE(err.find(notSaved + "It is read-only (not saved)\n"), std::string::npos) << err;
    EXPECT_EQ(ReadBytes(SettingsFile()), old);
}

// ---- Start-up failures ------------------------------------------------------------------------

TEST_F(FormMainTest, AMissingOrBrokenElementTableStopsTheStart)
{
    struct Case {
        const char* name;
        const char* table;  // nullptr: no table at all
        const char* message;
    };
    const Case cases[] = {
        {"missing", nullptr, "Atom.txt"},
        {"a line of three fields", "Symbol\tRadius\tColor\tX\nC\t0.76\t1\t1\nH\t0.31\t1\n",
         "Error in file Atom.txt in line 2"},
        {"a colour that does not convert", "Symbol\tRadius\tColor\tX\nC\t0.76\tgrey\t1\n",
         "'grey' is not a valid integer value"},
        {"a header without elements", "Symbol\tRadius\tColor\tX\n", "The element table Atom.txt has no elements"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.Path() / "Atom.txt");
        if (c.table != nullptr)
            WriteText(dir.Path() / "Atom.txt", c.table);
        try {
            Make();
            ADD_FAILURE() << "the window was made";
        } catch (const TFormMainStartError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

// ---- Trajectories ---------------------------------------------------------------------------------

// Methane, then the same molecule stretched, then a frame cut short at line 17.
const char* const kMethaneFrames = "5\nframe 1\nC 0 0 0\nH 0.63 0.63 0.63\nH -0.63 -0.63 0.63\nH -0.63 0.63 -0.63\n"
                                   "H 0.63 -0.63 -0.63\n"
                                   "5\nframe 2\nC 0 0 0\nH 0.7 0.63 0.63\nH -0.7 -0.63 0.63\nH -0.7 0.63 -0.63\n"
                                   "H 0.7 -0.63 -0.63\n"
                                   "2\nframe 3\nC 0 0 0\nH 1 1\n";

TEST_F(FormMainTest, ATrajectoryStepsThroughItsFramesWithTheCurrentSettingsAndView)
{
    TFormMain& w = Make();
    w.show();
    WriteText(dir.Path() / "frames.xyz", kMethaneFrames);
    w.OpenFile(Path("methane.xyz"));
    EXPECT_FALSE(w.PanelFrame->isVisibleTo(&w));

    w.CheckBoxDrawLink->setChecked(true);
    w.ScrollBarStick->setValue(54);
    w.ScrollBarAx->setValue(450);
    w.SpinEditNx->setValue(2);
    w.EditAx->setText("3,5");
    w.OpenFile(Path("frames.xyz"));
    ASSERT_TRUE(w.PanelFrame->isVisibleTo(&w));
    EXPECT_EQ(w.LabelFrame->text(), "Frame");
    EXPECT_EQ(w.SpinEditFrame->value(), 1);
    EXPECT_EQ(w.SpinEditFrame->maximum(), 3);
    EXPECT_EQ(w.TrackBarFrame->maximum(), 3);
    EXPECT_EQ(w.LabelFrameCount->text(), "of 3");
    EXPECT_EQ(Model().LXyzTrans.FCount, 10);

    // A view zoomed in away from the centre stays where it is while the frames change.
    ASSERT_TRUE(w.FrameBmp1->SetScale(2.5));
    ASSERT_TRUE(w.FrameBmp1->SetCenter(1700, 1200));
    const double scale = w.FrameBmp1->Scale, centerX = w.FrameBmp1->CenterX, centerY = w.FrameBmp1->CenterY;
    const QImage first = Shown();
    const std::int64_t draws = w.Pipeline().DrawCount();
    w.SpinEditFrame->setValue(2);
    EXPECT_EQ(w.TrackBarFrame->value(), 2);
    EXPECT_EQ(w.Pipeline().DrawCount() - draws, 1);
    EXPECT_EQ(Model().LXyzTrans.FCount, 10);
    EXPECT_EQ(Model().LStick.FCount, 16);
    EXPECT_NE(Shown(), first);
    EXPECT_EQ(w.FrameBmp1->Scale, scale);
    EXPECT_EQ(w.FrameBmp1->CenterX, centerX);
    EXPECT_EQ(w.FrameBmp1->CenterY, centerY);

    // The frame drawn is the one the export draws of that frame with the same settings.
    answers.saveNames = {Path("window.svg")};
    w.SpeedButtonSaveFileClick(nullptr);
    std::string err;
    ASSERT_EQ(RunProgram({"--export", Path("export.svg"), "--frame", "2", "--elements", Path("Atom.txt"), "--sticks",
                          "--stick-length", "54", "--angle-x", "450", "--nx", "2", "--ax", "3,5", Path("frames.xyz")},
                         err),
              0)
        << err;
    EXPECT_TRUE(ReadBytes(dir.Path() / "window.svg") == ReadBytes(dir.Path() / "export.svg"));

    // The slider moves the spin edit; a frame cut short is told and the picture stays.
    w.TrackBarFrame->setValue(1);
    EXPECT_EQ(w.SpinEditFrame->value(), 1);
    EXPECT_EQ(Shown(), first);
    w.SpinEditFrame->setValue(3);
    EXPECT_EQ(answers.messages, (std::vector<QString>{"Error in *.xyz file in line 17"}));
    EXPECT_EQ(Shown(), first);
    EXPECT_EQ(Model().LXyzTrans.FCount, 10);
    EXPECT_TRUE(answers.errors.empty());

    w.OpenFile(Path("methane.xyz"));
    EXPECT_FALSE(w.PanelFrame->isVisibleTo(&w));
    w.close();
    const std::string ini = ReadBytes(SettingsFile());
    for (const char* unsaved : {"PanelFrame", "SpinEditFrame", "TrackBarFrame"})
        EXPECT_EQ(ini.find(unsaved), std::string::npos) << unsaved;
}

TEST_F(FormMainTest, TheCellAFileDeclaresFillsTheTranslatePanel)
{
    TFormMain& w = Make();
    w.SpinEditNx->setValue(3);
    WriteText(dir.Path() / "cell.xyz",
              "2\nLattice=\"2.46 0.5 0.0 -1.23 2.13 0.0 0.0 0.0 20\" Properties=species:S:1:pos:R:3:q:R:1\n"
              "C 0 0 0 -0.1\nC 1.42 0 0 0.1\n");
    w.OpenFile(Path("cell.xyz"));
    EXPECT_EQ(w.EditAx->text(), "2.46");
    EXPECT_TRUE(answers.messages.empty());
    EXPECT_EQ(w.EditDy->text(), "0.5");
    EXPECT_EQ(w.EditDx->text(), "-1.23");
    EXPECT_EQ(w.EditAy->text(), "2.13");
    EXPECT_EQ(w.SpinEditNx->value(), 3);
    EXPECT_EQ(Model().LXyzTrans.FCount, 6);
    // A file without a cell leaves the panel as it is.
    w.EditAx->setText("7");
    w.OpenFile(Path("methane.xyz"));
    EXPECT_EQ(w.EditAx->text(), "7");
}

// A frame that declares its own cell fills the Translate panel, until the user types steps of
// their own: those stay for every frame after.
TEST_F(FormMainTest, EveryFrameTakesItsOwnCellUntilTheUserTypesOne)
{
    TFormMain& w = Make();
    WriteText(dir.Path() / "cells.xyz",
              "1\nLattice=\"2 0 0 0 3 0 0 0 9\"\nC 0 0 0\n"
              "1\nLattice=\"4 0.5 0 -1 5 0 0 0 9\"\nC 0 0 0\n"
              "1\nno cell\nC 0 0 0\n"
              "1\nLattice=\"6 0 1 0 7 0 0 0 9\"\nC 0 0 0\n");
    const auto steps = [&] {
        return std::vector<QString>{w.EditAx->text(), w.EditAy->text(), w.EditDx->text(), w.EditDy->text()};
    };
    w.OpenFile(Path("cells.xyz"));
    EXPECT_EQ(steps(), (std::vector<QString>{"2", "3", "0", "0"}));
    w.SpinEditFrame->setValue(2);
    EXPECT_EQ(steps(), (std::vector<QString>{"4", "5", "-1", "0.5"}));
    w.SpinEditFrame->setValue(3);  // no cell: the last one stays
    EXPECT_EQ(steps(), (std::vector<QString>{"4", "5", "-1", "0.5"}));
    EXPECT_TRUE(answers.messages.empty());
    w.SpinEditFrame->setValue(4);  // a cell out of the plane is told, and not taken
    EXPECT_EQ(steps(), (std::vector<QString>{"4", "5", "-1", "0.5"}));
    EXPECT_EQ(
        answers.messages,
        (std::vector<QString>{"Line 10: Lattice= ignored (its vector a = (6 0 1) does not lie in the x-y plane)"}));
    w.EditAx->setText("9");
    w.SpinEditFrame->setValue(1);
    EXPECT_EQ(steps(), (std::vector<QString>{"9", "5", "-1", "0.5"}));
}

// Long numbers of a cell are shown from their first digit; a cell that cannot be taken is told
// and leaves the panel as it is.
TEST_F(FormMainTest, TheCellEditsShowTheirStartAndACellNotTakenIsTold)
{
    TFormMain& w = Make();
    WriteText(dir.Path() / "long.xyz",
              "1\nLattice=\"4.274290845193297 0 0 -2.1371454225966486 3.701646467541893 0 0 0 "
              "23.123456789\"\nC 0 0 0\n");
    WriteText(dir.Path() / "nan.xyz", "1\nLattice=\"nan 0 0 0 1 0 0 0 1\"\nC 0 0 0\n");
    w.OpenFile(Path("long.xyz"));
    for (QLineEdit* edit : {w.EditAx, w.EditAy, w.EditDx, w.EditDy}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        EXPECT_EQ(edit->cursorPosition(), 0);
    }
    EXPECT_EQ(w.EditAx->text(), "4.274290845193297");
    w.OpenFile(Path("nan.xyz"));
    EXPECT_EQ(answers.messages,
              (std::vector<QString>{"Line 1: Lattice= ignored ('nan' is not a valid floating point value)"}));
    EXPECT_EQ(w.EditAx->text(), "4.274290845193297");
}

// More sticks than the bound are not made: the atoms are shown, the check box stays checked, and
// the user is told once, not at every further move of a bar.
TEST_F(FormMainTest, SticksPastTheBoundAreToldOnceAndTheAtomsShown)
{
    TFormMain& w = Make();
    std::string cube = "1100\ncube\n";
    for (int i = 0; i < 11; ++i)
        for (int j = 0; j < 10; ++j)
            for (int k = 0; k < 10; ++k)
                cube += "C " + std::to_string(0.2 * i) + " " + std::to_string(0.2 * j) + " " + std::to_string(0.2 * k)
                    + "\n";
    WriteText(dir.Path() / "cube.xyz", cube);
    w.OpenFile(Path("cube.xyz"));
    const QImage balls = Shown();
    w.ScrollBarStick->setValue(w.ScrollBarStick->maximum());  // every atom would reach every other
    w.CheckBoxDrawLink->setChecked(true);
    const QString refused = "More than 1,000,000 sticks would be drawn: lower the stick length";
    EXPECT_EQ(answers.messages, std::vector<QString>{refused});
    EXPECT_TRUE(w.CheckBoxDrawLink->isChecked());
    EXPECT_EQ(Model().LStick.FCount, 0);
    EXPECT_EQ(Shown(), balls);
    w.ScrollBarKRPoint->setValue(w.ScrollBarKRPoint->value() - 1);
    EXPECT_EQ(answers.messages.size(), 1u);
    w.ScrollBarStick->setValue(0);
    EXPECT_GT(Model().LStick.FCount, 0);
    w.ScrollBarStick->setValue(w.ScrollBarStick->maximum());
    EXPECT_EQ(answers.messages, (std::vector<QString>{refused, refused}));
}

}  // namespace

// ---- Recent files, dialogs, pictures, notes ----------------------------------------------------

TEST_F(FormMainTest, TheRecentFilesAreListedSavedAndAMissingOneIsTakenOff)
{
    {
        TFormMain& w = Make();
        WriteText(dir.Path() / "frames.xyz", kMethaneFrames);
        EXPECT_FALSE(w.ComboBoxRecent->isEnabled());
        w.OpenFile(Path("methane.xyz"));
        w.OpenFile(Path("frames.xyz"));
        w.OpenFile(Path("methane.xyz"));
        EXPECT_EQ(w.RecentFiles(), (QStringList{Path("methane.xyz"), Path("frames.xyz")}));
        ASSERT_EQ(w.ComboBoxRecent->count(), 2);
        EXPECT_EQ(w.ComboBoxRecent->itemText(1), "frames.xyz");
        EXPECT_EQ(w.ComboBoxRecent->currentIndex(), -1);
        w.close();
        window.reset();
    }
    TFormMain& w = Make();
    ASSERT_EQ(w.RecentFiles(), (QStringList{Path("methane.xyz"), Path("frames.xyz")}));
    // Choosing one opens it.
    w.ComboBoxRecentActivated(1);
    EXPECT_EQ(w.windowTitle(), "frames.xyz");
    EXPECT_EQ(w.RecentFiles().front(), Path("frames.xyz"));
    // A file gone since is told and taken off the list, and what is shown stays.
    std::filesystem::remove(dir.Path() / "methane.xyz");
    w.ComboBoxRecentActivated(1);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_NE(answers.messages[0].indexOf("methane.xyz"), -1);
    EXPECT_EQ(w.RecentFiles(), QStringList{Path("frames.xyz")});
    EXPECT_EQ(w.windowTitle(), "frames.xyz");
    EXPECT_TRUE(answers.errors.empty());
}

TEST_F(FormMainTest, TheDialogsStartInTheFolderLastUsedAndSuggestTheOpenFilesName)
{
    std::filesystem::create_directory(dir.Path() / "in");
    std::filesystem::create_directory(dir.Path() / "out");
    WriteText(dir.Path() / "in" / "water.xyz", "3\nwater\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n");
    {
        TFormMain& w = Make();
        answers.openNames = {Path("in/water.xyz")};
        w.SpeedButtonOpenFileClick(nullptr);
        answers.saveNames = {Path("out/drawing.svg")};
        w.SpeedButtonSaveFileClick(nullptr);
        answers.pictureNames = {""};
        w.SpeedButtonSavePictureClick(nullptr);
        answers.openNames = {""};
        w.SpeedButtonOpenFileClick(nullptr);
        w.close();
        window.reset();
    }
    TFormMain& w = Make();
    w.OpenFile(Path("methane.xyz"));
    answers.saveNames = {""};
    w.SpeedButtonSaveFileClick(nullptr);
    answers.openNames = {""};
    w.SpeedButtonOpenFileClick(nullptr);
    const QString in = Path("in"), out = Path("out"), here = QString::fromStdString(dir.Path().string());
    EXPECT_EQ(answers.starts,
              (std::vector<QString>{"", in + "/water.svg", out + "/water.png", in, out + "/methane.svg", here}));
}

TEST_F(FormMainTest, SavePictureWritesThePictureShownAndAFailureSaysWhy)
{
    TFormMain& w = Make();
    w.OpenFile(Path("methane.xyz"));
    struct Case {
        const char* asked;
        const char* written;
        const char* format;
    };
    for (const Case& c : {Case{"shown.png", "shown.png", "PNG"}, Case{"shown.bmp", "shown.bmp", "BMP"},
                          Case{"plain", "plain.png", "PNG"}}) {
        SCOPED_TRACE(c.asked);
        answers.pictureNames = {Path(c.asked)};
        w.ActionSavePicture->trigger();
        const QImage saved(Path(c.written), c.format);
        ASSERT_FALSE(saved.isNull());
        EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), Shown().convertToFormat(QImage::Format_RGB32));
        EXPECT_NE(w.StatusLine1->LabelNote->text().indexOf(c.written), -1);
    }
    EXPECT_EQ(w.ActionSavePicture->shortcut(), QKeySequence("Ctrl+Shift+S"));
    // A folder where the picture should go: nothing is written, and the user is told why.
    std::filesystem::create_directory(dir.Path() / "taken.png");
    answers.pictureNames = {Path("taken.png")};
    w.SpeedButtonSavePictureClick(nullptr);
    ASSERT_EQ(answers.errors.size(), 1u);
    EXPECT_NE(answers.errors[0].indexOf("taken.png"), -1);
    EXPECT_GT(answers.errors[0].size(), QString("The picture was not saved to \"%1\": ").arg(Path("taken.png")).size());
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "taken.png"));
}

TEST_F(FormMainTest, ANoteShowsItsFirstLineInTheStatusLine)
{
    TFormMain& w = Make();
    w.show();
    w.ShowNote("Frame 3 was cut short\nline 17 has three fields");
    EXPECT_TRUE(w.StatusLine1->LabelNote->isVisible());
    EXPECT_EQ(w.StatusLine1->LabelNote->text(), "Frame 3 was cut short");
    EXPECT_EQ(w.StatusLine1->LabelNote->toolTip(), "Frame 3 was cut short\nline 17 has three fields");
    // The status line lies under the picture, across the window.
    EXPECT_GE(w.StatusLine1->y(), w.FrameBmp1->geometry().bottom());
    EXPECT_EQ(w.StatusLine1->width(), w.width());
}

// ---- The view of a file ---------------------------------------------------------------------------

TEST_F(FormMainTest, AnEmptyWindowShowsTheHintAndEveryFileOpensShownWhole)
{
    TFormMain& w = Make();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.FrameBmp1->HintText(), "Open a file (Ctrl+O) or drop one here");
    // Without a saved zoom the picture is fitted to the view, whatever its size.
    EXPECT_TRUE(w.FrameBmp1->bFollowFit);
    EXPECT_EQ(w.FrameBmp1->VisibleArea.W, 2999);
    EXPECT_DOUBLE_EQ(w.FrameBmp1->Scale, std::trunc(100 * w.FrameBmp1->GetScaleFit()) / 100);
    w.resize(1200, 900);
    EXPECT_DOUBLE_EQ(w.FrameBmp1->Scale, std::trunc(100 * w.FrameBmp1->GetScaleFit()) / 100);

    w.OpenFile(Path("methane.xyz"));
    EXPECT_TRUE(w.FrameBmp1->HintText().isEmpty());
    // Zoomed in off the centre, a rebuild keeps the view; the next file is shown whole.
    ASSERT_TRUE(w.FrameBmp1->SetScale(2.5));
    ASSERT_TRUE(w.FrameBmp1->SetCenter(1700, 1200));
    w.ButtonTranslate->click();
    EXPECT_DOUBLE_EQ(w.FrameBmp1->Scale, 2.5);
    w.OpenFile(Path("methane.xyz"));
    EXPECT_TRUE(w.FrameBmp1->bFollowFit);
    EXPECT_DOUBLE_EQ(w.FrameBmp1->CenterX, 0.5);
    EXPECT_EQ(w.FrameBmp1->VisibleArea.W, 2999);
}

TEST_F(FormMainTest, AZoomRestoredFromTheSavedStateIsKeptForTheFileOpenedAtStart)
{
    {
        TFormMain& w = Make();
        w.show();
        w.OpenFile(Path("methane.xyz"));
        ASSERT_TRUE(w.FrameBmp1->SetScale(2));
        w.FrameBmp1->ScrollBarXChange();
        w.close();
        window.reset();
    }
    TFormMain& w = Make();
    w.show();
    w.OpenAtStart(Path("methane.xyz"));
    EXPECT_FALSE(w.FrameBmp1->bFollowFit);
    EXPECT_DOUBLE_EQ(w.FrameBmp1->Scale, 2);
    w.OpenFile(Path("methane.xyz"));
    EXPECT_TRUE(w.FrameBmp1->bFollowFit);
}

// ---- Playing -----------------------------------------------------------------------------------------

TEST_F(FormMainTest, SpacePlaysTheFramesOverThePictureAndTheRateIsKept)
{
    {
        TFormMain& w = Make();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        // The first two frames: both read whole.
        const std::string frames(kMethaneFrames);
        WriteText(dir.Path() / "frames.xyz", frames.substr(0, frames.find("2\nframe 3")));
        w.OpenFile(Path("frames.xyz"));
        ASSERT_TRUE(w.PanelFrame->isVisible());
        w.SpinEditRate->setValue(20);
        QTest::mouseClick(w.FrameBmp1->PaintBoxMain, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        ASSERT_TRUE(w.FrameBmp1->hasFocus());
        QTest::keyClick(w.FrameBmp1, Qt::Key_Space);
        EXPECT_TRUE(w.Player().IsPlaying());
        EXPECT_TRUE(w.SpeedButtonPlay->isChecked());
        QTest::qWait(400);
        EXPECT_GE(w.Player().FramesShown(), 3);
        QTest::keyClick(w.FrameBmp1, Qt::Key_Space);
        EXPECT_FALSE(w.Player().IsPlaying());
        EXPECT_FALSE(w.SpeedButtonPlay->isChecked());
        const int frame = w.SpinEditFrame->value();
        QTest::qWait(150);
        EXPECT_EQ(w.SpinEditFrame->value(), frame);
        // Space in an edit is the edit's.
        w.EditAx->setFocus();
        QTest::keyClick(w.EditAx, Qt::Key_Space);
        EXPECT_FALSE(w.Player().IsPlaying());
        w.close();
        window.reset();
    }
    TFormMain& w = Make();
    EXPECT_EQ(w.SpinEditRate->value(), 20);
    EXPECT_FALSE(w.Player().IsPlaying());
}

// Frames whose comments each declare a cell that cannot be taken: played, their notes go to the
// status line and no message box waits for an answer.
TEST_F(FormMainTest, NotesOfFramesPlayedGoToTheStatusLine)
{
    TFormMain& w = Make();
    std::string frames;
    for (int frame = 1; frame <= 4; ++frame)
        frames += "1\nLattice=\"" + std::to_string(frame) + " 0 1 0 7 0 0 0 9\"\nC 0 0 0\n";
    WriteText(dir.Path() / "tilted.xyz", frames);
    w.OpenFile(Path("tilted.xyz"));
    answers.messages.clear();
    w.SpinEditRate->setValue(50);
    QTest::mouseClick(w.SpeedButtonPlay, Qt::LeftButton);
    ASSERT_TRUE(w.Player().IsPlaying());
    QTest::qWait(200);
    QTest::mouseClick(w.SpeedButtonPlay, Qt::LeftButton);
    EXPECT_FALSE(w.Player().IsPlaying());
    EXPECT_GE(w.Player().FramesShown(), 3);
    EXPECT_TRUE(answers.messages.empty()) << answers.messages.front().toStdString();
    EXPECT_TRUE(w.StatusLine1->LabelNote->text().contains("does not lie in the x-y plane"))
        << w.StatusLine1->LabelNote->text().toStdString();
}

// ---- Picked atoms ------------------------------------------------------------------------------------

TEST_F(FormMainTest, PickedAtomsStayWhileTurnedAndGoWhenTheSceneIsRebuilt)
{
    TFormMain& w = Make();
    w.show();
    w.OpenFile(Path("methane.xyz"));
    const auto pickAll = [&] {
        for (std::int64_t atom = 0; atom < 5; ++atom)
            if (const auto ball = w.Pipeline().BallOf(atom))
                w.PictureClick(w.FrameBmp1, Qt::LeftButton, {Qt::ControlModifier, {}}, ball->X, ball->Y);
        return w.Picks().Atoms().size();
    };
    struct Case {
        const char* name;
        std::function<void()> change;
        bool kept;
    };
    const Case cases[] = {
        {"an angle bar", [&] { w.ScrollBarAx->setValue(w.ScrollBarAx->value() + 300); }, true},
        {"a view button", [&] { w.SpeedButton[3]->click(); }, true},
        {"Translate", [&] { w.ButtonTranslate->click(); }, false},
        {"the sticks", [&] { w.CheckBoxDrawLink->click(); }, false},
        {"a file", [&] { w.OpenFile(Path("methane.xyz")); }, false},
        {"a click on the ground", [&] { w.PictureClick(w.FrameBmp1, Qt::LeftButton, {}, 1, 1); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GE(pickAll(), 2u);
        const QString measured = w.Measurement();
        EXPECT_TRUE(measured.startsWith("distance ")) << measured.toStdString();
        EXPECT_EQ(w.StatusLine1->LabelMeasurement->text(), measured);
        c.change();
        EXPECT_EQ(!w.Picks().Empty(), c.kept);
        EXPECT_EQ(w.StatusLine1->LabelMeasurement->text().isEmpty(), !c.kept);
        w.PictureClick(w.FrameBmp1, Qt::LeftButton, {}, 1, 1);
    }
}

// The read-out searches the picture for the atom under the mouse; during a drag every step paints
// a new picture, and the read-out waits for the release instead of searching each one anew.
TEST_F(FormMainTest, TheAtomUnderTheMouseIsReadOutWhenNoButtonIsHeld)
{
    TFormMain& w = Make();
    w.show();
    w.OpenFile(Path("methane.xyz"));
    const auto ball = w.Pipeline().BallOf(0);
    ASSERT_TRUE(ball.has_value());
    w.PictureMouseMove(w.FrameBmp1, {Qt::NoModifier, Qt::LeftButton}, ball->X, ball->Y);
    EXPECT_TRUE(w.StatusLine1->LabelAtom->text().isEmpty());
    w.PictureMouseMove(w.FrameBmp1, {Qt::NoModifier, Qt::NoButton}, ball->X, ball->Y);
    EXPECT_TRUE(w.StatusLine1->LabelAtom->text().contains("(line ")) << w.StatusLine1->LabelAtom->text().toStdString();
    w.PictureMouseMove(w.FrameBmp1, {Qt::NoModifier, Qt::NoButton}, 1, 1);
    EXPECT_TRUE(w.StatusLine1->LabelAtom->text().isEmpty());
}
