#include "XyzFrames.h"

#include <gtest/gtest.h>

#include "MFunction.h"
#include "TextBuffer.h"
#include "TextLines.h"
#include "XyzReader.h"

namespace {

struct Indexed {
    bool formFrames;
    std::vector<std::int64_t> lines;  // of the count lines
    std::int64_t lineCount;           // when the lines do not form frames
    std::int64_t cutFrameLine;
};

Indexed Summary(const XyzFrameIndex& index)
{
    Indexed summary{index.FormFrames(), {}, index.LineCount, index.CutFrameLine};
    for (std::size_t i = 0; i < index.Frames.size(); ++i)
        summary.lines.push_back(index.Frames[i].Line);
    return summary;
}

// Indexes the text; each frame's count line must start at the offset of the line it names, as
// the text buffer splits the text into lines, and the first count is the first line's.
Indexed IndexOf(const std::string& text)
{
    const XyzFrameIndex index = IndexXyzFrames(TextLines(text));
    const std::vector<std::string> lines = SplitLines(text);
    EXPECT_EQ(index.FirstCount, StrToInt(lines.at(0)));
    for (std::size_t i = 0; i < index.Frames.size(); ++i) {
        EXPECT_EQ(SplitLines(text.substr(0, index.Frames[i].Start)).size(), std::size_t(index.Frames[i].Line));
        EXPECT_TRUE(text.compare(index.Frames[i].Start, lines.at(std::size_t(index.Frames[i].Line)).size(),
                                 lines.at(std::size_t(index.Frames[i].Line)))
                    == 0);
    }
    return Summary(index);
}

TEST(XyzFramesTest, TheLinesAfterTheFirstFrameAreABlankTailOrWholeFrames)
{
    struct Case {
        const char* name;
        std::string text;
        bool formFrames;
        std::vector<std::int64_t> countLines;
        std::int64_t cutFrameLine = -1;
    };
    const Case cases[] = {
        {"one frame", "2\nc\nH 0 0 0\nH 1 0 0\n", true, {0}},
        {"one frame without a final line end", "1\nc\nH 0 0 0", true, {0}},
        {"a blank tail of spaces, tabs and empty lines", "1\nc\nH 0 0 0\n  \n\t\n\n", true, {0}},
        {"three frames of different counts, CR LF", "1\r\nc\r\nH\r\n2\r\nc\r\nH\r\nH\r\n0\r\n\r\n", true, {0, 3, 7}},
        {"frames ending in a blank tail", "1\nc\nH\n1\nc\nH\n\n \n", true, {0, 3}},
        {"empty frames", "0\n\n0\n\n0\n\n", true, {0, 2, 4}},
        {"a last frame without its comment line", "0\n\n0\n", true, {0}, 2},
        {"lines ending in CR alone", "1\rc\rH\r1\rc\rH", true, {0, 3}},
        {"a count with leading spaces and a hexadecimal one", "1\nc\nH\n  $2\nc\nH\nH\n", true, {0, 3}},
        {"a first frame cut short", "3\nc\nH\nH\n", false, {}},
        {"a count line that is a word", "1\nc\nH\nx\nc\nH\n", false, {}},
        {"a negative count", "1\nc\nH\n-1\nc\n", false, {}},
        {"a later frame cut short", "1\nc\nH\n2\nc\nH\n", true, {0}, 3},
        {"a last frame cut within its count line", "1\nc\nH\n1\nc\nH\n1", true, {0, 3}, 6},
        {"a last frame of its count line alone, CR LF", "1\r\nc\r\nH\r\n1\r\nc\r\nH\r\n2\r\n", true, {0, 3}, 6},
        {"blank lines before and between frames' count lines",
         "1\nc\nH\n\n \n1\nc\nH\n\t\n1\nc\nH\n\n",
         true,
         {0, 5, 9}},
        {"a frame cut short after blank lines", "1\nc\nH\n\n2\nc\nH\n", true, {0}, 4},
        {"a tab before a later count", "1\nc\nH\n\t1\nc\nH\n", false, {}},
        {"a huge later count", "1\nc\nH\n2147483647\nc\nH\n", true, {0}, 3},
        {"a word after frames and blank lines", "1\nc\nH\n1\nc\nH\n\nx\n", false, {}},
        {"a negative first count", "-1\nc\n", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Indexed indexed = IndexOf(c.text);
        EXPECT_EQ(indexed.formFrames, c.formFrames);
        EXPECT_EQ(indexed.lines, c.countLines);
        EXPECT_EQ(indexed.cutFrameLine, c.cutFrameLine);
        if (!c.formFrames) {
            EXPECT_EQ(indexed.lineCount, std::int64_t(SplitLines(c.text).size()));
        }
    }
}

TEST(XyzFramesTest, AnEmptyFileOrAFirstCountThatIsNoNumberIsRaised)
{
    EXPECT_THROW(IndexXyzFrames(TextLines("")), XyzIndexError);
    EXPECT_THROW(IndexXyzFrames(TextLines("two\nc\n")), MConvertError);
    EXPECT_THROW(IndexXyzFrames(TextLines("two\rc")), MConvertError);
}

TEST(XyzFramesTest, AFrameEndsWhereTheNextStartsAndTheLastBeforeTheBlankTail)
{
    const std::string text = "1\nc\nH 0 0 0\n1\nc\nH 1 0 0\n\n";
    const XyzFrameIndex index = IndexXyzFrames(TextLines(text));
    ASSERT_EQ(index.Frames.size(), 2u);
    EXPECT_EQ(index.Frames[1].Start, text.find("1\nc\nH 1"));
    EXPECT_EQ(index.End, text.size() - 1);
    EXPECT_EQ(index.FirstCount, 1);
}

}  // namespace
