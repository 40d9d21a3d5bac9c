// The device installer, configuration manager and device-notification entry
// points. Windows 95 and NT 4.0 lack them, so they are looked up when used,
// never imported; each table can be replaced, so that tests see and answer
// every call.
#pragma once

#include <windows.h>

#include <cfgmgr32.h>
#include <dbt.h>
#include <setupapi.h>

struct DeviceInstallerApi {
    HDEVINFO(WINAPI* getClassDevs)
    (const GUID* classGuid, PCSTR enumerator, HWND parent, DWORD flags);
    BOOL(WINAPI* enumDeviceInfo)(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device);
    BOOL(WINAPI* getDeviceRegistryProperty)
    (HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, PDWORD type, PBYTE buffer, DWORD size,
     PDWORD required);
    BOOL(WINAPI* setClassInstallParams)
    (HDEVINFO set, PSP_DEVINFO_DATA device, PSP_CLASSINSTALL_HEADER params, DWORD size);
    BOOL(WINAPI* changeState)(HDEVINFO set, PSP_DEVINFO_DATA device);
    BOOL(WINAPI* getDeviceInstallParams)
    (HDEVINFO set, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_A params);
    BOOL(WINAPI* destroyDeviceInfoList)(HDEVINFO set);
    CONFIGRET(WINAPI* getDevNodeStatus)
    (PULONG status, PULONG problem, DEVINST devnode, ULONG flags);
};

// The system's device installer for as long as an object lives: the
// libraries are loaded and every entry point looked up; what is missing
// stays null. A replacement set with ReplaceDeviceInstallerApi is used
// instead of the system's.
class DeviceInstaller {
public:
    DeviceInstaller();
    ~DeviceInstaller();
    DeviceInstaller(const DeviceInstaller&) = delete;
    DeviceInstaller& operator=(const DeviceInstaller&) = delete;

    const DeviceInstallerApi& Api() const { return *api_; }
    // Every entry point was found.
    bool Complete() const;

private:
    HMODULE setupApi_ = nullptr;
    HMODULE configManager_ = nullptr;
    DeviceInstallerApi found_ = {};
    const DeviceInstallerApi* api_ = &found_;
};

// Null restores the system's entry points. Returns the previous replacement.
const DeviceInstallerApi* ReplaceDeviceInstallerApi(const DeviceInstallerApi* api);

struct DeviceNotificationApi {
    HDEVNOTIFY(WINAPI* registerNotification)(HANDLE recipient, LPVOID filter, DWORD flags);
    BOOL(WINAPI* unregisterNotification)(HDEVNOTIFY handle);
};

// Null restores the system's entry points. Returns the previous replacement.
const DeviceNotificationApi* ReplaceDeviceNotificationApi(const DeviceNotificationApi* api);

// The replacement, or null when the system's entry points are used.
const DeviceNotificationApi* DeviceNotificationReplacement();
