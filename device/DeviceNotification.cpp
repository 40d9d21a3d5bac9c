#include "device/DeviceNotification.h"

#include "agent/W32N.h"
#include "device/DeviceApi.h"
#include "device/DeviceBroadcast.h"
#include "platform/Platform.h"

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) == sizeof(DeviceBroadcastInterface),
              "registration filter");
static_assert(sizeof(DEV_BROADCAST_DEVNODE) == sizeof(DeviceBroadcastDevnode), "devnode record");

namespace {

HDEVNOTIFY g_notification = nullptr;

typedef HDEVNOTIFY(WINAPI* RegisterProc)(HANDLE, LPVOID, DWORD);
typedef BOOL(WINAPI* UnregisterProc)(HDEVNOTIFY);

// Windows 95/98/Me keep the running devices' data under HKEY_DYN_DATA.
bool ReadDynData(const char* keyName, const char* valueName, char* out, uint32_t size) {
    CRegReader key;
    if (key.Open(HKEY_DYN_DATA, keyName, KEY_READ) != ERROR_SUCCESS)
        return false;
    DWORD got = size;
    return ::RegQueryValueExA(key.Key(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(out),
                              &got) == ERROR_SUCCESS;
}

template <typename Proc> Proc LookUp(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

} // namespace

bool IsWindowsNt5OrLater() {
    return W32N_IsWindowsNT() && W32N_OSGetPlatformVersion(VER_PLATFORM_WIN32_NT) >= 5;
}

void RegisterAdapterNotification(HWND window) {
    UnregisterAdapterNotification(); // one registration per process
    DeviceBroadcastInterface filter;
    ZeroMemory(&filter, sizeof filter);
    filter.header.size = sizeof filter;
    filter.header.deviceType = WD_DBT_DEVTYP_DEVICEINTERFACE;
    CopyMemory(filter.classGuid, kNdisLanClassGuid, sizeof filter.classGuid);

    if (const DeviceNotificationApi* api = DeviceNotificationReplacement()) {
        if (api->registerNotification)
            g_notification = api->registerNotification(window, &filter, 0);
        return;
    }
    HMODULE user = ::LoadLibraryA("User32.dll");
    if (!user)
        return;
    if (auto proc = LookUp<RegisterProc>(user, "RegisterDeviceNotificationA"))
        g_notification = proc(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    ::FreeLibrary(user);
}

void UnregisterAdapterNotification() {
    if (!g_notification)
        return;
    HDEVNOTIFY handle = g_notification;
    g_notification = nullptr;
    if (const DeviceNotificationApi* api = DeviceNotificationReplacement()) {
        if (api->unregisterNotification)
            api->unregisterNotification(handle);
        return;
    }
    HMODULE user = ::LoadLibraryA("User32.dll");
    if (!user)
        return;
    if (auto proc = LookUp<UnregisterProc>(user, "UnregisterDeviceNotification"))
        proc(handle);
    ::FreeLibrary(user);
}

HDEVNOTIFY AdapterNotificationHandle() {
    return g_notification;
}

DeviceChangeKind ClassifyDeviceChange(const char* pattern, WPARAM code, LPARAM record) {
    DeviceChangeSystem system;
    system.windowsNT = W32N_IsWindowsNT() != FALSE;
    system.majorVersion = system.windowsNT ? W32N_OSGetPlatformVersion(VER_PLATFORM_WIN32_NT) : 0;
    system.readDynData = &ReadDynData;
    return ClassifyDeviceChange(pattern, static_cast<uint32_t>(code),
                                reinterpret_cast<const void*>(record), system);
}
