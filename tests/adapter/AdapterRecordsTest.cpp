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

// 556 bytes with a 32-bit address where pointers are 32 bits (what ships);
// where they are 64 bits, an address above 4 GB travels whole.
TEST(AdapterRecords, RequestRecordCarriesAWholePointer) {
    NdisRequestRecord r;
    EXPECT_EQ(sizeof(void*), sizeof r.buffer);
    EXPECT_EQ(sizeof(void*) == 4 ? 556u : 568u, sizeof r);
    uintptr_t high = sizeof(void*) == 8 ? static_cast<uintptr_t>(0x14004E040ull) : 0x8004E040u;
    r.buffer = NxAddressOf(reinterpret_cast<void*>(high));
    EXPECT_EQ(reinterpret_cast<void*>(high), NxAddressPointer(r.buffer));
}
