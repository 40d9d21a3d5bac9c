#include "config/ProfileStore.h"

#include <windows.h>
#include <mbstring.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "config/DriverParameters.h"
#include "config/KeyProtection.h"
#include "config/ProfileRules.h"
#include "config/RegistryKey.h"
#include "config/RegistryNames.h"
#include "framework/UserMessage.h"

namespace {

const char kWzcWarning[] =
    "Please disable the Wireless Zero Config feature for VELNORA KX750 Wireless adapter.\n"
    "It can be disabled in the Wireless Network Connection Properties window by\n"
    "unchecking the \"Use windows to configure my wireless network settings\" box.";
const char kWzcCaption[] = "VELNORA KX750 802.11a Configuration Utility";
const DWORD kWzcManagedFlag = 0x8000;

const RegName kSharedKeyNames[4] = {kRegSharedKey1, kRegSharedKey2, kRegSharedKey3, kRegSharedKey4};
const RegName kSharedKeyLengthNames[4] = {kRegSharedKey1Length, kRegSharedKey2Length,
                                          kRegSharedKey3Length, kRegSharedKey4Length};

// A record with the subkey it lives in. Each record is written back to the
// subkey it was read from, so list positions and subkey numbers can never
// send one profile over another.
struct Entry {
    std::unique_ptr<CConfigRecord> record;
    int32_t number = -1; // N of the subkey name
    CString subkey;      // empty for a record no subkey holds yet
};

struct Store {
    std::vector<Entry> list;
    CString adapterKeyPath;
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    int32_t selectedIndex = -1;
    CString selectedName;
    int selectionFound = 0;
    bool markEnciphered = false; // the next save records that keys are enciphered
};

// Never destroyed: the process-wide adapter access object releases the
// profiles from its own destructor, which may run after this file's statics
// are gone.
Store& g_store = *new Store;

CString ConfigurationsPath(const CString& adapterKeyPath) {
    return adapterKeyPath + "\\" + RegistryName(kRegConfigurations);
}

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

void ReadRecordValues(CRegistryKey& sub, CConfigRecord& r) {
    DWORD v = 0;
    bool present;
    sub.QueryString(RegistryName(kRegNetworkName), r.networkName);
    present = sub.QueryDword(RegistryName(kRegNetworkConnectionType), v) == 1;
    r.connectionType = LoadedConnectionType(present, v);
    present = sub.QueryDword(RegistryName(kRegPowerManagement), v) == 1;
    r.powerManagement = LoadedPowerManagement(present, v);
    r.enableTurbo = sub.QueryDword(RegistryName(kRegEnableTurbo), v) ? static_cast<int32_t>(v) : 0;
    r.enableMacAddress =
        sub.QueryDword(RegistryName(kRegEnableMacAddress), v) ? static_cast<int32_t>(v) : 0;
    r.enableSecurity =
        sub.QueryDword(RegistryName(kRegEnableSecurity), v) ? static_cast<int32_t>(v) : 0;
    r.defaultKey = sub.QueryDword(RegistryName(kRegDefaultKey), v) ? static_cast<int32_t>(v) : 0;
    sub.QueryString(RegistryName(kRegMacAddress), r.macAddress);
    sub.QueryString(RegistryName(kRegUniqueKey), r.uniqueKey);
    for (int i = 0; i < 4; ++i)
        sub.QueryString(RegistryName(kSharedKeyNames[i]), r.sharedKey[i]);
    for (int i = 0; i < 4; ++i) {
        if (sub.QueryDword(RegistryName(kSharedKeyLengthNames[i]), v))
            r.sharedKeyLength[i] = static_cast<int32_t>(v);
    }
    if (sub.QueryDword(RegistryName(kRegUniqueKeyLength), v))
        r.uniqueKeyLength = static_cast<int32_t>(v);
}

void WriteRecordValues(CRegistryKey& sub, const CConfigRecord& r) {
    sub.SetString(RegistryName(kRegConfigurationName), r.name);
    sub.SetString(RegistryName(kRegNetworkName), r.networkName);
    sub.SetDword(RegistryName(kRegNetworkConnectionType), static_cast<DWORD>(r.connectionType));
    sub.SetDword(RegistryName(kRegPowerManagement), static_cast<DWORD>(r.powerManagement));
    sub.SetDword(RegistryName(kRegEnableTurbo), static_cast<DWORD>(r.enableTurbo));
    sub.SetDword(RegistryName(kRegEnableMacAddress), static_cast<DWORD>(r.enableMacAddress));
    sub.SetString(RegistryName(kRegMacAddress), r.macAddress);
    sub.SetDword(RegistryName(kRegEnableSecurity), static_cast<DWORD>(r.enableSecurity));
    sub.SetDword(RegistryName(kRegDefaultKey), static_cast<DWORD>(r.defaultKey));
    for (int i = 0; i < 4; ++i)
        sub.SetString(RegistryName(kSharedKeyNames[i]), r.sharedKey[i]);
    sub.SetString(RegistryName(kRegUniqueKey), r.uniqueKey);
    for (int i = 0; i < 4; ++i)
        sub.SetDword(RegistryName(kSharedKeyLengthNames[i]),
                     static_cast<DWORD>(r.sharedKeyLength[i]));
    sub.SetDword(RegistryName(kRegUniqueKeyLength), static_cast<DWORD>(r.uniqueKeyLength));
}

void BuildDefaultConfiguration() {
    CRegistryKey adapter;
    if (!adapter.Open(HKEY_LOCAL_MACHINE, g_store.adapterKeyPath))
        return;
    Entry e;
    e.record.reset(new CConfigRecord);
    ReadDriverParameters(adapter, e.record.get());
    e.record->name = "Default";
    e.number = 0;
    g_store.list.push_back(std::move(e));
    g_store.majorVersion = 1;
    g_store.minorVersion = 0;
    g_store.selectedIndex = 0;
    g_store.selectedName = "Default";
    g_store.selectionFound = 0;
}

// Reads every named configuration below the open configurations key.
// Returns true when at least one was read.
bool ReadConfigurations(CRegistryKey& configurations) {
    bool result = false;
    CConfigRecord* selected = nullptr;
    for (DWORD index = 0;; ++index) {
        CString subkeyName;
        if (!configurations.EnumChild(index, subkeyName))
            break;
        int32_t n = SubkeyNumber(subkeyName);
        CRegistryKey sub;
        if (!configurations.OpenChild(subkeyName, sub))
            continue;
        Entry e;
        e.record.reset(new CConfigRecord);
        if (!sub.QueryString(RegistryName(kRegConfigurationName), e.record->name))
            continue;
        // N = -1 stands for "no number" and never matches, even a stored
        // index of 0xFFFFFFFF.
        if (n >= 0 && n == g_store.selectedIndex && !g_store.selectedName.IsEmpty() &&
            _mbsicmp(reinterpret_cast<const unsigned char*>(g_store.selectedName.c_str()),
                     reinterpret_cast<const unsigned char*>(e.record->name.c_str())) == 0) {
            g_store.selectionFound = 1;
            selected = e.record.get();
        }
        ReadRecordValues(sub, *e.record);
        e.number = n;
        e.subkey = subkeyName;
        g_store.list.push_back(std::move(e));
        result = true;
    }

    // The registry enumerates Cfg10 before Cfg2; keep the list in the order
    // of the subkey numbers (unnumbered names last, so that Cfg0, Cfg1, ...
    // keep positions equal to their numbers) and make the selection a list
    // position.
    std::stable_sort(g_store.list.begin(), g_store.list.end(), [](const Entry& a, const Entry& b) {
        uint32_t ka = static_cast<uint32_t>(a.number); // -1 sorts after every N >= 0
        uint32_t kb = static_cast<uint32_t>(b.number);
        return ka < kb;
    });
    int32_t position = -1;
    for (size_t i = 0; i < g_store.list.size(); ++i) {
        const Entry& e = g_store.list[i];
        if (selected ? e.record.get() == selected
                     : (position < 0 && e.number >= 0 && e.number == g_store.selectedIndex)) {
            position = static_cast<int32_t>(i);
        }
    }
    if (position >= 0)
        g_store.selectedIndex = position;

    if (g_store.selectionFound && selected) {
        CRegistryKey adapter;
        if (adapter.Open(HKEY_LOCAL_MACHINE, g_store.adapterKeyPath))
            ReadDriverParameters(adapter, selected);
    }
    return result;
}

} // namespace

