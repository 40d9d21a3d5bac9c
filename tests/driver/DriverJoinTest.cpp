// The stand-in joins what the utility's stored driver values say: the values
// are written by the utility's own code (WriteDriverParameters, keys
// enciphered by EncryptKeyText under the adapter's CardCfgId) and taken up
// when the adapter starts, that is when a binding opens while no other is.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "config/ConfigRecord.h"
#include "config/DriverParameters.h"
#include "config/KeyProtection.h"
#include "config/ProfileStore.h"
#include "config/RegistryKey.h"
#include "config/SystemRegistry.h"
#include "driver/SimDrift.h"
#include "sim/SimControl.h"
#include "tests/driver/DriverSession.h"

namespace {

const char kWepKey[] = "0123456789"; // HarbourLab's key in the default world

std::string Nt4Name() {
    return std::string("\\Device\\") + NX_SIM_NT4_SERVICE_NAME;
}

class DriverJoin : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        ClearConfigurations();
    }
    void TearDown() override {
        ClearConfigurations();
        StandInTest::TearDown();
    }

    // A key enciphered the way the utility stores it for the adapter whose
    // key is at `path` (its CardCfgId, made on first use).
    CString Encipher(const char* plain, int32_t bits,
                     const std::string& path = SimClassInstanceKeyPath()) {
        LoadConfigurations(path.c_str());
        return EncryptKeyText(plain, bits);
    }
    CConfigRecord Open(const char* ssid, int32_t connectionType = 1) {
        CConfigRecord r;
        r.name = "Test";
        r.networkName = ssid;
        r.connectionType = connectionType;
        return r;
    }
    CConfigRecord Wep(const char* ssid, const char* plain, int32_t bits,
                      const std::string& path = SimClassInstanceKeyPath()) {
        CConfigRecord r = Open(ssid);
        r.enableSecurity = 1;
        r.defaultKey = 1;
        r.sharedKey[0] = Encipher(plain, bits, path);
        r.sharedKeyLength[0] = bits;
        return r;
    }
    // Writes the record's driver values as the profile store does.
    void Write(const CConfigRecord& record, const std::string& path = SimClassInstanceKeyPath()) {
        std::unique_ptr<RegistryKeyAccess> key = SystemRegistryKey().OpenChild(path.c_str());
        ASSERT_NE(nullptr, key) << path;
        WriteDriverParameters(*key, record);
    }
    // A new binding of the adapter (by `name`) and its status.
    Handle Bind(const std::string& name = DefaultAdapterName()) {
        Handle h = OpenDriver();
        EXPECT_TRUE(h.valid());
        EXPECT_EQ(0u, BindAdapter(h.get(), name)) << name;
        return h;
    }
    AdapterStatusSnapshot Status(const Handle& h) {
        AdapterStatusSnapshot s;
        memset(&s, 0xEE, sizeof s);
        EXPECT_TRUE(QuerySnapshot(h.get(), s));
        return s;
    }
    // Status through a binding opened for it alone.
    AdapterStatusSnapshot JoinAs(const std::string& name = DefaultAdapterName()) {
        Handle h = Bind(name);
        return Status(h);
    }
    uint32_t RequestStatus(const Handle& h) {
        NdisRequestRecord r = MakeRecord(NX_REQUEST_QUERY_INFORMATION, NX_OID_ADAPTER_STATUS, 240);
        EXPECT_EQ(0u, SendRecord(h.get(), r));
        return r.status;
    }
};

void ExpectJoined(const SimNetwork& net, const AdapterStatusSnapshot& s) {
    EXPECT_EQ(0u, s.disconnected);
    EXPECT_STREQ(net.ssid.c_str(), s.ssid);
    EXPECT_EQ(0, memcmp(net.bssid, s.bssid, 6));
    EXPECT_EQ(net.channel, s.channel);
    EXPECT_EQ(net.signal, s.signalLevel);
    EXPECT_EQ(net.wepKey.empty() ? 0u : 1u, s.wepEnabled);
    EXPECT_EQ(net.mode, s.networkMode);
}

