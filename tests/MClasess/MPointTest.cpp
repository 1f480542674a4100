#include "MPoint.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace {

TEST(MPointTest, EqualityAndOrder)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        MPoint<float> left, right;
        bool equal, greater;
    };
    const Case kCases[] = {
        {"same point", {1, 2}, {1, 2}, true, false},
        {"same distance, other place", {3, 4}, {5, 0}, false, false},
        {"farther", {3, 4.5f}, {5, 0}, false, true},
        {"nearer", {0, -1}, {0, 2}, false, false},
        // The squares overflow single precision; in long double the farther point still wins.
        {"beyond single precision", {2e20f, 0}, {1e20f, 0}, false, true},
        {"NaN is never equal", {nan, 0}, {nan, 0}, false, false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.equal, c.left == c.right);
        EXPECT_EQ(c.greater, c.left > c.right);
    }
}

template <class T>
std::vector<std::uint8_t> ImageOf(T x, T y)
{
    std::vector<std::uint8_t> bytes(2 * sizeof(T));
    std::memcpy(bytes.data(), &x, sizeof(T));
    std::memcpy(bytes.data() + sizeof(T), &y, sizeof(T));
    return bytes;
}

TEST(MPointTest, StreamFormIsXThenY)
{
    MMemoryStream stream;
    const MPoint<double> cursor{0.25, -1e300};
    ASSERT_TRUE(cursor.SaveToStream(&stream));
    EXPECT_EQ(ImageOf(0.25, -1e300), stream.Bytes());

    const MPoint<float> mark{1.5f, 2.5f};
    MMemoryStream marks;
    ASSERT_TRUE(mark.SaveToStream(&marks));
    EXPECT_EQ(8, marks.Size());
    marks.Seek(0);
    MPoint<float> read;
    ASSERT_TRUE(read.LoadFromStream(&marks));
    EXPECT_EQ(mark, read);
}

TEST(MPointTest, NullOrShortStreamsFailAndLeaveThePoint)
{
    MPoint<float> point{7, 8};
    EXPECT_FALSE(point.SaveToStream(nullptr));
    EXPECT_FALSE(point.LoadFromStream(nullptr));

    // x is there, y is not: nothing of the half-read point may stick.
    MMemoryStream shortStream(std::vector<std::uint8_t>(6, 0));
    EXPECT_FALSE(point.LoadFromStream(&shortStream));
    EXPECT_EQ((MPoint<float>{7, 8}), point);
}

}  // namespace
