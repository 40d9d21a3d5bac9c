#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <memory>
#include <string>

#include "config/ProfileStore.h"
#include "device/AdapterRestart.h"
#include "device/DeviceApi.h"
#include "platform/Platform.h"
#include "res/resource.h"
#include "tests/platform/TestRegistry.h"
#include "tests/support/WineFamily.h"

namespace {

const char kTestRoot[] = "SOFTWARE\\WavedeskPlatformTest";
const char kServices[] = "SYSTEM\\CurrentControlSet\\Services\\";

std::string OwnPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// One stored profile "Office" (selected) under <base>\CustomParams\Configurations.
void SeedProfile(const std::string& base) {
    std::string cfgs = base + "\\CustomParams\\Configurations";
    RegWriteDword(cfgs, "MajorVersion", 1);
    RegWriteDword(cfgs, "MinorVersion", 0);
    RegWriteString(cfgs, "SelectedConfigurationName", "Office");
    RegWriteDword(cfgs, "SelectedConfigurationIndex", 0);
    std::string cfg = cfgs + "\\Cfg0";
    RegWriteString(cfg, "ConfigurationName", "Office");
    RegWriteString(cfg, "NetworkName", "old");
    RegWriteDword(cfg, "NetworkConnectionType", 1);
    RegWriteDword(cfg, "PowerManagement", 1);
    RegWriteDword(cfg, "EnableTurbo", 0);
    RegWriteDword(cfg, "EnableMacAddress", 0);
    RegWriteString(cfg, "MacAddress", "");
    RegWriteDword(cfg, "EnableSecurity", 1);
    RegWriteDword(cfg, "DefaultKey", 1);
    RegWriteString(cfg, "UniqueKey", "");
    RegWriteString(cfg, "SharedKey1", "00112233445566778899AABBCCDDEEFF");
    RegWriteString(cfg, "SharedKey2", "");
    RegWriteString(cfg, "SharedKey3", "");
    RegWriteString(cfg, "SharedKey4", "");
    for (const char* n : {"SharedKey1Length", "SharedKey2Length", "SharedKey3Length",
                          "SharedKey4Length", "UniqueKeyLength"})
        RegWriteDword(cfg, n, 40);
}

std::string Cfg0(const std::string& base) {
    return base + "\\CustomParams\\Configurations\\Cfg0";
}

class PlatformRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        RegRemoveTree(kTestRoot);
        ClearConfigurations();
    }
    void TearDown() override {
        ClearConfigurations();
        RegRemoveTree(kTestRoot);
        RegRemoveTree(std::string(kServices) + "WdTestSvc1");
        RegRemoveTree(std::string(kServices) + "WdTestProd");
    }
    MessageLog messages_;
};

} // namespace

// ---- strategy per Windows family ----

TEST(PlatformFamily, EachWindowsFamilyGetsItsStrategyClassKeyAndDeviceName) {
    if (!InFamilyChild()) {
        for (const char* family : {"winxp", "win2k", "nt40", "win98", "win95"})
            EXPECT_EQ(0, RunTestAs(family)) << family;
        return;
    }
    MessageLog messages;
    std::unique_ptr<CPlatform> p(CreatePlatform());
    ASSERT_NE(nullptr, p.get());
    EXPECT_TRUE(MessageLog::Entries().empty());
    std::string family = ChildFamily();
    CString key, device;
    ASSERT_TRUE(p->GetAdapterClassKey(key));
    ASSERT_TRUE(p->MakeDeviceName("{5F2A}", device));
    if (family == "winxp" || family == "win2k") {
        EXPECT_NE(nullptr, dynamic_cast<CPlatformNT5*>(p.get()));
        EXPECT_STREQ("System\\CurrentControlSet\\Control\\Class\\"
                     "{4D36E972-E325-11CE-BFC1-08002BE10318}",
                     key.c_str());
        EXPECT_STREQ("\\Device\\{5F2A}", device.c_str());
    } else if (family == "nt40") {
        EXPECT_NE(nullptr, dynamic_cast<CPlatformNT4*>(p.get()));
        EXPECT_EQ(nullptr, dynamic_cast<CPlatformNT5*>(p.get()));
        EXPECT_STREQ("Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", key.c_str());
        EXPECT_STREQ("\\Device\\{5F2A}", device.c_str());
    } else {
        EXPECT_NE(nullptr, dynamic_cast<CPlatform9x*>(p.get()));
        EXPECT_STREQ("System\\CurrentControlSet\\Services\\Class\\Net", key.c_str());
        EXPECT_STREQ("{5F2A}", device.c_str());
    }
}