void ExpectDisconnectedFrom(const char* ssid, const AdapterStatusSnapshot& s) {
    EXPECT_NE(0u, s.disconnected);
    const uint8_t none[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(0, memcmp(none, s.bssid, 6));
    EXPECT_STREQ(ssid, s.ssid);
    EXPECT_EQ(0, s.signalLevel);
}

TEST_F(DriverJoin, InstalledParametersJoinTheFirstNetwork) {
    ExpectJoined(SimDefaultNetworks()[0], JoinAs());
}

TEST_F(DriverJoin, RightWepKeyJoinsTheNetwork) {
    Write(Wep("HarbourLab", kWepKey, 40));
    ExpectJoined(SimDefaultNetworks()[1], JoinAs());
}

TEST_F(DriverJoin, WrongWepKeyLeavesTheAdapterDisconnected) {
    Write(Wep("HarbourLab", "0123456788", 40));
    ExpectDisconnectedFrom("HarbourLab", JoinAs());
}

TEST_F(DriverJoin, RightKeyOfAnotherLengthLeavesTheAdapterDisconnected) {
    // The network's five key bytes followed by more, as a 104-bit key.
    Write(Wep("HarbourLab", "0123456789000000000000000", 104));
    ExpectDisconnectedFrom("HarbourLab", JoinAs());
}

TEST_F(DriverJoin, KeyEncipheredUnderAnotherCardIdDoesNotJoin) {
    Write(Wep("HarbourLab", kWepKey, 40));
    CRegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, SimClassInstanceKeyPath().c_str()));
    ASSERT_EQ(1, key.SetString("CardCfgId", "00000000-0000-0000-0000-000000000000"));
    ExpectDisconnectedFrom("HarbourLab", JoinAs());
}

TEST_F(DriverJoin, PrivacyOffDoesNotJoinAWepNetwork) {
    CConfigRecord r = Wep("HarbourLab", kWepKey, 40);
    r.enableSecurity = 0;
    Write(r);
    ExpectDisconnectedFrom("HarbourLab", JoinAs());
}

TEST_F(DriverJoin, UniqueKeyAsDefaultKeyJoins) {
    CConfigRecord r = Open("HarbourLab");
    r.enableSecurity = 1;
    r.defaultKey = 0;
    r.uniqueKey = Encipher(kWepKey, 40);
    r.uniqueKeyLength = 40;
    r.sharedKey[0] = Encipher("9999999999", 40);
    Write(r);
    ExpectJoined(SimDefaultNetworks()[1], JoinAs());
    r.defaultKey = -1; // written as "-2": no transmit key
    Write(r);
    ExpectDisconnectedFrom("HarbourLab", JoinAs());
}

TEST_F(DriverJoin, AdHocProfileJoinsTheAdHocCellOnly) {
    Write(Open("adhoc-cell", 0));
    ExpectJoined(SimDefaultNetworks()[2], JoinAs());
    Write(Open("VELNORA", 0));
    ExpectDisconnectedFrom("VELNORA", JoinAs());
}

TEST_F(DriverJoin, EmptyNetworkNameJoinsTheStrongestOpenNetworkOfTheMode) {
    std::vector<SimNetwork> nets = SimDefaultNetworks();
    nets[0].signal = 20;
    SimNetwork strong = nets[0];
    strong.ssid = "Strong";
    strong.bssid[5] = 0x31;
    strong.signal = 70;
    nets.push_back(strong);
    ASSERT_TRUE(SimSetNetworks(nets));
    Write(Open(""));
    ExpectJoined(strong, JoinAs());
}

