// The simulated adapter's answers, run natively with sanitizers.
#include <gtest/gtest.h>

#include <string.h>

#include <memory>
#include <set>
#include <string>

#include "driver/SimAdapter.h"
#include "driver/SimDrift.h"
#include "sim/SimWorld.h"

namespace {

class SimAdapter : public ::testing::Test {
protected:
    void SetUp() override {
        world_ = std::make_unique<SimWorldModel>();
        SimWorldInit(world_.get());
        SimRuntimeInit(&runtime_);
        handle_ = SimHandleState();
    }
    SimNetworkModel& AddNetwork(const char* ssid, uint32_t channel, int32_t signal) {
        SimNetworkModel& net = world_->networks[world_->networkCount++];
        memset(&net, 0, sizeof net);
        strncpy(net.ssid, ssid, SIM_MAX_SSID);
        net.channel = channel;
        net.signal = signal;
        for (int i = 0; i < 6; ++i)
            net.bssid[i] = static_cast<uint8_t>(0x10 * (i + 1) + world_->networkCount);
        return net;
    }
    NdisRequestRecord Ask(uint32_t type, uint32_t oid, uint32_t length, bool isPrivate = false,
                          const void* setData = nullptr, uint32_t setLength = 0,
                          bool readable = true) {
        NdisRequestRecord r;
        memset(&r, 0xCD, sizeof r); // stale bytes the answer must not leak as counts
        r.status = NX_STATUS_FAILURE;
        r.requestType = type;
        r.oid = oid;
        r.buffer = 0x00400000;
        r.bufferLength = length;
        SimSetData set = {readable ? static_cast<const uint8_t*>(setData) : nullptr, setLength};
        SimAnswerRequest(world_.get(), &runtime_, &handle_, &r, isPrivate ? 1 : 0, &set);
        return r;
    }
    NdisRequestRecord Query(uint32_t oid, uint32_t length, bool isPrivate = false) {
        return Ask(NX_REQUEST_QUERY_INFORMATION, oid, length, isPrivate);
    }
    AdapterStatusSnapshot Snapshot() {
        NdisRequestRecord r = Query(NX_OID_ADAPTER_STATUS, sizeof(AdapterStatusSnapshot));
        EXPECT_EQ(NX_STATUS_SUCCESS, r.status);
        AdapterStatusSnapshot s;
        memcpy(&s, r.data, sizeof s);
        return s;
    }

