// NXPROTO.SYS through raw DeviceIoControl: binding to an adapter and the
// simulated adapter's answers to NDIS requests.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "sim/SimControl.h"
#include "tests/driver/DriverSession.h"

namespace {

class DriverRequest : public StandInTest {
protected:
    void Bind() { ASSERT_EQ(0u, BindAdapter(handle_.get(), DefaultAdapterName())); }

    NdisRequestRecord Query(uint32_t oid, uint32_t length, DWORD code = NX_IOCTL_NDIS_REQUEST) {
        NdisRequestRecord record = MakeRecord(NX_REQUEST_QUERY_INFORMATION, oid, length);
        EXPECT_EQ(0u, SendRecord(handle_.get(), record, code));
        return record;
    }
    uint32_t QueryU32(uint32_t oid, DWORD code = NX_IOCTL_NDIS_REQUEST) {
        NdisRequestRecord record = Query(oid, 4, code);
        EXPECT_EQ(NX_STATUS_SUCCESS, record.status);
        uint32_t value = 0;
        memcpy(&value, record.data, 4);
        return value;
    }
};

TEST_F(DriverRequest, UnknownAdapterNameIsRejectedWithFileNotFound) {
    std::string name = "\\Device\\{00000000-0000-0000-0000-000000000000}";
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND),
              Control(handle_.get(), NX_IOCTL_SELECT_ADAPTER, name.c_str(),
                      static_cast<DWORD>(name.size() + 1), nullptr, 0));
    // And the handle stays unbound.
    NdisRequestRecord record = Query(NX_OID_ADAPTER_STATUS, sizeof(AdapterStatusSnapshot));
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN, record.status);
}

TEST_F(DriverRequest, BothInstalledAdapterNamesBind) {
    EXPECT_EQ(0u, BindAdapter(handle_.get(), DefaultAdapterName()));
    Handle second = OpenDriver();
    EXPECT_EQ(0u, BindAdapter(second.get(), std::string("\\Device\\") + NX_SIM_NT4_SERVICE_NAME));
}

TEST_F(DriverRequest, OpenWithoutSelectIsRefused) {
    std::string name = DefaultAdapterName();
    EXPECT_NE(0u, Control(handle_.get(), NX_IOCTL_OPEN_ADAPTER, name.c_str(),
                          static_cast<DWORD>(name.size() + 1), nullptr, 0));
}

TEST_F(DriverRequest, RequestOnUnboundHandleAnswersAdapterNotOpen) {
    NdisRequestRecord record = Query(NX_OID_PERMANENT_ADDRESS, 6);
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN, record.status);
    EXPECT_EQ(0u, record.bytesWritten);
}

TEST_F(DriverRequest, ShortRecordFailsTheCallInsteadOfReadingPastIt) {
    Bind();
    NdisRequestRecord record = MakeRecord(0, NX_OID_PERMANENT_ADDRESS, 6);
    EXPECT_NE(0u,
              Control(handle_.get(), NX_IOCTL_NDIS_REQUEST, &record, 100, &record, sizeof record));
}

// A 32-bit process's record in the 64-bit stand-in: its address and counts
// lie elsewhere, so the request is refused whole rather than misread.
TEST_F(DriverRequest, ThirtyTwoBitRecordInTheSixtyFourBitDriverIsNotSupported) {
    if (NX_ADDRESS_BITS == 32)
        GTEST_SKIP() << "the 32-bit build's own record is the 556-byte one";
    Bind();
    uint8_t record32[NX_REQUEST_RECORD_SIZE_32];
    memset(record32, 0x5A, sizeof record32);
    uint32_t failure = NX_STATUS_FAILURE;
    memcpy(record32, &failure, sizeof failure);
    DWORD returned = 0;
    ASSERT_EQ(0u, Control(handle_.get(), NX_IOCTL_NDIS_REQUEST, record32, sizeof record32, record32,
                          sizeof record32, &returned));
    uint32_t status = 0;
    memcpy(&status, record32, sizeof status);
    EXPECT_EQ(NX_STATUS_NOT_SUPPORTED, status);
    for (size_t i = sizeof status; i < sizeof record32; ++i)
        ASSERT_EQ(0x5A, record32[i]) << "byte " << i << " was written";
    AdapterStatusSnapshot s;
    EXPECT_TRUE(QuerySnapshot(handle_.get(), s)) << "the driver stopped serving";
}

