#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "adapter/AdapterAccess.h"
#include "adapter/NetworkScanList.h"
#include "adapter/StatusText.h"
#include "agent/W32N.h"
#include "config/ProfileStore.h"
#include "platform/Platform.h"
#include "sim/SimControl.h"
#include "tests/platform/TestRegistry.h"
#include "tests/support/WineFamily.h"

// The agent library reads the adapter records the way Windows 2000/XP keeps
// them, so every case runs in a copy that Wine presents as Windows XP.
#define RUN_AS_WINXP()                                                                             \
    if (!InFamilyChild()) {                                                                        \
        EXPECT_EQ(0, RunTestAs("winxp"));                                                          \
        return;                                                                                    \
    }

namespace {

const char kClassKey[] =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

// The 2000/XP strategy, watched: where it looked and what it was told.
class WatchedPlatform : public CPlatformNT5 {
public:
    CString classKeyOverride;
    std::vector<std::string> loadedPaths;
    int deviceNames = 0;

    bool GetAdapterClassKey(CString& path) override {
        if (classKeyOverride.IsEmpty())
            return CPlatformNT5::GetAdapterClassKey(path);
        path = classKeyOverride;
        return true;
    }
    bool MakeDeviceName(const char* serviceName, CString& deviceName) override {
        ++deviceNames;
        return CPlatformNT5::MakeDeviceName(serviceName, deviceName);
    }
    bool LoadAdapterData(const char* adapterKeyPath) override {
        loadedPaths.push_back(adapterKeyPath);
        return CPlatformNT5::LoadAdapterData(adapterKeyPath);
    }
};

uint32_t RequestCount(AdapterAccess& access) {
    uint32_t count = 0, length = sizeof count;
    if (!access.Query(NX_OID_SIM_REQUEST_COUNT, &count, &length))
        return 0xFFFFFFFF;
    return count;
}

// Requests counted between two count queries with nothing in between.
uint32_t CountingOverhead(AdapterAccess& access) {
    uint32_t a = RequestCount(access);
    return RequestCount(access) - a;
}

// Stops and removes a kernel-driver service if it is registered, so that a
// family whose protocol driver has another service name can install its own.
void RemoveDriverService(const char* name) {
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!scm)
        return;
    if (SC_HANDLE svc = OpenServiceA(scm, name, SERVICE_ALL_ACCESS)) {
        SERVICE_STATUS status;
        ControlService(svc, SERVICE_CONTROL_STOP, &status);
        DeleteService(svc);
        CloseServiceHandle(svc);
    }
    CloseServiceHandle(scm);
}

class AdapterAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!InFamilyChild())
            return;
        ASSERT_TRUE(SimInstallAdapter());
        SimClearOidAnswers();
        SimSetWorldValue(NX_SIM_EXACT_LENGTH, 0);
    }
    void TearDown() override {
        if (!InFamilyChild())
            return;
        SimClearOidAnswers();
        SimSetWorldValue(NX_SIM_EXACT_LENGTH, 0);
        ClearConfigurations();
    }
    MessageLog messages_; // the store may warn about the XP wireless service
};

} // namespace

