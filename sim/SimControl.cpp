// Simulator control: what Windows keeps for the installed adapter, and the
// stand-in driver's world. See SimControl.h.
#include "sim/SimControl.h"

#include <windows.h>
#include <dbt.h>

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <initializer_list>

namespace {

const char kClassKey[] = "System\\CurrentControlSet\\Control\\Class\\"
                         "{4D36E972-E325-11CE-BFC1-08002BE10318}";
const char kNetworkCardsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
const char kMiniportServiceKey[] = "System\\CurrentControlSet\\Services\\DOVIZ";
const char kNt4ServiceKey[] = "System\\CurrentControlSet\\Services\\DOVIZ1";
const char kNt4ParametersKey[] = "System\\CurrentControlSet\\Services\\DOVIZ1\\Parameters";
const char k9xInstanceKey[] = "System\\CurrentControlSet\\Services\\Class\\Net\\0000";
const char kImagePath[] = "System32\\DRIVERS\\DOVIZ.sys";
const char kClassGuid[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
// The adapter's PCI device node, as the device installer keeps it.
const char kHardwareId[] = NX_SIM_DEVICE_ID;
const char kDeviceInstance[] = NX_SIM_DEVICE_INSTANCE;
// Where the system records the device interfaces of the NDIS LAN class.
const char kLanInterfacesKey[] = "System\\CurrentControlSet\\Control\\DeviceClasses\\"
                                 "{AD498944-762F-11D0-8DCB-00C04FC3358C}";
const char kEnumKey[] = "System\\CurrentControlSet\\Enum";
const char kDriverFile[] = "DOVIZ.sys";

// Registry calls return their error; keep it where Fail() looks.
bool Check(LONG result) {
    if (result != ERROR_SUCCESS)
        SetLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

// Owns one open registry key.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    bool Open(HKEY root, const char* path, REGSAM access = KEY_READ) {
        Close();
        return RegOpenKeyExA(root, path, 0, access, &key_) == ERROR_SUCCESS;
    }
    bool Create(HKEY root, const char* path) {
        Close();
        LONG result =
            RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        // Wine keeps NetworkCards as a volatile key (it lists the host's
        // interfaces there at boot); children of it must be volatile too.
        if (result == ERROR_CHILD_MUST_BE_VOLATILE)
            result = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                     nullptr, &key_, nullptr);
        return Check(result);
    }
    void Close() {
        if (key_)
            RegCloseKey(key_);
        key_ = nullptr;
    }
    HKEY get() const { return key_; }

    bool SetString(const char* name, const std::string& value, DWORD type = REG_SZ) {
        return Check(RegSetValueExA(key_, name, 0, type,
                                    reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1)));
    }
    bool SetDword(const char* name, DWORD value) {
        return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof value) == ERROR_SUCCESS;
    }
    bool SetBinary(const char* name, const void* data, DWORD size) {
        return RegSetValueExA(key_, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size) ==
               ERROR_SUCCESS;
    }
    bool SetMultiString(const char* name, const std::vector<std::string>& values) {
        std::string block;
        for (const std::string& v : values)
            block.append(v).push_back('\0');
        block.push_back('\0');
        return RegSetValueExA(key_, name, 0, REG_MULTI_SZ,
                              reinterpret_cast<const BYTE*>(block.data()),
                              static_cast<DWORD>(block.size())) == ERROR_SUCCESS;
    }
    bool GetString(const char* name, std::string& out) const {
        char buffer[512];
        DWORD size = sizeof buffer - 1, type = 0;
        if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        buffer[size] = '\0';
        out = buffer;
        return true;
    }
    bool GetDword(const char* name, DWORD& out) const {
        DWORD size = sizeof out, type = 0;
        return RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&out), &size) ==
                   ERROR_SUCCESS &&
               type == REG_DWORD;
    }

private:
    HKEY key_ = nullptr;
};

