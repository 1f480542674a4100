// The values of --frame, --shard and --size, and the frames a selection takes from a file.

#include "FrameSelection.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "PictureSize.h"

namespace {

std::vector<int> FramesOr(const std::string& selection, int frameCount, std::string& error)
{
    const auto parsed = ParseFrameSelection(QString::fromStdString(selection));
    if (const auto* wrong = std::get_if<std::string>(&parsed)) {
        error = *wrong;
        return {};
    }
    const auto frames = std::get<FrameSelection>(parsed).FramesOf(frameCount);
    if (const auto* wrong = std::get_if<std::string>(&frames)) {
        error = *wrong;
        return {};
    }
    return std::get<std::vector<int>>(frames);
}

TEST(FrameSelection, SelectionsTakeTheirFramesOrSayWhatIsWrong)
{
    struct Case {
        const char* selection;
        int frameCount;
        std::vector<int> frames;
        const char* error;  // the start of the message, empty when the selection is fine
    };
    const char* malformed = "--frame takes a frame number from 1, a range A-B, A-B:S (every S-th), 'all' or 'all:S'";
    const Case cases[] = {
        {"3", 5, {3}, ""},
        {" 5 ", 5, {5}, ""},
        {"2-4", 5, {2, 3, 4}, ""},
        {"4-4", 5, {4}, ""},
        {"1-7:3", 7, {1, 4, 7}, ""},
        {"2-7:3", 7, {2, 5}, ""},
        {"all", 3, {1, 2, 3}, ""},
        {"all:2", 6, {1, 3, 5}, ""},
        {"all:10", 6, {1}, ""},
        {"6", 5, {}, "--frame 6: the file has 5 frames"},
        {"2-6", 5, {}, "--frame 6: the file has 5 frames"},
        {"7-9", 1, {}, "--frame 7: the file has 1 frame"},
        {"0", 5, {}, malformed},
        {"-1", 5, {}, malformed},
        {"4-2", 5, {}, malformed},
        {"1-", 5, {}, malformed},
        {"-3", 5, {}, malformed},
        {"1-3:0", 5, {}, malformed},
        {"1-3:", 5, {}, malformed},
        {"5:2", 5, {}, malformed},  // a step belongs to a range
        {"all:-1", 5, {}, malformed},
        {"All", 5, {}, malformed},
        {"1.5", 5, {}, malformed},
        {"99999999999", 5, {}, malformed},
        {"", 5, {}, malformed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selection);
        std::string error;
        EXPECT_EQ(FramesOr(c.selection, c.frameCount, error), c.frames);
        EXPECT_TRUE(error.starts_with(c.error)) << error;
        EXPECT_EQ(error.empty(), std::string(c.error).empty()) << error;
    }
}

TEST(FrameSelection, OnlyTheFrameNumberAloneWritesOutAsNamed)
{
    for (const char* numbered : {"1-1", "all", "2-3:1"})
        EXPECT_FALSE(std::get<FrameSelection>(ParseFrameSelection(numbered)).single) << numbered;
    EXPECT_TRUE(std::get<FrameSelection>(ParseFrameSelection("1")).single);
}

TEST(Shard, SharesAreKModuloNAndKMustBeBelowN)
{
    struct Case {
        const char* text;
        int index, count;
        const char* error;
    };
    const Case cases[] = {
        {"0/1", 0, 1, ""},
        {"2/3", 2, 3, ""},
        {"3/3", 0, 0, "--shard 3/3: K must be below N (0 to 2)"},
        {"0/0", 0, 0, "--shard takes K/N with 0 <= K < N, not '0/0'"},
        {"-1/3", 0, 0, "--shard takes K/N"},
        {"1", 0, 0, "--shard takes K/N"},
        {"1/", 0, 0, "--shard takes K/N"},
        {"a/b", 0, 0, "--shard takes K/N"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = ParseShard(c.text);
        if (const auto* error = std::get_if<std::string>(&parsed)) {
            EXPECT_TRUE(error->starts_with(c.error)) << *error;
            EXPECT_NE(std::string(c.error), "");
            continue;
        }
        EXPECT_EQ(std::get<Shard>(parsed).index, c.index);
        EXPECT_EQ(std::get<Shard>(parsed).count, c.count);
    }
    // Every position is kept by exactly one of the N shares.
    for (std::size_t position = 0; position < 10; ++position) {
        int keepers = 0;
        for (int index = 0; index < 3; ++index)
            keepers += Shard{index, 3}.Keeps(position) ? 1 : 0;
        EXPECT_EQ(keepers, 1) << position;
    }
}

TEST(PictureSize, SizesAreOneOrTwoSidesWithinTheSceneBitmap)
{
    struct Case {
        const char* text;
        int width, height;  // 0: rejected
    };
    const Case cases[] = {
        {"512", 512, 512}, {"64x32", 64, 32}, {"3000", 3000, 3000}, {"1x1", 1, 1},  {"0", 0, 0},
        {"3001", 0, 0},    {"64x", 0, 0},     {"x64", 0, 0},        {"64X32", 0, 0}, {"-5", 0, 0},
        {"1e3", 0, 0},     {"", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = ParsePictureSize(c.text);
        if (c.width == 0) {
            ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
            EXPECT_TRUE(std::get<std::string>(parsed).starts_with("--size takes W or WxH, each from 1 to 3000"));
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<PictureSize>(parsed));
        EXPECT_EQ(std::get<PictureSize>(parsed).width, c.width);
        EXPECT_EQ(std::get<PictureSize>(parsed).height, c.height);
    }
}

}  // namespace
