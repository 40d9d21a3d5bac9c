#include "CopyBack.h"

uint32_t RequestCopyBackLength(const NdisRequestRecord& record) {
    if (record.status != NX_STATUS_SUCCESS)
        return 0;
    if (record.requestType != NX_REQUEST_QUERY_INFORMATION &&
        record.requestType != NX_REQUEST_QUERY_STATISTICS)
        return 0;
    uint32_t n = record.bytesWritten;
    if (n > record.bufferLength)
        n = record.bufferLength;
    if (n > NX_INLINE_DATA_SIZE)
        n = NX_INLINE_DATA_SIZE;
    return n;
}

uint32_t CancelExchangeLength(uint32_t dataLength) {
    const uint32_t header = sizeof(PacketHeader);
    if (dataLength >= NX_CANCEL_READ_LENGTH - header)
        return NX_CANCEL_READ_LENGTH;
    return header + dataLength;
}
