#include "ProgressLine.h"

#include <gtest/gtest.h>

#include <mutex>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The text written to a stream, which the test reads while the progress line's thread writes.
class SharedText : public std::streambuf {
public:
    std::string Text() const
    {
        const std::lock_guard lock(mutex_);
        return text_;
    }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const std::lock_guard lock(mutex_);
        text_.push_back(traits_type::to_char_type(c));
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        const std::lock_guard lock(mutex_);
        text_.append(text, static_cast<std::size_t>(count));
        return count;
    }

private:
    mutable std::mutex mutex_;
    std::string text_;
};

// Waits (at most ten seconds) until the text holds what.
bool Shows(const SharedText& text, const std::string& what)
{
    for (int wait = 0; wait < 1000; ++wait) {
        if (text.Text().find(what) != std::string::npos)
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

TEST(ProgressLine, AfterTheQuietTimeTheStepIsWrittenOverTheLineAndErasedAtTheEnd)
{
    SharedText shared;
    std::ostream out(&shared);
    {
        ProgressLine progress(out, true, 0ms, 5ms);
        progress.Reporter()("sticks");
        ASSERT_TRUE(Shows(shared, "pelmora: sticks... "));
        progress.Step("drawing");
        ASSERT_TRUE(Shows(shared, "pelmora: drawing... "));
        ProgressLine::EraseShown();
    }
    const std::string text = shared.Text();
    EXPECT_EQ(text.rfind("\r\x1b[K"), text.size() - 4);  // the run ends on an empty line
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_NE(text.find(" s\r\x1b[K"), std::string::npos);  // erased before a message
}

TEST(ProgressLine, QuickRunsAndOutputsThatAreNoTerminalStaySilent)
{
    std::ostringstream quick, notTerminal;
    {
        ProgressLine progress(quick, true, 1h, 5ms);
        progress.Step("sticks");
        std::this_thread::sleep_for(30ms);
    }
    {
        ProgressLine progress(notTerminal, false, 0ms, 5ms);
        progress.Step("sticks");
        std::this_thread::sleep_for(30ms);
        ProgressLine::EraseShown();
    }
    EXPECT_EQ(quick.str(), "");
    EXPECT_EQ(notTerminal.str(), "");
}

// A message written while the line is shown starts on a clean line, and the line is not written
// again halfway through it: every message comes whole, right after an erase or another message.
TEST(ProgressLine, MessagesWrittenMeanwhileStartOnACleanLine)
{
    SharedText shared;
    std::ostream out(&shared);
    {
        ProgressLine progress(out, true, 0ms, 0ms);
        progress.Step("drawing frames");
        ASSERT_TRUE(Shows(shared, "pelmora: drawing frames... "));
        for (int i = 0; i < 300; ++i)
            ProgressLine::Write(out, "pelmora: frame " + std::to_string(i) + ": out of memory\n");
    }
    const std::string text = shared.Text();
    int messages = 0;
    for (std::size_t at = text.find("pelmora: frame "); at != std::string::npos;
         at = text.find("pelmora: frame ", at + 1)) {
        ++messages;
        ASSERT_GE(at, 4u);
        EXPECT_TRUE(text[at - 1] == '\n' || text.substr(at - 4, 4) == "\r\x1b[K") << text.substr(at - 40, 80);
        EXPECT_NE(text.find(": out of memory\n", at), std::string::npos);
        EXPECT_LT(text.find(": out of memory\n", at), text.find("...", at));
    }
    EXPECT_EQ(messages, 300);
}

// Counted work tells the items done of the total, the rate, and the time left at that rate.
TEST(ProgressLine, CountedWorkTellsDoneOfTotalRateAndTimeLeft)
{
    struct Case {
        std::size_t done, total;
        double seconds;
        const char* text;
    };
    const Case cases[] = {
        {0, 40, 3.0, "0 of 40 done"},  // no rate before the first item
        {10, 40, 2.0, "10 of 40 done, 5.0/s, 6 s left"},
        {300, 1000, 10.0, "300 of 1000 done, 30/s, 23 s left"},
        {40, 40, 8.0, "40 of 40 done, 5.0/s, 0 s left"},
        {3, 7, 0.0, "3 of 7 done"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressLine::CountText(c.done, c.total, c.seconds), c.text);

    SharedText shared;
    std::ostream out(&shared);
    {
        ProgressLine progress(out, true, 0ms, 5ms);
        progress.Count("drawing files", 3);
        progress.CountOne();
        ASSERT_TRUE(Shows(shared, "pelmora: drawing files, 1 of 3 done, "));
        progress.CountOne();
        ASSERT_TRUE(Shows(shared, "pelmora: drawing files, 2 of 3 done, "));
        progress.Step("writing");  // a step counts nothing
        ASSERT_TRUE(Shows(shared, "pelmora: writing... "));
    }
    std::ostringstream notTerminal;
    {
        ProgressLine progress(notTerminal, false, 0ms, 5ms);
        progress.Count("drawing files", 3);
        progress.CountOne();
        std::this_thread::sleep_for(30ms);
    }
    EXPECT_EQ(notTerminal.str(), "");
}

}  // namespace