// Deletes a key and everything below it; true also when it was not there.
bool DeleteTree(HKEY root, const std::string& path) {
    {
        RegKey key;
        if (!key.Open(root, path.c_str(), KEY_ALL_ACCESS))
            return true;
        char name[256];
        // Always the first subkey: each pass removes it.
        for (;;) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (!DeleteTree(root, path + "\\" + name))
                return false;
        }
    }
    return RegDeleteKeyA(root, path.c_str()) == ERROR_SUCCESS;
}

// The class key instance holding our NetCfgInstanceID, or "" when none does.
std::string FindClassInstance() {
    RegKey classKey;
    if (!classKey.Open(HKEY_LOCAL_MACHINE, kClassKey))
        return "";
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(classKey.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return "";
        std::string path = std::string(kClassKey) + "\\" + name;
        RegKey instance;
        std::string id;
        if (instance.Open(HKEY_LOCAL_MACHINE, path.c_str()) &&
            instance.GetString("NetCfgInstanceID", id) && id == NX_SIM_NET_CFG_INSTANCE_ID)
            return path;
    }
}

// The NetworkCards instance naming our service, or the first free number
// (Wine lists the host's own interfaces there, from 1 on).
std::string Nt4CardKeyPath() {
    RegKey cards;
    if (cards.Open(HKEY_LOCAL_MACHINE, kNetworkCardsKey)) {
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(cards.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            std::string path = std::string(kNetworkCardsKey) + "\\" + name;
            RegKey card;
            std::string service;
            if (card.Open(HKEY_LOCAL_MACHINE, path.c_str()) &&
                card.GetString("ServiceName", service) && service == NX_SIM_NT4_SERVICE_NAME)
                return path;
        }
    }
    for (int i = 1;; ++i) {
        std::string path = std::string(kNetworkCardsKey) + "\\" + std::to_string(i);
        RegKey probe;
        if (!probe.Open(HKEY_LOCAL_MACHINE, path.c_str()))
            return path;
    }
}

// Our instance when installed, else the first free four-digit instance.
std::string ClassInstancePath() {
    std::string found = FindClassInstance();
    if (!found.empty())
        return found;
    for (int i = 0; i < 10000; ++i) {
        char path[300];
        snprintf(path, sizeof path, "%s\\%04d", kClassKey, i);
        RegKey probe;
        if (!probe.Open(HKEY_LOCAL_MACHINE, path))
            return path;
    }
    return std::string(kClassKey) + "\\9999";
}

// The driver's own parameter values, as its installation leaves them.
bool WriteDriverParameters(RegKey& key, const std::string& ssid) {
    bool ok = key.SetString("ssid", ssid) && key.SetString("bssType", "1") &&
              key.SetString("TurboEnable", "0") && key.SetString("sleepMode", "1") &&
              key.SetString("privacyInvoked", "0") && key.SetString("defaultKey", "0") &&
              key.SetString("uniqKey", "") && key.SetString("uniqKeyLength", "5");
    for (int i = 0; ok && i < 4; ++i) {
        char name[16];
        snprintf(name, sizeof name, "key%d", i);
        ok = key.SetString(name, "");
        snprintf(name, sizeof name, "keyLength%d", i);
        ok = ok && key.SetString(name, "5");
    }
    return ok;
}

std::string WindowsPath(const char* relative) {
    char dir[MAX_PATH];
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir)
        return "";
    return std::string(dir) + "\\" + relative;
}

// Copies NXPROTO.SYS from beside the running program to where "ImagePath"
// points, so the installed driver file has a version resource and a date.
bool CopyDriverFile() {
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (n == 0 || n >= sizeof exe)
        return false;
    char* slash = strrchr(exe, '\\');
    if (!slash)
        return false;
    std::string source = std::string(exe, slash + 1) + "NXPROTO.SYS";
    std::string target = WindowsPath(kImagePath);
    if (target.empty())
        return false;
    CreateDirectoryA(WindowsPath("System32\\DRIVERS").c_str(), nullptr);
    return CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
}