TEST_F(AdapterAccessTest, OpensSimulatedAdapterByDescriptionAndFillsEverything) {
    RUN_AS_WINXP();
    const uint8_t mac[6] = {0x00, 0x0B, 0x6B, 0x12, 0x34, 0x56};
    ASSERT_TRUE(SimSetPermanentAddress(mac));
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_REGULATORY_DOMAIN, 0x31));
    WatchedPlatform* p = new WatchedPlatform;
    AdapterAccess access(p);
    EXPECT_FALSE(access.IsOpen());
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    EXPECT_TRUE(access.IsOpen());
    EXPECT_EQ(1, access.OpenFlag());
    EXPECT_STREQ("VEN_168C&DEV_0007", access.HardwareIdText().c_str());
    ASSERT_EQ(1u, p->loadedPaths.size());
    EXPECT_EQ(SimClassInstanceKeyPath(), p->loadedPaths[0]);
    EXPECT_EQ(0, lstrcmpiA(SimDriverFilePath().c_str(), p->DriverPath().c_str()))
        << p->DriverPath().c_str();
    EXPECT_FALSE(p->DriverDate().IsEmpty());
    EXPECT_EQ(0, memcmp(mac, p->PermanentAddress(), 6));
    EXPECT_EQ(0x31u, access.Snapshot().regulatoryDomain); // refreshed at open
    CString domain;
    access.FormatRegulatoryDomain(domain);
    EXPECT_STREQ("0x31 Spain", domain.c_str());
    // Open while open only replaces the filter.
    EXPECT_TRUE(access.Open("other"));
    EXPECT_STREQ("other", access.DescriptionFilter());
    std::string longFilter(150, 'f');
    EXPECT_TRUE(access.Open(longFilter.c_str()));
    EXPECT_EQ(longFilter.substr(0, 99), access.DescriptionFilter()); // kept within its field
    EXPECT_EQ(1u, p->loadedPaths.size());
    access.Close();
    EXPECT_FALSE(access.IsOpen());
    EXPECT_EQ(0, access.OpenFlag());
    EXPECT_STREQ("", access.DescriptionFilter());
    EXPECT_EQ(nullptr, FindConfiguration(nullptr));       // profiles released
    EXPECT_EQ(0x31u, access.Snapshot().regulatoryDomain); // kept after close
    EXPECT_FALSE(access.RefreshStatus());
    uint8_t out[6];
    EXPECT_FALSE(access.ReadPermanentAddress(out));
    access.Close(); // harmless twice
}

TEST_F(AdapterAccessTest, UnknownRegulatoryDomainIsNamedUnknown) {
    RUN_AS_WINXP();
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_REGULATORY_DOMAIN, 0x41));
    AdapterAccess access(new WatchedPlatform);
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    CString domain;
    access.FormatRegulatoryDomain(domain);
    EXPECT_STREQ("0x41 <unknown>", domain.c_str());
}

TEST_F(AdapterAccessTest, NoMatchingDescriptionLeavesTheObjectClosed) {
    RUN_AS_WINXP();
    WatchedPlatform* p = new WatchedPlatform;
    AdapterAccess access(p);
    EXPECT_FALSE(access.Open("VELNORA KX750 wireless adapter")); // case matters
    EXPECT_FALSE(access.IsOpen());
    EXPECT_EQ(0, p->deviceNames);
    EXPECT_TRUE(p->loadedPaths.empty());
}

TEST_F(AdapterAccessTest, SecondMatchingAdapterOpensWhenTheFirstFails) {
    RUN_AS_WINXP();
    // A second instance, enumerated after the simulated one, whose name the
    // world accepts while the simulated one's it no longer does.
    const char* guid = "{0D7C2B55-1A64-4F0B-8E2D-5C3A1B9F7E10}";
    std::string second = std::string(kClassKey) + "\\zz_wdtest";
    ASSERT_TRUE(RegWriteString(second, "DriverDesc", NX_SIM_ADAPTER_DESCRIPTION));
    ASSERT_TRUE(RegWriteString(second, "NetCfgInstanceID", guid));
    ASSERT_TRUE(SimSetAdapterNames({std::string("\\Device\\") + guid}));
    WatchedPlatform* p = new WatchedPlatform;
    {
        AdapterAccess access(p);
        EXPECT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
        EXPECT_GE(p->deviceNames, 2);
        ASSERT_EQ(1u, p->loadedPaths.size());
        EXPECT_EQ(second, p->loadedPaths[0]);
    }
    RegRemoveTree(second);
}