TEST_F(DriverRequest, MalformedControlCallsFailAndLeaveTheDriverServing) {
    std::string huge(4000, 'A'); // no NUL within any sane name length
    EXPECT_NE(0u, Control(handle_.get(), NX_IOCTL_SELECT_ADAPTER, huge.data(),
                          static_cast<DWORD>(huge.size()), nullptr, 0));
    EXPECT_NE(0u, Control(handle_.get(), NX_IOCTL_SELECT_ADAPTER, nullptr, 0, nullptr, 0));
    char empty = '\0';
    EXPECT_NE(0u, Control(handle_.get(), NX_IOCTL_SELECT_ADAPTER, &empty, 1, nullptr, 0));
    EXPECT_NE(0u, Control(handle_.get(), 0x80000004, nullptr, 0, nullptr, 0));
    EXPECT_NE(0u, Control(handle_.get(), NX_IOCTL_READ_PACKET_EX, nullptr, 0, nullptr, 0));
    uint8_t small[8] = {};
    EXPECT_NE(0u, Control(handle_.get(), NX_IOCTL_PRIVATE_REQUEST, small, sizeof small, small,
                          sizeof small));
    EXPECT_NE(
        0u, Control(handle_.get(), NX_IOCTL_CANCEL_READ, small, sizeof small, small, sizeof small));
    Bind();
    NdisRequestRecord record = MakeRecord(0, NX_OID_PERMANENT_ADDRESS, 6);
    EXPECT_NE(0u,
              Control(handle_.get(), NX_IOCTL_NDIS_REQUEST, &record, sizeof record, &record, 100))
        << "answer written past a short output";
    // A bound handle keeps its adapter.
    std::string nt4 = std::string("\\Device\\") + NX_SIM_NT4_SERVICE_NAME;
    EXPECT_NE(0u, Control(handle_.get(), NX_IOCTL_SELECT_ADAPTER, nt4.c_str(),
                          static_cast<DWORD>(nt4.size() + 1), nullptr, 0));
    AdapterStatusSnapshot s;
    EXPECT_TRUE(QuerySnapshot(handle_.get(), s));
}

TEST_F(DriverRequest, SnapshotReportsTheFirstNetworkAsJoined) {
    Bind();
    AdapterStatusSnapshot s;
    ASSERT_TRUE(QuerySnapshot(handle_.get(), s));
    SimNetwork first = SimDefaultNetworks().front();
    EXPECT_EQ(0u, s.disconnected);
    EXPECT_STREQ(first.ssid.c_str(), s.ssid);
    EXPECT_EQ(0, memcmp(first.bssid, s.bssid, 6));
    EXPECT_EQ(first.channel, s.channel);
    EXPECT_EQ(first.signal, s.signalLevel);
    EXPECT_EQ(0u, s.wepEnabled);
    EXPECT_EQ(first.mode, s.networkMode);
    EXPECT_EQ(54u, s.txRateMbps);
    EXPECT_EQ(54u, s.rxRateMbps);
    EXPECT_EQ(0x10u, s.regulatoryDomain);
}

