#include <gtest/gtest.h>

#include <cstring>

#include "adapter/AdapterRecords.h"
#include "agent/AdapterRegistryInfo.h"
#include "agent/NdisProtocol.h"

// The layouts are fixed by static_asserts; these check that a record built
// from raw driver bytes reads back at the documented offsets on every build.
TEST(AdapterRecords, SnapshotFieldsReadFromDriverOffsets) {
    unsigned char raw[240] = {};
    const uint32_t channel = 149, rx = 123456;
    std::memcpy(raw + 0x84, &channel, 4);
    std::memcpy(raw + 0xD4, &rx, 4);
    std::memcpy(raw + 0x9A, "lab", 4);
    AdapterStatusSnapshot s;
    std::memcpy(&s, raw, sizeof s);
    EXPECT_EQ(149u, s.channel);
    EXPECT_EQ(123456u, s.rxPackets);
    EXPECT_STREQ("lab", s.ssid);
}

TEST(AdapterRecords, RequestRecordPointerFieldIsFourBytesOnEveryBuild) {
    NdisRequestRecord r;
    EXPECT_EQ(4u, sizeof r.buffer);
    EXPECT_EQ(556u, sizeof r);
}
