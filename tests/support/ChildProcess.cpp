#include "tests/support/ChildProcess.h"

#include <stdio.h>

namespace {

// A second try at starting a program, noted where the test command's
// summary reads it: <build>\second-tries.log, beside the bin folder.
void NoteSecondTry(const std::string& commandLine, DWORD error) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    std::string file(path, length);
    for (int up = 0; up < 2; ++up) {
        size_t cut = file.find_last_of('\\');
        if (cut == std::string::npos)
            return;
        file.resize(cut);
    }
    if (FILE* log = fopen((file + "\\second-tries.log").c_str(), "a")) {
        fprintf(log, "starting %s: error %lu\n", commandLine.c_str(),
                static_cast<unsigned long>(error));
        fclose(log);
    }
}

} // namespace

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
    // Wine, under load, has now and then refused to start a program that
    // starts a moment later: the error goes to the test's output and the
    // program gets one more try, noted for the summary.
    for (int attempt = 0; attempt < 2; ++attempt) {
        PROCESS_INFORMATION pi = {};
        std::string line = commandLine;
        if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, output != nullptr, 0, nullptr,
                           nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            return pi.hProcess;
        }
        DWORD error = GetLastError();
        fprintf(stderr, "CreateProcess failed (error %lu): %s\n", static_cast<unsigned long>(error),
                commandLine.c_str());
        if (attempt == 0) {
            NoteSecondTry(commandLine, error);
            Sleep(200);
        }
    }
    return nullptr;
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
