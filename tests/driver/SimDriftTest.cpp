// The world in motion as functions of the time: wandering signal, traffic
// bursts, periodic loss of range, rate by signal.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <set>

#include "driver/SimDrift.h"

namespace {

const uint64_t kSecond = SIM_TICKS_PER_SECOND;
// Some day in 2004, in 100 ns units since 1601, as the driver's clock runs.
const uint64_t kT0 = 127200000000000000ull;

TEST(SimDrift, NoDepthKeepsTheSignalWithinTheScale) {
    EXPECT_EQ(40, SimDriftSignal(40, 0, 0, kT0));
    EXPECT_EQ(40, SimDriftSignal(40, 0, 3, kT0 + 123 * kSecond));
    EXPECT_EQ(95, SimDriftSignal(200, 0, 0, kT0));
    EXPECT_EQ(0, SimDriftSignal(-5, 0, 0, kT0));
}

TEST(SimDrift, SignalWandersWithinItsDepthAndVisitsMostOfIt) {
    const int32_t base = 32;
    const uint32_t depth = 22;
    int32_t low = 95, high = 0;
    std::set<int32_t> seen;
    for (uint64_t s = 0; s < 600; ++s) {
        int32_t v = SimDriftSignal(base, depth, 0, kT0 + s * kSecond);
        ASSERT_GE(v, base - static_cast<int32_t>(depth)) << s;
        ASSERT_LE(v, base + static_cast<int32_t>(depth)) << s;
        low = v < low ? v : low;
        high = v > high ? v : high;
        seen.insert(v);
    }
    EXPECT_LE(low, base - 15);
    EXPECT_GE(high, base + 15);
    EXPECT_GE(seen.size(), 25u);
}

TEST(SimDrift, SignalMovesSmoothlyBetweenSeconds) {
    for (uint64_t t = kT0; t < kT0 + 120 * kSecond; t += kSecond / 10) {
        int32_t a = SimDriftSignal(50, 30, 1, t);
        int32_t b = SimDriftSignal(50, 30, 1, t + kSecond / 10);
        // At most 2 x depth per knot interval, spread over its tenths.
        ASSERT_LE(abs(a - b), 2) << (t - kT0);
    }
}

TEST(SimDrift, SameTimeGivesTheSameSignalAndNetworksWanderApart) {
    int differing = 0;
    for (uint64_t s = 0; s < 60; ++s) {
        uint64_t t = kT0 + s * kSecond;
        EXPECT_EQ(SimDriftSignal(50, 20, 0, t), SimDriftSignal(50, 20, 0, t));
        differing += SimDriftSignal(50, 20, 0, t) != SimDriftSignal(50, 20, 1, t);
    }
    EXPECT_GT(differing, 30);
}

TEST(SimDrift, SignalStaysOnTheScaleNearItsEnds) {
    for (uint64_t s = 0; s < 300; ++s) {
        int32_t top = SimDriftSignal(90, 40, 2, kT0 + s * kSecond);
        int32_t bottom = SimDriftSignal(3, 40, 2, kT0 + s * kSecond);
        ASSERT_LE(top, 95);
        ASSERT_GE(bottom, 0);
    }
    EXPECT_LE(SimDriftSignal(50, 1000, 0, kT0), 95) << "depth beyond the scale";
}

TEST(SimDrift, TrafficComesInQuietSecondsOrdinaryOnesAndBurstsOfItsOwnEachWay) {
    for (uint32_t stream : {SIM_STREAM_TRANSMIT, SIM_STREAM_RECEIVE}) {
        int quiet = 0, ordinary = 0, bursts = 0;
        for (uint64_t s = 0; s < 1000; ++s) {
            uint32_t p = SimBurstPercent(kT0 / kSecond + s, stream);
            if (p <= 20)
                ++quiet;
            else if (p >= 50 && p <= 150)
                ++ordinary;
            else if (p >= 300 && p <= 700)
                ++bursts;
            else
                ADD_FAILURE() << p;
        }
        EXPECT_GT(quiet, 200) << stream;
        EXPECT_GT(ordinary, 400) << stream;
        EXPECT_GT(bursts, 120) << stream;
    }
    // The two directions burst at different seconds.
    int apart = 0;
    for (uint64_t s = 0; s < 1000; ++s) {
        bool sendBurst = SimBurstPercent(kT0 / kSecond + s, SIM_STREAM_TRANSMIT) >= 300;
        bool receiveBurst = SimBurstPercent(kT0 / kSecond + s, SIM_STREAM_RECEIVE) >= 300;
        apart += sendBurst != receiveBurst;
    }
    EXPECT_GT(apart, 200);
}

TEST(SimDrift, OutOfRangeSettingHoldsTheLinkDown) {
    EXPECT_FALSE(SimOutOfRange(0, 0, kT0));
    EXPECT_TRUE(SimOutOfRange(1, 0, kT0));
    EXPECT_TRUE(SimOutOfRange(1, 20, kT0));
}

TEST(SimDrift, RangeCycleDropsTheLinkForItsLastQuarter) {
    const uint64_t start = 1000 * 20 * kSecond; // a cycle boundary
    int out = 0;
    for (uint64_t s = 0; s < 20; ++s) {
        bool lost = SimOutOfRange(0, 20, start + s * kSecond + kSecond / 2);
        EXPECT_EQ(s >= 15, lost) << s;
        out += lost;
    }
    EXPECT_EQ(5, out);
    EXPECT_FALSE(SimOutOfRange(0, 20, start + 20 * kSecond)) << "back at the next cycle";
    // Short cycles keep a second in range.
    EXPECT_FALSE(SimOutOfRange(0, 1, 0));
    EXPECT_TRUE(SimOutOfRange(0, 1, kSecond));
    EXPECT_FALSE(SimOutOfRange(0, 3, 0));
    EXPECT_TRUE(SimOutOfRange(0, 3, 2 * kSecond));
}

TEST(SimDrift, RateFallsStepwiseWithTheSignal) {
    EXPECT_EQ(54u, SimRateForSignal(95));
    EXPECT_EQ(54u, SimRateForSignal(30));
    EXPECT_EQ(48u, SimRateForSignal(29));
    EXPECT_EQ(12u, SimRateForSignal(10));
    EXPECT_EQ(6u, SimRateForSignal(0));
    for (int32_t s = 1; s <= 95; ++s)
        EXPECT_GE(SimRateForSignal(s), SimRateForSignal(s - 1)) << s;
}

} // namespace
