// The adapter restart through a scripted device installer (the replaceable
// table of looked-up entry points), with the tray attached to a stand-in
// adapter: which device is restarted and how, what a missing or failing
// step gives, and that the tray is stopped during and running after.
// Also the system's own entry points and the 95 family's HKEY_DYN_DATA.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "app/TrayController.h"
#include "device/AdapterRestart.h"
#include "device/DeviceApi.h"
#include "device/DeviceBroadcast.h"
#include "device/DeviceNotification.h"
#include "tests/support/TrayFakes.h"
#include "tests/support/WineFamily.h"
#include "tray/AdapterTrayIcon.h"

namespace {

const HDEVINFO kSet = reinterpret_cast<HDEVINFO>(0x5E7);
const DEVINST kFirstDevnode = 100;

struct FakeDevice {
    std::string service;
    bool present = true; // CM_Get_DevNode_Status succeeds
    DWORD error = 0;     // the property read fails with this
    DWORD claimed = 0;   // the size it claims to need, whatever it is given
};

// The scripted device installer and what it was asked.
struct Installer {
    std::vector<FakeDevice> devices;
    bool listFails = false;
    bool paramsSet = true;
    bool stateChanged = true;
    DWORD installFlags = 0; // what the device's install parameters say after the change
    bool installParamsRead = true;

