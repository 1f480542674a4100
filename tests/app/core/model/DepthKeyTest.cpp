#include "DepthKey.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// The depth keys the keyed sorts compare in place of the depths themselves.
TEST(DepthKey, OrdersLikeTheFloatsAndBothZerosAreOne)
{
    const float values[] = {
        -std::numeric_limits<float>::infinity(), -3e38f, -1.5f, -1e-45f, -0.0f, 0.0f, 1e-45f, 1e-38f, 0.5f, 1.5f, 3e38f,
        std::numeric_limits<float>::infinity()};
    for (const float a : values) {
        for (const float b : values) {
            SCOPED_TRACE(testing::Message() << a << " vs " << b);
            EXPECT_EQ(DepthKey(a) > DepthKey(b), a > b);
            EXPECT_EQ(DepthKey(a) == DepthKey(b), a == b);
        }
    }
}

}  // namespace
