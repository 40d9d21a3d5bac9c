// The simulated installation: what SimInstallAdapter writes for each
// Windows family, what SimRemoveAdapter takes away, the world setters and
// the nxsim tool.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "sim/SimControl.h"

namespace {

bool KeyExists(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The value as text ("" when absent); REG_SZ and REG_EXPAND_SZ.
std::string Text(const std::string& path, const char* name) {
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), name,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
        return "<absent>";
    return buffer;
}

DWORD Dword(const std::string& path, const char* name) {
    DWORD value = 0xDEADBEEF, size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

const char kClass[] = "System\\CurrentControlSet\\Control\\Class\\"
                      "{4D36E972-E325-11CE-BFC1-08002BE10318}";

void ExpectDriverParameters(const std::string& path) {
    EXPECT_EQ(SimDefaultNetworks().front().ssid, Text(path, "ssid")) << path;
    EXPECT_EQ("1", Text(path, "bssType"));
    EXPECT_EQ("0", Text(path, "TurboEnable"));
    EXPECT_EQ("1", Text(path, "sleepMode"));
    EXPECT_EQ("0", Text(path, "privacyInvoked"));
    EXPECT_EQ("0", Text(path, "defaultKey"));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ("", Text(path, ("key" + std::to_string(i)).c_str())) << i;
        EXPECT_EQ("5", Text(path, ("keyLength" + std::to_string(i)).c_str())) << i;
    }
    EXPECT_EQ("", Text(path, "uniqKey"));
    EXPECT_EQ("5", Text(path, "uniqKeyLength"));
}

class SimInstall : public ::testing::Test {
protected:
    void SetUp() override { SimRemoveAdapter(); }
    void TearDown() override { SimRemoveAdapter(); }
};

TEST_F(SimInstall, WritesTheClassInstanceOfWindows2000AndXp) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    std::string path = SimClassInstanceKeyPath();
    EXPECT_EQ(0u, path.find(kClass));
    EXPECT_EQ(NX_SIM_ADAPTER_DESCRIPTION, Text(path, "DriverDesc"));
    EXPECT_EQ(NX_SIM_NET_CFG_INSTANCE_ID, Text(path, "NetCfgInstanceID"));
    ExpectDriverParameters(path);
}

TEST_F(SimInstall, WritesTheMiniportServiceAndItsVersionedDriverFile) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    std::string image = Text(SimMiniportServiceKeyPath(), "ImagePath");
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(std::string(windows) + "\\" + image, SimDriverFilePath());
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(SimDriverFilePath().c_str(), &ignored);
    ASSERT_GT(size, 0u) << "driver file missing or without version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(SimDriverFilePath().c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010002u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000007u, fixed->dwFileVersionLS);
}

TEST_F(SimInstall, WritesTheNt4NetworkCardAndItsParameters) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    std::string card = SimNt4CardKeyPath();
    EXPECT_EQ(NX_SIM_NT4_SERVICE_NAME, Text(card, "ServiceName"));
    EXPECT_EQ(NX_SIM_ADAPTER_DESCRIPTION, Text(card, "Description"));
    EXPECT_EQ(NX_SIM_ADAPTER_DESCRIPTION, Text(card, "Title"));
    EXPECT_EQ(NX_SIM_MINIPORT_SERVICE, Text(card, "ProductName"));
    EXPECT_EQ("System\\CurrentControlSet\\Services\\DOVIZ1\\Parameters", SimNt4ParametersKeyPath());
    ExpectDriverParameters(SimNt4ParametersKeyPath());
}

TEST_F(SimInstall, WritesThe95FamilyClassNetInstance) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    EXPECT_EQ(NX_SIM_ADAPTER_DESCRIPTION, Text(Sim9xInstanceKeyPath(), "DriverDesc"));
    EXPECT_EQ("DOVIZ.sys", Text(Sim9xInstanceKeyPath(), "DeviceVxDs"));
}