    int lists = 0, destroys = 0, changes = 0, params = 0, installReads = 0;
    DWORD installParamsSize = 0;
    DEVINST installDevice = 0;
    GUID listClass = {};
    PCSTR listEnumerator = "unset";
    HWND listParent = reinterpret_cast<HWND>(1);
    DWORD listFlags = 0;
    std::vector<DEVINST> propertyReads;
    DEVINST paramsDevice = 0, changedDevice = 0;
    uint8_t paramsBytes[20] = {};
    DWORD paramsSize = 0;
    bool waitCursorDuringChange = false;
    // The tray, as the installer saw it when the list was made.
    bool adapterOpenDuringRestart = true;
    bool iconShownDuringRestart = true;
    bool timerArmedDuringRestart = true;
};

Installer* g_installer = nullptr;
FakeTrayAdapter* g_adapter = nullptr;
HWND g_trayWindow = nullptr;

bool WaitCursorShown() {
    return ::GetCursor() == ::LoadCursorA(nullptr, IDC_WAIT);
}

HDEVINFO WINAPI FakeGetClassDevs(const GUID* cls, PCSTR enumerator, HWND parent, DWORD flags) {
    Installer& i = *g_installer;
    ++i.lists;
    i.listClass = *cls;
    i.listEnumerator = enumerator;
    i.listParent = parent;
    i.listFlags = flags;
    i.adapterOpenDuringRestart = g_adapter->open;
    i.iconShownDuringRestart = ::GetWindowLongPtrA(g_trayWindow, GWLP_USERDATA) != 0;
    i.timerArmedDuringRestart = ::KillTimer(g_trayWindow, kPollTimerId) != FALSE;
    return i.listFails ? INVALID_HANDLE_VALUE : kSet;
}

BOOL WINAPI FakeEnum(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device) {
    EXPECT_EQ(kSet, set);
    EXPECT_EQ(sizeof(SP_DEVINFO_DATA), device->cbSize); // 28 bytes in what ships
    if (index >= g_installer->devices.size()) {
        ::SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    device->DevInst = kFirstDevnode + index;
    return TRUE;
}

const FakeDevice& DeviceOf(DEVINST devnode) {
    return g_installer->devices.at(devnode - kFirstDevnode);
}

CONFIGRET WINAPI FakeStatus(PULONG status, PULONG problem, DEVINST devnode, ULONG flags) {
    EXPECT_EQ(0u, flags);
    *status = DN_STARTED;
    *problem = 0;
    return DeviceOf(devnode).present ? CR_SUCCESS : CR_NO_SUCH_DEVNODE;
}

BOOL WINAPI FakeProperty(HDEVINFO, PSP_DEVINFO_DATA device, DWORD property, PDWORD type,
                         PBYTE buffer, DWORD size, PDWORD required) {
    EXPECT_EQ(static_cast<DWORD>(SPDRP_SERVICE), property);
    g_installer->propertyReads.push_back(device->DevInst);
    const FakeDevice& d = DeviceOf(device->DevInst);
    if (d.error) {
        if (required)
            *required = d.claimed;
        ::SetLastError(d.error);
        return FALSE;
    }
    DWORD needed = static_cast<DWORD>(d.service.size() + 1);
    if (type)
        *type = REG_SZ;
    if (required)
        *required = needed;
    if (size < needed) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(buffer, d.service.c_str(), needed);
    return TRUE;
}

BOOL WINAPI FakeSetParams(HDEVINFO set, PSP_DEVINFO_DATA device, PSP_CLASSINSTALL_HEADER header,
                          DWORD size) {
    Installer& i = *g_installer;
    EXPECT_EQ(kSet, set);
    ++i.params;
    i.paramsDevice = device->DevInst;
    i.paramsSize = size;
    memcpy(i.paramsBytes, header, sizeof i.paramsBytes);
    i.waitCursorDuringChange = WaitCursorShown();
    return i.paramsSet;
}

BOOL WINAPI FakeChangeState(HDEVINFO set, PSP_DEVINFO_DATA device) {
    EXPECT_EQ(kSet, set);
    ++g_installer->changes;
    g_installer->changedDevice = device->DevInst;
    g_installer->waitCursorDuringChange &= WaitCursorShown();
    return g_installer->stateChanged;
}

BOOL WINAPI FakeInstallParams(HDEVINFO set, PSP_DEVINFO_DATA device,
                              PSP_DEVINSTALL_PARAMS_A params) {
    Installer& i = *g_installer;
    EXPECT_EQ(kSet, set);
    ++i.installReads;
    i.installDevice = device->DevInst;
    i.installParamsSize = params->cbSize;
    params->Flags = i.installFlags;
    return i.installParamsRead;
}

BOOL WINAPI FakeDestroy(HDEVINFO set) {
    EXPECT_EQ(kSet, set);
    ++g_installer->destroys;
    return TRUE;
}

const DeviceInstallerApi kFakeApi = {&FakeGetClassDevs, &FakeEnum,        &FakeProperty,
                                     &FakeSetParams,    &FakeChangeState, &FakeInstallParams,
                                     &FakeDestroy,      &FakeStatus};

class AdapterRestartTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_installer = &installer_;
        g_adapter = &adapter_;
        owner_ = ::CreateWindowA("STATIC", "tray", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                 nullptr);
        g_trayWindow = owner_;
        icon_.Create(owner_, WM_USER + 300);
        previous_ = ReplaceDeviceInstallerApi(&kFakeApi);
        AttachTray(owner_, &adapter_, &icon_);
        StartTray();
        ASSERT_TRUE(Running());
    }
    void TearDown() override {
        StopTray();
        DetachTray();
        ReplaceDeviceInstallerApi(previous_);
        ::DestroyWindow(owner_);
        g_installer = nullptr;
        g_adapter = nullptr;
    }
    bool Running() {
        bool timer = ::KillTimer(owner_, kPollTimerId) != FALSE;
        if (timer)
            ::SetTimer(owner_, kPollTimerId, kPollPeriodMs, nullptr);
        return adapter_.open && icon_.IsShown() && timer;
    }
    void ExpectStoppedDuringRestart() {
        EXPECT_FALSE(installer_.adapterOpenDuringRestart);
        EXPECT_FALSE(installer_.iconShownDuringRestart);
        EXPECT_FALSE(installer_.timerArmedDuringRestart);
    }

