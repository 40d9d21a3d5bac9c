#include "ui/StatisticsRules.h"

#include <stdint.h>

#include "adapter/StatusText.h"

void ThroughputHistory::AddSample(uint32_t packets) {
    const uint32_t most = INT32_MAX / kThroughputFactor;
    if (packets > most)
        packets = most;
    int32_t sample = static_cast<int32_t>(packets) * kThroughputFactor;
    for (int32_t k = kThroughputSamples - 1; k > 0; --k)
        samples_[k] = samples_[k - 1];
    samples_[0] = sample;
    if (static_cast<uint32_t>(sample) > maxSample_)
        maxSample_ = static_cast<uint32_t>(sample);
}

uint32_t ThroughputHistory::Scale() const {
    return maxSample_ >= kThroughputScaleFloor ? maxSample_ : kThroughputScaleFloor;
}

bool NextThroughputSample(uint32_t count, uint32_t& previous, uint32_t& packets) {
    uint32_t last = previous;
    previous = count;
    if (last == 0 || count < last)
        return false;
    packets = count - last;
    return true;
}

namespace {

CString Unsigned(uint32_t value) {
    CString text;
    text.Format("%u", static_cast<unsigned>(value));
    return text;
}

} // namespace

StatisticsTexts ComposeStatisticsTexts(const AdapterStatusSnapshot& s) {
    StatisticsTexts t;
    t.transmitErrors = Unsigned(TransmitErrorSum(s));
    t.transmitPackets = Unsigned(s.txPackets);
    t.receiveErrors = Unsigned(ReceiveErrorSum(s));
    t.receivePackets = Unsigned(s.rxPackets);
    return t;
}

void PlanGraphPaint(const ThroughputHistory& history, int32_t width, int32_t height,
                    GraphPaintPlan& plan) {
    plan.baseline = height - 1;
    plan.count = 0;
    const double scale = history.Scale();
    if (height > 0) {
        for (int32_t i = 0; i < kThroughputSamples; ++i) {
            int32_t x = width - 1 - i;
            if (x < 0)
                break;
            // Samples are never negative and never above the scale, so the
            // top stays between 0 and the baseline.
            double sample = history.Sample(i);
            int32_t top = plan.baseline - static_cast<int32_t>(sample / scale * plan.baseline);
            plan.columns[i] = GraphColumn{x, top, top < plan.baseline};
            plan.count = i + 1;
        }
    }
    plan.maxPerSecond = history.MaxSample() / kThroughputFactor;
    plan.currentPerSecond = static_cast<uint32_t>(history.Sample(0)) / kThroughputFactor;
    plan.text.Format(" Max.= %d packets/sec.\n Current = %d packets/sec.",
                     static_cast<int>(plan.maxPerSecond), static_cast<int>(plan.currentPerSecond));
}
