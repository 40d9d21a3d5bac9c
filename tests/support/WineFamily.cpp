#include "WineFamily.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {
const char kChildVariable[] = "WD_FAMILY_CHILD";
}

bool InFamilyChild() {
    return *ChildFamily() != '\0';
}

const char* ChildFamily() {
    const char* v = getenv(kChildVariable);
    return v ? v : "";
}

int RunTestAs(const char* family, const char* testName) {
    std::string name;
    if (testName) {
        name = testName;
    } else {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        name = std::string(info->test_suite_name()) + "." + info->name();
    }

    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return -1;
    std::string copy(self);
    copy.erase(copy.size() - 4); // ".exe"
    copy += std::string("_") + family + ".exe";
    // Another test may be running the same copy: an existing copy serves.
    if (!CopyFileA(self, copy.c_str(), FALSE) &&
        GetFileAttributesA(copy.c_str()) == INVALID_FILE_ATTRIBUTES)
        return -2;

    std::string exeName = copy.substr(copy.find_last_of('\\') + 1);
    std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
    HKEY h;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return -3;
    RegSetValueExA(h, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(family),
                   static_cast<DWORD>(strlen(family) + 1));
    RegCloseKey(h);

    std::string cmd = "\"" + copy + "\" --gtest_filter=" + name;
    SetEnvironmentVariableA(kChildVariable, family);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    fflush(stdout);
    // The copy (and whatever it starts) lives in a job that ends with this
    // process: a test run that kills this one for its time limit must not
    // leave the copy holding the adapter and the driver for the next test.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    BOOL ok = CreateProcessA(copy.c_str(), &cmd[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                             nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    if (!ok) {
        if (job)
            CloseHandle(job);
        return -4;
    }
    if (job)
        AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (job)
        CloseHandle(job);
    return static_cast<int>(code);
}