    ShellLog shell_;
    Installer installer_;
    FakeTrayAdapter adapter_;
    CAdapterTrayIcon icon_;
    HWND owner_ = nullptr;
    const DeviceInstallerApi* previous_ = nullptr;
};

} // namespace

TEST_F(AdapterRestartTest, DovizDeviceGetsAPropertyChangeAndTheRestartReportsOne) {
    FakeDevice gone{"DOVIZ"};
    gone.present = false; // skipped: its status cannot be read
    FakeDevice noService{""};
    noService.error = ERROR_INVALID_DATA;
    FakeDevice longName{std::string(300, 'S')}; // needs a bigger buffer than 200
    installer_.devices = {gone,     FakeDevice{"doviz"}, noService,
                          longName, FakeDevice{"DOVIZ"}, FakeDevice{"DOVIZ"}};

    EXPECT_EQ(1, RestartAdapter());

    EXPECT_EQ(1, installer_.lists);
    static const GUID kLan = {
        0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};
    EXPECT_EQ(0, memcmp(&kLan, &installer_.listClass, sizeof kLan));
    EXPECT_EQ(nullptr, installer_.listEnumerator);
    EXPECT_EQ(nullptr, installer_.listParent);
    EXPECT_EQ(static_cast<DWORD>(DIGCF_PRESENT | DIGCF_ALLCLASSES), installer_.listFlags);
    // The absent device is never read; the long name is read twice; the search
    // stops at the first match.
    std::vector<DEVINST> reads = {101, 102, 103, 103, 104};
    EXPECT_EQ(reads, installer_.propertyReads);

    EXPECT_EQ(1, installer_.params);
    EXPECT_EQ(104u, installer_.paramsDevice);
    EXPECT_EQ(20u, installer_.paramsSize);
    const DWORD expected[5] = {8, DIF_PROPERTYCHANGE, DICS_PROPCHANGE, DICS_FLAG_GLOBAL, 0};
    EXPECT_EQ(0, memcmp(expected, installer_.paramsBytes, sizeof expected));
    EXPECT_EQ(1, installer_.changes);
    EXPECT_EQ(104u, installer_.changedDevice);
    EXPECT_EQ(1, installer_.installReads); // no reboot asked for
    EXPECT_TRUE(installer_.waitCursorDuringChange);
    EXPECT_FALSE(WaitCursorShown());
    EXPECT_EQ(1, installer_.destroys);

    ExpectStoppedDuringRestart();
    EXPECT_TRUE(Running());
    EXPECT_EQ(1, adapter_.closes);
    EXPECT_EQ(2, ShellLog::Count(NIM_ADD)); // the icon came back
}

TEST_F(AdapterRestartTest, AdapterAbsentFromTheDevicesReturnsZeroAndTheTrayRunsAgain) {
    installer_.devices = {FakeDevice{"E100B"}, FakeDevice{"DOVIZ2"}, FakeDevice{"DOVI"}};
    EXPECT_EQ(0, RestartAdapter());
    EXPECT_EQ(0, installer_.params);
    EXPECT_EQ(0, installer_.changes);
    EXPECT_EQ(1, installer_.destroys);
    ExpectStoppedDuringRestart();
    EXPECT_TRUE(Running());
}

TEST_F(AdapterRestartTest, AdapterThatDoesNotReopenLeavesTheTrayStoppedAfterTryingToStart) {
    installer_.devices = {FakeDevice{"E100B"}};
    adapter_.present = false; // gone once closed
    int opens = adapter_.openCalls;
    EXPECT_EQ(0, RestartAdapter());
    EXPECT_EQ(opens + 1, adapter_.openCalls); // the tray was started again
    EXPECT_FALSE(adapter_.open);
    EXPECT_FALSE(icon_.IsShown());
    EXPECT_FALSE(::KillTimer(owner_, kPollTimerId));
}

