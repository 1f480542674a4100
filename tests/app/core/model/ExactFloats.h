#ifndef PELMORA_TESTS_APP_CORE_MODEL_EXACTFLOATS_H
#define PELMORA_TESTS_APP_CORE_MODEL_EXACTFLOATS_H

// What the exactness tests compare with: every rounding to single precision goes through a
// volatile float, a store to memory that no optimiser may skip, and results are compared bit for
// bit. Random coordinates and angles come from a fixed start, the same every run.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>

#include "Projection.h"

inline float Rounded(double value)
{
    volatile float stored = static_cast<float>(value);
    return stored;
}

inline std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

#define EXPECT_SAME_FLOAT(actual, expected) EXPECT_EQ(Bits(actual), Bits(expected)) << (actual) << " vs " << (expected)

class RandomPoints {
public:
    explicit RandomPoints(unsigned start) : engine_(start) {}

    float Coordinate() { return Rounded(coordinate_(engine_)); }
    int Angle() { return angle_(engine_); }
    MPoint3DN<float> Point(int element) { return {Coordinate(), Coordinate(), Coordinate(), element, -1}; }

private:
    std::mt19937 engine_;
    std::uniform_real_distribution<double> coordinate_{-40.0, 40.0};
    std::uniform_int_distribution<int> angle_{0, AngleBarMaximum};
};

#endif