bool BumpGeneration(RegKey& world) {
    DWORD generation = 0;
    world.GetDword(NX_SIM_GENERATION, generation);
    return world.SetDword(NX_SIM_GENERATION, generation + 1);
}

bool OpenWorld(RegKey& world) {
    return world.Open(HKEY_LOCAL_MACHINE, NX_SIM_WORLD_KEY, KEY_ALL_ACCESS);
}

bool WriteNetwork(const std::string& path, const SimNetwork& net) {
    RegKey key;
    return key.Create(HKEY_LOCAL_MACHINE, path.c_str()) &&
           key.SetString(NX_SIM_NET_SSID, net.ssid) &&
           key.SetBinary(NX_SIM_NET_BSSID, net.bssid, 6) &&
           key.SetDword(NX_SIM_NET_CHANNEL, net.channel) &&
           key.SetDword(NX_SIM_NET_SIGNAL, static_cast<DWORD>(net.signal)) &&
           key.SetString(NX_SIM_NET_WEP_KEY, net.wepKey) &&
           key.SetDword(NX_SIM_NET_MODE, net.mode) &&
           key.SetDword(NX_SIM_NET_TURBO, net.turbo ? 1 : 0);
}

bool WriteNetworks(const std::vector<SimNetwork>& networks) {
    std::string base = std::string(NX_SIM_WORLD_KEY) + "\\" + NX_SIM_NETWORKS;
    if (!DeleteTree(HKEY_LOCAL_MACHINE, base))
        return false;
    RegKey created;
    if (!created.Create(HKEY_LOCAL_MACHINE, base.c_str()))
        return false;
    for (size_t i = 0; i < networks.size(); ++i)
        if (!WriteNetwork(base + "\\" + std::to_string(i), networks[i]))
            return false;
    return true;
}

SimNetwork MakeNetwork(const char* ssid, const uint8_t (&bssid)[6], uint32_t channel,
                       int32_t signal, const char* wep, uint32_t mode) {
    SimNetwork net;
    net.ssid = ssid;
    memcpy(net.bssid, bssid, 6);
    net.channel = channel;
    net.signal = signal;
    net.wepKey = wep;
    net.mode = mode;
    return net;
}

std::string DeviceNodePath() {
    return std::string(kEnumKey) + "\\" + kHardwareId + "\\" + kDeviceInstance;
}

// The device node of the class key instance at `instancePath`.
bool WriteDeviceNode(const std::string& instancePath) {
    std::string driver = instancePath.substr(instancePath.rfind(kClassGuid));
    RegKey node;
    return node.Create(HKEY_LOCAL_MACHINE, DeviceNodePath().c_str()) &&
           node.SetString("Service", NX_SIM_MINIPORT_SERVICE) &&
           node.SetString("ClassGUID", kClassGuid) && node.SetString("Class", "Net") &&
           node.SetString("Driver", driver) &&
           node.SetString("DeviceDesc", NX_SIM_ADAPTER_DESCRIPTION) &&
           node.SetMultiString("HardwareID", {kHardwareId, "PCI\\VEN_168C&DEV_0007"});
}

// Removes our device node, and the hardware key when nothing else is below it.
bool DeleteDeviceNode() {
    bool ok = DeleteTree(HKEY_LOCAL_MACHINE, DeviceNodePath());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kEnumKey) + "\\" + kHardwareId).c_str());
    return ok;
}

// The interface records the stand-in's registration left for our device
// ("##?#PCI#VEN_168C&DEV_0007...", in whatever letter case).
bool DeleteInterfaceRecords() {
    std::vector<std::string> ours;
    {
        RegKey lan;
        if (!lan.Open(HKEY_LOCAL_MACHINE, kLanInterfacesKey))
            return true;
        char name[512];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(lan.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            std::string upper = name;
            for (char& c : upper)
                c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
            if (upper.find("VEN_168C&DEV_0007") != std::string::npos)
                ours.push_back(std::string(kLanInterfacesKey) + "\\" + name);
        }
    }
    bool ok = true;
    for (const std::string& path : ours)
        ok = DeleteTree(HKEY_LOCAL_MACHINE, path) && ok;
    return ok;
}

