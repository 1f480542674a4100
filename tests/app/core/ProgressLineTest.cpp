#include "ProgressLine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Waits (at most ten seconds) until the text holds what.
bool Shows(const std::ostringstream& text, const std::string& what)
{
    for (int wait = 0; wait < 1000; ++wait) {
        if (text.str().find(what) != std::string::npos)
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

TEST(ProgressLine, AfterTheQuietTimeTheStepIsWrittenOverTheLineAndErasedAtTheEnd)
{
    std::ostringstream out;
    {
        ProgressLine progress(out, true, 0ms, 5ms);
        progress.Reporter()("sticks");
        ASSERT_TRUE(Shows(out, "pelmora: sticks... "));
        progress.Step("drawing");
        ASSERT_TRUE(Shows(out, "pelmora: drawing... "));
        ProgressLine::EraseShown();
    }
    const std::string text = out.str();
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

}  // namespace
