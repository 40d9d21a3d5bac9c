#include "ServiceHelpers.h"

#include <vector>

namespace {

struct Scm {
    SC_HANDLE scm = nullptr;
    SC_HANDLE service = nullptr;
    Scm(const char* name, DWORD access) {
        scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        if (scm && name)
            service = OpenServiceA(scm, name, access);
    }
    ~Scm() {
        if (service)
            CloseServiceHandle(service);
        if (scm)
            CloseServiceHandle(scm);
    }
};

bool Config(const char* name, std::vector<char>& buffer) {
    Scm s(name, SERVICE_QUERY_CONFIG);
    if (!s.service)
        return false;
    DWORD needed = 0;
    QueryServiceConfigA(s.service, nullptr, 0, &needed);
    if (needed == 0)
        return false;
    buffer.resize(needed);
    return QueryServiceConfigA(s.service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()),
                               needed, &needed) != FALSE;
}

} // namespace

bool ServiceExists(const char* name) {
    Scm s(name, SERVICE_QUERY_STATUS);
    return s.service != nullptr;
}

bool ServiceRunning(const char* name) {
    Scm s(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS st;
    return s.service && QueryServiceStatus(s.service, &st) && st.dwCurrentState == SERVICE_RUNNING;
}

std::string ServiceBinaryPath(const char* name) {
    std::vector<char> b;
    if (!Config(name, b))
        return "";
    auto* c = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(b.data());
    return c->lpBinaryPathName ? c->lpBinaryPathName : "";
}

std::string ServiceDisplayName(const char* name) {
    std::vector<char> b;
    if (!Config(name, b))
        return "";
    auto* c = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(b.data());
    return c->lpDisplayName ? c->lpDisplayName : "";
}

bool ServiceKinds(const char* name, DWORD& type, DWORD& start, DWORD& errorControl) {
    std::vector<char> b;
    if (!Config(name, b))
        return false;
    auto* c = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(b.data());
    type = c->dwServiceType;
    start = c->dwStartType;
    errorControl = c->dwErrorControl;
    return true;
}

bool RemoveServiceNow(const char* name) {
    {
        Scm s(name, SERVICE_ALL_ACCESS);
        if (!s.service)
            return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
        SERVICE_STATUS st;
        ControlService(s.service, SERVICE_CONTROL_STOP, &st);
        DeleteService(s.service);
    }
    for (int i = 0; i < 50 && ServiceExists(name); ++i)
        Sleep(100);
    return !ServiceExists(name);
}

bool RegisterService(const char* name, const char* path) {
    Scm s(nullptr, 0);
    SC_HANDLE h = CreateServiceA(s.scm, name, "NXPROTO Protocol Driver", SERVICE_ALL_ACCESS,
                                 SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                 path, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!h)
        return false;
    CloseServiceHandle(h);
    return true;
}

bool SetServiceDisabled(const char* name, bool disabled) {
    Scm s(name, SERVICE_ALL_ACCESS);
    return s.service && ChangeServiceConfigA(s.service, SERVICE_NO_CHANGE,
                                             disabled ? SERVICE_DISABLED : SERVICE_DEMAND_START,
                                             SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, nullptr);
}

std::string ShortExeFolder() {
    char self[MAX_PATH], shortName[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetShortPathNameA(self, shortName, MAX_PATH);
    std::string s(shortName);
    return s.substr(0, s.find_last_of('\\') + 1);
}

HANDLE StartHelper(const std::string& commandLine, HANDLE* thread) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self);
    folder.erase(folder.find_last_of('\\') + 1);
    std::string cmd =
        "\"" + folder + commandLine.substr(0, commandLine.find(' ')) + "\"" +
        (commandLine.find(' ') == std::string::npos ? std::string()
                                                    : commandLine.substr(commandLine.find(' ')));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, thread ? CREATE_SUSPENDED : 0,
                        nullptr, nullptr, &si, &pi))
        return nullptr;
    if (thread)
        *thread = pi.hThread;
    else
        CloseHandle(pi.hThread);
    return pi.hProcess;
}
