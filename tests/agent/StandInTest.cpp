// Requests and packets against the stand-in driver and its simulated adapter.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "ServiceHelpers.h"
#include "adapter/AdapterRecords.h"
#include "agent/UserCountBlock.h"
#include "agent/W32N.h"
#include "sim/SimControl.h"
#include "tests/support/WineFamily.h"

namespace {

const char kAdapter[] = "\\Device\\" NX_SIM_NET_CFG_INSTANCE_ID;

// Runs the test as Windows XP (driver "NXPROTO") with the simulated adapter
// installed and an adapter handle open.
class StandIn : public testing::Test {
protected:
    void SetUp() override {
        if (!InFamilyChild())
            return;
        ASSERT_TRUE(W32N_IsWindows2000());
        ASSERT_TRUE(SimInstallAdapter());
        ASSERT_TRUE(SimSetAdapterNames({kAdapter}));
        adapter = W32N_OpenAdapterA(kAdapter);
        ASSERT_NE(INVALID_HANDLE_VALUE, adapter) << "error " << W32N_GetLastError();
        event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ov.hEvent = event;
    }
    void TearDown() override {
        if (adapter != INVALID_HANDLE_VALUE && adapter != nullptr)
            W32N_CloseAdapter(adapter);
        if (event)
            CloseHandle(event);
    }
    bool RunAsXp() {
        if (InFamilyChild())
            return false;
        RemoveServiceNow("NXPROTO4"); // shares the display name
        EXPECT_EQ(0, RunTestAs("winxp"));
        RemoveServiceNow("NXPROTO"); // leave the prefix as found
        return true;
    }
    NdisRequestRecord Query(uint32_t oid, void* buffer, uint32_t length,
                            uint32_t type = NX_REQUEST_QUERY_INFORMATION) {
        NdisRequestRecord r;
        memset(&r, 0, sizeof r);
        r.requestType = type;
        r.oid = oid;
        r.buffer = NxAddressOf(buffer);
        r.bufferLength = length;
        return r;
    }
    uint32_t RequestCount() {
        uint32_t n = 0;
        NdisRequestRecord r = Query(NX_OID_SIM_REQUEST_COUNT, &n, sizeof n);
        EXPECT_EQ(0u, W32N_MakeNdisRequest(adapter, &r, &ov, 1));
        return n;
    }

    HANDLE adapter = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED ov{};
};

#define AS_XP()                                                                                    \
    if (RunAsXp())                                                                                 \
    return

} // namespace

TEST_F(StandIn, SixByteAnswerCopiesExactlySixBytes) {
    AS_XP();
    const uint8_t mac[6] = {0x00, 0x0B, 0x6B, 0x12, 0x34, 0x56};
    ASSERT_TRUE(SimSetPermanentAddress(mac));
    uint8_t buffer[16];
    memset(buffer, 0xCC, sizeof buffer);
    NdisRequestRecord r = Query(NX_OID_PERMANENT_ADDRESS, buffer, sizeof buffer);
    ASSERT_EQ(0u, W32N_MakeNdisRequest(adapter, &r, &ov, 1));
    EXPECT_EQ(6u, r.bytesWritten);
    EXPECT_EQ(0, memcmp(mac, buffer, 6));
    for (size_t i = 6; i < sizeof buffer; ++i)
        EXPECT_EQ(0xCC, buffer[i]) << "byte " << i << " beyond the answer was written";
}

TEST_F(StandIn, SetIsNeverCopiedBack) {
    AS_XP();
    uint32_t on = 1;
    NdisRequestRecord r = Query(NX_OID_RADIO, &on, sizeof on, NX_REQUEST_SET_INFORMATION);
    memset(r.data, 0xEE, sizeof r.data);
    W32N_MakeNdisRequest(adapter, &r, &ov, 1);
    EXPECT_EQ(1u, on) << "a set's buffer was overwritten";
}

TEST_F(StandIn, ShortBufferPassesInvalidLengthAndBytesNeededThrough) {
    AS_XP();
    uint32_t small = 0x11111111;
    NdisRequestRecord r = Query(NX_OID_ADAPTER_STATUS, &small, sizeof small);
    EXPECT_EQ(NX_STATUS_INVALID_LENGTH, W32N_MakeNdisRequest(adapter, &r, &ov, 1));
    EXPECT_EQ(sizeof(AdapterStatusSnapshot), r.bytesNeeded);
    EXPECT_EQ(0x11111111u, small) << "a failed query was copied back";
}

TEST_F(StandIn, StatusSnapshotQueryFillsTheWholeRecord) {
    AS_XP();
    AdapterStatusSnapshot s;
    memset(&s, 0xCC, sizeof s);
    NdisRequestRecord r = Query(NX_OID_ADAPTER_STATUS, &s, sizeof s);
    ASSERT_EQ(0u, W32N_MakeNdisRequest(adapter, &r, &ov, 1));
    EXPECT_EQ(sizeof s, r.bytesWritten);
    EXPECT_NE(0xCCCCCCCCu, s.regulatoryDomain);
}

TEST_F(StandIn, NullOverlappedNeverReachesTheDriver) {
    AS_XP();
    uint32_t before = RequestCount();
    uint32_t value;
    NdisRequestRecord r = Query(NX_OID_PERMANENT_ADDRESS, &value, sizeof value);
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN, W32N_MakeNdisRequest(adapter, &r, nullptr, 1));
    EXPECT_EQ(before + 1, RequestCount()) << "only the counting queries may arrive";
    EXPECT_FALSE(W32N_CloseAdapter(INVALID_HANDLE_VALUE));
}

