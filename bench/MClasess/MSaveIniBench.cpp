// Saving and loading the window state of a form laid out like the main window: a column of four
// category panels with the rotation, atom and stick bars, the translation edits (two spin edits
// among them carry the skip tag), the check box, the view buttons and the hidden memo, beside a
// viewer frame with its own bars, buttons, up-down, menu item and two list boxes of point
// marks, about fifty stored controls in all. Offscreen platform; the settings file lies in a
// temporary folder and already holds the state, as it does at every close after the first.
//
//   BM_SaveWindowState/0     SaveToFileIni as the close handler calls it: read the file, walk
//                            the form, write the file through a temporary file, flush it to the
//                            disk and rename it; the file on the disk of the temporary folder.
//   BM_SaveWindowState/1     the same in a folder held in memory (/dev/shm), where the flush
//                            to the disk costs nothing: what the save itself costs.
//   BM_SaveWalkInMemory      the walk alone, into an ini held in memory.
//   BM_SaveFileAlone/0, /1   writing the same text with SaveFileAtomically, nothing else: the
//                            part of the save that the file system decides (on the disk, two
//                            flushes: the file and its folder).
//   BM_LoadWindowState       LoadFromFileIni as the constructor calls it.

#include "FrameBmp_.h"
#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"
#include "MFileSave.h"
#include "MIniFile.h"
#include "MSaveIni.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

constexpr int kPointMarks = 20;

template <class Widget>
Widget* Named(Widget* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QScrollBar* Bar(QWidget* parent, const QString& name, int maximum, int value)
{
    auto* bar = Named(new QScrollBar(Qt::Horizontal, parent), name);
    bar->setRange(0, maximum);
    bar->setValue(value);
    return bar;
}

std::unique_ptr<QWidget> MainWindowLikeForm()
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName(QStringLiteral("FormMain"));
    form->setGeometry(40, 40, 713, 457);
    auto* left = Named(new QWidget(form.get()), QStringLiteral("Panel2"));
    auto* group = Named(new MCategoryPanelGroup(left), QStringLiteral("CategoryPanelGroup1"));

    MCategoryPanel* file = Named(group->AddPanel(QStringLiteral("File")), QStringLiteral("CategoryPanelFile"));
    for (const char* name : {"SpeedButtonOpenFile", "SpeedButtonSaveFile"})
        Named(new QToolButton(file->Body()), QString::fromLatin1(name));
    auto* memo = Named(new QPlainTextEdit(file->Body()), QStringLiteral("Memo1"));
    memo->hide();

    MCategoryPanel* atoms = Named(group->AddPanel(QStringLiteral("Atoms")), QStringLiteral("CategoryPanelAtoms"));
    Named(new QCheckBox(atoms->Body()), QStringLiteral("CheckBoxDrawLink"))->setChecked(true);
    Bar(atoms->Body(), QStringLiteral("ScrollBarKRPoint"), 1000, 300);
    Bar(atoms->Body(), QStringLiteral("ScrollBarKRLink"), 1000, 540);
    Bar(atoms->Body(), QStringLiteral("ScrollBarRStick"), 1000, 100);

    MCategoryPanel* translate =
        Named(group->AddPanel(QStringLiteral("Translate")), QStringLiteral("CategoryPanelTranslate"));
    for (const char* name : {"SpinEditNx", "SpinEditNy"})
        Named(new QSpinBox(translate->Body()), QString::fromLatin1(name))->setProperty("Tag", SaveIniTagSkip);
    for (const char* name : {"EditAx", "EditAy", "EditDx", "EditDy"})
        Named(new QLineEdit(translate->Body()), QString::fromLatin1(name))->setText(QStringLiteral("2,459512"));
    Named(new QToolButton(translate->Body()), QStringLiteral("ButtonTranslate"));

    MCategoryPanel* view = Named(group->AddPanel(QStringLiteral("View")), QStringLiteral("CategoryPanelView"));
    Bar(view->Body(), QStringLiteral("ScrollBarAx"), 3600, 600);
    Bar(view->Body(), QStringLiteral("ScrollBarAy"), 3600, 1200);
    Bar(view->Body(), QStringLiteral("ScrollBarAz"), 3600, 0);
    for (int i = 1; i <= 8; ++i)
        Named(new QToolButton(view->Body()), QStringLiteral("SpeedButton%1").arg(i))->setCheckable(true);

    auto* frame = Named(new TFrameBmp(form.get()), QStringLiteral("FrameBmp1"));
    for (int i = 0; i < kPointMarks; ++i) {
        frame->ListBoxLPointX->addItem(QString::number(100.25 + i));
        frame->ListBoxLPointY->addItem(QString::number(200.75 + i));
    }
    return form;
}

// Where the settings file lies: the system's temporary folder, or one in memory.
QString FolderTemplate(bool inMemory) { return inMemory ? QStringLiteral("/dev/shm/pelmora-bench-XXXXXX") : QString(); }

class Fixture {
public:
    explicit Fixture(bool inMemory = false)
        : folder_(FolderTemplate(inMemory)), form_(MainWindowLikeForm()),
          code_(folder_.filePath(QStringLiteral("pelmora")))
    {
        if (!folder_.isValid())
            throw std::runtime_error("no temporary folder");
        if (!SaveToFileIni(form_.get(), code_))
            throw std::runtime_error("the first save failed");
    }
    QWidget* Form() const { return form_.get(); }
    const QString& Code() const { return code_; }

private:
    QTemporaryDir folder_;
    std::unique_ptr<QWidget> form_;
    QString code_;
};

void BM_SaveWindowState(benchmark::State& state)
{
    const Fixture fixture(state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveToFileIni(fixture.Form(), fixture.Code()));
    state.SetLabel(state.range(0) != 0 ? "folder in memory" : "folder on disk");
}
BENCHMARK(BM_SaveWindowState)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SaveWalkInMemory(benchmark::State& state)
{
    const Fixture fixture;
    for (auto _ : state) {
        MIniFile ini;
        benchmark::DoNotOptimize(ForSaveToFileIni(fixture.Form(), &ini, {}));
    }
}
BENCHMARK(BM_SaveWalkInMemory)->Unit(benchmark::kMillisecond);

void BM_SaveFileAlone(benchmark::State& state)
{
    const Fixture fixture(state.range(0) != 0);
    const std::string fileName = (fixture.Code() + QStringLiteral(".ini")).toStdString();
    MIniFile ini;
    if (!ini.LoadFromFile(QString::fromStdString(fileName)))
        throw std::runtime_error("the settings file cannot be read");
    const std::string text = ini.ToText().toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveFileAtomically(fileName, text).saved);
    state.SetLabel(state.range(0) != 0 ? "folder in memory" : "folder on disk");
}
BENCHMARK(BM_SaveFileAlone)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LoadWindowState(benchmark::State& state)
{
    const Fixture fixture;
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadFromFileIni(fixture.Form(), fixture.Code()));
}
BENCHMARK(BM_LoadWindowState)->Unit(benchmark::kMillisecond);

}  // namespace