TEST_F(SimInstall, WritesADefaultWorldTheDriverAccepts) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    EXPECT_TRUE(SimIsInstalled());
    char names[512] = {};
    DWORD size = sizeof names;
    ASSERT_EQ(0, RegGetValueA(HKEY_LOCAL_MACHINE, NX_SIM_WORLD_KEY, NX_SIM_ADAPTER_NAMES,
                              RRF_RT_REG_MULTI_SZ, nullptr, names, &size));
    EXPECT_STREQ((std::string("\\Device\\") + NX_SIM_NET_CFG_INSTANCE_ID).c_str(), names);
    EXPECT_STREQ("\\Device\\DOVIZ1", names + strlen(names) + 1);
    EXPECT_EQ(0x10u, Dword(NX_SIM_WORLD_KEY, NX_SIM_REGULATORY_DOMAIN));
    EXPECT_EQ(20u, Dword(NX_SIM_WORLD_KEY, NX_SIM_TRAFFIC));
    EXPECT_EQ(1u, Dword(NX_SIM_WORLD_KEY, NX_SIM_UNLOAD_STATE));
    std::vector<SimNetwork> nets = SimDefaultNetworks();
    ASSERT_GE(nets.size(), 2u);
    for (size_t i = 0; i < nets.size(); ++i) {
        std::string path = std::string(NX_SIM_WORLD_KEY) + "\\Networks\\" + std::to_string(i);
        EXPECT_EQ(nets[i].ssid, Text(path, NX_SIM_NET_SSID));
        EXPECT_EQ(nets[i].channel, Dword(path, NX_SIM_NET_CHANNEL));
    }
}

TEST_F(SimInstall, RemoveTakesAwayEverythingInstalled) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    std::vector<std::string> keys = {SimClassInstanceKeyPath(), SimMiniportServiceKeyPath(),
                                     SimNt4CardKeyPath(),       SimNt4ParametersKeyPath(),
                                     Sim9xInstanceKeyPath(),    NX_SIM_WORLD_KEY};
    std::string file = SimDriverFilePath();
    ASSERT_TRUE(SimRemoveAdapter());
    for (const std::string& key : keys)
        EXPECT_FALSE(KeyExists(key)) << key;
    EXPECT_FALSE(KeyExists("System\\CurrentControlSet\\Services\\DOVIZ1"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    EXPECT_FALSE(SimIsInstalled());
}

TEST_F(SimInstall, RemoveLeavesOtherAdaptersAlone) {
    // Another adapter in the class key's first instance, and whatever the
    // system lists under NetworkCards.
    std::string foreign = std::string(kClass) + "\\0000";
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_LOCAL_MACHINE, foreign.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr));
    RegSetValueExA(key, "NetCfgInstanceID", 0, REG_SZ, reinterpret_cast<const BYTE*>("{X}"), 4);
    RegCloseKey(key);
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    EXPECT_NE(foreign, SimClassInstanceKeyPath());
    EXPECT_EQ("{X}", Text(foreign, "NetCfgInstanceID"));
    ASSERT_TRUE(SimRemoveAdapter());
    EXPECT_EQ("{X}", Text(foreign, "NetCfgInstanceID"));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, foreign.c_str());
}

TEST_F(SimInstall, InstallingTwiceKeepsOneInstance) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    std::string first = SimClassInstanceKeyPath();
    std::string card = SimNt4CardKeyPath();
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    EXPECT_EQ(first, SimClassInstanceKeyPath());
    EXPECT_EQ(card, SimNt4CardKeyPath());
    ASSERT_TRUE(SimRemoveAdapter());
    EXPECT_FALSE(KeyExists(first));
}

TEST_F(SimInstall, SettersBumpTheGeneration) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    DWORD before = Dword(NX_SIM_WORLD_KEY, NX_SIM_GENERATION);
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_TRAFFIC, 5));
    EXPECT_EQ(5u, Dword(NX_SIM_WORLD_KEY, NX_SIM_TRAFFIC));
    ASSERT_TRUE(SimSetNetworkValue(0, NX_SIM_NET_SIGNAL, 12));
    const uint8_t answer[2] = {1, 2};
    ASSERT_TRUE(SimSetOidAnswer(0x00010107, answer, 2));
    EXPECT_EQ(before + 3, Dword(NX_SIM_WORLD_KEY, NX_SIM_GENERATION));
    EXPECT_EQ(12u, Dword(std::string(NX_SIM_WORLD_KEY) + "\\Networks\\0", NX_SIM_NET_SIGNAL));
    EXPECT_FALSE(SimSetNetworkValue(99, NX_SIM_NET_SIGNAL, 1)) << "no such network";
}

TEST_F(SimInstall, SettingNetworksReplacesTheWholeList) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    SimNetwork only;
    only.ssid = "Only";
    ASSERT_TRUE(SimSetNetworks({only}));
    std::string base = std::string(NX_SIM_WORLD_KEY) + "\\Networks\\";
    EXPECT_EQ("Only", Text(base + "0", NX_SIM_NET_SSID));
    EXPECT_FALSE(KeyExists(base + "1"));
}

