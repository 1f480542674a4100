// The main window on the offscreen platform, at 900 x 600: what a user waits for.
// - one step of an angle bar with sticks drawn: the value change, the rotation, the drawing of
//   the 3000 x 3000 scene and the frame's repaint, at 10,000 and 100,000 atoms;
// - one step of a left drag over the picture with sticks drawn: from the mouse move to the
//   repainted frame (the turn, the bars, the rotation, the drawing, the repaint), at 10,000 and
//   100,000 atoms;
// - opening a file: reading, sticks, the periodic rebuild, the drawing, the frame shown;
// - playing a trajectory of 10,000 atoms with sticks at 25 frames a second: how many frames a
//   second are shown (the rest are skipped);
// - making the window with its saved state restored (no file), and saving that state.

#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSpinBox>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>

#include "FormMain_.h"
#include "FrameBmpPanel.h"
#include "FrameBmp_.h"
#include "MSaveIni.h"
#include "SyntheticStructures.h"
#include "TrajectoryPlayer.h"

namespace {

const std::filesystem::path& WorkFolder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / "pelmora-window-bench";
        std::filesystem::create_directories(path);
        std::filesystem::copy_file(std::filesystem::path(PELMORA_DATA_DIR) / "Atom.txt", path / "Atom.txt",
                                   std::filesystem::copy_options::overwrite_existing);
        return path;
    }();
    return folder;
}

QString SheetFile(int atoms)
{
    const auto file = WorkFolder() / ("sheet-" + std::to_string(atoms) + ".xyz");
    if (!std::filesystem::exists(file))
        std::ofstream(file, std::ios::binary) << MakeXyzText(atoms);
    return QString::fromStdString(file.string());
}

// A trajectory of `frames` frames of the sheet; each frame shown is read, rebuilt and drawn anew,
// whatever its atoms.
QString TrajectoryFile(int atoms, int frames)
{
    const auto file = WorkFolder() / ("trajectory-" + std::to_string(atoms) + ".xyz");
    if (!std::filesystem::exists(file)) {
        const std::string frame = MakeXyzText(atoms);
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < frames; ++i)
            out << frame;
    }
    return QString::fromStdString(file.string());
}

std::unique_ptr<TFormMain> MakeWindow()
{
    auto window =
        std::make_unique<TFormMain>(QString::fromStdString(WorkFolder().string()), TFormMainDialogs::Silent());
    window->resize(900, 600);
    window->show();
    QCoreApplication::processEvents();
    return window;
}

void RemoveSettings()
{
    std::filesystem::remove(
        std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).replace_extension(".ini"));
}

void BM_AngleBarStepWithSticks(benchmark::State& state)
{
    RemoveSettings();
    auto window = MakeWindow();
    window->ScrollBarStick->setValue(54);
    window->CheckBoxDrawLink->setChecked(true);
    window->OpenFile(SheetFile(static_cast<int>(state.range(0))));
    int position = 0;
    for (auto _ : state) {
        position = (position + 10) % 3600;
        window->ScrollBarAx->setValue(position);
        window->FrameBmp1->repaint();
    }
    state.counters["sticks"] = window->Pipeline().Model().LStick.FCount;
    window->close();
    RemoveSettings();
}
BENCHMARK(BM_AngleBarStepWithSticks)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_DragStepWithSticks(benchmark::State& state)
{
    RemoveSettings();
    auto window = MakeWindow();
    window->ScrollBarStick->setValue(54);
    window->CheckBoxDrawLink->setChecked(true);
    window->OpenFile(SheetFile(static_cast<int>(state.range(0))));
    QWidget* view = window->FrameBmp1->PaintBoxMain;
    const QPoint start(view->width() / 2, view->height() / 2);
    const auto send = [view](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), view->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        // Four pixels a move, back and forth across a fifth of the view.
        step = (step + 1) % 40;
        const int dx = step < 20 ? 4 * step : 4 * (40 - step);
        send(QEvent::MouseMove, start + QPoint(dx + 10, 0), Qt::NoButton, Qt::LeftButton);
        view->repaint();
    }
    send(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    state.counters["sticks"] = window->Pipeline().Model().LStick.FCount;
    window->close();
    RemoveSettings();
}
BENCHMARK(BM_DragStepWithSticks)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_OpenFileInTheWindow(benchmark::State& state)
{
    RemoveSettings();
    auto window = MakeWindow();
    window->ScrollBarStick->setValue(54);
    window->CheckBoxDrawLink->setChecked(true);
    const QString file = SheetFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window->OpenFile(file);
        window->FrameBmp1->repaint();
    }
    window->close();
    RemoveSettings();
}
BENCHMARK(BM_OpenFileInTheWindow)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PlayTrajectoryWithSticks(benchmark::State& state)
{
    RemoveSettings();
    auto window = MakeWindow();
    window->ScrollBarStick->setValue(54);
    window->CheckBoxDrawLink->setChecked(true);
    window->OpenFile(TrajectoryFile(static_cast<int>(state.range(0)), 50));
    window->SpinEditRate->setValue(25);
    constexpr int PlayMilliseconds = 2000;
    std::int64_t shown = 0;
    std::int64_t skipped = 0;
    for (auto _ : state) {
        window->SpeedButtonPlayClick(nullptr);
        QElapsedTimer played;
        played.start();
        while (played.elapsed() < PlayMilliseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        window->SpeedButtonPlayClick(nullptr);
        shown += window->Player().FramesShown();
        skipped += window->Player().FramesSkipped();
    }
    const double seconds = static_cast<double>(state.iterations()) * PlayMilliseconds / 1000;
    state.counters["shown_per_s"] = static_cast<double>(shown) / seconds;
    state.counters["skipped_per_s"] = static_cast<double>(skipped) / seconds;
    window->close();
    RemoveSettings();
}
BENCHMARK(BM_PlayTrajectoryWithSticks)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_ConstructWindowWithSavedState(benchmark::State& state)
{
    {
        auto window = MakeWindow();
        window->ScrollBarAx->setValue(450);
        window->CheckBoxDrawLink->setChecked(true);
        window->close();
    }
    for (auto _ : state) {
        TFormMain window(QString::fromStdString(WorkFolder().string()), TFormMainDialogs::Silent());
        benchmark::DoNotOptimize(window.ScrollBarAx->value());
    }
    RemoveSettings();
}
BENCHMARK(BM_ConstructWindowWithSavedState)->Unit(benchmark::kMillisecond);

void BM_SaveWindowState(benchmark::State& state)
{
    auto window = MakeWindow();
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveToFileIni(window.get(), QStringLiteral("0|2")));
    RemoveSettings();
}
BENCHMARK(BM_SaveWindowState)->Unit(benchmark::kMillisecond);

}  // namespace