TEST_F(DriverRequest, SnapshotFollowsWorldChangesAfterGenerationBump) {
    Bind();
    // The network the installation's parameters name, moved and weakened.
    SimNetwork net = SimDefaultNetworks().front();
    net.channel = 149;
    net.signal = 11;
    ASSERT_TRUE(SimSetNetworks({net}));
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_TX_RATE, 36));
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_REGULATORY_DOMAIN, 0x31));
    AdapterStatusSnapshot s;
    ASSERT_TRUE(QuerySnapshot(handle_.get(), s));
    EXPECT_STREQ(net.ssid.c_str(), s.ssid);
    EXPECT_EQ(149u, s.channel);
    EXPECT_EQ(11, s.signalLevel);
    EXPECT_EQ(0u, s.wepEnabled);
    EXPECT_EQ(0u, s.networkMode);
    EXPECT_EQ(36u, s.txRateMbps);
    EXPECT_EQ(0x31u, s.regulatoryDomain);

    ASSERT_TRUE(SimSetNetworks({}));
    ASSERT_TRUE(QuerySnapshot(handle_.get(), s));
    EXPECT_NE(0u, s.disconnected);
}

TEST_F(DriverRequest, ChangedValueWithoutGenerationBumpIsNotReadAgain) {
    Bind();
    AdapterStatusSnapshot s;
    ASSERT_TRUE(QuerySnapshot(handle_.get(), s));
    HKEY key;
    ASSERT_EQ(0, RegOpenKeyExA(HKEY_LOCAL_MACHINE, NX_SIM_WORLD_KEY, 0, KEY_ALL_ACCESS, &key));
    DWORD rate = 6;
    RegSetValueExA(key, NX_SIM_TX_RATE, 0, REG_DWORD, reinterpret_cast<BYTE*>(&rate), 4);
    RegCloseKey(key);
    ASSERT_TRUE(QuerySnapshot(handle_.get(), s));
    EXPECT_EQ(54u, s.txRateMbps) << "world read again on every request";
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_RX_RATE, 54)); // bumps the generation
    ASSERT_TRUE(QuerySnapshot(handle_.get(), s));
    EXPECT_EQ(6u, s.txRateMbps);
}

TEST_F(DriverRequest, PacketCountersAdvanceEachAtItsOwnRate) {
    Bind();
    ASSERT_TRUE(SimSetTraffic(1000, 4000));
    AdapterStatusSnapshot before, after;
    ASSERT_TRUE(QuerySnapshot(handle_.get(), before));
    Sleep(300);
    ASSERT_TRUE(QuerySnapshot(handle_.get(), after));
    uint32_t tx = after.txPackets - before.txPackets;
    uint32_t rx = after.rxPackets - before.rxPackets;
    EXPECT_GE(tx, 200u);
    EXPECT_LE(tx, 2000u);
    EXPECT_GE(rx, 3 * tx); // four times the rate, over the same time

    ASSERT_TRUE(SimSetTraffic(0, 1000));
    ASSERT_TRUE(QuerySnapshot(handle_.get(), before));
    Sleep(100);
    ASSERT_TRUE(QuerySnapshot(handle_.get(), after));
    EXPECT_EQ(before.txPackets, after.txPackets);
    EXPECT_GT(after.rxPackets, before.rxPackets);
}

TEST_F(DriverRequest, ShortSnapshotBufferGetsInvalidLengthWithSizeNeeded) {
    Bind();
    NdisRequestRecord record = Query(NX_OID_ADAPTER_STATUS, 100);
    EXPECT_EQ(NX_STATUS_INVALID_LENGTH, record.status);
    EXPECT_EQ(240u, record.bytesNeeded);
    EXPECT_EQ(0u, record.bytesWritten);
}