TEST_F(AdapterRestartTest, ParametersThatFailToSetSkipTheStateChange) {
    installer_.devices = {FakeDevice{"DOVIZ"}};
    installer_.paramsSet = false;
    EXPECT_EQ(0, RestartAdapter());
    EXPECT_EQ(1, installer_.params);
    EXPECT_EQ(0, installer_.changes);
    EXPECT_EQ(1, installer_.destroys);
    EXPECT_FALSE(WaitCursorShown());
    EXPECT_TRUE(Running());
}

TEST_F(AdapterRestartTest, FailedStateChangeReportsZero) {
    installer_.devices = {FakeDevice{"DOVIZ"}};
    installer_.stateChanged = false;
    installer_.installFlags = DI_NEEDREBOOT;
    EXPECT_EQ(0, RestartAdapter());
    EXPECT_EQ(1, installer_.changes);
    EXPECT_TRUE(Running());
}

TEST_F(AdapterRestartTest, ChangeTheInstallerLeavesForTheNextBootReportsThatARebootIsNeeded) {
    installer_.devices = {FakeDevice{"E100B"}, FakeDevice{"DOVIZ"}};
    for (DWORD flags : {static_cast<DWORD>(DI_NEEDREBOOT), static_cast<DWORD>(DI_NEEDRESTART),
                        static_cast<DWORD>(DI_NEEDREBOOT | DI_NEEDRESTART | DI_QUIETINSTALL)}) {
        installer_.installFlags = flags;
        installer_.installReads = 0;
        EXPECT_EQ(kRestartNeedsReboot, RestartAdapter()) << flags;
        // Read after the change, from the adapter's device, in the size the
        // system knows.
        EXPECT_EQ(1, installer_.installReads) << flags;
        EXPECT_EQ(101u, installer_.installDevice);
        EXPECT_EQ(static_cast<DWORD>(sizeof(SP_DEVINSTALL_PARAMS_A)), installer_.installParamsSize);
        EXPECT_TRUE(Running()) << flags;
    }
    // Other flags, or parameters that cannot be read, are a restart done.
    installer_.installFlags = DI_QUIETINSTALL;
    EXPECT_EQ(kRestartDone, RestartAdapter());
    installer_.installFlags = DI_NEEDREBOOT;
    installer_.installParamsRead = false;
    EXPECT_EQ(kRestartDone, RestartAdapter());
}

TEST_F(AdapterRestartTest, DeviceListFailureReturnsZeroAndTheTrayRunsAgain) {
    installer_.listFails = true;
    installer_.devices = {FakeDevice{"DOVIZ"}};
    EXPECT_EQ(0, RestartAdapter());
    EXPECT_EQ(0, installer_.destroys); // no list to destroy
    EXPECT_TRUE(installer_.propertyReads.empty());
    ExpectStoppedDuringRestart();
    EXPECT_TRUE(Running());
}

TEST_F(AdapterRestartTest, AnyMissingEntryPointReportsZeroWithoutCallingTheOthers) {
    installer_.devices = {FakeDevice{"DOVIZ"}};
    for (int missing = 0; missing < 8; ++missing) {
        DeviceInstallerApi partial = kFakeApi;
        void* entries[] = {&partial.getClassDevs,
                           &partial.enumDeviceInfo,
                           &partial.getDeviceRegistryProperty,
                           &partial.setClassInstallParams,
                           &partial.changeState,
                           &partial.getDeviceInstallParams,
                           &partial.destroyDeviceInfoList,
                           &partial.getDevNodeStatus};
        memset(entries[missing], 0, sizeof(void*));
        ReplaceDeviceInstallerApi(&partial);
        EXPECT_EQ(0, RestartAdapter()) << missing;
        EXPECT_EQ(0, installer_.lists) << missing;
        EXPECT_TRUE(Running()) << missing;
    }
    EXPECT_EQ(8, adapter_.closes); // stopped and started around every attempt
}

