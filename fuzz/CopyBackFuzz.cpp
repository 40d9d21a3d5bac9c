// What goes back to the caller after the driver answered, for any record and
// packet header the driver may leave: the request's inline data copied to
// the caller's buffer, the 57-byte cancel exchange written into the packet,
// and the answer length and retry rule of the adapter access object. The
// copies are made into allocations of exactly the caller's size.
#include <fuzzer/FuzzedDataProvider.h>

#include <string.h>

#include <memory>
#include <vector>

#include "adapter/QueryRule.h"
#include "agent/CopyBack.h"
#include "fuzz/FuzzCheck.h"

namespace {

uint32_t Min3(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t m = a < b ? a : b;
    return m < c ? m : c;
}

void CheckRequest(const NdisRequestRecord& r) {
    uint32_t n = RequestCopyBackLength(r);
    bool query = r.requestType == NX_REQUEST_QUERY_INFORMATION ||
                 r.requestType == NX_REQUEST_QUERY_STATISTICS;
    if (r.status != NX_STATUS_SUCCESS || !query)
        FUZZ_CHECK(n == 0);
    else
        FUZZ_CHECK(n == Min3(r.bytesWritten, r.bufferLength, NX_INLINE_DATA_SIZE));
    // The caller's buffer, no larger than it said (a huge one is cut: the
    // copy never exceeds the inline area anyway).
    uint32_t callerSize = r.bufferLength < 4096 ? r.bufferLength : 4096;
    std::unique_ptr<uint8_t[]> caller(new uint8_t[callerSize ? callerSize : 1]);
    memcpy(caller.get(), r.data, n);
}

void CheckCancel(uint32_t dataLength, const uint8_t* fill) {
    uint32_t n = CancelExchangeLength(dataLength);
    uint64_t holds = sizeof(PacketHeader) + static_cast<uint64_t>(dataLength);
    FUZZ_CHECK(n <= NX_CANCEL_READ_LENGTH && n <= holds && n >= sizeof(PacketHeader));
    // The packet exactly as large as it says, up to one byte past the header
    // (no exchange reaches further).
    size_t size =
        holds < NX_CANCEL_READ_LENGTH ? static_cast<size_t>(holds) : NX_CANCEL_READ_LENGTH;
    std::unique_ptr<uint8_t[]> packet(new uint8_t[size]);
    memcpy(packet.get(), fill, size);
    uint8_t exchange[NX_CANCEL_READ_LENGTH] = {};
    memcpy(exchange, packet.get(), n);
    memcpy(packet.get(), exchange, n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(sizeof(NdisRequestRecord));
    bytes.resize(sizeof(NdisRequestRecord));
    NdisRequestRecord r;
    memcpy(&r, bytes.data(), sizeof r);
    // Steer some inputs to the interesting status and types.
    uint8_t steer = in.ConsumeIntegral<uint8_t>();
    if (steer & 1)
        r.status = NX_STATUS_SUCCESS;
    if (steer & 2)
        r.requestType = steer & 4 ? NX_REQUEST_QUERY_STATISTICS : NX_REQUEST_QUERY_INFORMATION;
    CheckRequest(r);

    PacketHeader header;
    memcpy(&header, bytes.data(), sizeof header);
    CheckCancel(header.dataLength, bytes.data());

    uint32_t length = in.ConsumeIntegral<uint32_t>();
    bool retried = in.ConsumeBool();
    FUZZ_CHECK(AnswerLength(r.bytesWritten, length) <= length);
    QueryStep step = NextQueryStep(r.status, r.bytesNeeded, length, retried);
    if (step == QueryStep::Retry)
        FUZZ_CHECK(!retried && r.status == NX_STATUS_INVALID_LENGTH && r.bytesNeeded <= length);
    if (step == QueryStep::Done)
        FUZZ_CHECK(r.status == NX_STATUS_SUCCESS);
    return 0;
}