TEST_F(DriverRequest, PermanentAddressComesFromTheWorld) {
    Bind();
    NdisRequestRecord record = Query(NX_OID_PERMANENT_ADDRESS, 6);
    ASSERT_EQ(NX_STATUS_SUCCESS, record.status);
    ASSERT_EQ(6u, record.bytesWritten);
    const uint8_t expected[6] = {0x00, 0x0B, 0x6B, 0x4A, 0x21, 0x7C};
    EXPECT_EQ(0, memcmp(expected, record.data, 6));

    const uint8_t other[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    ASSERT_TRUE(SimSetPermanentAddress(other));
    record = Query(NX_OID_PERMANENT_ADDRESS, 6);
    EXPECT_EQ(0, memcmp(other, record.data, 6));
}

TEST_F(DriverRequest, UnknownOidIsNotSupported) {
    Bind();
    NdisRequestRecord record = Query(0x00010101, 64);
    EXPECT_EQ(NX_STATUS_NOT_SUPPORTED, record.status);
}

TEST_F(DriverRequest, ScanListCapsAtWholeEntriesInTheInlineArea) {
    Bind();
    std::vector<SimNetwork> many(45);
    for (size_t i = 0; i < many.size(); ++i) {
        many[i].ssid = "net" + std::to_string(i);
        many[i].channel = 36 + 4 * static_cast<uint32_t>(i % 8);
        many[i].signal = static_cast<int32_t>(i);
    }
    ASSERT_TRUE(SimSetNetworks(many));
    // The scan list's growth: 20, 30, 40 entries fail, 50 succeeds.
    for (uint32_t capacity : {20u, 30u, 40u}) {
        NdisRequestRecord record = Query(NX_OID_SCAN_LIST, capacity * 72);
        EXPECT_EQ(NX_STATUS_INVALID_LENGTH, record.status) << capacity;
        EXPECT_EQ(45u * 72, record.bytesNeeded);
    }
    NdisRequestRecord record = Query(NX_OID_SCAN_LIST, 50 * 72);
    ASSERT_EQ(NX_STATUS_SUCCESS, record.status);
    EXPECT_EQ(504u, record.bytesWritten);
    EXPECT_EQ(45u * 72, record.bytesNeeded);
    NetworkScanEntry entry;
    memcpy(&entry, record.data + 6 * 72, sizeof entry);
    EXPECT_STREQ("net6", entry.ssid);
    EXPECT_EQ(6u, entry.value56);
    EXPECT_EQ(36u + 4 * 6, entry.value44);
}

TEST_F(DriverRequest, ScanListOfDefaultWorldNamesEveryNetwork) {
    Bind();
    std::vector<SimNetwork> nets = SimDefaultNetworks();
    NdisRequestRecord record = Query(NX_OID_SCAN_LIST, 20 * 72);
    ASSERT_EQ(NX_STATUS_SUCCESS, record.status);
    ASSERT_EQ(nets.size() * 72, record.bytesWritten);
    for (size_t i = 0; i < nets.size(); ++i) {
        NetworkScanEntry e;
        memcpy(&e, record.data + i * 72, sizeof e);
        EXPECT_STREQ(nets[i].ssid.c_str(), e.ssid);
        EXPECT_EQ(0, memcmp(nets[i].bssid, e.bssid, 6));
        EXPECT_EQ(static_cast<uint32_t>(nets[i].signal), e.value56);
        EXPECT_EQ(nets[i].channel, e.value44);
    }
}

TEST_F(DriverRequest, ExactLengthRejectsLargerBufferWithTheExactSize) {
    Bind();
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_EXACT_LENGTH, 1));
    NdisRequestRecord record = Query(NX_OID_PERMANENT_ADDRESS, 8);
    EXPECT_EQ(NX_STATUS_INVALID_LENGTH, record.status);
    EXPECT_EQ(6u, record.bytesNeeded);
    record = Query(NX_OID_PERMANENT_ADDRESS, 6);
    EXPECT_EQ(NX_STATUS_SUCCESS, record.status);
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_EXACT_LENGTH, 0));
    record = Query(NX_OID_PERMANENT_ADDRESS, 8);
    EXPECT_EQ(NX_STATUS_SUCCESS, record.status);
    EXPECT_EQ(6u, record.bytesWritten);
}