TEST(PlatformFamily, UnsupportedPlatformGetsNoStrategyAndTheMessage) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("win31")); // Win32s: neither family
        return;
    }
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExA(&v);
    if (v.dwPlatformId == VER_PLATFORM_WIN32_NT || v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        GTEST_SKIP() << "Wine does not present Win32s here";
    MessageLog messages;
    std::unique_ptr<CPlatform> p(CreatePlatform());
    EXPECT_EQ(nullptr, p.get());
    ASSERT_EQ(1u, MessageLog::Entries().size());
    EXPECT_EQ("Unsupport OS platform", MessageLog::Entries()[0].text);
    EXPECT_EQ(static_cast<unsigned>(MB_OK), MessageLog::Entries()[0].type);
}

TEST(PlatformFamily, BaseStrategyKnowsNoClassKeyOrDeviceNameAndAppliesNothing) {
    CPlatform base;
    CString key = "untouched", device;
    EXPECT_FALSE(base.GetAdapterClassKey(key));
    EXPECT_FALSE(base.MakeDeviceName("x", device));
    CConfigRecord edited;
    EXPECT_EQ(0, base.ApplyConfiguration(edited));
}

// ---- CRegReader ----

TEST_F(PlatformRegistry, RegReaderReadsValueStoredWithoutTerminatorWithinItsSize) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestRoot, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcdef"), 3);
    RegCloseKey(key);
    CRegReader reg;
    ASSERT_EQ(ERROR_SUCCESS, reg.Open(HKEY_LOCAL_MACHINE, kTestRoot, KEY_ALL_ACCESS));
    CString out = "stale";
    EXPECT_EQ(ERROR_SUCCESS, reg.QueryString(out, "Raw"));
    EXPECT_STREQ("abc", out.c_str());
    EXPECT_NE(ERROR_SUCCESS, reg.QueryString(out, "Missing"));
    EXPECT_STREQ("", out.c_str());
}

