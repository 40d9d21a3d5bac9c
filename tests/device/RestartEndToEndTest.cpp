// The adapter restart as far as Wine runs it, against the stand-in driver:
// the Windows 2000/XP apply stores the profile and restarts, the tray stops
// and starts around the device installer, which finds the adapter's device
// node by its service; Wine cannot set the property-change parameters
// (SetupDiSetClassInstallParamsA fails), so the state change is never
// attempted and the restart reports 0. The stand-in sees the tray's binding
// closed and a fresh one opened.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "adapter/AdapterAccess.h"
#include "agent/W32N.h"
#include "app/TrayController.h"
#include "config/ProfileStore.h"
#include "device/AdapterRestart.h"
#include "device/DeviceApi.h"
#include "platform/Platform.h"
#include "sim/SimControl.h"
#include "tests/platform/TestRegistry.h"
#include "tests/support/TrayFakes.h"
#include "tests/support/WineFamily.h"
#include "tray/AdapterTrayIcon.h"

#define RUN_AS_WINXP()                                                                             \
    if (!InFamilyChild()) {                                                                        \
        EXPECT_EQ(0, RunTestAs("winxp"));                                                          \
        return;                                                                                    \
    }

namespace {

// A present PCI device whose service is the adapter's, as Windows keeps it
// under Enum (an instance of our own, removed afterwards).
const char kDeviceKey[] =
    "System\\CurrentControlSet\\Enum\\PCI\\VEN_168C&DEV_0007&SUBSYS_00000000&REV_01\\4&wdtray&0&58";

bool WriteDeviceNode() {
    const char hardwareId[] = "PCI\\VEN_168C&DEV_0007&SUBSYS_00000000&REV_01\0";
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDeviceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kDeviceKey, "HardwareID", REG_MULTI_SZ, hardwareId,
                    sizeof hardwareId);
    return RegWriteString(kDeviceKey, "Service", "DOVIZ") &&
           RegWriteString(kDeviceKey, "ClassGUID", "{4D36E972-E325-11CE-BFC1-08002BE10318}") &&
           RegWriteString(kDeviceKey, "Class", "Net") &&
           RegWriteString(kDeviceKey, "Driver", "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0000");
}

// The system's device installer, watched: every call is passed on, except
// the state change, which Wine does not implement (calling it ends the
// process); reaching it is recorded as a failure.
struct Watch {
    const DeviceInstallerApi* real = nullptr;
    HDEVINFO set = nullptr;
    int lists = 0, params = 0, changes = 0;
    DWORD paramsError = 0;
    DEVINST dovizDevice = 0;
    bool adapterOpenDuringRestart = true;
    bool iconShownDuringRestart = true;
    AdapterAccess* access = nullptr;
    CTrayIcon* icon = nullptr;
};
Watch g_watch;

HDEVINFO WINAPI WatchList(const GUID* cls, PCSTR enumerator, HWND parent, DWORD flags) {
    ++g_watch.lists;
    g_watch.adapterOpenDuringRestart = g_watch.access->IsOpen();
    g_watch.iconShownDuringRestart = g_watch.icon->IsShown();
    g_watch.set = g_watch.real->getClassDevs(cls, enumerator, parent, flags);
    return g_watch.set;
}
BOOL WINAPI WatchEnum(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device) {
    return g_watch.real->enumDeviceInfo(set, index, device);
}
BOOL WINAPI WatchProperty(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, PDWORD type,
                          PBYTE buffer, DWORD size, PDWORD required) {
    BOOL ok = g_watch.real->getDeviceRegistryProperty(set, device, property, type, buffer, size,
                                                      required);
    if (ok && strcmp(reinterpret_cast<const char*>(buffer), "DOVIZ") == 0 && !g_watch.dovizDevice)
        g_watch.dovizDevice = device->DevInst;
    return ok;
}
BOOL WINAPI WatchParams(HDEVINFO set, PSP_DEVINFO_DATA device, PSP_CLASSINSTALL_HEADER header,
                        DWORD size) {
    ++g_watch.params;
    EXPECT_EQ(g_watch.dovizDevice, device->DevInst);
    ::SetLastError(0xDEAD);
    BOOL ok = g_watch.real->setClassInstallParams(set, device, header, size);
    g_watch.paramsError = ok ? 0 : ::GetLastError();
    return ok;
}
BOOL WINAPI WatchChange(HDEVINFO, PSP_DEVINFO_DATA) {
    ++g_watch.changes;
    return FALSE;
}
BOOL WINAPI WatchInstallParams(HDEVINFO set, PSP_DEVINFO_DATA device,
                               PSP_DEVINSTALL_PARAMS_A params) {
    return g_watch.real->getDeviceInstallParams(set, device, params);
}
BOOL WINAPI WatchDestroy(HDEVINFO set) {
    EXPECT_EQ(g_watch.set, set);
    return g_watch.real->destroyDeviceInfoList(set);
}
CONFIGRET WINAPI WatchStatus(PULONG status, PULONG problem, DEVINST devnode, ULONG flags) {
    return g_watch.real->getDevNodeStatus(status, problem, devnode, flags);
}
const DeviceInstallerApi kWatchApi = {&WatchList,    &WatchEnum,   &WatchProperty,
                                      &WatchParams,  &WatchChange, &WatchInstallParams,
                                      &WatchDestroy, &WatchStatus};

