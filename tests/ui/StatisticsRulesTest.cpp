#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include "ui/StatisticsRules.h"

TEST(ThroughputHistory, ThreePacketsStore1500AndReadCurrent3) {
    ThroughputHistory h;
    h.AddSample(3);
    EXPECT_EQ(1500, h.Sample(0));
    EXPECT_EQ(1500u, h.MaxSample());
    GraphPaintPlan plan;
    PlanGraphPaint(h, 300, 60, plan);
    EXPECT_EQ(3u, plan.currentPerSecond);
    EXPECT_STREQ(" Max.= 3 packets/sec.\n Current = 3 packets/sec.", plan.text.c_str());
}

TEST(ThroughputHistory, NoTrafficReadsZeroAndDrawsNoLine) {
    ThroughputHistory h;
    GraphPaintPlan plan;
    PlanGraphPaint(h, 300, 60, plan);
    EXPECT_STREQ(" Max.= 0 packets/sec.\n Current = 0 packets/sec.", plan.text.c_str());
    EXPECT_EQ(300, plan.count);
    for (int32_t i = 0; i < plan.count; ++i)
        EXPECT_FALSE(plan.columns[i].line) << i;
    EXPECT_EQ(1000u, h.Scale());
}

TEST(ThroughputHistory, ShiftsNewestInAndOldestOutWhileMaximumStays) {
    ThroughputHistory h;
    h.AddSample(7);
    for (int32_t i = 0; i < kThroughputSamples - 1; ++i)
        h.AddSample(1);
    EXPECT_EQ(3500, h.Sample(kThroughputSamples - 1)); // the first sample, oldest now
    h.AddSample(2);
    EXPECT_EQ(1000, h.Sample(0));
    EXPECT_EQ(500, h.Sample(kThroughputSamples - 1)); // the 7 fell off
    EXPECT_EQ(3500u, h.MaxSample());                  // the maximum never decreases
    EXPECT_EQ(3500u, h.Scale());
}

TEST(ThroughputHistory, HugeCountsStayPositiveInTheHistory) {
    ThroughputHistory h;
    h.AddSample(UINT32_MAX);
    EXPECT_GT(h.Sample(0), 0);
    EXPECT_LE(static_cast<uint32_t>(h.Sample(0)), static_cast<uint32_t>(INT32_MAX));
    EXPECT_EQ(static_cast<uint32_t>(h.Sample(0)), h.MaxSample());
    h.AddSample(4294967); // the largest count that fits exactly
    EXPECT_EQ(2147483500, h.Sample(0));
    GraphPaintPlan plan;
    PlanGraphPaint(h, 10, 41, plan);
    EXPECT_EQ(0, plan.columns[0].top);
    EXPECT_EQ(4294967u, plan.currentPerSecond);
}

TEST(ThroughputSample, FirstReadingAndBackwardsCounterAddNoSample) {
    uint32_t previous = 0, packets = 99;
    EXPECT_FALSE(NextThroughputSample(1000, previous, packets));
    EXPECT_EQ(1000u, previous);
    EXPECT_TRUE(NextThroughputSample(1003, previous, packets));
    EXPECT_EQ(3u, packets);
    EXPECT_TRUE(NextThroughputSample(1003, previous, packets));
    EXPECT_EQ(0u, packets);
    // The driver restarted: a fresh start, not four billion packets.
    EXPECT_FALSE(NextThroughputSample(12, previous, packets));
    EXPECT_EQ(12u, previous);
    EXPECT_TRUE(NextThroughputSample(20, previous, packets));
    EXPECT_EQ(8u, packets);
}

TEST(ThroughputSample, BackwardsCounterLeavesTheScaleAlone) {
    ThroughputHistory h;
    uint32_t previous = 0, packets = 0;
    for (uint32_t count : {100u, 102u, 5u, 6u})
        if (NextThroughputSample(count, previous, packets))
            h.AddSample(packets);
    EXPECT_EQ(1000u, h.MaxSample());
    EXPECT_EQ(500, h.Sample(0));
    EXPECT_EQ(1000, h.Sample(1));
}

TEST(GraphPaint, NewestAtTheRightEdgeAndTwoPacketsFillTheHeight) {
    ThroughputHistory h;
    h.AddSample(2); // 1000: the scale floor
    h.AddSample(1); // 500
    h.AddSample(0);
    GraphPaintPlan plan;
    PlanGraphPaint(h, 224, 41, plan);
    EXPECT_EQ(40, plan.baseline);
    EXPECT_EQ(223, plan.columns[0].x);
    EXPECT_FALSE(plan.columns[0].line);
    EXPECT_EQ(222, plan.columns[1].x);
    EXPECT_TRUE(plan.columns[1].line);
    EXPECT_EQ(20, plan.columns[1].top);
    EXPECT_EQ(221, plan.columns[2].x);
    EXPECT_EQ(0, plan.columns[2].top);
    EXPECT_EQ(224, plan.count); // one column per pixel, not all 300 samples
    EXPECT_EQ(0, plan.columns[223].x);
}

TEST(GraphPaint, LargerMaximumScalesColumnsDown) {
    ThroughputHistory h;
    h.AddSample(3); // 1500 sets the scale
    h.AddSample(1); // 500: a third of 40 is 13.3
    GraphPaintPlan plan;
    PlanGraphPaint(h, 400, 41, plan);
    EXPECT_EQ(27, plan.columns[0].top);
    EXPECT_EQ(0, plan.columns[1].top);
    EXPECT_EQ(300, plan.count); // wider than the history
    EXPECT_EQ(100, plan.columns[299].x);
}

TEST(GraphPaint, EmptyClientDrawsNoColumns) {
    ThroughputHistory h;
    h.AddSample(5);
    GraphPaintPlan plan;
    PlanGraphPaint(h, 0, 40, plan);
    EXPECT_EQ(0, plan.count);
    PlanGraphPaint(h, 100, 0, plan);
    EXPECT_EQ(0, plan.count);
    PlanGraphPaint(h, 100, 1, plan); // one row: only the baseline, nothing above it
    EXPECT_EQ(100, plan.count);
    EXPECT_FALSE(plan.columns[0].line);
}

TEST(StatisticsTexts, CountersAndErrorSumsShowUnsigned) {
    AdapterStatusSnapshot s;
    memset(&s, 0, sizeof s);
    s.txPackets = 3000000000u; // beyond INT32_MAX: no minus sign
    s.rxPackets = 17;
    s.txErrorCount1 = 1;
    s.txErrorCount6 = 2;
    s.rxErrorCount3 = 5;
    StatisticsTexts t = ComposeStatisticsTexts(s);
    EXPECT_STREQ("3000000000", t.transmitPackets.c_str());
    EXPECT_STREQ("17", t.receivePackets.c_str());
    EXPECT_STREQ("3", t.transmitErrors.c_str());
    EXPECT_STREQ("5", t.receiveErrors.c_str());
}
