/* The simulated world in motion; see SimDrift.h. */
#include "driver/SimDrift.h"

/* A 32-bit integer hash with good avalanche (two multiply-xorshift rounds). */
static uint32_t Mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

static uint32_t Hash(uint64_t a, uint32_t b) {
    return Mix((uint32_t)a ^ Mix((uint32_t)(a >> 32) ^ Mix(b * 0x9E3779B9u)));
}

static int32_t Clamp(int64_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : v > hi ? hi : (int32_t)v;
}

/* Offset at turning point `knot`: uniform in -depth..depth. */
static int64_t KnotOffset(uint64_t knot, uint32_t depth, uint32_t index) {
    return (int64_t)(Hash(knot, index) % (2u * depth + 1u)) - (int64_t)depth;
}

int32_t SimDriftSignal(int32_t base, uint32_t depth, uint32_t index, uint64_t now) {
    if (depth > 95u)
        depth = 95u;
    if (depth == 0)
        return Clamp(base, 0, 95);
    const uint64_t period = SIM_DRIFT_KNOT_SECONDS * SIM_TICKS_PER_SECOND;
    uint64_t knot = now / period;
    int64_t into = (int64_t)(now % period);
    int64_t a = KnotOffset(knot, depth, index);
    int64_t b = KnotOffset(knot + 1, depth, index);
    int64_t offset = a + (b - a) * into / (int64_t)period;
    return Clamp((int64_t)base + offset, 0, 95);
}

uint32_t SimBurstPercent(uint64_t second, uint32_t stream) {
    uint32_t h = Hash(second, 0xB0u + stream);
    uint32_t kind = h % 10u;
    uint32_t spread = (h / 10u) % 101u; /* 0..100 */
    if (kind < 3u)
        return spread / 5u; /* 0..20 */
    if (kind < 8u)
        return 50u + spread;   /* 50..150 */
    return 300u + 4u * spread; /* 300..700 */
}

int SimOutOfRange(uint32_t outOfRange, uint32_t cycleSeconds, uint64_t now) {
    if (outOfRange)
        return 1;
    if (cycleSeconds == 0)
        return 0;
    if (cycleSeconds < 2u)
        cycleSeconds = 2u; /* a shorter cycle would be all gap */
    uint64_t cycle = (uint64_t)cycleSeconds * SIM_TICKS_PER_SECOND;
    uint64_t gap = cycle / 4u;
    if (gap < SIM_TICKS_PER_SECOND)
        gap = SIM_TICKS_PER_SECOND;
    return now % cycle >= cycle - gap;
}

uint32_t SimRateForSignal(int32_t signal) {
    static const struct {
        int32_t signal;
        uint32_t rate;
    } kSteps[] = {{30, 54}, {25, 48}, {20, 36}, {16, 24}, {13, 18}, {10, 12}, {7, 9}};
    for (unsigned i = 0; i < sizeof kSteps / sizeof kSteps[0]; ++i)
        if (signal >= kSteps[i].signal)
            return kSteps[i].rate;
    return 6;
}