TEST_F(AdapterAccessTest, ClassKeyWithoutSubkeysFailsWithoutOpening) {
    RUN_AS_WINXP();
    const char* empty = "SOFTWARE\\WavedeskEmptyClass";
    ASSERT_TRUE(RegCreatePath(empty));
    WatchedPlatform* p = new WatchedPlatform;
    p->classKeyOverride = empty;
    AdapterAccess access(p);
    EXPECT_FALSE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    EXPECT_FALSE(access.IsOpen());
    EXPECT_EQ(0, p->deviceNames);
    p->classKeyOverride = "SOFTWARE\\WavedeskNoSuchClass";
    EXPECT_FALSE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    RegRemoveTree(empty);
}

TEST_F(AdapterAccessTest, NoStrategyMeansNoAdapter) {
    RUN_AS_WINXP();
    AdapterAccess access(nullptr);
    EXPECT_FALSE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    EXPECT_FALSE(access.IsOpen());
}

TEST_F(AdapterAccessTest, ExactLengthDriverIsRetriedOnceWithItsSize) {
    RUN_AS_WINXP();
    const uint32_t oid = 0xFF123456;
    const uint8_t four[4] = {1, 2, 3, 4};
    ASSERT_TRUE(SimSetOidAnswer(oid, four, sizeof four));
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_EXACT_LENGTH, 1));
    AdapterAccess access(new WatchedPlatform);
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    uint32_t overhead = CountingOverhead(access);
    ASSERT_NE(0xFFFFFFFFu, overhead);

    uint8_t buffer[8] = {};
    uint32_t length = sizeof buffer;
    uint32_t before = RequestCount(access);
    EXPECT_TRUE(access.Query(oid, buffer, &length));
    EXPECT_EQ(overhead + 2, RequestCount(access) - before);
    EXPECT_EQ(4u, length);
    EXPECT_EQ(0, memcmp(four, buffer, 4));
}

TEST_F(AdapterAccessTest, AnswerLargerThanTheBufferFailsWithoutASecondRequest) {
    RUN_AS_WINXP();
    const uint32_t oid = 0xFF123457;
    uint8_t sixteen[16];
    memset(sixteen, 0x5A, sizeof sixteen);
    ASSERT_TRUE(SimSetOidAnswer(oid, sixteen, sizeof sixteen));
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_EXACT_LENGTH, 1));
    AdapterAccess access(new WatchedPlatform);
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    uint32_t overhead = CountingOverhead(access);
    uint8_t buffer[8] = {};
    uint32_t length = sizeof buffer;
    uint32_t before = RequestCount(access);
    EXPECT_FALSE(access.Query(oid, buffer, &length));
    EXPECT_EQ(overhead + 1, RequestCount(access) - before);
}

TEST_F(AdapterAccessTest, FailedRefreshKeepsThePreviousSnapshotWhole) {
    RUN_AS_WINXP();
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_REGULATORY_DOMAIN, 0x30));
    AdapterAccess access(new WatchedPlatform);
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    AdapterStatusSnapshot before = access.Snapshot();
    ASSERT_EQ(0x30u, before.regulatoryDomain);
    // A status answer the snapshot cannot hold: the query fails.
    std::vector<uint8_t> big(300, 0x77);
    ASSERT_TRUE(SimSetOidAnswer(NX_OID_ADAPTER_STATUS, big.data(), 300));
    EXPECT_FALSE(access.RefreshStatus());
    EXPECT_EQ(0, memcmp(&before, &access.Snapshot(), sizeof before));
}

TEST_F(AdapterAccessTest, ShortStatusAnswerLeavesTheRestOfTheSnapshotZero) {
    RUN_AS_WINXP();
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_REGULATORY_DOMAIN, 0x30));
    AdapterAccess access(new WatchedPlatform);
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    ASSERT_EQ(0x30u, access.Snapshot().regulatoryDomain);
    std::vector<uint8_t> shortAnswer(100, 0x11);
    ASSERT_TRUE(SimSetOidAnswer(NX_OID_ADAPTER_STATUS, shortAnswer.data(), 100));
    ASSERT_TRUE(access.RefreshStatus());
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&access.Snapshot());
    EXPECT_EQ(0x11, raw[0]);
    EXPECT_EQ(0x11, raw[99]);
    for (size_t i = 100; i < sizeof(AdapterStatusSnapshot); ++i)
        ASSERT_EQ(0, raw[i]) << "byte " << i;
}

