#include "device/DeviceApi.h"

namespace {

const DeviceInstallerApi* g_installerReplacement = nullptr;
const DeviceNotificationApi* g_notificationReplacement = nullptr;

template <typename Proc> void LookUp(HMODULE module, const char* name, Proc& out) {
    out = module ? reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                 : nullptr;
}

} // namespace

DeviceInstaller::DeviceInstaller() {
    if (g_installerReplacement) {
        api_ = g_installerReplacement;
        return;
    }
    setupApi_ = ::LoadLibraryA("SETUPAPI.DLL");
    LookUp(setupApi_, "SetupDiGetClassDevsA", found_.getClassDevs);
    LookUp(setupApi_, "SetupDiEnumDeviceInfo", found_.enumDeviceInfo);
    LookUp(setupApi_, "SetupDiGetDeviceRegistryPropertyA", found_.getDeviceRegistryProperty);
    LookUp(setupApi_, "SetupDiSetClassInstallParamsA", found_.setClassInstallParams);
    LookUp(setupApi_, "SetupDiChangeState", found_.changeState);
    LookUp(setupApi_, "SetupDiGetDeviceInstallParamsA", found_.getDeviceInstallParams);
    LookUp(setupApi_, "SetupDiDestroyDeviceInfoList", found_.destroyDeviceInfoList);
    // The configuration manager's own library first; the installer's copy
    // of the entry point serves where that library is missing.
    configManager_ = ::LoadLibraryA("CFGMGR32.DLL");
    LookUp(configManager_, "CM_Get_DevNode_Status", found_.getDevNodeStatus);
    if (!found_.getDevNodeStatus)
        LookUp(setupApi_, "CM_Get_DevNode_Status", found_.getDevNodeStatus);
}

DeviceInstaller::~DeviceInstaller() {
    if (configManager_)
        ::FreeLibrary(configManager_);
    if (setupApi_)
        ::FreeLibrary(setupApi_);
}

bool DeviceInstaller::Complete() const {
    const DeviceInstallerApi& a = *api_;
    return a.getClassDevs && a.enumDeviceInfo && a.getDeviceRegistryProperty &&
           a.setClassInstallParams && a.changeState && a.getDeviceInstallParams &&
           a.destroyDeviceInfoList && a.getDevNodeStatus;
}

const DeviceInstallerApi* ReplaceDeviceInstallerApi(const DeviceInstallerApi* api) {
    const DeviceInstallerApi* previous = g_installerReplacement;
    g_installerReplacement = api;
    return previous;
}

const DeviceNotificationApi* ReplaceDeviceNotificationApi(const DeviceNotificationApi* api) {
    const DeviceNotificationApi* previous = g_notificationReplacement;
    g_notificationReplacement = api;
    return previous;
}

const DeviceNotificationApi* DeviceNotificationReplacement() {
    return g_notificationReplacement;
}
