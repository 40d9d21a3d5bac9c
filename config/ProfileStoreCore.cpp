#include "config/ProfileStoreCore.h"

#include <algorithm>
#include <memory>

#include "config/DriverParameters.h"
#include "config/ProfileRules.h"
#include "config/RegistryNames.h"
#include "framework/Array.h"

namespace {

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
    Array<Entry> list;
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

void ReadRecordValues(RegistryKeyAccess& sub, CConfigRecord& r) {
    uint32_t v = 0;
    bool present;
    sub.QueryString(RegistryName(kRegNetworkName), r.networkName);
    present = sub.QueryDword(RegistryName(kRegNetworkConnectionType), v);
    r.connectionType = LoadedConnectionType(present, v);
    present = sub.QueryDword(RegistryName(kRegPowerManagement), v);
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

void WriteRecordValues(RegistryKeyAccess& sub, const CConfigRecord& r) {
    sub.SetString(RegistryName(kRegConfigurationName), r.name);
    sub.SetString(RegistryName(kRegNetworkName), r.networkName);
    sub.SetDword(RegistryName(kRegNetworkConnectionType), static_cast<uint32_t>(r.connectionType));
    sub.SetDword(RegistryName(kRegPowerManagement), static_cast<uint32_t>(r.powerManagement));
    sub.SetDword(RegistryName(kRegEnableTurbo), static_cast<uint32_t>(r.enableTurbo));
    sub.SetDword(RegistryName(kRegEnableMacAddress), static_cast<uint32_t>(r.enableMacAddress));
    sub.SetString(RegistryName(kRegMacAddress), r.macAddress);
    sub.SetDword(RegistryName(kRegEnableSecurity), static_cast<uint32_t>(r.enableSecurity));
    sub.SetDword(RegistryName(kRegDefaultKey), static_cast<uint32_t>(r.defaultKey));
    for (int i = 0; i < 4; ++i)
        sub.SetString(RegistryName(kSharedKeyNames[i]), r.sharedKey[i]);
    sub.SetString(RegistryName(kRegUniqueKey), r.uniqueKey);
    for (int i = 0; i < 4; ++i)
        sub.SetDword(RegistryName(kSharedKeyLengthNames[i]),
                     static_cast<uint32_t>(r.sharedKeyLength[i]));
    sub.SetDword(RegistryName(kRegUniqueKeyLength), static_cast<uint32_t>(r.uniqueKeyLength));
}

void BuildDefaultConfiguration(RegistryKeyAccess& root) {
    std::unique_ptr<RegistryKeyAccess> adapter = root.OpenChild(g_store.adapterKeyPath);
    if (!adapter)
        return;
    Entry e;
    e.record.reset(new CConfigRecord);
    ReadDriverParameters(*adapter, e.record.get());
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
bool ReadConfigurations(RegistryKeyAccess& root, RegistryKeyAccess& configurations,
                        const ProfileStoreServices& services) {
    bool result = false;
    CConfigRecord* selected = nullptr;
    for (uint32_t index = 0;; ++index) {
        CString subkeyName;
        if (!configurations.EnumChild(index, subkeyName))
            break;
        int32_t n = SubkeyNumber(subkeyName);
        std::unique_ptr<RegistryKeyAccess> sub = configurations.OpenChild(subkeyName);
        if (!sub)
            continue;
        Entry e;
        e.record.reset(new CConfigRecord);
        if (!sub->QueryString(RegistryName(kRegConfigurationName), e.record->name))
            continue;
        // N = -1 stands for "no number" and never matches, even a stored
        // index of 0xFFFFFFFF.
        if (n >= 0 && n == g_store.selectedIndex && !g_store.selectedName.IsEmpty() &&
            services.compareNoCase(g_store.selectedName, e.record->name) == 0) {
            g_store.selectionFound = 1;
            selected = e.record.get();
        }
        ReadRecordValues(*sub, *e.record);
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
        std::unique_ptr<RegistryKeyAccess> adapter = root.OpenChild(g_store.adapterKeyPath);
        if (adapter)
            ReadDriverParameters(*adapter, selected);
    }
    return result;
}

} // namespace

bool LoadConfigurationsFrom(RegistryKeyAccess& root, const char* adapterKeyPath,
                            const ProfileStoreServices& services) {
    const char* path = adapterKeyPath ? adapterKeyPath : "";
    // A second load without a clear would append duplicates behind the
    // records whose positions the selection refers to.
    ClearConfigurations();
    if (!*path) // an empty path would take the root itself as the adapter key
        return false;
    g_store.adapterKeyPath = path;

    bool result = false;
    bool markedEnciphered = false;
    std::unique_ptr<RegistryKeyAccess> configurations =
        root.OpenChild(ConfigurationsPath(g_store.adapterKeyPath));
    if (!configurations) {
        BuildDefaultConfiguration(root);
    } else {
        uint32_t v = 0;
        if (configurations->QueryDword(RegistryName(kRegMajorVersion), v))
            g_store.majorVersion = v;
        if (configurations->QueryDword(RegistryName(kRegMinorVersion), v))
            g_store.minorVersion = v;
        g_store.selectedIndex = 0;
        if (configurations->QueryDword(RegistryName(kRegSelectedConfigurationIndex), v))
            g_store.selectedIndex = static_cast<int32_t>(v);
        configurations->QueryString(RegistryName(kRegSelectedConfigurationName),
                                    g_store.selectedName);
        markedEnciphered =
            configurations->QueryDword(RegistryName(kRegKeysEnciphered), v) && v != 0;
        result = ReadConfigurations(root, *configurations, services);
        configurations.reset();
    }

    if (NeedsKeyUpgrade(result, FindConfiguration(nullptr) != nullptr, g_store.majorVersion,
                        g_store.minorVersion, markedEnciphered)) {
        services.prepareEncipher();
        for (Entry& e : g_store.list) {
            EncipherRecordKeys(*e.record, services.encipher);
            e.record->dirty = 1;
        }
        g_store.markEnciphered = true;
        SaveConfigurationsTo(root, path);
    }
    return result;
}

bool SaveConfigurationsTo(RegistryKeyAccess& root, const char* adapterKeyPath) {
    if (adapterKeyPath)
        g_store.adapterKeyPath = adapterKeyPath;
    // Without an adapter key the path would name a key at the root.
    if (g_store.adapterKeyPath.IsEmpty())
        return true;

    bool created = false;
    std::unique_ptr<RegistryKeyAccess> configurations =
        root.CreateChild(ConfigurationsPath(g_store.adapterKeyPath), &created);
    if (!configurations)
        return true;
    // A key made here holds only what this store writes: enciphered keys.
    if (created || g_store.markEnciphered) {
        if (configurations->SetDword(RegistryName(kRegKeysEnciphered), 1))
            g_store.markEnciphered = false;
    }

    for (size_t i = 0; i < g_store.list.size(); ++i) {
        Entry& e = g_store.list[i];
        if (!e.record->dirty)
            continue;
        CString subkeyName = e.subkey.IsEmpty() ? SubkeyName(static_cast<int32_t>(i)) : e.subkey;
        std::unique_ptr<RegistryKeyAccess> sub = configurations->CreateChild(subkeyName, nullptr);
        if (!sub)
            continue;
        WriteRecordValues(*sub, *e.record);
        sub.reset();
        e.record->dirty = 0;
        e.subkey = subkeyName;
    }
    configurations.reset();

    std::unique_ptr<RegistryKeyAccess> adapter = root.OpenChild(g_store.adapterKeyPath);
    if (adapter) {
        CConfigRecord* selected = FindConfiguration(nullptr);
        if (selected)
            WriteDriverParameters(*adapter, *selected);
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
