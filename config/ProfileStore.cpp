// The profile store on the Windows registry: the store's work
// (ProfileStoreCore) below HKEY_LOCAL_MACHINE, the Wireless Zero
// Configuration warning, and the system's text comparison and key cipher.
#include "config/ProfileStore.h"

#include <windows.h>
#include <mbstring.h>

#include "config/KeyProtection.h"
#include "config/ProfileStoreCore.h"
#include "config/RegistryKey.h"
#include "config/RegistryNames.h"
#include "config/SystemRegistry.h"
#include "framework/UserMessage.h"

namespace {

const char kWzcWarning[] =
    "Please disable the Wireless Zero Config feature for VELNORA KX750 Wireless adapter.\n"
    "It can be disabled in the Wireless Network Connection Properties window by\n"
    "unchecking the \"Use windows to configure my wireless network settings\" box.";
const char kWzcCaption[] = "VELNORA KX750 802.11a Configuration Utility";
const DWORD kWzcManagedFlag = 0x8000;

void CheckWirelessZeroConfig(const char* path) {
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof vi;
    if (!GetVersionExA(&vi))
        return;
    // Major and minor are tested each on its own: 5.1 and later minors only.
    if (vi.dwPlatformId != VER_PLATFORM_WIN32_NT || vi.dwMajorVersion < 5 || vi.dwMinorVersion < 1)
        return;

    CString instanceId;
    {
        CRegistryKey adapter;
        if (!adapter.Open(HKEY_LOCAL_MACHINE, path))
            return;
        if (!adapter.QueryString(RegistryName(kRegNetCfgInstanceId), instanceId))
            return;
    }
    CString interfacePath = CString("Software\\Microsoft\\") + RegistryName(kRegWzcsvc) +
                            "\\Parameters\\Interfaces\\" + instanceId;
    CRegistryKey iface;
    if (!iface.Open(HKEY_LOCAL_MACHINE, interfacePath))
        return;
    DWORD flags = 0;
    if (iface.QueryDword("ControlFlags", flags) && (flags & kWzcManagedFlag))
        ShowUserMessage(kWzcWarning, kWzcCaption, MB_OK);
}

int CompareNoCaseMultibyte(const char* a, const char* b) {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a),
                    reinterpret_cast<const unsigned char*>(b));
}

void PrepareEncipher() {
    EnsureCardConfigId();
}

CString Encipher(const char* plain, int32_t bits) {
    return EncryptKeyText(plain, bits);
}

const ProfileStoreServices kServices = {CompareNoCaseMultibyte, PrepareEncipher, Encipher};

} // namespace

bool LoadConfigurations(const char* adapterKeyPath) {
    if (adapterKeyPath && *adapterKeyPath)
        CheckWirelessZeroConfig(adapterKeyPath);
    SystemRegistryKey root;
    return LoadConfigurationsFrom(root, adapterKeyPath, kServices);
}

bool SaveConfigurations(const char* adapterKeyPath) {
    SystemRegistryKey root;
    return SaveConfigurationsTo(root, adapterKeyPath);
}
