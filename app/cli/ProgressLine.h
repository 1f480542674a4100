#ifndef PELMORA_APP_CLI_PROGRESSLINE_H
#define PELMORA_APP_CLI_PROGRESSLINE_H

// One line on a terminal that tells what a long run is doing. Nothing is written for the first
// second, so quick runs stay silent; then the step under way and the seconds gone are written
// over the line again and again from a thread of its own, and the line is erased when the run
// ends. A message written meanwhile goes through Write, so that it starts on a clean line.
// Work of many items (frames, files) is counted: the line then tells how many of them are done,
// at what rate, and the time left at that rate.

#include <chrono>
#include <cstddef>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // Writes to out only when enabled (out being a terminal): the step after quiet has passed,
    // then every interval.
    ProgressLine(std::ostream& out, bool enabled, Clock::duration quiet = std::chrono::seconds(1),
                 Clock::duration interval = std::chrono::milliseconds(250));
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The step now under way, counting nothing; any thread may call it.
    void Step(const std::string& step);
    // Work of total items begins, told as step ("drawing frames"); any thread may then call
    // CountOne as each item is done.
    void Count(const std::string& step, std::size_t total);
    void CountOne();
    // The counted part of the line: "12 of 40 done, 3.1/s, 9 s left" after seconds of counting
    // (the rate and time left once the first item is done).
    static std::string CountText(std::size_t done, std::size_t total, double seconds);

    // A callback that calls Step, for the scene pipeline.
    std::function<void(const char* step)> Reporter();

    // Erases the line of the progress line now shown, if any.
    static void EraseShown();
    // Writes text to stream on a clean line: the progress line now shown is erased first, and
    // is not written again before the text is out.
    static void Write(std::ostream& stream, std::string_view text);

private:
    void Run();
    void WriteLine();
    void Erase();

    std::ostream& out_;
    const Clock::time_point start_;
    const Clock::duration quiet_;
    const Clock::duration interval_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::string step_;
    std::size_t total_ = 0;  // 0: nothing counted
    std::size_t done_ = 0;
    Clock::time_point countStart_;
    bool stopping_ = false;
    bool shown_ = false;
    std::thread thread_;
};

#endif