// Has a running stand-in look at the world now (any request does), so that
// it announces a change of the adapter's presence without waiting for the
// next caller. Nothing to do when it is not running.
void NudgeDriver() {
    for (const char* device : {"\\\\.\\NXPROTO", "\\\\.\\NXPROTO4"}) {
        HANDLE h = CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        NdisRequestRecord record;
        memset(&record, 0, sizeof record);
        record.requestType = NX_REQUEST_QUERY_INFORMATION;
        record.oid = NX_OID_UNLOAD_STATE;
        record.bufferLength = 4;
        DWORD got = 0;
        DeviceIoControl(h, NX_IOCTL_PRIVATE_REQUEST, &record, sizeof record, &record, sizeof record,
                        &got, nullptr);
        CloseHandle(h);
    }
}

std::string g_lastFailure;

bool Fail(const char* step) {
    char text[128];
    snprintf(text, sizeof text, "%s (error %lu)", step, static_cast<unsigned long>(GetLastError()));
    g_lastFailure = text;
    return false;
}

} // namespace

const char* SimLastFailure() {
    return g_lastFailure.c_str();
}

std::vector<SimNetwork> SimDefaultNetworks() {
    static const uint8_t a[6] = {0x00, 0x0B, 0x6B, 0x10, 0x20, 0x30};
    static const uint8_t b[6] = {0x00, 0x0B, 0x6B, 0x40, 0x50, 0x60};
    static const uint8_t c[6] = {0x02, 0x0B, 0x6B, 0x77, 0x88, 0x99};
    return {MakeNetwork("VELNORA", a, 36, 60, "", 0),
            MakeNetwork("HarbourLab", b, 52, 35, "0123456789", 0),
            MakeNetwork("adhoc-cell", c, 149, 20, "", 1)};
}

std::string SimClassInstanceKeyPath() {
    return ClassInstancePath();
}
std::string SimNt4CardKeyPath() {
    return Nt4CardKeyPath();
}
std::string SimNt4ParametersKeyPath() {
    return kNt4ParametersKey;
}
std::string Sim9xInstanceKeyPath() {
    return k9xInstanceKey;
}
std::string SimMiniportServiceKeyPath() {
    return kMiniportServiceKey;
}
std::string SimDriverFilePath() {
    return WindowsPath(kImagePath);
}
std::string SimDeviceNodeKeyPath() {
    return DeviceNodePath();
}
std::string SimDeviceInstanceId() {
    return std::string(kHardwareId) + "\\" + kDeviceInstance;
}

