#include <gtest/gtest.h>

#include "agent/CopyBack.h"

namespace {
NdisRequestRecord Query(uint32_t written, uint32_t bufferLength) {
    NdisRequestRecord r{};
    r.requestType = NX_REQUEST_QUERY_INFORMATION;
    r.bytesWritten = written;
    r.bufferLength = bufferLength;
    return r;
}
} // namespace

TEST(CopyBack, SuccessfulQueryCopiesExactlyBytesWritten) {
    EXPECT_EQ(6u, RequestCopyBackLength(Query(6, 6)));
    NdisRequestRecord stats = Query(4, 8);
    stats.requestType = NX_REQUEST_QUERY_STATISTICS;
    EXPECT_EQ(4u, RequestCopyBackLength(stats));
}

TEST(CopyBack, SetAndFailedRequestsAreNeverCopied) {
    NdisRequestRecord set = Query(4, 4);
    set.requestType = NX_REQUEST_SET_INFORMATION;
    EXPECT_EQ(0u, RequestCopyBackLength(set));
    NdisRequestRecord failed = Query(4, 4);
    failed.status = NX_STATUS_INVALID_LENGTH;
    EXPECT_EQ(0u, RequestCopyBackLength(failed));
    NdisRequestRecord unknownType = Query(4, 4);
    unknownType.requestType = 7;
    EXPECT_EQ(0u, RequestCopyBackLength(unknownType));
}

TEST(CopyBack, LyingDriverCannotOverrunCallerOrInlineArea) {
    EXPECT_EQ(8u, RequestCopyBackLength(Query(600, 8)));
    EXPECT_EQ(512u, RequestCopyBackLength(Query(0xFFFFFFFF, 4096)));
    EXPECT_EQ(0u, RequestCopyBackLength(Query(100, 0)));
}

TEST(CancelExchange, HeaderOnlyPacketExchangesItsHeaderAndNoMore) {
    // 56 and 57 bytes in the 32-bit build, 64 and 65 in the 64-bit one.
    const uint32_t header = sizeof(PacketHeader);
    EXPECT_EQ(header, CancelExchangeLength(0));
    EXPECT_EQ(header + 1, CancelExchangeLength(1));
    EXPECT_EQ(header + 1, CancelExchangeLength(1514));
    EXPECT_EQ(header + 1, CancelExchangeLength(0xFFFFFFFFu)) << "no wrap for a huge data length";
    EXPECT_EQ(NX_CANCEL_READ_LENGTH, header + 1);
}