TEST_F(StandIn, CloseRecordsWhetherTheDriverAsksToBeRemoved) {
    AS_XP();
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, NX_USER_COUNT_MAPPING);
    ASSERT_NE(nullptr, mapping);
    auto* block = static_cast<UserCountBlock*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(UserCountBlock)));
    ASSERT_NE(nullptr, block);
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_UNLOAD_STATE, NX_UNLOAD_REMOVE_ME));
    EXPECT_TRUE(W32N_CloseAdapter(adapter));
    EXPECT_EQ(1, block->removeDriver);
    ASSERT_TRUE(
        SimSetWorldValue(NX_SIM_UNLOAD_STATE, NX_UNLOAD_REMOVE_ME | NX_UNLOAD_STILL_NEEDED));
    adapter = W32N_OpenAdapterA(kAdapter);
    ASSERT_NE(INVALID_HANDLE_VALUE, adapter);
    EXPECT_TRUE(W32N_CloseAdapter(adapter));
    adapter = INVALID_HANDLE_VALUE;
    EXPECT_EQ(0, block->removeDriver) << "the latest close decides";
    SimSetWorldValue(NX_SIM_UNLOAD_STATE, NX_UNLOAD_STILL_NEEDED);
    UnmapViewOfFile(block);
    CloseHandle(mapping);
}

TEST_F(StandIn, UnknownAdapterFailsSelectAndLeavesNoHandle) {
    AS_XP();
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              W32N_OpenAdapterA("\\Device\\{00000000-0000-0000-0000-000000000000}"));
    EXPECT_NE(0, W32N_GetLastError());
}

TEST_F(StandIn, SentPacketComesBackThroughRead) {
    AS_XP();
    std::vector<uint8_t> frame(1514);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<uint8_t>(i * 7);
    DWORD sent = 0;
    ResetEvent(event);
    ASSERT_TRUE(
        W32N_PacketSend(adapter, frame.data(), static_cast<DWORD>(frame.size()), &sent, &ov))
        << W32N_GetLastError();
    std::vector<uint8_t> packet(sizeof(PacketHeader) + 2048, 0);
    auto* header = reinterpret_cast<PacketHeader*>(packet.data());
    header->dataLength = 2048;
    DWORD got = 0;
    ResetEvent(event);
    ASSERT_EQ(0u, W32N_PacketRead(adapter, packet.data(), &got, &ov, TRUE));
    ASSERT_GE(got, sizeof(PacketHeader) + frame.size());
    EXPECT_EQ(0, memcmp(frame.data(), packet.data() + sizeof(PacketHeader), frame.size()));
}

// Addresses travel whole: a query answered into, a set read from, and a
// packet sent from and read into memory at the top of the address space
// (above 4 GB in the 64-bit build, where a 32-bit field would cut them).
TEST_F(StandIn, BuffersAtTheTopOfTheAddressSpaceCarryQueriesSetsAndPackets) {
    AS_XP();
    const SIZE_T size = 64 * 1024;
    auto* high = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE));
    ASSERT_NE(nullptr, high);
    if (sizeof(void*) == 8) {
        ASSERT_GT(reinterpret_cast<uintptr_t>(high), static_cast<uintptr_t>(0xFFFFFFFFu))
            << "MEM_TOP_DOWN gave memory below 4 GB";
    }

    const uint8_t mac[6] = {0x00, 0x0B, 0x6B, 0x65, 0x43, 0x21};
    ASSERT_TRUE(SimSetPermanentAddress(mac));
    memset(high, 0xCC, 16);
    NdisRequestRecord r = Query(NX_OID_PERMANENT_ADDRESS, high, 16);
    ASSERT_EQ(0u, W32N_MakeNdisRequest(adapter, &r, &ov, 1));
    EXPECT_EQ(0, memcmp(mac, high, 6));
    EXPECT_EQ(0xCC, high[6]);

    // The stand-in reads a set's value from this process at that address.
    uint32_t* radio = reinterpret_cast<uint32_t*>(high + 256);
    *radio = 0;
    r = Query(NX_OID_RADIO, radio, sizeof *radio, NX_REQUEST_SET_INFORMATION);
    ASSERT_EQ(0u, W32N_MakeNdisRequest(adapter, &r, &ov, 1));
    uint32_t state = 0;
    r = Query(NX_OID_SIM_RADIO_STATE, &state, sizeof state);
    ASSERT_EQ(0u, W32N_MakeNdisRequest(adapter, &r, &ov, 1));
    if (state != 0xFFFFFFFFu) { // set data can be read by the stand-in here
        EXPECT_EQ(0u, state) << "the radio value was not read from its address";
    }
    *radio = 1;
    r = Query(NX_OID_RADIO, radio, sizeof *radio, NX_REQUEST_SET_INFORMATION);
    EXPECT_EQ(0u, W32N_MakeNdisRequest(adapter, &r, &ov, 1));

    uint8_t* frame = high + 1024;
    for (int i = 0; i < 100; ++i)
        frame[i] = static_cast<uint8_t>(i * 3 + 1);
    DWORD sent = 0;
    ResetEvent(event);
    ASSERT_TRUE(W32N_PacketSend(adapter, frame, 100, &sent, &ov)) << W32N_GetLastError();
    uint8_t* packet = high + 8192;
    memset(packet, 0, sizeof(PacketHeader) + 512);
    reinterpret_cast<PacketHeader*>(packet)->dataLength = 512;
    DWORD got = 0;
    ResetEvent(event);
    ASSERT_EQ(0u, W32N_PacketRead(adapter, packet, &got, &ov, TRUE));
    ASSERT_EQ(sizeof(PacketHeader) + 100, got);
    EXPECT_EQ(0, memcmp(frame, packet + sizeof(PacketHeader), 100));
    VirtualFree(high, 0, MEM_RELEASE);
}