bool SimInstallAdapter() {
    std::vector<SimNetwork> networks = SimDefaultNetworks();
    const std::string& ssid = networks.front().ssid;

    // Windows 2000/XP: the network class key instance, and the device node
    // whose driver it is.
    std::string instancePath = ClassInstancePath();
    RegKey instance;
    if (!instance.Create(HKEY_LOCAL_MACHINE, instancePath.c_str()) ||
        !instance.SetString("DriverDesc", NX_SIM_ADAPTER_DESCRIPTION) ||
        !instance.SetString("NetCfgInstanceID", NX_SIM_NET_CFG_INSTANCE_ID) ||
        !instance.SetString("MatchingDeviceId", "pci\\ven_168c&dev_0007") ||
        !WriteDriverParameters(instance, ssid))
        return Fail("class key instance");
    if (!WriteDeviceNode(instancePath))
        return Fail("device node");

    // The miniport's service and its driver file.
    RegKey service;
    if (!service.Create(HKEY_LOCAL_MACHINE, kMiniportServiceKey) ||
        !service.SetString("ImagePath", kImagePath, REG_EXPAND_SZ) ||
        !service.SetString("DisplayName", NX_SIM_ADAPTER_DESCRIPTION))
        return Fail("miniport service key");
    if (!CopyDriverFile())
        return Fail("driver file copy");

    // NT 4.0: the NetworkCards instance and its service's Parameters key.
    RegKey card;
    if (!card.Create(HKEY_LOCAL_MACHINE, Nt4CardKeyPath().c_str()) ||
        !card.SetString("ServiceName", NX_SIM_NT4_SERVICE_NAME) ||
        !card.SetString("Description", NX_SIM_ADAPTER_DESCRIPTION) ||
        !card.SetString("Title", NX_SIM_ADAPTER_DESCRIPTION) ||
        !card.SetString("ProductName", NX_SIM_MINIPORT_SERVICE))
        return Fail("NetworkCards instance");
    RegKey parameters;
    if (!parameters.Create(HKEY_LOCAL_MACHINE, kNt4ParametersKey) ||
        !WriteDriverParameters(parameters, ssid))
        return Fail("NT 4.0 parameters key");

    // Windows 95 family: the Class\Net instance.
    RegKey net9x;
    if (!net9x.Create(HKEY_LOCAL_MACHINE, k9xInstanceKey) ||
        !net9x.SetString("DriverDesc", NX_SIM_ADAPTER_DESCRIPTION) ||
        !net9x.SetString("DeviceVxDs", kDriverFile))
        return Fail("Class\\Net instance");

    // The default world.
    static const uint8_t address[6] = {0x00, 0x0B, 0x6B, 0x4A, 0x21, 0x7C};
    RegKey world;
    if (!world.Create(HKEY_LOCAL_MACHINE, NX_SIM_WORLD_KEY) ||
        !world.SetMultiString(NX_SIM_ADAPTER_NAMES,
                              {std::string("\\Device\\") + NX_SIM_NET_CFG_INSTANCE_ID,
                               std::string("\\Device\\") + NX_SIM_NT4_SERVICE_NAME}) ||
        !world.SetBinary(NX_SIM_PERMANENT_ADDRESS, address, 6) ||
        !world.SetDword(NX_SIM_REGULATORY_DOMAIN, 0x10) || !world.SetDword(NX_SIM_TX_RATE, 54) ||
        !world.SetDword(NX_SIM_RX_RATE, 54) || !world.SetDword(NX_SIM_TRAFFIC, 20) ||
        !world.SetDword(NX_SIM_RX_TRAFFIC, 20 * kSimReceivedPerSent) ||
        !world.SetDword(NX_SIM_UNLOAD_STATE, NX_UNLOAD_STILL_NEEDED) ||
        !world.SetDword(NX_SIM_EXACT_LENGTH, 0) || !world.SetDword(NX_SIM_DRIFT, 0) ||
        !world.SetDword(NX_SIM_OUT_OF_RANGE, 0) || !world.SetDword(NX_SIM_RANGE_CYCLE, 0) ||
        !world.SetDword(NX_SIM_UNPLUGGED, 0) || !WriteNetworks(networks))
        return Fail("world");
    DeleteTree(HKEY_LOCAL_MACHINE, std::string(NX_SIM_WORLD_KEY) + "\\" + NX_SIM_OIDS);
    return BumpGeneration(world);
}

namespace {

// The user's data in an adapter's own key: the profiles and the card
// identifier their keys are enciphered with (the utility writes them).
bool HoldsUserData(const std::string& path) {
    RegKey key, profiles;
    std::string id;
    return key.Open(HKEY_LOCAL_MACHINE, path.c_str()) &&
           (key.GetString("CardCfgId", id) ||
            profiles.Open(HKEY_LOCAL_MACHINE, (path + "\\CustomParams").c_str()));
}

// An adapter's own key goes, or, when it holds the user's data, only the
// installation's records of it (`records`); the driver values mirroring the
// selected profile stay with the profiles, and so does NetCfgInstanceID,
// by which a new installation finds the key again.
bool RemoveAdapterKey(const std::string& path, bool keepUserData,
                      std::initializer_list<const char*> records) {
    if (!keepUserData || !HoldsUserData(path))
        return DeleteTree(HKEY_LOCAL_MACHINE, path);
    RegKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, path.c_str(), KEY_ALL_ACCESS))
        return true;
    bool ok = true;
    for (const char* name : records) {
        LONG result = RegDeleteValueA(key.get(), name);
        ok = (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) && ok;
    }
    return ok;
}

