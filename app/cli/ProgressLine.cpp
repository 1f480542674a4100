#include "ProgressLine.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr const char* Prefix = "pelmora: ";
// Back to the start of the line and clear it.
constexpr const char* EraseLine = "\r\x1b[K";

std::mutex activeMutex;
ProgressLine* active = nullptr;

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, bool enabled, Clock::duration quiet, Clock::duration interval)
    : out_(out), start_(Clock::now()), quiet_(quiet), interval_(interval)
{
    if (!enabled)
        return;
    {
        const std::lock_guard lock(activeMutex);
        active = this;
    }
    thread_ = std::thread([this] { Run(); });
}

ProgressLine::~ProgressLine()
{
    if (!thread_.joinable())
        return;
    {
        const std::lock_guard lock(activeMutex);
        active = nullptr;
    }
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    const std::lock_guard lock(mutex_);
    Erase();
}

void ProgressLine::Step(const std::string& step)
{
    const std::lock_guard lock(mutex_);
    step_ = step;
    total_ = 0;
}

void ProgressLine::Count(const std::string& step, std::size_t total)
{
    const std::lock_guard lock(mutex_);
    step_ = step;
    total_ = total;
    done_ = 0;
    countStart_ = Clock::now();
}

void ProgressLine::CountOne()
{
    const std::lock_guard lock(mutex_);
    ++done_;
}

std::string ProgressLine::CountText(std::size_t done, std::size_t total, double seconds)
{
    std::string text = std::to_string(done) + " of " + std::to_string(total) + " done";
    if (done == 0 || seconds <= 0)
        return text;
    const double rate = static_cast<double>(done) / seconds;
    const double left = static_cast<double>(total - std::min(done, total)) / rate;
    char figures[64];
    std::snprintf(figures, sizeof figures, ", %.*f/s, %.0f s left", rate < 10 ? 1 : 0, rate, left);
    return text + figures;
}

std::function<void(const char* step)> ProgressLine::Reporter()
{
    return [this](const char* step) { Step(step); };
}

void ProgressLine::EraseShown()
{
    const std::lock_guard activeLock(activeMutex);
    if (active == nullptr)
        return;
    const std::lock_guard lock(active->mutex_);
    active->Erase();
}

void ProgressLine::Write(std::ostream& stream, std::string_view text)
{
    if (text.empty())
        return;
    const std::lock_guard activeLock(activeMutex);
    std::unique_lock<std::mutex> lock;
    if (active != nullptr) {
        lock = std::unique_lock(active->mutex_);
        active->Erase();
    }
    stream << text << std::flush;
}

void ProgressLine::Run()
{
    std::unique_lock lock(mutex_);
    if (wake_.wait_until(lock, start_ + quiet_, [this] { return stopping_; }))
        return;
    while (!stopping_) {
        WriteLine();
        wake_.wait_for(lock, interval_, [this] { return stopping_; });
    }
}

void ProgressLine::WriteLine()
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", std::chrono::duration<double>(Clock::now() - start_).count());
    out_ << EraseLine << Prefix << (step_.empty() ? "working" : step_);
    if (total_ > 0)
        out_ << ", "
             << CountText(done_, total_, std::chrono::duration<double>(Clock::now() - countStart_).count());
    out_ << "... " << seconds << std::flush;
    shown_ = true;
}

void ProgressLine::Erase()
{
    if (!shown_)
        return;
    out_ << EraseLine << std::flush;
    shown_ = false;
}