TEST_F(SimInstall, SettersRefuseToCreateAWorldThatIsNotInstalled) {
    EXPECT_FALSE(SimSetWorldValue(NX_SIM_TRAFFIC, 5));
    EXPECT_FALSE(SimSetNetworks({}));
    EXPECT_FALSE(KeyExists(NX_SIM_WORLD_KEY));
}

// Runs nxsim.exe from beside the test program; returns its exit code.
DWORD RunTool(const std::string& arguments) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    strcpy(strrchr(path, '\\') + 1, "nxsim.exe");
    std::string command = std::string("\"") + path + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!CreateProcessA(path, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST_F(SimInstall, ToolInstallsChangesTheWorldAndRemoves) {
    ASSERT_EQ(0u, RunTool("install"));
    EXPECT_TRUE(SimIsInstalled());
    EXPECT_EQ(0u, RunTool("set Traffic 77"));
    EXPECT_EQ(77u, Dword(NX_SIM_WORLD_KEY, NX_SIM_TRAFFIC));
    EXPECT_EQ(0u, RunTool("set Signal 9"));
    std::string base = std::string(NX_SIM_WORLD_KEY) + "\\Networks\\";
    EXPECT_EQ(9u, Dword(base + "0", NX_SIM_NET_SIGNAL));
    EXPECT_EQ(0u, RunTool("network clear"));
    EXPECT_FALSE(KeyExists(base + "0"));
    EXPECT_EQ(0u, RunTool("network add Lab 00-0B-6B-01-02-03 52 40 ABCDEF0123 1"));
    EXPECT_EQ("Lab", Text(base + "0", NX_SIM_NET_SSID));
    EXPECT_EQ("ABCDEF0123", Text(base + "0", NX_SIM_NET_WEP_KEY));
    EXPECT_EQ(1u, Dword(base + "0", NX_SIM_NET_MODE));
    EXPECT_NE(0u, RunTool("network add Bad 00-0B-6B 52 40")) << "malformed address accepted";
    EXPECT_NE(0u, RunTool("set Traffic lots"));
    EXPECT_EQ(0u, RunTool("remove"));
    EXPECT_FALSE(SimIsInstalled());
}

void SetText(const std::string& path, const char* name, const char* text) {
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr))
        << path;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(key);
}

// What an uninstaller runs: the simulated installation goes, the user's
// profiles and card identifier stay in the adapter's own keys (2000/XP and
// NT 4.0), and a new installation takes the same key up again.
TEST_F(SimInstall, ToolRemovesKeepingProfilesOnlyTheUserDataStays) {
    ASSERT_EQ(0u, RunTool("install"));
    std::string instance = SimClassInstanceKeyPath();
    std::string nt4 = SimNt4ParametersKeyPath();
    std::vector<std::string> gone = {SimMiniportServiceKeyPath(), SimNt4CardKeyPath(),
                                     SimDeviceNodeKeyPath(), Sim9xInstanceKeyPath(),
                                     NX_SIM_WORLD_KEY};
    std::string file = SimDriverFilePath();
    for (const std::string& adapter : {instance, nt4}) {
        SetText(adapter, "CardCfgId", "3F2504E0-4F89-11D3-9A0C-0305E82C3301");
        SetText(adapter, "ssid", "Harbour");
        SetText(adapter + "\\CustomParams\\Configurations\\Cfg0", "ConfigurationName", "Harbour");
    }

    ASSERT_EQ(0u, RunTool("remove keep-profiles"));
    for (const std::string& key : gone)
        EXPECT_FALSE(KeyExists(key)) << key;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    EXPECT_FALSE(SimIsInstalled());
    for (const std::string& adapter : {instance, nt4}) {
        EXPECT_EQ("3F2504E0-4F89-11D3-9A0C-0305E82C3301", Text(adapter, "CardCfgId")) << adapter;
        EXPECT_EQ("Harbour", Text(adapter, "ssid")) << adapter;
        EXPECT_EQ("Harbour",
                  Text(adapter + "\\CustomParams\\Configurations\\Cfg0", "ConfigurationName"));
    }
    EXPECT_EQ("<absent>", Text(instance, "DriverDesc")) << "the adapter is still listed";
    EXPECT_EQ(NX_SIM_NET_CFG_INSTANCE_ID, Text(instance, "NetCfgInstanceID"));

    ASSERT_EQ(0u, RunTool("install"));
    EXPECT_EQ(instance, SimClassInstanceKeyPath());
    EXPECT_EQ("Harbour",
              Text(instance + "\\CustomParams\\Configurations\\Cfg0", "ConfigurationName"));

    // Without the user's data nothing of the adapter stays.
    ASSERT_TRUE(SimRemoveAdapter());
    ASSERT_EQ(0u, RunTool("install"));
    ASSERT_EQ(0u, RunTool("remove keep-profiles"));
    EXPECT_FALSE(KeyExists(instance));
    EXPECT_FALSE(KeyExists("System\\CurrentControlSet\\Services\\DOVIZ1"));
}

} // namespace

