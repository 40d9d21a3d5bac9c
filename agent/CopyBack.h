// How many bytes of a completed request's inline data area go back to the
// caller's buffer on the NT family.
#pragma once

#include <stdint.h>

#include "NdisProtocol.h"

// Only successful queries (information or statistics) carry data back. The
// count is the driver's bytes-written figure, bounded by the caller's buffer
// length and the inline area, so a driver that reports more than it may
// never makes the library overrun the caller.
uint32_t RequestCopyBackLength(const NdisRequestRecord& record);
