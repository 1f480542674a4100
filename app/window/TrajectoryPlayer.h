#ifndef PELMORA_APP_WINDOW_TRAJECTORYPLAYER_H
#define PELMORA_APP_WINDOW_TRAJECTORYPLAYER_H

// Plays the frames of a trajectory at a rate in frames per second, looping. A timer asks for the
// frame that is due by the time elapsed since the start, so when showing a frame takes longer
// than a frame lasts, the frames in between are skipped, never queued, and the window stays
// responsive between steps. At most one step runs at a time: a tick that comes while a frame is
// being shown does nothing.

#include <QElapsedTimer>
#include <QObject>

#include <cstdint>
#include <functional>

class QTimer;

class TTrajectoryPlayer : public QObject {
    Q_OBJECT
public:
    // Milliseconds from any fixed point; the tests give a clock of their own.
    using Clock = std::function<std::int64_t()>;

    explicit TTrajectoryPlayer(QObject* parent = nullptr, Clock clock = {});

    // Shows a frame (1-based); false when it could not be shown, which stops the playing.
    std::function<bool(int frame)> ShowFrame;

    // Starts at frame `shown` of frameCount (the one on screen, which counts as shown).
    void Start(int shown, int frameCount, int framesPerSecond);
    void Stop();
    [[nodiscard]] bool IsPlaying() const { return playing_; }
    // A new rate goes on from the frame shown, without a jump.
    void SetRate(int framesPerSecond);
    // Asks for the frame due now; the timer calls it.
    void Tick();

    // The frame (1-based) due elapsedMs after startFrame was shown, at that rate, looping.
    [[nodiscard]] static int DueFrame(int startFrame, int frameCount, std::int64_t elapsedMs, int framesPerSecond);

    [[nodiscard]] int Shown() const { return shown_; }
    // Frames shown and skipped since the start, for the read-out of how playing keeps up.
    [[nodiscard]] std::int64_t FramesShown() const { return framesShown_; }
    [[nodiscard]] std::int64_t FramesSkipped() const { return framesSkipped_; }

signals:
    void PlayingChanged(bool playing);

private:
    void Anchor();

    Clock clock_;
    QTimer* timer_ = nullptr;
    bool playing_ = false;
    bool stepping_ = false;
    int frameCount_ = 1;
    int rate_ = 10;
    int shown_ = 1;
    int startFrame_ = 1;
    std::int64_t startMs_ = 0;
    std::int64_t framesShown_ = 0;
    std::int64_t framesSkipped_ = 0;
};

#endif
