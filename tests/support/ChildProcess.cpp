#include "tests/support/ChildProcess.h"

HANDLE StartProcess(const std::string& commandLine, const char* desktop, HANDLE output) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.lpDesktop = const_cast<char*>(desktop);
    if (output) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = output;
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, output != nullptr, 0, nullptr, nullptr,
                        &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

DWORD FinishProcess(HANDLE process, DWORD ms) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    return code;
}

DWORD RunProcessPrinting(const std::string& commandLine, std::string* printed, DWORD ms) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (printed && !CreatePipe(&read, &write, &sa, 0))
        return 99;
    HANDLE process = StartProcess(commandLine, nullptr, write);
    if (write)
        CloseHandle(write);
    if (!process) {
        if (read)
            CloseHandle(read);
        return 98;
    }
    if (printed) {
        char buffer[256];
        DWORD got = 0;
        while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got)
            printed->append(buffer, got);
        CloseHandle(read);
    }
    DWORD code = FinishProcess(process, ms);
    CloseHandle(process);
    return code;
}