TEST_F(DriverJoin, TurboDoublesTheRatesWhereTheNetworkOffersIt) {
    std::vector<SimNetwork> nets = SimDefaultNetworks();
    nets[0].turbo = true;
    ASSERT_TRUE(SimSetNetworks(nets));
    CConfigRecord r = Open("VELNORA");
    r.enableTurbo = 1;
    Write(r);
    AdapterStatusSnapshot s = JoinAs();
    EXPECT_EQ(108u, s.txRateMbps);
    EXPECT_EQ(108u, s.rxRateMbps);
    r.enableTurbo = 0;
    Write(r);
    EXPECT_EQ(54u, JoinAs().txRateMbps);
}

TEST_F(DriverJoin, ChangedParametersTakeEffectWhenTheLastBindingClosesAndOneOpens) {
    Handle first = Bind();
    ExpectJoined(SimDefaultNetworks()[0], Status(first));
    Write(Wep("HarbourLab", kWepKey, 40));
    {
        SCOPED_TRACE("still bound");
        ExpectJoined(SimDefaultNetworks()[0], Status(first));
    }
    {
        Handle second = Bind();
        SCOPED_TRACE("a second binding opened while the first is");
        ExpectJoined(SimDefaultNetworks()[0], Status(second));
        first.Reset();
        SCOPED_TRACE("the first closed while the second is open");
        ExpectJoined(SimDefaultNetworks()[0], Status(second));
    }
    // The restart: every binding closed, one opens again.
    ExpectJoined(SimDefaultNetworks()[1], JoinAs());
}

TEST_F(DriverJoin, RestartedAdapterCountsPacketsFromItsStart) {
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_TRAFFIC, 1000));
    {
        Handle h = Bind();
        Status(h);
        Sleep(400);
        EXPECT_GE(Status(h).txPackets, 300u);
    }
    Sleep(600); // closed: neither this pause nor what came before counts
    Handle h = Bind();
    EXPECT_LT(Status(h).txPackets, 200u);
}

TEST_F(DriverJoin, UnboundHandlesDoNotKeepTheAdapterRunning) {
    Handle bound = Bind();
    Write(Open("adhoc-cell", 0));
    bound.Reset();
    // handle_ (open, never bound) stays open throughout.
    ExpectJoined(SimDefaultNetworks()[2], JoinAs());
}

TEST_F(DriverJoin, Nt4NameReadsTheServiceParametersAndXpNameTheClassInstance) {
    Write(Open("adhoc-cell", 0), SimNt4ParametersKeyPath());
    Write(Wep("HarbourLab", kWepKey, 40));
    ExpectJoined(SimDefaultNetworks()[2], JoinAs(Nt4Name()));
    ExpectJoined(SimDefaultNetworks()[1], JoinAs());
}

TEST_F(DriverJoin, Nt4KeysDecipherUnderTheParametersKeyCardId) {
    Write(Wep("HarbourLab", kWepKey, 40, SimNt4ParametersKeyPath()), SimNt4ParametersKeyPath());
    ExpectJoined(SimDefaultNetworks()[1], JoinAs(Nt4Name()));
}

TEST_F(DriverJoin, RemovedAdapterFailsItsBindingsAndRefusesNewOnes) {
    Handle old = Bind();
    ASSERT_TRUE(SimUnplugAdapter());
    EXPECT_EQ(NX_SIM_STATUS_ADAPTER_REMOVED, RequestStatus(old));
    Handle h = OpenDriver();
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), BindAdapter(h.get(), DefaultAdapterName()));
    char packet[60] = {};
    EXPECT_NE(0u, Control(old.get(), NX_IOCTL_SEND_PACKET, packet, sizeof packet, nullptr, 0));

    // Back, with other parameters: a new binding starts it with them; the
    // binding from before stays dead.
    Write(Open("adhoc-cell", 0));
    ASSERT_TRUE(SimPlugAdapter());
    Handle fresh = Bind();
    ExpectJoined(SimDefaultNetworks()[2], Status(fresh));
    EXPECT_EQ(NX_SIM_STATUS_ADAPTER_REMOVED, RequestStatus(old));
    old.Reset();
    ExpectJoined(SimDefaultNetworks()[2], Status(fresh));
}

} // namespace

