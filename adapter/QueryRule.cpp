#include "adapter/QueryRule.h"

#include "agent/NdisProtocol.h"

QueryStep NextQueryStep(uint32_t status, uint32_t bytesNeeded, uint32_t length, bool retried) {
    if (status == NX_STATUS_SUCCESS)
        return QueryStep::Done;
    if (status == NX_STATUS_INVALID_LENGTH && !retried && bytesNeeded <= length)
        return QueryStep::Retry;
    return QueryStep::Fail;
}

uint32_t AnswerLength(uint32_t bytesWritten, uint32_t bufferLength) {
    return bytesWritten < bufferLength ? bytesWritten : bufferLength;
}