// True when a packet waits on the binding: a read completes at once.
bool PacketWaiting(HANDLE adapter) {
    std::vector<uint8_t> packet(sizeof(PacketHeader) + 2048, 0);
    reinterpret_cast<PacketHeader*>(packet.data())->dataLength = 2048;
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD got = 0;
    EXPECT_EQ(0u, W32N_PacketRead(adapter, packet.data(), &got, &ov, FALSE));
    bool completed = WaitForSingleObject(ov.hEvent, 500) == WAIT_OBJECT_0;
    if (!completed) {
        W32N_CancelPacketRead(adapter, packet.data());
        WaitForSingleObject(ov.hEvent, 5000); // done with the buffer before it goes
    }
    CloseHandle(ov.hEvent);
    return completed;
}

bool SendFrame(HANDLE adapter, uint8_t tag) {
    std::vector<uint8_t> frame(60, tag);
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD sent = 0;
    BOOL ok = W32N_PacketSend(adapter, frame.data(), static_cast<DWORD>(frame.size()), &sent, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING)
        ok = GetOverlappedResult(adapter, &ov, &sent, TRUE);
    CloseHandle(ov.hEvent);
    return ok != FALSE;
}

class RestartEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!InFamilyChild())
            return;
        ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
        ASSERT_TRUE(WriteDeviceNode());
    }
    void TearDown() override {
        if (!InFamilyChild())
            return;
        ReplaceDeviceInstallerApi(nullptr);
        DetachTray();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kDeviceKey);
        RegRemoveTree(SimClassInstanceKeyPath() + "\\CustomParams");
        ClearConfigurations();
    }
    MessageLog messages_; // the store may warn about the XP wireless service
};

} // namespace

TEST_F(RestartEndToEnd, XpApplyStoresRestartsAroundTheInstallerAndTheAdapterIsReopened) {
    RUN_AS_WINXP();
    // A stored profile under the adapter's key, loaded when the tray opens it.
    std::string cfgs = SimClassInstanceKeyPath() + "\\CustomParams\\Configurations";
    RegWriteDword(cfgs, "MajorVersion", 1);
    RegWriteDword(cfgs, "MinorVersion", 0);
    RegWriteString(cfgs, "SelectedConfigurationName", "Office");
    RegWriteDword(cfgs, "SelectedConfigurationIndex", 0);
    RegWriteString(cfgs + "\\Cfg0", "ConfigurationName", "Office");
    RegWriteString(cfgs + "\\Cfg0", "NetworkName", "old");

    ShellLog shell;
    HWND owner =
        CreateWindowA("STATIC", "tray", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    CAdapterTrayIcon icon;
    icon.Create(owner, WM_USER + 300);
    CPlatformNT5* strategy = new CPlatformNT5;
    AdapterAccess access(strategy);
    AdapterAccessTray tray(access);
    AttachTray(owner, &tray, &icon);
    StartTray();
    ASSERT_TRUE(access.IsOpen());
    ASSERT_TRUE(icon.IsShown());
    ASSERT_NE(nullptr, FindConfiguration("Office"));

    // The tray's binding receives its own packets: one comes back, one is left waiting.
    ASSERT_TRUE(SendFrame(access.Handle(), 1));
    ASSERT_TRUE(PacketWaiting(access.Handle()));
    ASSERT_TRUE(SendFrame(access.Handle(), 2));

    DeviceInstaller system;
    ASSERT_TRUE(system.Complete());
    g_watch = Watch();
    g_watch.real = &system.Api();
    g_watch.access = &access;
    g_watch.icon = &icon;
    ReplaceDeviceInstallerApi(&kWatchApi);

    CConfigRecord edited = *FindConfiguration("Office");
    edited.networkName = "lab";
    EXPECT_EQ(0, strategy->ApplyConfiguration(edited)); // Wine cannot restart the device
    EXPECT_TRUE(MessageLog::Entries().empty());         // and nobody is told to reboot
    EXPECT_EQ("lab", RegReadString(cfgs + "\\Cfg0", "NetworkName"));

    EXPECT_EQ(1, g_watch.lists);
    EXPECT_FALSE(g_watch.adapterOpenDuringRestart);
    EXPECT_FALSE(g_watch.iconShownDuringRestart);
    EXPECT_NE(0u, g_watch.dovizDevice); // found by its service
    EXPECT_EQ(1, g_watch.params);
    EXPECT_EQ(0xDEADu, g_watch.paramsError); // Wine fails without setting an error
    EXPECT_EQ(0, g_watch.changes);

    // Running again, on a fresh binding: the packet left on the old one is gone.
    EXPECT_TRUE(access.IsOpen());
    EXPECT_TRUE(icon.IsShown());
    EXPECT_TRUE(KillTimer(owner, kPollTimerId));
    EXPECT_EQ(2, ShellLog::Count(NIM_ADD));
    EXPECT_FALSE(PacketWaiting(access.Handle()));
    ASSERT_NE(nullptr, FindConfiguration("Office")); // profiles loaded again at the reopen
    EXPECT_STREQ("lab", FindConfiguration("Office")->networkName.c_str());

    StopTray();
    DestroyWindow(owner);
}
