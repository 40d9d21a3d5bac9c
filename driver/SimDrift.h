/* The simulated world in motion, as plain functions of the time (100 ns
 * units, the system time the driver reads): a signal that wanders about a
 * network's own level, traffic that comes in bursts, a link that drops out
 * of range. Deterministic: the same time gives the same world, so nothing
 * needs to run between requests and tests can compute what to expect. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SIM_TICKS_PER_SECOND 10000000ull

/* Seconds between the wandering signal's turning points. */
#define SIM_DRIFT_KNOT_SECONDS 4u

/* Signal of network `index` at `now`: `base` moved by up to `depth` either
 * way along a smooth, pseudo-random path of its own (linear between turning
 * points), kept within 0..95. Depth 0 gives `base` (clamped) at every time. */
int32_t SimDriftSignal(int32_t base, uint32_t depth, uint32_t index, uint64_t now);

/* The two directions of traffic; each has bursts of its own. */
#define SIM_STREAM_TRANSMIT 0u
#define SIM_STREAM_RECEIVE 1u

/* Traffic of one whole second under drift, in percent of the set rate of
 * `stream`: quiet seconds (0..20), ordinary ones (50..150) and bursts
 * (300..700). */
uint32_t SimBurstPercent(uint64_t second, uint32_t stream);

/* True when the adapter is out of range of every network at `now`: always
 * while `outOfRange` is nonzero; with `cycleSeconds` nonzero, during the last
 * quarter (at least one second) of every cycle of that many seconds (two at
 * least). */
int SimOutOfRange(uint32_t outOfRange, uint32_t cycleSeconds, uint64_t now);

/* The highest 802.11a rate (Mbit/s) a link of this signal level carries. */
uint32_t SimRateForSignal(int32_t signal);

#ifdef __cplusplus
}
#endif