TEST_F(AdapterRestartTest, DeviceThatKeepsAskingForMoreIsNotFollowed) {
    FakeDevice greedy{"DOVIZ"};
    greedy.error = ERROR_INSUFFICIENT_BUFFER;
    greedy.claimed = 0x7FFFFFFF; // never satisfied
    FakeDevice liar{"DOVIZ"};
    liar.error = ERROR_INSUFFICIENT_BUFFER;
    liar.claimed = 10; // "too small" for a size that fits
    installer_.devices = {greedy, liar, FakeDevice{"DOVIZ"}};
    EXPECT_EQ(1, RestartAdapter());
    std::vector<DEVINST> reads = {100, 101, 102};
    EXPECT_EQ(reads, installer_.propertyReads);
    EXPECT_EQ(102u, installer_.changedDevice);
}

TEST_F(AdapterRestartTest, WithoutTheTrayTheRestartOnlyWorksTheDevice) {
    StopTray();
    DetachTray();
    installer_.devices = {FakeDevice{"DOVIZ"}};
    int opens = adapter_.openCalls;
    EXPECT_EQ(1, RestartAdapter());
    EXPECT_EQ(opens, adapter_.openCalls);
    AttachTray(owner_, &adapter_, &icon_);
}

TEST(DeviceEntryPoints, SystemDeviceInstallerHasEveryEntryPoint) {
    DeviceInstaller installer;
    EXPECT_TRUE(installer.Complete());
    EXPECT_NE(nullptr, installer.Api().getDevNodeStatus);
}

TEST(DeviceEntryPoints, RegistrationThroughTheSystemGivesAHandleUntilUnregistered) {
    HWND window =
        ::CreateWindowA("STATIC", "w", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    RegisterAdapterNotification(window);
    EXPECT_NE(nullptr, AdapterNotificationHandle());
    UnregisterAdapterNotification();
    EXPECT_EQ(nullptr, AdapterNotificationHandle());
    UnregisterAdapterNotification(); // nothing left: nothing happens
    ::DestroyWindow(window);
}

TEST(DeviceEntryPoints, RegisteringAgainReplacesTheFormerRegistration) {
    NotificationLog log;
    HWND window =
        ::CreateWindowA("STATIC", "w", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    RegisterAdapterNotification(window);
    RegisterAdapterNotification(window);
    EXPECT_EQ(2, NotificationLog::registered);
    EXPECT_EQ(1, NotificationLog::unregistered);
    UnregisterAdapterNotification();
    EXPECT_EQ(2, NotificationLog::unregistered);
    ::DestroyWindow(window);
}

TEST(DeviceEvents, Win98HardwareKeyIsReadFromDynData) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("win98"));
        return;
    }
    const char kKey[] = "Config Manager\\Enum\\0000ABCD";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_DYN_DATA, kKey, 0, nullptr, REG_OPTION_VOLATILE,
                                               KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const char value[] = "PCI\\ven_168c&dev_0007&subsys_00000000&rev_01\\BUS_00&DEV_0B";
    ::RegSetValueExA(key, "HardwareKey", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                     sizeof value);
    ::RegCloseKey(key);
    DeviceBroadcastDevnode node = {{sizeof node, WD_DBT_DEVTYP_DEVNODE, 0}, 0xABCD};
    EXPECT_EQ(kDeviceChangeArrival, ClassifyDeviceChange("VEN_168C&DEV_0007", DBT_DEVICEARRIVAL,
                                                         reinterpret_cast<LPARAM>(&node)));
    EXPECT_EQ(kDeviceChangeRemoval,
              ClassifyDeviceChange("VEN_168C&DEV_0007", DBT_DEVICEREMOVECOMPLETE,
                                   reinterpret_cast<LPARAM>(&node)));
    node.devnode = 0xABCE; // no such device node
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange("VEN_168C&DEV_0007", DBT_DEVICEARRIVAL,
                                                       reinterpret_cast<LPARAM>(&node)));
    ::RegDeleteKeyA(HKEY_DYN_DATA, kKey);
    EXPECT_FALSE(IsWindowsNt5OrLater());
}
