#include "tests/e2e/Desktop.h"

#include <stdlib.h>

#include "sim/SimControl.h"
#include "tests/support/ChildProcess.h"
#include "tests/driver/DriverSession.h"
#include "tests/platform/TestRegistry.h"

namespace {

const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\wavedesk.exe";

bool ReadUserString(const char* path, const char* name, std::string& out) {
    char buffer[256] = {};
    DWORD size = sizeof buffer - 1;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return false;
    out = buffer;
    return true;
}

void WriteUserString(const char* path, const char* name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

void DeleteUserValue(const char* path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

bool HasValue(const std::string& path, const char* name) {
    return RegReadString(path, name) != "<missing>";
}

void DeleteValue(const std::string& path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// Stops and removes a kernel-driver service if it is registered. The
// protocol driver's 2000/XP and NT 4.0 services carry the same display
// name, so in a prefix that runs both families one must go before the
// other's utility can register its own.
void RemoveDriverService(const char* name) {
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!scm)
        return;
    if (SC_HANDLE service = OpenServiceA(scm, name, SERVICE_ALL_ACCESS)) {
        SERVICE_STATUS status;
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        DeleteService(service);
        CloseServiceHandle(service);
    }
    for (int i = 0; i < 50; ++i) {
        SC_HANDLE left = OpenServiceA(scm, name, SERVICE_QUERY_STATUS);
        if (!left)
            break;
        CloseServiceHandle(left);
        Sleep(100);
    }
    CloseServiceHandle(scm);
}

// The adapter keys of both families the tests run (2000/XP, NT 4.0).
std::string FamilyKey(int i) {
    return i == 0 ? SimClassInstanceKeyPath() : SimNt4ParametersKeyPath();
}

} // namespace

std::string WavedeskDesktop::BinDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\'));
}

std::string WavedeskDesktop::UtilityString(unsigned id) {
    std::string text;
    HMODULE module =
        LoadLibraryExA((BinDir() + "\\wavedesk.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return "<no wavedesk.exe>";
    char buffer[512] = {};
    if (LoadStringA(module, id, buffer, sizeof buffer) > 0)
        text = buffer;
    FreeLibrary(module);
    return text;
}

void WavedeskDesktop::SetUp() {
    // What this test changes, kept to be put back: the utility's Windows
    // version and each family's card identifier (the first apply makes one).
    hadVersion_ = ReadUserString(kAppDefaults, "Version", savedVersion_);
    for (int i = 0; i < 2; ++i) {
        hadCardId_[i] = HasValue(FamilyKey(i), "CardCfgId");
        savedCardId_[i] = RegReadString(FamilyKey(i), "CardCfgId");
    }
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    ASSERT_TRUE(SimApplyDemoWorld());
    // No stored profiles: the utility starts from the installation's values.
    for (int i = 0; i < 2; ++i)
        RegRemoveTree(FamilyKey(i) + "\\CustomParams");
    desktop_ =
        std::string("wde2e_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

void WavedeskDesktop::TearDown() {
    if (HasFailure())
        Ctl("shot \"" + BinDir() + "\\" + desktop_ + ".bmp\"");
    EndShell();
    for (int i = 0; i < 2; ++i) {
        RegRemoveTree(FamilyKey(i) + "\\CustomParams");
        if (hadCardId_[i])
            RegWriteString(FamilyKey(i), "CardCfgId", savedCardId_[i]);
        else
            DeleteValue(FamilyKey(i), "CardCfgId");
    }
    // The installation's driver values and the default world.
    EXPECT_TRUE(SimInstallAdapter()) << SimLastFailure();
    if (ranNt4_)
        RemoveDriverService("NXPROTO4");
    if (hadVersion_)
        WriteUserString(kAppDefaults, "Version", savedVersion_);
    else
        DeleteUserValue(kAppDefaults, "Version");
}

void WavedeskDesktop::EndShell() {
    if (!shell_)
        return;
    if (FinishProcess(shell_, 0) == STILL_ACTIVE) {
        // A notice left up by a failing test would hold the exit back.
        Ctl("-t 0.5 answer Warning");
        Ctl("exit");
        if (FinishProcess(shell_, 20000) == STILL_ACTIVE)
            TerminateProcess(shell_, 1);
    }
    CloseHandle(shell_);
    shell_ = nullptr;
}

void WavedeskDesktop::StartUtility(Family family) {
    EndShell();
    family_ = family;
    if (family == Family::Nt40) {
        RemoveDriverService("NXPROTO");
        ranNt4_ = true;
    }
    WriteUserString(kAppDefaults, "Version", family == Family::Nt40 ? "nt40" : "winxp");
    shell_ = StartProcess("explorer.exe /desktop=" + desktop_ + ",800x600 \"" + BinDir() +
                          "\\wavedesk.exe\"");
    ASSERT_NE(nullptr, shell_);
    ASSERT_EQ(0u, Ctl("wait-icon")) << "the tray icon did not appear";
}

bool WavedeskDesktop::ExitUtility() {
    if (Ctl("exit") != 0)
        return false;
    bool ended = FinishProcess(shell_, 20000) != STILL_ACTIVE;
    CloseHandle(shell_);
    shell_ = nullptr;
    return ended;
}

DWORD WavedeskDesktop::Ctl(const std::string& args, std::string* printed) {
    std::string all;
    DWORD code = RunProcessPrinting("\"" + BinDir() + "\\wdctl.exe\" -d " + desktop_ + " " + args,
                                    &all, 120000);
    if (printed)
        *printed = all.substr(0, all.find_first_of("\r\n"));
    return code;
}

std::vector<std::string> WavedeskDesktop::CtlLines(const std::string& args) {
    std::string all;
    std::vector<std::string> lines;
    if (RunProcessPrinting("\"" + BinDir() + "\\wdctl.exe\" -d " + desktop_ + " " + args, &all,
                           120000) != 0)
        return lines;
    size_t at = 0;
    while (at < all.size()) {
        size_t end = all.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = all.size();
        if (end > at)
            lines.push_back(all.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::string WavedeskDesktop::Text(int id) {
    std::string text;
    Ctl("text " + std::to_string(id), &text);
    return text;
}

int WavedeskDesktop::TrayIcon(std::string* tooltip) {
    std::string line;
    if (Ctl("tray", &line) != 0)
        return -1;
    size_t blank = line.find(' ');
    if (tooltip)
        *tooltip = blank == std::string::npos ? "" : line.substr(blank + 1);
    return atoi(line.c_str());
}

DWORD WavedeskDesktop::Nxsim(const std::string& args) {
    // On the utility's desktop, where nxsim's device-change broadcast
    // reaches its windows.
    const char* desktop =
        shell_ && FinishProcess(shell_, 0) == STILL_ACTIVE ? desktop_.c_str() : nullptr;
    HANDLE process = StartProcess("\"" + BinDir() + "\\nxsim.exe\" " + args, desktop);
    if (!process)
        return 98;
    DWORD code = FinishProcess(process, 60000);
    CloseHandle(process);
    return code;
}

bool WavedeskDesktop::StandInSnapshot(AdapterStatusSnapshot& out) {
    // NT 4.0's utility reaches the stand-in started as NXPROTO4, a driver
    // instance (and so an adapter) of its own.
    bool nt4 = family_ == Family::Nt40;
    Handle h = OpenDriver(nt4 ? "NXPROTO4" : "NXPROTO");
    std::string name =
        std::string("\\Device\\") + (nt4 ? NX_SIM_NT4_SERVICE_NAME : NX_SIM_NET_CFG_INSTANCE_ID);
    return h.valid() && BindAdapter(h.get(), name) == 0 && QuerySnapshot(h.get(), out);
}

std::string WavedeskDesktop::AdapterKeyPath() const {
    return family_ == Family::Nt40 ? SimNt4ParametersKeyPath() : SimClassInstanceKeyPath();
}