bool RemoveAdapter(bool keepUserData) {
    bool ok = true;
    std::string instance = FindClassInstance();
    if (!instance.empty())
        ok = RemoveAdapterKey(instance, keepUserData, {"DriverDesc", "MatchingDeviceId"}) && ok;
    ok = DeleteTree(HKEY_LOCAL_MACHINE, kMiniportServiceKey) && ok;
    // With its world gone a running stand-in disables the adapter's device
    // interface; it must do so before the system's records of it go.
    NudgeDriver();
    // The NT 4.0 service key holds nothing but the adapter's Parameters key.
    if (!keepUserData || !HoldsUserData(kNt4ParametersKey))
        ok = DeleteTree(HKEY_LOCAL_MACHINE, kNt4ServiceKey) && ok;
    ok = DeleteDeviceNode() && ok;
    ok = DeleteInterfaceRecords() && ok;
    {
        // Only our own NetworkCards and Class\Net instances.
        std::string card = Nt4CardKeyPath();
        RegKey probe;
        std::string service;
        bool ours = probe.Open(HKEY_LOCAL_MACHINE, card.c_str()) &&
                    probe.GetString("ServiceName", service) && service == NX_SIM_NT4_SERVICE_NAME;
        probe.Close();
        if (ours)
            ok = DeleteTree(HKEY_LOCAL_MACHINE, card) && ok;
        RegKey net9x;
        std::string desc;
        ours = net9x.Open(HKEY_LOCAL_MACHINE, k9xInstanceKey) &&
               net9x.GetString("DriverDesc", desc) && desc == NX_SIM_ADAPTER_DESCRIPTION;
        net9x.Close();
        if (ours)
            ok = RemoveAdapterKey(k9xInstanceKey, keepUserData, {"DriverDesc", "DeviceVxDs"}) && ok;
    }
    std::string file = WindowsPath(kImagePath);
    if (!file.empty() && GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES)
        ok = DeleteFileA(file.c_str()) && ok;
    return ok;
}

} // namespace

bool SimRemoveAdapter() {
    return RemoveAdapter(false);
}

bool SimRemoveAdapterKeepingUserData() {
    return RemoveAdapter(true);
}

bool SimIsInstalled() {
    RegKey world;
    return world.Open(HKEY_LOCAL_MACHINE, NX_SIM_WORLD_KEY);
}

bool SimSetNetworks(const std::vector<SimNetwork>& networks) {
    RegKey world;
    return OpenWorld(world) && WriteNetworks(networks) && BumpGeneration(world);
}

bool SimSetNetworkValue(uint32_t index, const char* name, uint32_t value) {
    RegKey world, net;
    std::string path =
        std::string(NX_SIM_WORLD_KEY) + "\\" + NX_SIM_NETWORKS + "\\" + std::to_string(index);
    return OpenWorld(world) && net.Open(HKEY_LOCAL_MACHINE, path.c_str(), KEY_ALL_ACCESS) &&
           net.SetDword(name, value) && BumpGeneration(world);
}

bool SimSetWorldValue(const char* name, uint32_t value) {
    RegKey world;
    return OpenWorld(world) && world.SetDword(name, value) && BumpGeneration(world);
}

bool SimSetTraffic(uint32_t sent, uint32_t received) {
    RegKey world;
    return OpenWorld(world) && world.SetDword(NX_SIM_TRAFFIC, sent) &&
           world.SetDword(NX_SIM_RX_TRAFFIC, received) && BumpGeneration(world);
}