namespace {

// The world moving on its own: the stand-in computes drift and range from
// the system time at each request, with no tool running.
class DriverWorld : public DriverJoin {
protected:
    static uint64_t Now() {
        FILETIME ft;
        GetSystemTimeAsFileTime(&ft);
        return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    }
    // Smallest and largest drifted signal over [from, to].
    static void Bounds(int32_t base, uint32_t depth, uint32_t index, uint64_t from, uint64_t to,
                       int32_t& low, int32_t& high) {
        low = 95;
        high = 0;
        for (uint64_t t = from;; t += SIM_TICKS_PER_SECOND / 100) {
            int32_t v = SimDriftSignal(base, depth, index, t < to ? t : to);
            low = v < low ? v : low;
            high = v > high ? v : high;
            if (t >= to)
                break;
        }
    }
};

TEST_F(DriverWorld, DriftedSignalIsTheWorldsFunctionOfTheSystemTime) {
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_DRIFT, 40));
    Handle h = Bind();
    for (int i = 0; i < 5; ++i) {
        uint64_t before = Now();
        AdapterStatusSnapshot s = Status(h);
        uint64_t after = Now();
        int32_t low, high;
        Bounds(SimDefaultNetworks()[0].signal, 40, 0, before, after, low, high);
        EXPECT_GE(s.signalLevel, low);
        EXPECT_LE(s.signalLevel, high);
        EXPECT_EQ(SimRateForSignal(s.signalLevel), s.txRateMbps);
        Sleep(300);
    }
}

TEST_F(DriverWorld, OutOfRangeDropsTheLinkAndInRangeRestoresIt) {
    Handle h = Bind();
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_OUT_OF_RANGE, 1));
    ExpectDisconnectedFrom("VELNORA", Status(h));
    NdisRequestRecord r = MakeRecord(NX_REQUEST_QUERY_INFORMATION, NX_OID_SCAN_LIST, 20 * 72);
    ASSERT_EQ(0u, SendRecord(h.get(), r));
    EXPECT_EQ(0u, r.bytesWritten);
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_OUT_OF_RANGE, 0));
    ExpectJoined(SimDefaultNetworks()[0], Status(h));
}

TEST_F(DriverWorld, DemoWorldJoinsItsFirstNetworkAndListsAllThree) {
    ASSERT_TRUE(SimApplyDemoWorld());
    std::vector<SimNetwork> demo = SimDemoNetworks();
    ASSERT_EQ(3u, demo.size());
    Handle h = Bind();
    AdapterStatusSnapshot s = Status(h);
    EXPECT_EQ(0u, s.disconnected);
    EXPECT_STREQ(demo[0].ssid.c_str(), s.ssid);
    EXPECT_GE(s.signalLevel, demo[0].signal - static_cast<int32_t>(kSimDefaultDrift));
    EXPECT_LE(s.signalLevel, demo[0].signal + static_cast<int32_t>(kSimDefaultDrift));
    NdisRequestRecord r = MakeRecord(NX_REQUEST_QUERY_INFORMATION, NX_OID_SCAN_LIST, 20 * 72);
    ASSERT_EQ(0u, SendRecord(h.get(), r));
    ASSERT_EQ(3u * 72, r.bytesWritten);
    int wep = 0;
    for (size_t i = 0; i < demo.size(); ++i) {
        NetworkScanEntry e;
        memcpy(&e, r.data + i * 72, sizeof e);
        EXPECT_STREQ(demo[i].ssid.c_str(), e.ssid);
        wep += !demo[i].wepKey.empty();
    }
    EXPECT_EQ(1, wep);
    // The WEP one joins with its key.
    h.Reset();
    Write(Wep(demo[1].ssid.c_str(), SimDemoWepKey(), 40));
    AdapterStatusSnapshot joined = JoinAs();
    EXPECT_EQ(0u, joined.disconnected);
    EXPECT_STREQ(demo[1].ssid.c_str(), joined.ssid);
}

} // namespace
