// Playing a trajectory by the clock: the frame due by the time elapsed, looping, frames skipped
// (never queued) when showing one is slower than the rate, and never two steps at once.

#include "TrajectoryPlayer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <cstdint>
#include <vector>

TEST(TrajectoryPlayer, TheFrameDueFollowsTheTimeAndLoops)
{
    struct Case {
        int start, count;
        std::int64_t elapsedMs;
        int rate, due;
    };
    for (const Case& c : {Case{1, 5, 0, 10, 1}, Case{1, 5, 99, 10, 1}, Case{1, 5, 100, 10, 2}, Case{1, 5, 450, 10, 5},
                          Case{1, 5, 500, 10, 1}, Case{4, 5, 250, 10, 1}, Case{2, 3, 2000, 25, 1},
                          Case{1, 1, 5000, 60, 1}, Case{3, 5, -20, 10, 3}}) {
        SCOPED_TRACE(testing::Message() << c.start << " of " << c.count << " after " << c.elapsedMs << " ms");
        EXPECT_EQ(TTrajectoryPlayer::DueFrame(c.start, c.count, c.elapsedMs, c.rate), c.due);
    }
}

namespace {

// A player on a clock the test moves, whose frames take `drawMs` of that clock to show.
struct Played {
    std::int64_t now = 0;
    std::int64_t drawMs = 0;
    std::vector<int> shown;
    TTrajectoryPlayer player{nullptr, [this] { return now; }};
    Played()
    {
        player.ShowFrame = [this](int frame) {
            shown.push_back(frame);
            now += drawMs;
            return true;
        };
    }
    void RunFor(std::int64_t ms, std::int64_t tickMs)
    {
        for (std::int64_t end = now + ms; now < end; now += tickMs)
            player.Tick();
    }
};

}  // namespace

TEST(TrajectoryPlayer, SlowDrawingSkipsFramesInsteadOfFallingBehind)
{
    Played p;
    p.drawMs = 100;  // a frame takes 100 ms to show; the rate asks for one every 40 ms
    p.player.Start(1, 100, 25);
    p.RunFor(1000, 5);
    // About one second of frames went by: the frame shown is the one due now, not the tenth.
    EXPECT_GE(p.shown.back(), 24);
    EXPECT_LE(p.shown.size(), 11u);
    EXPECT_GT(p.player.FramesSkipped(), 10);
    for (std::size_t i = 1; i < p.shown.size(); ++i)
        EXPECT_GT(p.shown[i], p.shown[i - 1]);
}

TEST(TrajectoryPlayer, FastDrawingShowsEveryFrameOnceAndLoops)
{
    Played p;
    p.player.Start(2, 3, 10);
    p.RunFor(700, 10);
    EXPECT_EQ(p.shown, (std::vector<int>{3, 1, 2, 3, 1, 2}));
    EXPECT_EQ(p.player.FramesSkipped(), 0);
}

TEST(TrajectoryPlayer, ATickDuringAStepDoesNothingAndAFailedFrameStops)
{
    Played p;
    int nested = 0;
    p.player.ShowFrame = [&](int frame) {
        p.shown.push_back(frame);
        p.now += 1000;
        p.player.Tick();  // the timer firing while the frame is drawn
        ++nested;
        return frame != 3;
    };
    QSignalSpy playing(&p.player, &TTrajectoryPlayer::PlayingChanged);
    p.player.Start(1, 5, 10);
    p.now = 100;
    p.player.Tick();
    EXPECT_EQ(p.shown, (std::vector<int>{2}));
    // The nested tick came at 1.1 s, while frame 2 was drawn, and did nothing. At 1.2 s frame
    // 3 is due (1 + 12 steps of 5 frames).
    p.now = 1200;
    p.player.Tick();
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[1], 3);
    EXPECT_FALSE(p.player.IsPlaying());
    ASSERT_EQ(playing.size(), 2);
    EXPECT_FALSE(playing[1][0].toBool());
}

TEST(TrajectoryPlayer, TheTimerDrivesItAndANewRateGoesOnFromTheFrameShown)
{
    TTrajectoryPlayer player;
    std::vector<int> shown;
    player.ShowFrame = [&](int frame) {
        shown.push_back(frame);
        return true;
    };
    player.Start(1, 1000, 50);
    QTest::qWait(300);
    EXPECT_GE(shown.size(), 5u);
    const int at = player.Shown();
    player.SetRate(1);
    QTest::qWait(200);
    EXPECT_EQ(player.Shown(), at);
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
}