bool SimSetAdapterNames(const std::vector<std::string>& names) {
    RegKey world;
    return OpenWorld(world) && world.SetMultiString(NX_SIM_ADAPTER_NAMES, names) &&
           BumpGeneration(world);
}

bool SimSetPermanentAddress(const uint8_t address[6]) {
    RegKey world;
    return OpenWorld(world) && world.SetBinary(NX_SIM_PERMANENT_ADDRESS, address, 6) &&
           BumpGeneration(world);
}

bool SimSetOidAnswer(uint32_t oid, const void* data, uint32_t size) {
    RegKey world, oids;
    char name[16];
    snprintf(name, sizeof name, "%08X", static_cast<unsigned>(oid));
    std::string path = std::string(NX_SIM_WORLD_KEY) + "\\" + NX_SIM_OIDS;
    return OpenWorld(world) && oids.Create(HKEY_LOCAL_MACHINE, path.c_str()) &&
           oids.SetBinary(name, data, size) && BumpGeneration(world);
}

bool SimClearOidAnswers() {
    RegKey world;
    return OpenWorld(world) &&
           DeleteTree(HKEY_LOCAL_MACHINE, std::string(NX_SIM_WORLD_KEY) + "\\" + NX_SIM_OIDS) &&
           BumpGeneration(world);
}

std::vector<SimNetwork> SimReadNetworks() {
    std::vector<SimNetwork> out;
    for (int i = 0;; ++i) {
        std::string path =
            std::string(NX_SIM_WORLD_KEY) + "\\" + NX_SIM_NETWORKS + "\\" + std::to_string(i);
        RegKey key;
        if (!key.Open(HKEY_LOCAL_MACHINE, path.c_str()))
            break;
        SimNetwork net;
        key.GetString(NX_SIM_NET_SSID, net.ssid);
        key.GetString(NX_SIM_NET_WEP_KEY, net.wepKey);
        DWORD size = sizeof net.bssid, type = 0;
        uint8_t bssid[6];
        if (RegQueryValueExA(key.get(), NX_SIM_NET_BSSID, nullptr, &type, bssid, &size) ==
                ERROR_SUCCESS &&
            type == REG_BINARY && size == sizeof bssid)
            memcpy(net.bssid, bssid, sizeof bssid);
        DWORD value;
        if (key.GetDword(NX_SIM_NET_CHANNEL, value))
            net.channel = value;
        if (key.GetDword(NX_SIM_NET_SIGNAL, value))
            net.signal = static_cast<int32_t>(value);
        if (key.GetDword(NX_SIM_NET_MODE, value))
            net.mode = value;
        if (key.GetDword(NX_SIM_NET_TURBO, value))
            net.turbo = value != 0;
        out.push_back(net);
    }
    return out;
}

bool SimRemoveNetworks(const std::string& ssid) {
    std::vector<SimNetwork> networks = SimReadNetworks();
    std::vector<SimNetwork> kept;
    for (const SimNetwork& net : networks)
        if (net.ssid != ssid)
            kept.push_back(net);
    if (kept.size() == networks.size()) {
        SetLastError(ERROR_NOT_FOUND);
        return false;
    }
    return SimSetNetworks(kept);
}

bool SimSetSignal(const std::string& ssid, int32_t signal) {
    std::vector<SimNetwork> networks = SimReadNetworks();
    RegKey world;
    if (!OpenWorld(world))
        return false;
    bool found = false;
    for (size_t i = 0; i < networks.size(); ++i) {
        if (networks[i].ssid != ssid)
            continue;
        std::string path =
            std::string(NX_SIM_WORLD_KEY) + "\\" + NX_SIM_NETWORKS + "\\" + std::to_string(i);
        RegKey net;
        if (!net.Open(HKEY_LOCAL_MACHINE, path.c_str(), KEY_ALL_ACCESS) ||
            !net.SetDword(NX_SIM_NET_SIGNAL, static_cast<DWORD>(signal)))
            return false;
        found = true;
    }
    if (!found) {
        SetLastError(ERROR_NOT_FOUND);
        return false;
    }
    return BumpGeneration(world);
}