namespace {

TEST_F(SimInstall, ToolChangesTheLivingWorld) {
    ASSERT_EQ(0u, RunTool("demo")) << "installs when not installed";
    EXPECT_TRUE(SimIsInstalled());
    EXPECT_EQ(kSimDefaultDrift, Dword(NX_SIM_WORLD_KEY, NX_SIM_DRIFT));
    std::vector<SimNetwork> nets = SimReadNetworks();
    ASSERT_EQ(3u, nets.size());
    EXPECT_EQ(SimDemoWepKey(), nets[1].wepKey);

    EXPECT_EQ(0u, RunTool("drift off"));
    EXPECT_EQ(0u, Dword(NX_SIM_WORLD_KEY, NX_SIM_DRIFT));
    EXPECT_EQ(0u, RunTool("drift 9"));
    EXPECT_EQ(9u, Dword(NX_SIM_WORLD_KEY, NX_SIM_DRIFT));
    EXPECT_EQ(0u, RunTool("range cycle 20"));
    EXPECT_EQ(20u, Dword(NX_SIM_WORLD_KEY, NX_SIM_RANGE_CYCLE));
    EXPECT_EQ(0u, RunTool("range out"));
    EXPECT_EQ(1u, Dword(NX_SIM_WORLD_KEY, NX_SIM_OUT_OF_RANGE));
    EXPECT_EQ(0u, RunTool("range in"));
    EXPECT_EQ(0u, Dword(NX_SIM_WORLD_KEY, NX_SIM_OUT_OF_RANGE));
    EXPECT_EQ(0u, Dword(NX_SIM_WORLD_KEY, NX_SIM_RANGE_CYCLE));
    EXPECT_EQ(0u, RunTool("domain 0x31"));
    EXPECT_EQ(0x31u, Dword(NX_SIM_WORLD_KEY, NX_SIM_REGULATORY_DOMAIN));
    EXPECT_EQ(0u, RunTool("traffic 500"));
    EXPECT_EQ(500u, Dword(NX_SIM_WORLD_KEY, NX_SIM_TRAFFIC));
    EXPECT_EQ(500u * kSimReceivedPerSent, Dword(NX_SIM_WORLD_KEY, NX_SIM_RX_TRAFFIC));
    EXPECT_EQ(0u, RunTool("traffic 0 300"));
    EXPECT_EQ(0u, Dword(NX_SIM_WORLD_KEY, NX_SIM_TRAFFIC));
    EXPECT_EQ(300u, Dword(NX_SIM_WORLD_KEY, NX_SIM_RX_TRAFFIC));
    EXPECT_NE(0u, RunTool("traffic 5 lots"));

    EXPECT_EQ(0u, RunTool("signal HarbourLab 7"));
    EXPECT_EQ(7, SimReadNetworks()[1].signal);
    EXPECT_NE(0u, RunTool("signal Nowhere 7"));
    EXPECT_NE(0u, RunTool("signal HarbourLab 96")) << "beyond the scale";
    EXPECT_EQ(0u, RunTool("network remove HarbourLab"));
    nets = SimReadNetworks();
    ASSERT_EQ(2u, nets.size());
    EXPECT_EQ("Rooftop", nets[1].ssid);
    EXPECT_NE(0u, RunTool("network remove HarbourLab"));
    EXPECT_EQ(0u, RunTool("network add Open 00-0B-6B-01-02-03 40 50 - 0 1"));
    nets = SimReadNetworks();
    ASSERT_EQ(3u, nets.size());
    EXPECT_EQ("", nets[2].wepKey);
    EXPECT_TRUE(nets[2].turbo);
    EXPECT_EQ(0u, nets[2].mode);
}

TEST_F(SimInstall, DemoKeepsTheDriverParametersOfAnInstalledAdapter) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    std::string path = SimClassInstanceKeyPath();
    HKEY key;
    ASSERT_EQ(0, RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key));
    RegSetValueExA(key, "ssid", 0, REG_SZ, reinterpret_cast<const BYTE*>("Mine"), 5);
    RegCloseKey(key);
    ASSERT_TRUE(SimApplyDemoWorld());
    EXPECT_EQ("Mine", Text(path, "ssid"));
}

} // namespace