TEST_F(DriverRequest, StoredOidAnswerIsReturnedAndBoundedByTheBuffer) {
    Bind();
    const uint8_t answer[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_TRUE(SimSetOidAnswer(0x00010107, answer, sizeof answer));
    NdisRequestRecord record = Query(0x00010107, 10);
    ASSERT_EQ(NX_STATUS_SUCCESS, record.status);
    EXPECT_EQ(10u, record.bytesWritten);
    EXPECT_EQ(0, memcmp(answer, record.data, 10));
    record = Query(0x00010107, 4);
    EXPECT_EQ(NX_STATUS_INVALID_LENGTH, record.status);
    EXPECT_EQ(10u, record.bytesNeeded);
    ASSERT_TRUE(SimClearOidAnswers());
    record = Query(0x00010107, 10);
    EXPECT_EQ(NX_STATUS_NOT_SUPPORTED, record.status);
}

TEST_F(DriverRequest, UnloadStateComesFromTheWorldThroughPrivateRequests) {
    Bind();
    EXPECT_EQ(1u, QueryU32(NX_OID_UNLOAD_STATE, NX_IOCTL_PRIVATE_REQUEST));
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_UNLOAD_STATE, NX_UNLOAD_REMOVE_ME));
    EXPECT_EQ(NX_UNLOAD_REMOVE_ME, QueryU32(NX_OID_UNLOAD_STATE, NX_IOCTL_PRIVATE_REQUEST));
    // Not an adapter OID.
    EXPECT_EQ(NX_STATUS_NOT_SUPPORTED, Query(NX_OID_UNLOAD_STATE, 4).status);
}

TEST_F(DriverRequest, RequestCountCountsNdisRequests) {
    Bind();
    uint32_t first = QueryU32(NX_OID_SIM_REQUEST_COUNT);
    Query(NX_OID_PERMANENT_ADDRESS, 6);
    Query(NX_OID_PERMANENT_ADDRESS, 6);
    EXPECT_EQ(first + 3, QueryU32(NX_OID_SIM_REQUEST_COUNT));
}

// The radio value travels by pointer only; the stand-in reads it from this
// process. Where it cannot, the state says so instead of guessing.
TEST_F(DriverRequest, RadioOffDisconnectsAndRadioOnReconnects) {
    Bind();
    uint32_t off = 0;
    NdisRequestRecord record = MakeRecord(NX_REQUEST_SET_INFORMATION, NX_OID_RADIO, 4, &off);
    ASSERT_EQ(0u, SendRecord(handle_.get(), record));
    ASSERT_EQ(NX_STATUS_SUCCESS, record.status);
    uint32_t state = QueryU32(NX_OID_SIM_RADIO_STATE);
    if (state == 0xFFFFFFFFu)
        GTEST_SKIP() << "set data cannot be read by the stand-in here";
    EXPECT_EQ(0u, state);
    AdapterStatusSnapshot s;
    ASSERT_TRUE(QuerySnapshot(handle_.get(), s));
    EXPECT_NE(0u, s.disconnected);
    EXPECT_EQ(0u, Query(NX_OID_SCAN_LIST, 20 * 72).bytesWritten);

    uint32_t on = 1;
    record = MakeRecord(NX_REQUEST_SET_INFORMATION, NX_OID_RADIO, 4, &on);
    ASSERT_EQ(0u, SendRecord(handle_.get(), record));
    EXPECT_EQ(1u, QueryU32(NX_OID_SIM_RADIO_STATE));
    ASSERT_TRUE(QuerySnapshot(handle_.get(), s));
    EXPECT_EQ(0u, s.disconnected);
}

TEST_F(DriverRequest, RadioSetWithShortBufferIsInvalidLength) {
    Bind();
    uint32_t off = 0;
    NdisRequestRecord record = MakeRecord(NX_REQUEST_SET_INFORMATION, NX_OID_RADIO, 2, &off);
    ASSERT_EQ(0u, SendRecord(handle_.get(), record));
    EXPECT_EQ(NX_STATUS_INVALID_LENGTH, record.status);
    EXPECT_EQ(4u, record.bytesNeeded);
    EXPECT_EQ(1u, QueryU32(NX_OID_SIM_RADIO_STATE));
}

