// The Statistics page's numbers: the throughput history a CThroughputGraph
// keeps, the samples taken from the packet counters, the page's texts, and
// the graph's painting worked out as data so that WM_PAINT only draws.
// Pure code.
#pragma once

#include <stdint.h>

#include "adapter/AdapterRecords.h"
#include "framework/CString.h"

constexpr int32_t kThroughputSamples = 300;      // history length, index 0 the newest
constexpr int32_t kThroughputFactor = 500;       // a sample is packets x 500
constexpr uint32_t kThroughputScaleFloor = 1000; // smallest full-height value: 2 packets

class ThroughputHistory {
public:
    // Shifts the history by one (the oldest falls off) and stores
    // packets x 500 as sample 0, raising the maximum. Counts above
    // INT32_MAX / 500 are stored as that many: a sample never wraps.
    void AddSample(uint32_t packets);

    int32_t Sample(int32_t i) const { return samples_[i]; } // 0 <= i < 300
    uint32_t MaxSample() const { return maxSample_; }       // never decreases
    // The value that fills the graph's height: the maximum, at least 1000.
    uint32_t Scale() const;

private:
    uint32_t maxSample_ = 0;
    int32_t samples_[kThroughputSamples] = {};
};

// The packets counted since the previous reading of a counter. `previous`
// is 0 when there is none (the first tick after the page became active);
// it is always replaced by `count`. False when no sample is to be added:
// no previous reading, or a counter that went backwards (the driver
// restarted), which counts as a fresh start rather than a huge spike.
bool NextThroughputSample(uint32_t count, uint32_t& previous, uint32_t& packets);

// The page's four counter texts, "%u" each (counters are unsigned; they
// never show as negative).
struct StatisticsTexts {
    CString transmitErrors;  // 1020 (hidden): sum of the six transmit error counters
    CString transmitPackets; // 1012
    CString receiveErrors;   // 1022 (hidden): sum of the three receive error counters
    CString receivePackets;  // 1021
};
StatisticsTexts ComposeStatisticsTexts(const AdapterStatusSnapshot& snapshot);

// One sample's column: a line from (x, baseline) up to (x, top) when `line`
// is set (zero samples draw nothing).
struct GraphColumn {
    int32_t x;
    int32_t top;
    bool line;
};

// Everything a graph's WM_PAINT draws after filling its client rectangle
// black: the columns in the pen colour, newest at the right edge, and the
// two lines of text, white on black at the top left.
struct GraphPaintPlan {
    int32_t baseline;                        // client height - 1
    int32_t count;                           // columns[0..count): one per visible sample
    GraphColumn columns[kThroughputSamples]; // columns[i] shows sample i
    uint32_t maxPerSecond;                   // maximum / 500
    uint32_t currentPerSecond;               // sample 0 / 500
    CString text;                            // " Max.= %d packets/sec.\n Current = %d packets/sec."
};

// Sample i sits at x = width - 1 - i while x >= 0; its top is
// baseline - trunc(sample / scale x baseline).
void PlanGraphPaint(const ThroughputHistory& history, int32_t clientWidth, int32_t clientHeight,
                    GraphPaintPlan& plan);
