// Median and quartiles of a set of measurements: what the benchmarks report,
// because a few samples hit by other work on the machine move them little.
#pragma once

#include <algorithm>
#include <vector>

struct Quartiles {
    double q1 = 0, median = 0, q3 = 0;
};

// Quartiles by linear interpolation between the sorted samples.
inline Quartiles QuartilesOf(std::vector<double> samples) {
    Quartiles q;
    if (samples.empty())
        return q;
    std::sort(samples.begin(), samples.end());
    auto at = [&](double p) {
        double pos = p * static_cast<double>(samples.size() - 1);
        size_t i = static_cast<size_t>(pos);
        double frac = pos - static_cast<double>(i);
        return i + 1 < samples.size() ? samples[i] + frac * (samples[i + 1] - samples[i])
                                      : samples[i];
    };
    q.q1 = at(0.25);
    q.median = at(0.5);
    q.q3 = at(0.75);
    return q;
}
