// How many bytes go back to the caller when the driver answers: a completed
// request's inline data on the NT family, and the packet a cancel exchanges.
#pragma once

#include <stdint.h>

#include "NdisProtocol.h"

// Only successful queries (information or statistics) carry data back. The
// count is the driver's bytes-written figure, bounded by the caller's buffer
// length and the inline area, so a driver that reports more than it may
// never makes the library overrun the caller.
uint32_t RequestCopyBackLength(const NdisRequestRecord& record);

// The cancel exchange with the driver is always NX_CANCEL_READ_LENGTH (the
// header and one byte), but a packet with no data area holds only its header: this
// many bytes of the packet are read into the exchange and written back.
uint32_t CancelExchangeLength(uint32_t dataLength);