    std::unique_ptr<SimWorldModel> world_;
    SimAdapterRuntime runtime_;
    SimHandleState handle_;
};

TEST_F(SimAdapter, SnapshotCarriesTheJoinedNetworkAndWorldFigures) {
    SimNetworkModel& net = AddNetwork("Harbour", 149, 77);
    strcpy(net.wepKey, "0123456789");
    net.mode = 1;
    AddNetwork("Second", 36, 10);
    // A station set for it: ad hoc, WEP with its key.
    SimStationConfig& station = runtime_.station;
    strcpy(station.ssid, "Harbour");
    station.mode = 1;
    station.privacy = 1;
    station.keyLength = 5;
    memcpy(station.key, "\x01\x23\x45\x67\x89", 5);
    world_->regulatoryDomain = 0x40;
    world_->txRate = 48;
    world_->rxRate = 24;
    AdapterStatusSnapshot s = Snapshot();
    EXPECT_EQ(0u, s.disconnected);
    EXPECT_STREQ("Harbour", s.ssid);
    EXPECT_EQ(0, memcmp(net.bssid, s.bssid, 6));
    EXPECT_EQ(149u, s.channel);
    EXPECT_EQ(77, s.signalLevel);
    EXPECT_NE(0u, s.wepEnabled);
    EXPECT_EQ(1u, s.networkMode);
    EXPECT_EQ(48u, s.txRateMbps);
    EXPECT_EQ(24u, s.rxRateMbps);
    EXPECT_EQ(0x40u, s.regulatoryDomain);
}

TEST_F(SimAdapter, NoNetworkOrRadioOffReportsDisconnectedWithoutAName) {
    EXPECT_NE(0u, Snapshot().disconnected);
    AddNetwork("Harbour", 36, 50);
    EXPECT_EQ(0u, Snapshot().disconnected);
    runtime_.radioOn = 0;
    AdapterStatusSnapshot s = Snapshot();
    EXPECT_NE(0u, s.disconnected);
    EXPECT_STREQ("", s.ssid);
    EXPECT_EQ(0, s.signalLevel);
}

TEST_F(SimAdapter, LongestNetworkNameStaysTerminatedInSnapshotAndScan) {
    std::string name(SIM_MAX_SSID, 'N');
    AddNetwork(name.c_str(), 36, 50);
    AdapterStatusSnapshot s = Snapshot();
    EXPECT_EQ(name, std::string(s.ssid, strnlen(s.ssid, sizeof s.ssid)));
    EXPECT_EQ('\0', s.ssid[SIM_MAX_SSID]);
    NetworkScanEntry e;
    SimBuildScanEntry(&world_->networks[0], &e);
    EXPECT_EQ(name, std::string(e.ssid, strnlen(e.ssid, sizeof e.ssid)));
}

TEST_F(SimAdapter, TooShortBufferGetsInvalidLengthAndNoData) {
    AddNetwork("Harbour", 36, 50);
    NdisRequestRecord r = Query(NX_OID_ADAPTER_STATUS, 239);
    EXPECT_EQ(NX_STATUS_INVALID_LENGTH, r.status);
    EXPECT_EQ(240u, r.bytesNeeded);
    EXPECT_EQ(0u, r.bytesWritten);
}

TEST_F(SimAdapter, LargerBufferGetsTheAnswerSizeUnlessExactLength) {
    NdisRequestRecord r = Query(NX_OID_PERMANENT_ADDRESS, 64);
    EXPECT_EQ(NX_STATUS_SUCCESS, r.status);
    EXPECT_EQ(6u, r.bytesWritten);
    world_->exactLength = 1;
    r = Query(NX_OID_PERMANENT_ADDRESS, 64);
    EXPECT_EQ(NX_STATUS_INVALID_LENGTH, r.status);
    EXPECT_EQ(6u, r.bytesNeeded);
    EXPECT_EQ(0u, r.bytesWritten);
    r = Query(NX_OID_PERMANENT_ADDRESS, 6);
    EXPECT_EQ(NX_STATUS_SUCCESS, r.status);
}

TEST_F(SimAdapter, BytesWrittenNeverExceedsBufferOrInlineArea) {
    SimOidAnswer& big = world_->oids[world_->oidCount++];
    big.oid = 0x00010203;
    big.size = NX_INLINE_DATA_SIZE;
    memset(big.data, 0xAB, big.size);
    NdisRequestRecord r = Query(big.oid, 4096);
    EXPECT_EQ(NX_STATUS_SUCCESS, r.status);
    EXPECT_EQ(NX_INLINE_DATA_SIZE, r.bytesWritten);
    r = Query(big.oid, 100);
    EXPECT_EQ(NX_STATUS_INVALID_LENGTH, r.status);
    EXPECT_EQ(0u, r.bytesWritten);
}

TEST_F(SimAdapter, StoredAnswerTakesPrecedenceOverBuiltIn) {
    SimOidAnswer& a = world_->oids[world_->oidCount++];
    a.oid = NX_OID_PERMANENT_ADDRESS;
    a.size = 6;
    memset(a.data, 0xFF, 6);
    NdisRequestRecord r = Query(NX_OID_PERMANENT_ADDRESS, 6);
    ASSERT_EQ(NX_STATUS_SUCCESS, r.status);
    EXPECT_EQ(0xFF, r.data[0]);
}

TEST_F(SimAdapter, ScanAnswerHoldsWholeEntriesOnlyAndNamesTheFullSize) {
    for (int i = 0; i < 45; ++i)
        AddNetwork(("n" + std::to_string(i)).c_str(), 36, i);
    for (uint32_t capacity = 20; capacity < 50; capacity += 10) {
        NdisRequestRecord r = Query(NX_OID_SCAN_LIST, capacity * 72);
        EXPECT_EQ(NX_STATUS_INVALID_LENGTH, r.status) << capacity;
        EXPECT_EQ(45u * 72, r.bytesNeeded);
    }
    NdisRequestRecord r = Query(NX_OID_SCAN_LIST, 50 * 72);
    ASSERT_EQ(NX_STATUS_SUCCESS, r.status);
    EXPECT_EQ(7u * 72, r.bytesWritten);
    EXPECT_EQ(45u * 72, r.bytesNeeded);

    world_->networkCount = 3;
    r = Query(NX_OID_SCAN_LIST, 3 * 72 + 71); // room for a partial fourth
    ASSERT_EQ(NX_STATUS_SUCCESS, r.status);
    EXPECT_EQ(3u * 72, r.bytesWritten);
    NetworkScanEntry e;
    memcpy(&e, r.data + 2 * 72, sizeof e);
    EXPECT_STREQ("n2", e.ssid);
    EXPECT_EQ(2u, e.value56);
    EXPECT_EQ(36u, e.value44);
}

TEST_F(SimAdapter, EmptyScanSucceedsWithNoBytes) {
    NdisRequestRecord r = Query(NX_OID_SCAN_LIST, 20 * 72);
    EXPECT_EQ(NX_STATUS_SUCCESS, r.status);
    EXPECT_EQ(0u, r.bytesWritten);
    AddNetwork("Harbour", 36, 50);
    runtime_.radioOn = 0;
    r = Query(NX_OID_SCAN_LIST, 20 * 72);
    EXPECT_EQ(0u, r.bytesWritten) << "radio off sees nothing";
}

TEST_F(SimAdapter, TrafficAccumulatesFractionsEachWayAndStopsWhenDisconnected) {
    AddNetwork("Harbour", 36, 50);
    world_->traffic = 3;    // sent
    world_->rxTraffic = 13; // received
    SimAdvanceTraffic(&runtime_, world_.get(), 1000);
    for (int i = 1; i <= 4; ++i) // four half seconds
        SimAdvanceTraffic(&runtime_, world_.get(), 1000 + i * 5000000ull);
    EXPECT_EQ(6u, runtime_.txPackets);
    EXPECT_EQ(26u, runtime_.rxPackets);
    SimAdvanceTraffic(&runtime_, world_.get(), 1000 + 25000000ull); // half a second more
    EXPECT_EQ(7u, runtime_.txPackets);                              // 7.5: the half is carried
    EXPECT_EQ(32u, runtime_.rxPackets);                             // 32.5
    runtime_.radioOn = 0;
    SimAdvanceTraffic(&runtime_, world_.get(), 1000 + 100000000ull);
    EXPECT_EQ(7u, runtime_.txPackets);
    EXPECT_EQ(32u, runtime_.rxPackets);
    runtime_.radioOn = 1;
    SimAdvanceTraffic(&runtime_, world_.get(), 500); // clock went back: no jump
    EXPECT_EQ(7u, runtime_.txPackets);
    // One direction quiet, the other still counting.
    world_->traffic = 0;
    SimAdvanceTraffic(&runtime_, world_.get(), 500 + 10000000ull);
    EXPECT_EQ(7u, runtime_.txPackets);
    EXPECT_EQ(45u, runtime_.rxPackets);
}

TEST_F(SimAdapter, HugePauseDoesNotOverflowTheCounterArithmetic) {
    AddNetwork("Harbour", 36, 50);
    world_->traffic = 0xFFFFFFFFu;
    world_->rxTraffic = 0xFFFFFFFFu;
    SimAdvanceTraffic(&runtime_, world_.get(), 1);
    SimAdvanceTraffic(&runtime_, world_.get(), 0x7FFFFFFFFFFFFFFFull);
    // Capped at a day: 86400 s x rate, modulo 2^32, without undefined behaviour.
    EXPECT_EQ(static_cast<uint32_t>(86400ull * 0xFFFFFFFFull), runtime_.txPackets);
    EXPECT_EQ(static_cast<uint32_t>(86400ull * 0xFFFFFFFFull), runtime_.rxPackets);
}

TEST_F(SimAdapter, AdapterNamesMatchWholeNamesIgnoringCase) {
    ASSERT_TRUE(SimWorldAddAdapterName(world_.get(), "\\Device\\DOVIZ1"));
    ASSERT_TRUE(SimWorldAddAdapterName(world_.get(), "\\Device\\{ABC}"));
    const char exact[] = "\\device\\doviz1";
    EXPECT_TRUE(SimWorldHasAdapterName(world_.get(), exact, sizeof exact)); // with its NUL
    EXPECT_TRUE(SimWorldHasAdapterName(world_.get(), "\\Device\\{abc}", 13));
    EXPECT_FALSE(SimWorldHasAdapterName(world_.get(), "\\Device\\DOVIZ", 13));
    EXPECT_FALSE(SimWorldHasAdapterName(world_.get(), "\\Device\\DOVIZ12", 15));
    EXPECT_FALSE(SimWorldHasAdapterName(world_.get(), "", 1));
}

TEST_F(SimAdapter, AdapterNameListRefusesWhatDoesNotFit) {
    std::string name(200, 'x');
    int added = 0;
    while (SimWorldAddAdapterName(world_.get(), name.c_str()))
        ++added;
    EXPECT_EQ(static_cast<int>(SIM_ADAPTER_NAMES_SIZE / 201), added);
    EXPECT_TRUE(SimWorldHasAdapterName(world_.get(), name.c_str(), name.size()));
    EXPECT_FALSE(SimWorldAddAdapterName(world_.get(), std::string(300, 'y').c_str()));
}

TEST_F(SimAdapter, OidNamesNeedExactlyEightHexDigits) {
    uint32_t oid = 0;
    EXPECT_TRUE(SimParseOidName("FF100004", &oid));
    EXPECT_EQ(0xFF100004u, oid);
    EXPECT_TRUE(SimParseOidName("0001010a", &oid));
    EXPECT_EQ(0x0001010Au, oid);
    EXPECT_FALSE(SimParseOidName("0101010", &oid));
    EXPECT_FALSE(SimParseOidName("010101011", &oid));
    EXPECT_FALSE(SimParseOidName("0101010G", &oid));
}

TEST_F(SimAdapter, RadioSetTurnsTheAdapterOffAndOn) {
    AddNetwork("Harbour", 36, 50);
    uint32_t off = 0, on = 1;
    NdisRequestRecord r = Ask(NX_REQUEST_SET_INFORMATION, NX_OID_RADIO, 4, false, &off, 4);
    EXPECT_EQ(NX_STATUS_SUCCESS, r.status);
    EXPECT_EQ(4u, r.bytesWritten);
    EXPECT_NE(0u, Snapshot().disconnected);
    EXPECT_EQ(0u, runtime_.radioState);
    Ask(NX_REQUEST_SET_INFORMATION, NX_OID_RADIO, 4, false, &on, 4);
    EXPECT_EQ(0u, Snapshot().disconnected);
}

TEST_F(SimAdapter, UnreadableRadioValueLeavesRadioAndSaysUnknown) {
    AddNetwork("Harbour", 36, 50);
    uint32_t off = 0;
    NdisRequestRecord r =
        Ask(NX_REQUEST_SET_INFORMATION, NX_OID_RADIO, 4, false, &off, 4, /*readable=*/false);
    EXPECT_EQ(NX_STATUS_SUCCESS, r.status);
    EXPECT_EQ(SIM_RADIO_STATE_UNKNOWN, runtime_.radioState);
    EXPECT_EQ(0u, Snapshot().disconnected);
    r = Query(NX_OID_SIM_RADIO_STATE, 4);
    uint32_t state;
    memcpy(&state, r.data, 4);
    EXPECT_EQ(SIM_RADIO_STATE_UNKNOWN, state);
}

TEST_F(SimAdapter, LoopbackBlockSetsAndClearsTheHandleFlag) {
    uint8_t block[8 + 6] = {};
    uint32_t value = 1, n = 6;
    memcpy(block, &value, 4);
    memcpy(block + 4, &n, 4);
    NdisRequestRecord r =
        Ask(NX_REQUEST_SET_INFORMATION, NX_OID_LOOPBACK, sizeof block, true, block, 8);
    EXPECT_EQ(NX_STATUS_SUCCESS, r.status);
    EXPECT_EQ(sizeof block, r.bytesWritten);
    EXPECT_NE(0u, handle_.loopbackDisabled);
    value = 0;
    memcpy(block, &value, 4);
    Ask(NX_REQUEST_SET_INFORMATION, NX_OID_LOOPBACK, sizeof block, true, block, 8);
    EXPECT_EQ(0u, handle_.loopbackDisabled);
}

TEST_F(SimAdapter, LoopbackBlockClaimingMoreThanItsBufferIsRefused) {
    uint8_t block[8] = {};
    uint32_t value = 1, n = 100;
    memcpy(block, &value, 4);
    memcpy(block + 4, &n, 4);
    NdisRequestRecord r = Ask(NX_REQUEST_SET_INFORMATION, NX_OID_LOOPBACK, 8, true, block, 8);
    EXPECT_EQ(NX_STATUS_INVALID_LENGTH, r.status);
    EXPECT_EQ(0u, handle_.loopbackDisabled);
    r = Ask(NX_REQUEST_SET_INFORMATION, NX_OID_LOOPBACK, 8, true, block, 8, false);
    EXPECT_NE(NX_STATUS_SUCCESS, r.status) << "an unread block must not report success";
}

TEST_F(SimAdapter, LibraryAndAdapterOidsStayApart) {
    world_->unloadState = 3;
    NdisRequestRecord r = Query(NX_OID_UNLOAD_STATE, 4, true);
    ASSERT_EQ(NX_STATUS_SUCCESS, r.status);
    uint32_t state;
    memcpy(&state, r.data, 4);
    EXPECT_EQ(3u, state);
    EXPECT_EQ(NX_STATUS_NOT_SUPPORTED, Query(NX_OID_UNLOAD_STATE, 4, false).status);
    EXPECT_EQ(NX_STATUS_NOT_SUPPORTED, Query(NX_OID_PERMANENT_ADDRESS, 6, true).status);
    EXPECT_EQ(NX_STATUS_NOT_SUPPORTED,
              Ask(NX_REQUEST_SET_INFORMATION, NX_OID_ADAPTER_STATUS, 240).status);
    EXPECT_EQ(NX_STATUS_NOT_SUPPORTED, Ask(7, NX_OID_PERMANENT_ADDRESS, 6).status);
}

TEST_F(SimAdapter, SetDataIsWantedOnlyForSettableOidsWithRoom) {
    NdisRequestRecord r;
    memset(&r, 0, sizeof r);
    r.requestType = NX_REQUEST_SET_INFORMATION;
    r.oid = NX_OID_RADIO;
    r.buffer = 0x1000;
    r.bufferLength = 4;
    EXPECT_EQ(4u, SimSetDataWanted(&r, 0));
    EXPECT_EQ(0u, SimSetDataWanted(&r, 1));
    r.bufferLength = 2;
    EXPECT_EQ(0u, SimSetDataWanted(&r, 0));
    r.bufferLength = 4;
    r.buffer = 0;
    EXPECT_EQ(0u, SimSetDataWanted(&r, 0));
    r.buffer = 0x1000;
    r.requestType = NX_REQUEST_QUERY_INFORMATION;
    EXPECT_EQ(0u, SimSetDataWanted(&r, 0));
    r.requestType = NX_REQUEST_SET_INFORMATION;
    r.oid = NX_OID_LOOPBACK;
    r.bufferLength = 0xFFFFFFFF;
    EXPECT_EQ(8u, SimSetDataWanted(&r, 1));
    EXPECT_LE(SimSetDataWanted(&r, 1), SIM_MAX_SET_DATA);
}

} // namespace

