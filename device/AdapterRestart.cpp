#include "device/AdapterRestart.h"

#include <stddef.h>
#include <string.h>

#include "app/TrayController.h"
#include "device/DeviceApi.h"
#include "device/DeviceBroadcast.h"
#include "framework/Array.h"
#include "framework/WaitCursor.h"

namespace {

const char kAdapterService[] = "DOVIZ";
const DWORD kFirstPropertyBuffer = 200;
// A service name is a registry key name; nothing longer is the adapter's,
// and a device that keeps asking for more is not followed further.
const DWORD kLargestPropertyBuffer = 64 * 1024;

#ifdef _WIN64
static_assert(sizeof(SP_DEVINFO_DATA) == 32, "device record");
#else
static_assert(sizeof(SP_DEVINFO_DATA) == 28, "device record");
#endif
static_assert(sizeof(SP_PROPCHANGE_PARAMS) == 20, "property-change parameters");
static_assert(sizeof(SP_CLASSINSTALL_HEADER) == 8, "class-install header");
#ifdef _WIN64
static_assert(sizeof(SP_DEVINSTALL_PARAMS_A) == 320, "device install parameters");
#else
static_assert(sizeof(SP_DEVINSTALL_PARAMS_A) == 296, "device install parameters");
#endif
static_assert(offsetof(SP_DEVINSTALL_PARAMS_A, Flags) == 4, "install flags");

struct DeviceList {
    DeviceList(const DeviceInstallerApi& api, HDEVINFO set) : api(api), set(set) {}
    ~DeviceList() { api.destroyDeviceInfoList(set); }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
    const DeviceInstallerApi& api;
    HDEVINFO set;
};

// The device's service name is "DOVIZ" (exact).
bool IsAdapterService(const DeviceInstallerApi& api, HDEVINFO set, SP_DEVINFO_DATA& device) {
    // One byte more than offered, zero-filled: the text always ends.
    Array<char> buffer(kFirstPropertyBuffer + 1, '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size() - 1), required = 0, type = 0;
        if (api.getDeviceRegistryProperty(set, &device, SPDRP_SERVICE, &type,
                                          reinterpret_cast<BYTE*>(buffer.data()), size, &required))
            break;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= size ||
            required > kLargestPropertyBuffer)
            return false;
        buffer = Array<char>(required + 1, '\0');
    }
    return buffer[0] != '\0' && strcmp(buffer.data(), kAdapterService) == 0;
}

// The first present device whose service is the adapter's.
bool FindAdapterDevice(const DeviceInstallerApi& api, HDEVINFO set, SP_DEVINFO_DATA& device) {
    for (DWORD index = 0;; ++index) {
        ZeroMemory(&device, sizeof device);
        device.cbSize = sizeof device;
        if (!api.enumDeviceInfo(set, index, &device))
            return false;
        ULONG status = 0, problem = 0;
        if (api.getDevNodeStatus(&status, &problem, device.DevInst, 0) != CR_SUCCESS)
            continue;
        if (IsAdapterService(api, set, device))
            return true;
    }
}

// Whether the device installer left the change for the next boot: a device
// it could not stop keeps running on its old parameters until then.
bool RebootNeeded(const DeviceInstallerApi& api, HDEVINFO set, SP_DEVINFO_DATA& device) {
    SP_DEVINSTALL_PARAMS_A params;
    ZeroMemory(&params, sizeof params);
    params.cbSize = sizeof params;
    if (!api.getDeviceInstallParams(set, &device, &params))
        return false;
    return (params.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART)) != 0;
}

int ChangeAdapterState(const DeviceInstallerApi& api, HDEVINFO set, SP_DEVINFO_DATA& device) {
    CWaitCursor wait;
    SP_PROPCHANGE_PARAMS params;
    ZeroMemory(&params, sizeof params);
    params.ClassInstallHeader.cbSize = sizeof params.ClassInstallHeader;
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = DICS_PROPCHANGE;
    params.Scope = DICS_FLAG_GLOBAL;
    params.HwProfile = 0;
    if (!api.setClassInstallParams(set, &device, &params.ClassInstallHeader, sizeof params))
        return kRestartFailed;
    // Only with the parameters in place: without them there is nothing to
    // change, and some installers do not survive the call.
    if (!api.changeState(set, &device))
        return kRestartFailed;
    return RebootNeeded(api, set, device) ? kRestartNeedsReboot : kRestartDone;
}

int RestartWith(const DeviceInstallerApi& api) {
    GUID lanClass;
    static_assert(sizeof lanClass == sizeof kNdisLanClassGuid, "GUID size");
    memcpy(&lanClass, kNdisLanClassGuid, sizeof lanClass);
    // With DIGCF_ALLCLASSES the class only names the call; every present
    // device is listed.
    HDEVINFO set = api.getClassDevs(&lanClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE)
        return kRestartFailed;
    DeviceList list(api, set);
    SP_DEVINFO_DATA device;
    if (!FindAdapterDevice(api, set, device))
        return kRestartFailed;
    return ChangeAdapterState(api, set, device);
}

} // namespace

int RestartAdapter() {
    StopTray();
    int result = kRestartFailed;
    {
        DeviceInstaller installer;
        if (installer.Complete())
            result = RestartWith(installer.Api());
    }
    StartTray();
    return result;
}
