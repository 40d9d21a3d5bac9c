// What the adapter access object does with the status of an NDIS query: the
// single retry with the driver's exact size on NDIS_STATUS_INVALID_LENGTH.
#pragma once

#include <stdint.h>

enum class QueryStep {
    Done,  // success: the bytes written are the answer
    Retry, // send the same request once more with the bytes needed as length
    Fail,
};

// `retried`: this status answers the retry already. A retry is offered only
// when the driver asks for no more than the caller's buffer holds.
QueryStep NextQueryStep(uint32_t status, uint32_t bytesNeeded, uint32_t length, bool retried);

// The answer's length as the caller sees it: the driver's bytes-written
// figure, never more than the buffer length the request carried.
uint32_t AnswerLength(uint32_t bytesWritten, uint32_t bufferLength);
