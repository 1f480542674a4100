#include "TrajectoryPlayer.h"

#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// The timer looks twice per frame, so a frame is asked for at most half a frame late.
constexpr int TicksPerFrame = 2;

}  // namespace

TTrajectoryPlayer::TTrajectoryPlayer(QObject* parent, Clock clock) : QObject(parent), clock_(std::move(clock))
{
    if (!clock_) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        clock_ = [started] { return static_cast<std::int64_t>(started->elapsed()); };
    }
    timer_ = new QTimer(this);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &TTrajectoryPlayer::Tick);
}

int TTrajectoryPlayer::DueFrame(int startFrame, int frameCount, std::int64_t elapsedMs, int framesPerSecond)
{
    if (frameCount < 1)
        return 1;
    const std::int64_t steps = std::max<std::int64_t>(0, elapsedMs) * std::max(1, framesPerSecond) / 1000;
    return static_cast<int>((startFrame - 1 + steps) % frameCount) + 1;
}

void TTrajectoryPlayer::Anchor()
{
    startFrame_ = shown_;
    startMs_ = clock_();
}

void TTrajectoryPlayer::Start(int shown, int frameCount, int framesPerSecond)
{
    frameCount_ = std::max(1, frameCount);
    shown_ = std::clamp(shown, 1, frameCount_);
    rate_ = std::max(1, framesPerSecond);
    framesShown_ = 0;
    framesSkipped_ = 0;
    Anchor();
    timer_->start(std::max(1, 1000 / (rate_ * TicksPerFrame)));
    if (!playing_) {
        playing_ = true;
        emit PlayingChanged(true);
    }
}

void TTrajectoryPlayer::Stop()
{
    timer_->stop();
    if (playing_) {
        playing_ = false;
        emit PlayingChanged(false);
    }
}

void TTrajectoryPlayer::SetRate(int framesPerSecond)
{
    rate_ = std::max(1, framesPerSecond);
    if (!playing_)
        return;
    Anchor();
    timer_->start(std::max(1, 1000 / (rate_ * TicksPerFrame)));
}

void TTrajectoryPlayer::Tick()
{
    if (!playing_ || stepping_ || !ShowFrame)
        return;
    const int due = DueFrame(startFrame_, frameCount_, clock_() - startMs_, rate_);
    if (due == shown_)
        return;
    const int passed = (due - shown_ + frameCount_) % frameCount_;
    const QScopedValueRollback stepping(stepping_, true);
    if (!ShowFrame(due)) {
        Stop();
        return;
    }
    framesSkipped_ += passed - 1;
    ++framesShown_;
    shown_ = due;
}