const char* SimDemoWepKey() {
    return "C0FFEE1234";
}

std::vector<SimNetwork> SimDemoNetworks() {
    static const uint8_t a[6] = {0x00, 0x0B, 0x6B, 0x10, 0x20, 0x30};
    static const uint8_t b[6] = {0x00, 0x0B, 0x6B, 0x40, 0x50, 0x60};
    static const uint8_t c[6] = {0x00, 0x0B, 0x6B, 0x7A, 0x8B, 0x9C};
    // The first is what the installation's parameters join: its signal sits
    // where the meter shows it moving and drift now and then takes it below
    // the weak-signal mark.
    std::vector<SimNetwork> nets = {MakeNetwork("VELNORA", a, 36, 32, "", 0),
                                    MakeNetwork("HarbourLab", b, 52, 45, SimDemoWepKey(), 0),
                                    MakeNetwork("Rooftop", c, 149, 20, "", 0)};
    nets[2].turbo = true;
    return nets;
}

bool SimApplyDemoWorld() {
    if (!SimIsInstalled() && !SimInstallAdapter())
        return false;
    RegKey world;
    return OpenWorld(world) && WriteNetworks(SimDemoNetworks()) &&
           world.SetDword(NX_SIM_DRIFT, kSimDefaultDrift) && world.SetDword(NX_SIM_TRAFFIC, 40) &&
           world.SetDword(NX_SIM_RX_TRAFFIC, 40 * kSimReceivedPerSent) &&
           world.SetDword(NX_SIM_OUT_OF_RANGE, 0) && world.SetDword(NX_SIM_RANGE_CYCLE, 0) &&
           BumpGeneration(world);
}

bool SimUnplugAdapter() {
    RegKey world;
    if (!OpenWorld(world))
        return false;
    DWORD removals = 0;
    world.GetDword(NX_SIM_REMOVALS, removals);
    if (!world.SetDword(NX_SIM_UNPLUGGED, 1) || !world.SetDword(NX_SIM_REMOVALS, removals + 1) ||
        !BumpGeneration(world))
        return false;
    NudgeDriver();
    return DeleteDeviceNode();
}

bool SimPlugAdapter() {
    RegKey world;
    std::string instance = FindClassInstance();
    if (!OpenWorld(world) || instance.empty())
        return false;
    if (!WriteDeviceNode(instance) || !world.SetDword(NX_SIM_UNPLUGGED, 0) ||
        !BumpGeneration(world))
        return false;
    NudgeDriver();
    return true;
}

bool SimIsPlugged() {
    RegKey world;
    DWORD unplugged = 0;
    return OpenWorld(world) && (!world.GetDword(NX_SIM_UNPLUGGED, unplugged) || unplugged == 0);
}

std::string SimInterfaceName() {
    std::string id = SimDeviceInstanceId(); // PCI\VEN_...\<instance>
    for (char& c : id)
        if (c == '\\')
            c = '#';
    return "\\\\?\\" + id + "#{ad498944-762f-11d0-8dcb-00c04fc3358c}";
}

bool SimBroadcastAdapterChange(bool arrival) {
    std::string name = SimInterfaceName();
    std::vector<char> buffer(offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name) + name.size() +
                             1);
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(buffer.data());
    record->dbcc_size = static_cast<DWORD>(buffer.size());
    record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record->dbcc_reserved = 0;
    static const GUID kNdisLanClass = {
        0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};
    record->dbcc_classguid = kNdisLanClass;
    memcpy(record->dbcc_name, name.c_str(), name.size() + 1);
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(HWND_BROADCAST, WM_DEVICECHANGE,
                               arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                               reinterpret_cast<LPARAM>(record), SMTO_ABORTIFHUNG, 5000,
                               &result) != 0;
}