bool LoadConfigurations(const char* adapterKeyPath) {
    const char* path = adapterKeyPath ? adapterKeyPath : "";
    if (!*path) {
        // An empty path would open HKEY_LOCAL_MACHINE itself as the adapter key.
        ClearConfigurations();
        return false;
    }
    CheckWirelessZeroConfig(path);
    // A second load without a clear would append duplicates behind the
    // records whose positions the selection refers to.
    ClearConfigurations();
    g_store.adapterKeyPath = path;

    bool result = false;
    bool markedEnciphered = false;
    CRegistryKey configurations;
    if (!configurations.Open(HKEY_LOCAL_MACHINE, ConfigurationsPath(g_store.adapterKeyPath))) {
        BuildDefaultConfiguration();
    } else {
        DWORD v = 0;
        if (configurations.QueryDword(RegistryName(kRegMajorVersion), v))
            g_store.majorVersion = v;
        if (configurations.QueryDword(RegistryName(kRegMinorVersion), v))
            g_store.minorVersion = v;
        g_store.selectedIndex = 0;
        if (configurations.QueryDword(RegistryName(kRegSelectedConfigurationIndex), v))
            g_store.selectedIndex = static_cast<int32_t>(v);
        configurations.QueryString(RegistryName(kRegSelectedConfigurationName),
                                   g_store.selectedName);
        markedEnciphered = configurations.QueryDword(RegistryName(kRegKeysEnciphered), v) && v != 0;
        result = ReadConfigurations(configurations);
        configurations.Close();
    }

    if (NeedsKeyUpgrade(result, FindConfiguration(nullptr) != nullptr, g_store.majorVersion,
                        g_store.minorVersion, markedEnciphered)) {
        EnsureCardConfigId();
        for (Entry& e : g_store.list) {
            EncipherRecordKeys(*e.record, [](const char* plain, int32_t bits) {
                return EncryptKeyText(plain, bits);
            });
            e.record->dirty = 1;
        }
        g_store.markEnciphered = true;
        SaveConfigurations(path);
    }
    return result;
}