// Each request reads one registry value; the whole world only after a
// change. Prints the measured cost; fails only when far off.
TEST_F(DriverRequest, StatusQueriesStayCheapWhileTheWorldIsUnchanged) {
    Bind();
    // The round trip alone, for comparison: an unbound handle is answered
    // without touching the world.
    Handle unbound = OpenDriver();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    auto microseconds = [&](int count, const std::function<void()>& call) {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        for (int i = 0; i < count; ++i)
            call();
        QueryPerformanceCounter(&stop);
        return double(stop.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart) / count;
    };
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    // Blocks of each in turn, so that whatever else loads the machine falls
    // on both alike; the medians of the blocks are compared.
    const int kRounds = 11, kPerBlock = 50;
    AdapterStatusSnapshot s;
    std::vector<double> steadyBlocks, roundTripBlocks;
    for (int round = 0; round < kRounds; ++round) {
        steadyBlocks.push_back(
            microseconds(kPerBlock, [&] { EXPECT_TRUE(QuerySnapshot(handle_.get(), s)); }));
        roundTripBlocks.push_back(microseconds(kPerBlock, [&] {
            NdisRequestRecord r = MakeRecord(0, NX_OID_ADAPTER_STATUS, 240);
            EXPECT_EQ(0u, SendRecord(unbound.get(), r));
        }));
    }
    int traffic = 20;
    double changing = microseconds(50, [&] {
        EXPECT_TRUE(SimSetWorldValue(NX_SIM_TRAFFIC, traffic++));
        EXPECT_TRUE(QuerySnapshot(handle_.get(), s));
    });
    double steady = median(steadyBlocks), roundTrip = median(roundTripBlocks);
    printf("round trip alone: %.1f us\n", roundTrip);
    printf("status query: %.1f us unchanged world, %.1f us with a world change each time\n", steady,
           changing);
    // Reading the whole world each time costs several round trips.
    EXPECT_LT(steady, roundTrip * 2.0 + 300.0);
}

TEST_F(DriverRequest, ReinstalledWorldIsTakenUpAlthoughItsGenerationRepeats) {
    Bind();
    AdapterStatusSnapshot s;
    ASSERT_TRUE(QuerySnapshot(handle_.get(), s));
    ASSERT_EQ(54u, s.txRateMbps);
    // A reinstall starts the generation afresh, so it can equal the cached one.
    ASSERT_TRUE(SimRemoveAdapter());
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    HKEY key;
    ASSERT_EQ(0, RegOpenKeyExA(HKEY_LOCAL_MACHINE, NX_SIM_WORLD_KEY, 0, KEY_ALL_ACCESS, &key));
    DWORD rate = 12;
    RegSetValueExA(key, NX_SIM_TX_RATE, 0, REG_DWORD, reinterpret_cast<BYTE*>(&rate), 4);
    RegCloseKey(key);
    ASSERT_TRUE(QuerySnapshot(handle_.get(), s));
    EXPECT_EQ(12u, s.txRateMbps);
}

} // namespace

namespace {

// NT 4.0 installs the same driver as NXPROTO4: its device must follow the
// service name, or the library would open nothing there.
TEST(DriverNames, ServiceNamedNxproto4ServesTheNxproto4Device) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    {
        DriverService service("NXPROTO4", "NXPROTO4.SYS");
        ASSERT_TRUE(service.ok()) << service.error();
        Handle h = OpenDriver("NXPROTO4");
        ASSERT_TRUE(h.valid()) << GetLastError();
        EXPECT_EQ(0u, BindAdapter(h.get(), std::string("\\Device\\") + NX_SIM_NT4_SERVICE_NAME));
        AdapterStatusSnapshot s;
        EXPECT_TRUE(QuerySnapshot(h.get(), s));
        Handle other = OpenDriver("NXPROTO");
        EXPECT_FALSE(other.valid()) << "device named after the file instead of the service";
    }
    SimRemoveAdapter();
}

} // namespace
