/* A private query of the stand-in driver's own bookkeeping, for tests that
 * look for leaked IRPs and packets. Not part of the library's protocol: no
 * real protocol driver answers it. Any handle of the device may ask:
 * METHOD_BUFFERED, no input, an NxDriverCounters as output. */
#pragma once

#include "agent/NdisProtocol.h"

#define NX_IOCTL_SIM_COUNTERS 0x80000F00u

typedef struct NxDriverCounters {
    uint32_t bindingsOpen;     /* file objects of the device now, the asking one included */
    uint32_t bindingsCreated;  /* since the driver started: a restart begins again at 0 */
    uint32_t readsPending;     /* read IRPs waiting for a packet */
    uint32_t packetsQueued;    /* packets waiting in the bindings' queues */
    uint32_t packetsAllocated; /* since the driver started */
    uint32_t packetsFreed;     /* since the driver started */
    uint32_t irpsDispatched;   /* since the driver started, this query included */
    uint32_t irpsOutstanding;  /* dispatched and not yet completed, this query excluded */
} NxDriverCounters;

NX_STATIC_ASSERT(sizeof(NxDriverCounters) == 32, "counters size");
NX_STATIC_ASSERT(offsetof(NxDriverCounters, irpsOutstanding) == 28, "irpsOutstanding");
