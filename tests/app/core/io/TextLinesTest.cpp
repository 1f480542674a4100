#include "TextLines.h"

#include <gtest/gtest.h>

#include <random>

#include "TextBuffer.h"

namespace {

// Texts of a few characters where line ends are as likely as letters: every mix of CR, LF and
// CR LF, with and without a final line end, and runs of empty lines.
std::vector<std::string> MixedTexts()
{
    std::vector<std::string> texts = {"", "\n", "\r", "\r\n", "a", "a\r\nb\rc\n\nd", "\r\r\n\n\r", "x\r"};
    std::mt19937 random(11);
    const char alphabet[] = {'a', ' ', '\r', '\n'};
    for (int i = 0; i < 400; ++i) {
        std::string text(random() % 24, ' ');
        for (char& c : text)
            c = alphabet[random() % 4];
        texts.push_back(text);
    }
    return texts;
}

std::vector<std::string> WalkedLines(const TextLines& lines, std::size_t from, std::size_t to)
{
    std::vector<std::string> found;
    for (std::size_t start = from; start < to; start = lines.NextLine(start))
        found.emplace_back(lines.LineAt(start));
    return found;
}

// The text buffer's split is the rule: walking the lines in place must find the same lines.
TEST(TextLinesTest, WalkingFindsTheLinesTheTextBufferSplits)
{
    for (const std::string& text : MixedTexts()) {
        SCOPED_TRACE(testing::PrintToString(text));
        const TextLines lines(text);
        const std::vector<std::string> expected = SplitLines(text);
        EXPECT_EQ(WalkedLines(lines, 0, text.size()), expected);
        EXPECT_EQ(lines.CountLines(0, text.size()), std::int64_t(expected.size()));

        std::size_t start = 0;
        EXPECT_TRUE(lines.Skip(start, std::int64_t(expected.size())));
        EXPECT_EQ(start, text.size());
        start = 0;
        EXPECT_FALSE(lines.Skip(start, std::int64_t(expected.size()) + 1));

        // From any position, the next line start is one the walk passes through.
        std::vector<std::size_t> starts;
        for (std::size_t s = 0; s < text.size(); s = lines.NextLine(s))
            starts.push_back(s);
        starts.push_back(text.size());
        for (std::size_t position = 0; position <= text.size(); ++position) {
            const std::size_t found = lines.LineStartFrom(position);
            EXPECT_EQ(found, *std::lower_bound(starts.begin(), starts.end(), position)) << position;
        }
    }
}

TEST(TextLinesTest, SplittingAtLineEndsKeepsEveryLineWholeAndInOrder)
{
    for (const std::string& text : MixedTexts()) {
        SCOPED_TRACE(testing::PrintToString(text));
        const TextLines lines(text);
        const std::vector<std::string> expected = SplitLines(text);
        for (const int parts : {1, 2, 3, 7}) {
            const std::vector<std::size_t> bounds = lines.SplitAtLineEnds(0, text.size(), parts);
            ASSERT_GE(bounds.size(), 2u);
            EXPECT_LE(bounds.size(), std::size_t(parts) + 1);
            std::vector<std::string> joined;
            for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
                if (!text.empty()) {
                    EXPECT_LT(bounds[i], bounds[i + 1]);
                }
                for (const std::string& line : WalkedLines(lines, bounds[i], bounds[i + 1]))
                    joined.push_back(line);
            }
            EXPECT_EQ(joined, expected) << parts << " parts";
        }
    }
}

TEST(TextLinesTest, BlanksAndLineEndsAreBlank)
{
    const TextLines lines("C 0 0 0\n \t\r\n\x01\n");
    EXPECT_FALSE(lines.BlankFrom(0));
    EXPECT_TRUE(lines.BlankFrom(7));
    EXPECT_TRUE(lines.BlankFrom(100));
}

TEST(TextLinesTest, TheLineBeforeALineStartIsBlankOrNot)
{
    struct Case {
        std::string text;
        std::size_t start;
        bool blank;
    };
    const Case cases[] = {
        {"a\n\nb", 3, true},     {"a\n \t\nb", 5, true},     {"a\nx\nb", 4, false},
        {"a\r\n\r\nb", 5, true}, {"a\r\n x\r\nb", 7, false}, {"a\r\rb", 3, true},
        {"a\nb", 2, false},      {"\nb", 1, true},           {"b", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(TextLines(c.text).LineBeforeIsBlank(c.start), c.blank);
    }
}

}  // namespace