TEST_F(AdapterAccessTest, ScanNeedingRoomFor45EntriesSucceedsAtTheFourthQuery) {
    RUN_AS_WINXP();
    std::vector<SimNetwork> nets(45);
    for (size_t i = 0; i < nets.size(); ++i) {
        nets[i].ssid = "net" + std::to_string(i);
        nets[i].bssid[5] = static_cast<uint8_t>(i);
    }
    ASSERT_TRUE(SimSetNetworks(nets));
    AdapterAccess access(new WatchedPlatform);
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    uint32_t overhead = CountingOverhead(access);
    NetworkScanList list;
    uint32_t before = RequestCount(access);
    EXPECT_TRUE(BuildNetworkScanList(access, list));
    EXPECT_EQ(overhead + 4, RequestCount(access) - before);
    // What the driver could hand back; each item decoded in order.
    ASSERT_FALSE(list.empty());
    ASSERT_LE(list.size(), 45u);
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(nets[i].ssid, list[i]->ssid.c_str());
}

TEST_F(AdapterAccessTest, NoNetworksInRangeGivesTrueAndAnEmptyList) {
    RUN_AS_WINXP();
    ASSERT_TRUE(SimSetNetworks({}));
    AdapterAccess access(new WatchedPlatform);
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    uint32_t overhead = CountingOverhead(access);
    NetworkScanList list;
    uint32_t before = RequestCount(access);
    EXPECT_TRUE(BuildNetworkScanList(access, list));
    EXPECT_EQ(overhead + 1, RequestCount(access) - before);
    EXPECT_TRUE(list.empty());
}

TEST_F(AdapterAccessTest, ScanOfAClosedAdapterFailsWithAnEmptyList) {
    RUN_AS_WINXP();
    AdapterAccess access(new WatchedPlatform);
    NetworkScanList list;
    EXPECT_FALSE(BuildNetworkScanList(access, list));
    EXPECT_TRUE(list.empty());
}

TEST_F(AdapterAccessTest, ScanItemsCarryTheNetworksTexts) {
    RUN_AS_WINXP();
    SimNetwork lab;
    lab.ssid = "lab";
    const uint8_t bssid[6] = {0x00, 0x0B, 0x6B, 0xAA, 0xBB, 0xCC};
    memcpy(lab.bssid, bssid, 6);
    ASSERT_TRUE(SimSetNetworks({lab}));
    AdapterAccess access(new WatchedPlatform);
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    NetworkScanList list;
    ASSERT_TRUE(BuildNetworkScanList(access, list));
    ASSERT_EQ(1u, list.size());
    EXPECT_STREQ("lab", list[0]->ssid.c_str());
    EXPECT_STREQ("00-0B-6B-AA-BB-CC", list[0]->bssidText.c_str());
}

TEST_F(AdapterAccessTest, RadioSetReachesTheDriver) {
    RUN_AS_WINXP();
    AdapterAccess access(new WatchedPlatform);
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    EXPECT_TRUE(access.SetRadio(0));
    uint32_t state = 0xAAAAAAAA, length = 4;
    ASSERT_TRUE(access.Query(NX_OID_SIM_RADIO_STATE, &state, &length));
    if (state == 0xFFFFFFFF)
        GTEST_SKIP() << "the stand-in cannot read set data passed by pointer";
    EXPECT_EQ(0u, state);
    EXPECT_TRUE(access.SetRadio(1));
    ASSERT_TRUE(access.Query(NX_OID_SIM_RADIO_STATE, &state, &length));
    EXPECT_EQ(1u, state);
}