TEST_F(PlatformRegistry, RegReaderFailedOpenKeepsTheKeyItHeld) {
    RegWriteString(kTestRoot, "Name", "kept");
    CRegReader reg;
    ASSERT_EQ(ERROR_SUCCESS, reg.Open(HKEY_LOCAL_MACHINE, kTestRoot, KEY_ALL_ACCESS));
    EXPECT_NE(ERROR_SUCCESS,
              reg.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\WavedeskNoSuchKey", KEY_ALL_ACCESS));
    CString out;
    EXPECT_EQ(ERROR_SUCCESS, reg.QueryString(out, "Name"));
    EXPECT_STREQ("kept", out.c_str());
    reg.Close();
    EXPECT_NE(ERROR_SUCCESS, reg.QueryString(out, "Name"));
}

// ---- LoadAdapterData per variant ----

namespace {

// An NT 4.0 card key naming service WdTestSvc1 and product WdTestProd.
std::string SeedNt4Card(const char* imagePath) {
    std::string card = std::string(kTestRoot) + "\\NetworkCards\\1";
    RegWriteString(card, "ServiceName", "WdTestSvc1");
    RegWriteString(card, "ProductName", "WdTestProd");
    SeedProfile(std::string(kServices) + "WdTestSvc1\\Parameters");
    if (imagePath)
        RegWriteString(std::string(kServices) + "WdTestProd", "ImagePath", imagePath,
                       REG_EXPAND_SZ);
    return card;
}

} // namespace

TEST_F(PlatformRegistry, Nt4ImagePathDropsSystemRootPrefixAndReadsDriverFile) {
    // The driver file: a copy of this program, which carries version 1.0.2.15.
    std::string driver =
        std::string(WindowsDirectory().c_str()) + "\\System32\\drivers\\wdtest.sys";
    ASSERT_TRUE(CopyFileA(OwnPath().c_str(), driver.c_str(), FALSE));
    std::string card = SeedNt4Card("\\SystemRoot\\System32\\drivers\\wdtest.sys");
    CPlatformNT4 p;
    EXPECT_TRUE(p.LoadAdapterData(card.c_str()));
    EXPECT_STREQ(driver.c_str(), p.DriverPath().c_str());
    EXPECT_STREQ("1.0.2.15", p.DriverVersion().c_str());
    EXPECT_EQ(20, p.DriverDate().GetLength()) << p.DriverDate().c_str();
    // The profiles came from the service's Parameters key.
    ASSERT_NE(nullptr, FindConfiguration("Office"));
    DeleteFileA(driver.c_str());
}

TEST_F(PlatformRegistry, Nt4ImagePathWithoutSystemRootIsAppendedWhole) {
    std::string card = SeedNt4Card("System32\\drivers\\wdplain.sys");
    CPlatformNT4 p;
    EXPECT_TRUE(p.LoadAdapterData(card.c_str()));
    EXPECT_STREQ((WindowsDirectory() + "\\System32\\drivers\\wdplain.sys").c_str(),
                 p.DriverPath().c_str());
    EXPECT_STREQ("", p.DriverVersion().c_str()); // no such file
    EXPECT_STREQ("", p.DriverDate().c_str());
}

TEST_F(PlatformRegistry, Nt4WithoutProfilesFailsAndReadsNoDriverData) {
    std::string card = SeedNt4Card("System32\\drivers\\wdplain.sys");
    RegRemoveTree(std::string(kServices) + "WdTestSvc1");
    CPlatformNT4 p;
    EXPECT_FALSE(p.LoadAdapterData(card.c_str()));
    EXPECT_STREQ("", p.DriverPath().c_str());
    EXPECT_FALSE(p.LoadAdapterData((std::string(kTestRoot) + "\\NoSuchCard").c_str()));
}

TEST_F(PlatformRegistry, Nt4MissingProductKeyStillSucceedsAndKeepsDriverData) {
    std::string card = SeedNt4Card(nullptr);
    CPlatformNT4 p;
    EXPECT_TRUE(p.LoadAdapterData(card.c_str()));
    EXPECT_STREQ("", p.DriverPath().c_str());
}

TEST_F(PlatformRegistry, Win9xDriverPathFromDeviceVxDsAndProfilesLoadedEvenWithoutIt) {
    std::string instance = std::string(kTestRoot) + "\\Net\\0000";
    SeedProfile(instance);
    RegWriteString(instance, "DeviceVxDs", "wdtest.vxd");
    CPlatform9x p;
    EXPECT_TRUE(p.LoadAdapterData(instance.c_str()));
    EXPECT_STREQ((WindowsDirectory() + "\\system32\\Drivers\\wdtest.vxd").c_str(),
                 p.DriverPath().c_str());
    ClearConfigurations();
    // A missing instance key: no driver data, and the store's own answer.
    CPlatform9x q;
    EXPECT_FALSE(q.LoadAdapterData((std::string(kTestRoot) + "\\Net\\0009").c_str()));
    EXPECT_STREQ("", q.DriverPath().c_str());
}

TEST_F(PlatformRegistry, Nt5DriverPathFromDovizImagePath) {
    std::string dovizKey = std::string(kServices) + "DOVIZ";
    std::string saved = RegReadString(dovizKey, "ImagePath");
    RegWriteString(dovizKey, "ImagePath", "system32\\DRIVERS\\wdnt5.sys", REG_EXPAND_SZ);
    std::string instance = std::string(kTestRoot) + "\\Class\\0007";
    SeedProfile(instance);
    CPlatformNT5 p;
    bool loaded = p.LoadAdapterData(instance.c_str());
    if (saved != "<missing>")
        RegWriteString(dovizKey, "ImagePath", saved, REG_EXPAND_SZ);
    EXPECT_TRUE(loaded);
    EXPECT_STREQ((WindowsDirectory() + "\\system32\\DRIVERS\\wdnt5.sys").c_str(),
                 p.DriverPath().c_str());
}

// ---- ApplyConfiguration ----

namespace {

CConfigRecord EditedOffice(int security) {
    CConfigRecord* stored = FindConfiguration("Office");
    CConfigRecord e = stored ? *stored : CConfigRecord();
    e.networkName = "newnet";
    e.connectionType = 0;
    e.enableTurbo = 1;
    e.enableSecurity = security;
    e.sharedKey[0] = "FFEEDDCCBBAA99887766554433221100";
    e.sharedKeyLength[0] = 104;
    e.defaultKey = 1;
    return e;
}

} // namespace

TEST_F(PlatformRegistry, Win9xAndNt4ApplyStoreAndEndWithTheRebootNotice) {
    std::string instance = std::string(kTestRoot) + "\\Net\\0000";
    SeedProfile(instance);
    std::unique_ptr<CPlatform> strategies[] = {std::unique_ptr<CPlatform>(new CPlatform9x),
                                               std::unique_ptr<CPlatform>(new CPlatformNT4)};
    for (auto& p : strategies) {
        ClearConfigurations();
        ASSERT_TRUE(LoadConfigurations(instance.c_str()));
        MessageLog::Entries().clear();
        EXPECT_EQ(1, p->ApplyConfiguration(EditedOffice(1)));
        ASSERT_EQ(1u, MessageLog::Entries().size());
        const MessageLog::Entry& m = MessageLog::Entries()[0];
        EXPECT_EQ("You have changed the configuration , please reboot your computer to enable "
                  "the change",
                  m.text);
        EXPECT_EQ("Warning", m.caption);
        EXPECT_EQ(static_cast<unsigned>(MB_OK), m.type);
        EXPECT_EQ("newnet", RegReadString(Cfg0(instance), "NetworkName"));
        EXPECT_EQ(0u, RegReadDword(Cfg0(instance), "NetworkConnectionType"));
        EXPECT_EQ(104u, RegReadDword(Cfg0(instance), "SharedKey1Length"));
        RegWriteString(Cfg0(instance), "NetworkName", "old");
    }
}

TEST_F(PlatformRegistry, Nt5ApplyStoresAndNeverShowsTheRebootNotice) {
    std::string instance = std::string(kTestRoot) + "\\Class\\0007";
    SeedProfile(instance);
    ASSERT_TRUE(LoadConfigurations(instance.c_str()));
    MessageLog::Entries().clear();
    CPlatformNT5 p;
    // No device state is changed here (no adapter device, or Wine cannot set
    // the property change), so the restart reports 0.
    EXPECT_EQ(0, p.ApplyConfiguration(EditedOffice(1)));
    EXPECT_TRUE(MessageLog::Entries().empty());
    EXPECT_EQ("newnet", RegReadString(Cfg0(instance), "NetworkName"));
    EXPECT_EQ(1u, RegReadDword(Cfg0(instance), "EnableTurbo"));
}

namespace {

// A device installer with the adapter as its one device, whose state change
// is accepted and then leaves `flags` in the device's install parameters.
DWORD g_installFlags = 0;
HDEVINFO WINAPI OneDeviceList(const GUID*, PCSTR, HWND, DWORD) {
    return reinterpret_cast<HDEVINFO>(0x5E7);
}
BOOL WINAPI OneDevice(HDEVINFO, DWORD index, PSP_DEVINFO_DATA device) {
    device->DevInst = 7;
    return index == 0;
}
BOOL WINAPI DovizService(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE buffer, DWORD size,
                         PDWORD) {
    if (size < 6)
        return FALSE;
    memcpy(buffer, "DOVIZ", 6);
    return TRUE;
}
BOOL WINAPI Accepted(HDEVINFO, PSP_DEVINFO_DATA, PSP_CLASSINSTALL_HEADER, DWORD) {
    return TRUE;
}
BOOL WINAPI Changed(HDEVINFO, PSP_DEVINFO_DATA) {
    return TRUE;
}
BOOL WINAPI InstallFlags(HDEVINFO, PSP_DEVINFO_DATA, PSP_DEVINSTALL_PARAMS_A params) {
    params->Flags = g_installFlags;
    return TRUE;
}
BOOL WINAPI Destroyed(HDEVINFO) {
    return TRUE;
}
CONFIGRET WINAPI Present(PULONG status, PULONG problem, DEVINST, ULONG) {
    *status = DN_STARTED;
    *problem = 0;
    return CR_SUCCESS;
}
const DeviceInstallerApi kOneAdapter = {&OneDeviceList, &OneDevice,    &DovizService, &Accepted,
                                        &Changed,       &InstallFlags, &Destroyed,    &Present};

} // namespace

TEST_F(PlatformRegistry, Nt5ApplyThatTheInstallerLeavesForTheNextBootEndsWithTheRebootNotice) {
    std::string instance = std::string(kTestRoot) + "\\Class\\0007";
    SeedProfile(instance);
    ASSERT_TRUE(LoadConfigurations(instance.c_str()));
    const DeviceInstallerApi* previous = ReplaceDeviceInstallerApi(&kOneAdapter);
    CPlatformNT5 p;
    for (DWORD flags : {static_cast<DWORD>(DI_NEEDREBOOT), static_cast<DWORD>(DI_NEEDRESTART)}) {
        g_installFlags = flags;
        MessageLog::Entries().clear();
        EXPECT_EQ(1, p.ApplyConfiguration(EditedOffice(1))) << flags;
        ASSERT_EQ(1u, MessageLog::Entries().size()) << flags;
        EXPECT_EQ("You have changed the configuration , please reboot your computer to enable "
                  "the change",
                  MessageLog::Entries()[0].text);
        EXPECT_EQ("Warning", MessageLog::Entries()[0].caption);
    }
    // A restart that took effect says nothing.
    g_installFlags = 0;
    MessageLog::Entries().clear();
    EXPECT_EQ(1, p.ApplyConfiguration(EditedOffice(1)));
    EXPECT_TRUE(MessageLog::Entries().empty());
    ReplaceDeviceInstallerApi(previous);
    EXPECT_EQ("newnet", RegReadString(Cfg0(instance), "NetworkName"));
}

TEST_F(PlatformRegistry, ApplyWithUnknownProfileNameChangesNothingAndSaysNothing) {
    std::string instance = std::string(kTestRoot) + "\\Net\\0000";
    SeedProfile(instance);
    ASSERT_TRUE(LoadConfigurations(instance.c_str()));
    MessageLog::Entries().clear();
    CConfigRecord edited = EditedOffice(1);
    edited.name = "office"; // names compare exactly
    CPlatform9x p;
    EXPECT_EQ(0, p.ApplyConfiguration(edited));
    EXPECT_TRUE(MessageLog::Entries().empty());
    EXPECT_EQ("old", RegReadString(Cfg0(instance), "NetworkName"));
    ASSERT_NE(nullptr, FindConfiguration("Office"));
    EXPECT_STREQ("old", FindConfiguration("Office")->networkName.c_str());
}

TEST_F(PlatformRegistry, ApplyWithSecurityOffKeepsStoredKeysButStoresTheFlag) {
    std::string instance = std::string(kTestRoot) + "\\Net\\0000";
    SeedProfile(instance);
    ASSERT_TRUE(LoadConfigurations(instance.c_str()));
    CPlatform9x p;
    EXPECT_EQ(1, p.ApplyConfiguration(EditedOffice(0)));
    EXPECT_EQ(0u, RegReadDword(Cfg0(instance), "EnableSecurity"));
    EXPECT_EQ("newnet", RegReadString(Cfg0(instance), "NetworkName"));
    EXPECT_EQ("00112233445566778899AABBCCDDEEFF", RegReadString(Cfg0(instance), "SharedKey1"));
    EXPECT_EQ(40u, RegReadDword(Cfg0(instance), "SharedKey1Length"));
    const CConfigRecord* stored = FindConfiguration("Office");
    ASSERT_NE(nullptr, stored);
    EXPECT_EQ(0, stored->dirty); // saved
}