bool SaveConfigurations(const char* adapterKeyPath) {
    if (adapterKeyPath)
        g_store.adapterKeyPath = adapterKeyPath;
    // Without an adapter key the path would name a key at the root of
    // HKEY_LOCAL_MACHINE.
    if (g_store.adapterKeyPath.IsEmpty())
        return true;

    CRegistryKey configurations;
    DWORD disposition = 0;
    if (!configurations.Create(HKEY_LOCAL_MACHINE, ConfigurationsPath(g_store.adapterKeyPath),
                               &disposition))
        return true;
    // A key made here holds only what this store writes: enciphered keys.
    if (disposition == REG_CREATED_NEW_KEY || g_store.markEnciphered) {
        if (configurations.SetDword(RegistryName(kRegKeysEnciphered), 1))
            g_store.markEnciphered = false;
    }

    for (size_t i = 0; i < g_store.list.size(); ++i) {
        Entry& e = g_store.list[i];
        if (!e.record->dirty)
            continue;
        CString subkeyName = e.subkey.IsEmpty() ? SubkeyName(static_cast<int32_t>(i)) : e.subkey;
        CRegistryKey sub;
        if (!configurations.CreateChild(subkeyName, nullptr, sub))
            continue;
        WriteRecordValues(sub, *e.record);
        sub.Close();
        e.record->dirty = 0;
        e.subkey = subkeyName;
    }
    configurations.Close();

    CRegistryKey adapter;
    if (adapter.Open(HKEY_LOCAL_MACHINE, g_store.adapterKeyPath)) {
        CConfigRecord* selected = FindConfiguration(nullptr);
        if (selected)
            WriteDriverParameters(adapter, *selected);
    }
    return true;
}

CConfigRecord* FindConfiguration(const char* name) {
    if (!name)
        return GetConfigurationAt(g_store.selectedIndex);
    for (Entry& e : g_store.list) {
        if (e.record->name == name)
            return e.record.get();
    }
    return nullptr;
}

void ClearConfigurations() {
    g_store.list.clear();
    g_store.majorVersion = 0;
    g_store.minorVersion = 0;
    g_store.selectedIndex = -1;
    g_store.selectionFound = 0;
    g_store.selectedName.Empty();
    g_store.adapterKeyPath.Empty();
    g_store.markEnciphered = false;
}

int GetConfigurationCount() {
    return static_cast<int>(g_store.list.size());
}

CConfigRecord* GetConfigurationAt(int index) {
    if (index < 0 || static_cast<size_t>(index) >= g_store.list.size())
        return nullptr;
    return g_store.list[static_cast<size_t>(index)].record.get();
}

int GetSelectedIndex() {
    return g_store.selectedIndex;
}

const char* GetSelectedName() {
    return g_store.selectedName.c_str();
}

bool IsSelectionFound() {
    return g_store.selectionFound != 0;
}

const char* GetAdapterKeyPath() {
    return g_store.adapterKeyPath.c_str();
}

uint32_t GetMajorVersion() {
    return g_store.majorVersion;
}

uint32_t GetMinorVersion() {
    return g_store.minorVersion;
}