namespace {

const uint64_t kSecond = SIM_TICKS_PER_SECOND;
const uint64_t kT0 = 127200000000000000ull;

// The adapter as it joins, roams and loses its network over time.
class SimJoin : public SimAdapter {
protected:
    void Station(const char* ssid, uint32_t mode = 0) {
        strcpy(runtime_.station.ssid, ssid);
        runtime_.station.mode = mode;
    }
    int Joined() { return SimJoinedNetwork(world_.get(), &runtime_); }
    void At(uint64_t t) { SimAdvanceTraffic(&runtime_, world_.get(), t); }
};

TEST_F(SimJoin, NamedNetworkIsJoinedWhateverItsPlaceInTheList) {
    AddNetwork("First", 36, 80);
    AddNetwork("Second", 52, 20);
    Station("Second");
    EXPECT_EQ(1, Joined());
    AdapterStatusSnapshot s = Snapshot();
    EXPECT_EQ(0u, s.disconnected);
    EXPECT_STREQ("Second", s.ssid);
    EXPECT_EQ(52u, s.channel);
    EXPECT_EQ(20, s.signalLevel);
}

TEST_F(SimJoin, EmptySsidJoinsTheStrongestNetworkOfTheMode) {
    AddNetwork("Weak", 36, 20);
    AddNetwork("AdHocStrong", 40, 90).mode = 1;
    AddNetwork("Strong", 44, 70);
    AddNetwork("AlsoStrong", 48, 70);
    strcpy(AddNetwork("Locked", 52, 95).wepKey, "0123456789");
    Station("");
    EXPECT_EQ(2, Joined()) << "the first of equals, open, of the station's mode";
    Station("", 1);
    EXPECT_EQ(1, Joined());
}

TEST_F(SimJoin, NotJoinedSnapshotSaysDisconnectedWithNoAccessPointAndNoTraffic) {
    AddNetwork("Harbour", 36, 50);
    Station("Elsewhere");
    world_->traffic = 100;
    world_->rxTraffic = 400;
    At(kT0);
    At(kT0 + 10 * kSecond);
    AdapterStatusSnapshot s = Snapshot();
    EXPECT_NE(0u, s.disconnected);
    const uint8_t none[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(0, memcmp(none, s.bssid, 6));
    EXPECT_STREQ("Elsewhere", s.ssid) << "the network it looks for";
    EXPECT_EQ(0, s.signalLevel);
    EXPECT_EQ(0u, s.channel);
    EXPECT_EQ(0u, s.wepEnabled);
    EXPECT_EQ(0u, s.txPackets);
    EXPECT_EQ(0u, s.rxPackets);
}

TEST_F(SimJoin, StationStaysWithItsAccessPointUntilItGoes) {
    AddNetwork("Campus", 36, 60);
    AddNetwork("Campus", 52, 40);
    Station("Campus");
    At(kT0);
    EXPECT_EQ(0, Joined());
    world_->networks[1].signal = 90; // the other access point now stronger
    At(kT0 + kSecond);
    EXPECT_EQ(0, Joined()) << "hopped to a stronger access point";
    world_->networks[0] = world_->networks[1]; // the first one leaves
    world_->networkCount = 1;
    At(kT0 + 2 * kSecond);
    EXPECT_EQ(0, Joined());
    EXPECT_EQ(52u, Snapshot().channel);
}

TEST_F(SimJoin, NetworkComingBackIsJoinedAgain) {
    AddNetwork("Harbour", 36, 50);
    Station("Harbour");
    At(kT0);
    world_->networkCount = 0;
    At(kT0 + kSecond);
    EXPECT_NE(0u, Snapshot().disconnected);
    world_->networkCount = 1;
    At(kT0 + 2 * kSecond);
    EXPECT_EQ(0u, Snapshot().disconnected);
}

TEST_F(SimJoin, TurboDoublesTheRatesOnlyWhereTheNetworkOffersIt) {
    SimNetworkModel& net = AddNetwork("Fast", 36, 60);
    Station("Fast");
    runtime_.station.turbo = 1;
    EXPECT_EQ(54u, Snapshot().txRateMbps) << "network without turbo";
    net.turbo = 1;
    AdapterStatusSnapshot s = Snapshot();
    EXPECT_EQ(108u, s.txRateMbps);
    EXPECT_EQ(108u, s.rxRateMbps);
    runtime_.station.turbo = 0;
    EXPECT_EQ(54u, Snapshot().txRateMbps);
}

TEST_F(SimJoin, OutOfRangeDropsTheLinkAndEmptiesTheScan) {
    AddNetwork("Harbour", 36, 50);
    At(kT0);
    world_->outOfRange = 1;
    At(kT0 + kSecond);
    EXPECT_NE(0u, Snapshot().disconnected);
    EXPECT_EQ(0u, Query(NX_OID_SCAN_LIST, 20 * 72).bytesWritten);
    world_->outOfRange = 0;
    At(kT0 + 2 * kSecond);
    EXPECT_EQ(0u, Snapshot().disconnected);
    EXPECT_EQ(72u, Query(NX_OID_SCAN_LIST, 20 * 72).bytesWritten);
}

TEST_F(SimJoin, RangeCycleDropsAndRestoresTheLinkOverTime) {
    AddNetwork("Harbour", 36, 50);
    world_->rangeCycle = 8;
    const uint64_t cycleStart = 1000000 * 8 * kSecond;
    At(cycleStart + kSecond);
    EXPECT_EQ(0u, Snapshot().disconnected);
    At(cycleStart + 7 * kSecond);
    EXPECT_NE(0u, Snapshot().disconnected);
    At(cycleStart + 9 * kSecond);
    EXPECT_EQ(0u, Snapshot().disconnected);
}

TEST_F(SimJoin, DriftMovesSnapshotAndScanSignalAlike) {
    AddNetwork("Harbour", 36, 32);
    AddNetwork("Other", 40, 50);
    world_->drift = 22;
    std::set<int32_t> seen;
    for (uint64_t s = 0; s < 120; ++s) {
        At(kT0 + s * kSecond);
        AdapterStatusSnapshot snap = Snapshot();
        int32_t expected = SimDriftSignal(32, 22, 0, kT0 + s * kSecond);
        ASSERT_EQ(0u, snap.disconnected);
        ASSERT_STREQ("Other", snap.ssid) << "stays with its first choice";
        NdisRequestRecord r = Query(NX_OID_SCAN_LIST, 20 * 72);
        NetworkScanEntry e;
        memcpy(&e, r.data, sizeof e);
        EXPECT_EQ(static_cast<uint32_t>(expected), e.value56);
        EXPECT_EQ(SimDriftSignal(50, 22, 1, kT0 + s * kSecond), snap.signalLevel);
        EXPECT_EQ(SimRateForSignal(snap.signalLevel), snap.txRateMbps);
        seen.insert(snap.signalLevel);
    }
    EXPECT_GT(seen.size(), 10u);
}

TEST_F(SimJoin, DriftTrafficFollowsEachDirectionsBurstsSecondBySecond) {
    AddNetwork("Harbour", 36, 50);
    world_->traffic = 100;
    world_->rxTraffic = 400;
    world_->drift = 10;
    const uint64_t start = (kT0 / kSecond) * kSecond;
    At(start);
    uint64_t sent = 0, received = 0;
    for (uint64_t s = 0; s < 30; ++s) {
        At(start + (s + 1) * kSecond);
        sent += 100u * SimBurstPercent(start / kSecond + s, SIM_STREAM_TRANSMIT) / 100u;
        received += 400u * SimBurstPercent(start / kSecond + s, SIM_STREAM_RECEIVE) / 100u;
        ASSERT_EQ(sent, runtime_.txPackets) << s;
        ASSERT_EQ(received, runtime_.rxPackets) << s;
    }
    // A long gap is counted second by second too.
    At(start + 130 * kSecond);
    for (uint64_t s = 30; s < 130; ++s) {
        sent += 100u * SimBurstPercent(start / kSecond + s, SIM_STREAM_TRANSMIT) / 100u;
        received += 400u * SimBurstPercent(start / kSecond + s, SIM_STREAM_RECEIVE) / 100u;
    }
    EXPECT_EQ(static_cast<uint32_t>(sent), runtime_.txPackets);
    EXPECT_EQ(static_cast<uint32_t>(received), runtime_.rxPackets);
    // Several times as much received, in bursts of its own: not the sent
    // figure scaled.
    EXPECT_GT(received, 3 * sent);
    EXPECT_NE(4 * sent, received);
}

TEST_F(SimJoin, BindingsDieWithTheRemovalOfTheAdapter) {
    EXPECT_TRUE(SimBindingAlive(world_.get(), 0));
    world_->unplugged = 1;
    EXPECT_FALSE(SimBindingAlive(world_.get(), 0));
    world_->unplugged = 0;
    world_->removals = 1;
    EXPECT_FALSE(SimBindingAlive(world_.get(), 0)) << "a binding from before the removal";
    EXPECT_TRUE(SimBindingAlive(world_.get(), 1));
}

} // namespace

namespace {

TEST(SimAdapterKey, InstanceIdNamesTheClassInstanceAndServiceNameItsParameters) {
    char id[64];
    EXPECT_EQ(
        SIM_ADAPTER_KEY_CLASS_INSTANCE,
        SimAdapterKeyFromName("\\Device\\{5F2A9C31-7B4E-4D8A-9C1E-3B6D0A7E2F41}", id, sizeof id));
    EXPECT_STREQ("{5F2A9C31-7B4E-4D8A-9C1E-3B6D0A7E2F41}", id);
    EXPECT_EQ(SIM_ADAPTER_KEY_SERVICE_PARAMETERS,
              SimAdapterKeyFromName("\\DEVICE\\DOVIZ1", id, sizeof id));
    EXPECT_STREQ("DOVIZ1", id);
}

TEST(SimAdapterKey, NamesOutsideDeviceOrReachingElsewhereNameNoKey) {
    char id[8];
    for (const char* name : {"DOVIZ1", "\\Device\\", "\\Devices\\DOVIZ1", "\\Device\\..\\Enum",
                             "\\Device\\DOVIZ1\\Parameters", "\\Device\\TooLongName", ""})
        EXPECT_EQ(SIM_ADAPTER_KEY_NONE, SimAdapterKeyFromName(name, id, sizeof id)) << name;
}

} // namespace

namespace {

TEST(SimRestart, RestartedAdapterCountsFromZeroFromItsStartAndKeepsTheRequestCount) {
    auto world = std::make_unique<SimWorldModel>();
    SimWorldInit(world.get());
    SimNetworkModel& net = world->networks[world->networkCount++];
    memset(&net, 0, sizeof net);
    strcpy(net.ssid, "Harbour");
    net.signal = 50;
    world->traffic = 10;
    world->rxTraffic = 40;
    SimAdapterRuntime runtime;
    SimRuntimeInit(&runtime);
    const uint64_t t0 = 127200000000000000ull, second = SIM_TICKS_PER_SECOND;
    SimAdvanceTraffic(&runtime, world.get(), t0);
    SimAdvanceTraffic(&runtime, world.get(), t0 + 5 * second);
    ASSERT_EQ(50u, runtime.txPackets);
    runtime.radioOn = 0;
    runtime.requestCount = 7;

    SimStationConfig station;
    SimStationInit(&station);
    strcpy(station.ssid, "Harbour");
    // Started some time after the last request: that pause is not traffic.
    SimRuntimeRestart(&runtime, &station, t0 + 60 * second);
    EXPECT_EQ(0u, runtime.txPackets);
    EXPECT_EQ(1u, runtime.radioOn);
    EXPECT_EQ(7u, runtime.requestCount);
    EXPECT_STREQ("Harbour", runtime.station.ssid);
    SimAdvanceTraffic(&runtime, world.get(), t0 + 61 * second);
    EXPECT_EQ(10u, runtime.txPackets);
    EXPECT_EQ(40u, runtime.rxPackets);
}

} // namespace