TEST_F(AdapterAccessTest, OpensOnNt4ThroughNetworkCardsAndTheServiceParameters) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("nt40"));
        return;
    }
    // The NT 4.0 profiles live under the adapter service's Parameters key.
    std::string cfgs = SimNt4ParametersKeyPath() + "\\CustomParams\\Configurations";
    ASSERT_TRUE(RegWriteDword(cfgs, "SelectedConfigurationIndex", 0));
    ASSERT_TRUE(RegWriteString(cfgs, "SelectedConfigurationName", "Lab"));
    ASSERT_TRUE(RegWriteString(cfgs + "\\Cfg0", "ConfigurationName", "Lab"));
    AdapterAccess access; // the strategy for the running family
    ASSERT_NE(nullptr, dynamic_cast<CPlatformNT4*>(access.Strategy()));
    ASSERT_EQ(nullptr, dynamic_cast<CPlatformNT5*>(access.Strategy()));
    // The protocol driver's 2000/XP service, left registered by the other
    // cases, carries the display name the NT 4.0 service wants.
    RemoveDriverService("NXPROTO");
    struct RemoveNt4Service {
        ~RemoveNt4Service() { RemoveDriverService("NXPROTO4"); }
    } removeNt4Service;
    {
        // Whether the agent library opens adapters at all as NT 4.0 here.
        std::string device = std::string("\\Device\\") + NX_SIM_NT4_SERVICE_NAME;
        HANDLE h = W32N_OpenAdapterA(device.c_str());
        if (h == INVALID_HANDLE_VALUE || !h) {
            int error = W32N_GetLastError();
            RegRemoveTree(SimNt4ParametersKeyPath() + "\\CustomParams");
            GTEST_SKIP() << "the agent library does not open " << device
                         << " when run as NT 4.0 (error " << error << ")";
        }
        W32N_CloseAdapter(h);
    }
    ASSERT_TRUE(access.Open(NX_SIM_ADAPTER_DESCRIPTION));
    EXPECT_NE(nullptr, FindConfiguration("Lab"));
    EXPECT_EQ(0, lstrcmpiA(SimDriverFilePath().c_str(), access.Strategy()->DriverPath().c_str()))
        << access.Strategy()->DriverPath().c_str();
    EXPECT_FALSE(access.Strategy()->DriverDate().IsEmpty());
    const uint8_t defaultAddress[6] = {0x00, 0x0B, 0x6B, 0x4A, 0x21, 0x7C};
    EXPECT_EQ(0, memcmp(defaultAddress, access.Strategy()->PermanentAddress(), 6));
    access.Close();
    EXPECT_EQ(nullptr, FindConfiguration("Lab"));
    RegRemoveTree(SimNt4ParametersKeyPath() + "\\CustomParams");
}

TEST(AdapterAccessClosed, RequestsOnAClosedObjectFail) {
    AdapterAccess access(nullptr);
    uint8_t buffer[8];
    uint32_t length = sizeof buffer;
    EXPECT_FALSE(access.Query(NX_OID_ADAPTER_STATUS, buffer, &length));
    EXPECT_FALSE(access.Set(NX_OID_RADIO, buffer, 4));
    EXPECT_FALSE(access.SetRadio(1));
    EXPECT_FALSE(access.RefreshStatus());
    AdapterStatusSnapshot zero;
    memset(&zero, 0, sizeof zero);
    EXPECT_EQ(0, memcmp(&zero, &access.Snapshot(), sizeof zero));
}

TEST(AdapterAccessGlobal, ProcessWideObjectIsOneObjectWithAStrategy) {
    AdapterAccess& access = GetAdapterAccess();
    EXPECT_EQ(&access, &GetAdapterAccess());
    EXPECT_FALSE(access.IsOpen());
    EXPECT_NE(nullptr, access.Strategy());
}
