#include <gtest/gtest.h>

#include <windows.h>

#include "agent/W32N.h"

TEST(Skeleton, PlatformIsNtUnderDefaultWine) {
    EXPECT_TRUE(W32N_IsWindowsNT());
    EXPECT_FALSE(W32N_IsWindows95());
}

// The stand-in driver installs, starts and answers through the real service manager.
TEST(Skeleton, DriverStartsAndOpens) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    strcpy(slash + 1, "NXPROTO.SYS");
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(nullptr, scm);
    SC_HANDLE svc =
        CreateServiceA(scm, "NXPROTO", "NXPROTO Protocol Driver", SERVICE_ALL_ACCESS,
                       SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path,
                       nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!svc)
        svc = OpenServiceA(scm, "NXPROTO", SERVICE_ALL_ACCESS);
    ASSERT_NE(nullptr, svc) << GetLastError();
    BOOL started = StartServiceA(svc, 0, nullptr);
    EXPECT_TRUE(started || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) << GetLastError();
    HANDLE h = CreateFileA("\\\\.\\NXPROTO", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, h) << GetLastError();
    DWORD got = 0;
    EXPECT_FALSE(DeviceIoControl(h, 0x80000010, nullptr, 0, nullptr, 0, &got, nullptr));
    CloseHandle(h);
    SERVICE_STATUS st;
    ControlService(svc, SERVICE_CONTROL_STOP, &st);
    DeleteService(svc);
    CloseServiceHandle(svc);
    CloseServiceHandle(scm);
}

#include "tests/support/WineFamily.h"

TEST(Skeleton, FamilyChildSeesWindows98) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("win98"));
        return;
    }
    EXPECT_TRUE(W32N_IsWindows95());
    EXPECT_FALSE(W32N_IsWindowsNT());
}
