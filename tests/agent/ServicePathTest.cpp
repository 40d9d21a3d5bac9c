// The protocol driver through the real service control manager.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ServiceHelpers.h"
#include "agent/W32N.h"
#include "tests/support/WineFamily.h"

namespace {

const char kNoAdapter[] = "\\Device\\NoSuchAdapter";

// Opens (and closes) an adapter so that the driver is installed and running;
// the adapter itself need not exist.
void OpenSomeAdapter(const char* name = kNoAdapter) {
    HANDLE h = W32N_OpenAdapterA(name);
    if (h != INVALID_HANDLE_VALUE && h != nullptr)
        W32N_CloseAdapter(h);
}

bool FileBesideExists(const char* file) {
    return GetFileAttributesA((ShortExeFolder() + file).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The 2000/XP driver name is "NXPROTO"; Wine's default version (later than
// XP) takes the NT 4.0 name. Both names share one display name, which the
// service manager lets only one service have, so the other one goes first.
#define AS_XP()                                                                                    \
    if (!InFamilyChild()) {                                                                        \
        ASSERT_TRUE(RemoveServiceNow("NXPROTO4"));                                                 \
        EXPECT_EQ(0, RunTestAs("winxp"));                                                          \
        RemoveServiceNow("NXPROTO"); /* leave the prefix as found */                               \
        return;                                                                                    \
    }                                                                                              \
    ASSERT_TRUE(W32N_IsWindows2000())

} // namespace

TEST(ServicePath, FirstOpenRegistersAndStartsTheDemandStartKernelDriverBesideTheLibrary) {
    AS_XP();
    ASSERT_TRUE(RemoveServiceNow("NXPROTO"));
    OpenSomeAdapter();
    EXPECT_TRUE(ServiceExists("NXPROTO"));
    EXPECT_TRUE(ServiceRunning("NXPROTO"));
    EXPECT_EQ(ShortExeFolder() + "NXPROTO.SYS", ServiceBinaryPath("NXPROTO"));
    EXPECT_EQ("NXPROTO Protocol Driver", ServiceDisplayName("NXPROTO"));
    DWORD type = 0, start = 0, errorControl = 0;
    ASSERT_TRUE(ServiceKinds("NXPROTO", type, start, errorControl));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_KERNEL_DRIVER), type);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), start);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_ERROR_NORMAL), errorControl);
    HANDLE h = W32N_OpenProtocolDriver();
    EXPECT_NE(INVALID_HANDLE_VALUE, h) << "the started driver cannot be opened";
    CloseHandle(h);
}

TEST(ServicePath, OpenProtocolDriverWhenNotRunningMustNotInstall) {
    AS_XP();
    ASSERT_TRUE(RemoveServiceNow("NXPROTO"));
    EXPECT_EQ(INVALID_HANDLE_VALUE, W32N_OpenProtocolDriver());
    EXPECT_NE(0, W32N_GetLastError()) << "the open error was not kept";
    EXPECT_FALSE(ServiceExists("NXPROTO"));
}

TEST(ServicePath, RunningDriverIsOnlyProbedNotStartedAgain) {
    AS_XP();
    OpenSomeAdapter();
    ASSERT_TRUE(ServiceRunning("NXPROTO"));
    // A disabled service cannot be started: an open that went to the
    // service manager instead of probing would fail with 1058.
    ASSERT_TRUE(SetServiceDisabled("NXPROTO", true));
    W32N_GetLastError();
    HANDLE h = W32N_OpenAdapterA(kNoAdapter);
    int error = W32N_GetLastError();
    if (h != INVALID_HANDLE_VALUE)
        W32N_CloseAdapter(h);
    EXPECT_NE(ERROR_SERVICE_DISABLED, error);
    HANDLE driver = W32N_OpenProtocolDriver();
    EXPECT_NE(INVALID_HANDLE_VALUE, driver);
    CloseHandle(driver);
    SetServiceDisabled("NXPROTO", false);
}

TEST(ServicePath, ServiceWithVanishedDriverPathIsRegisteredAgainAndStarts) {
    AS_XP();
    ASSERT_TRUE(RemoveServiceNow("NXPROTO"));
    ASSERT_TRUE(RegisterService("NXPROTO", "C:\\moved\\away\\NXPROTO.SYS"));
    OpenSomeAdapter();
    EXPECT_EQ(ShortExeFolder() + "NXPROTO.SYS", ServiceBinaryPath("NXPROTO"));
    EXPECT_TRUE(ServiceRunning("NXPROTO"));
}

TEST(ServicePath, FailingSelectLeavesNoHandleAndKeepsDriverError) {
    AS_XP();
    OpenSomeAdapter();
    W32N_GetLastError();
    EXPECT_EQ(INVALID_HANDLE_VALUE, W32N_OpenAdapterA(kNoAdapter));
    EXPECT_NE(0, W32N_GetLastError());
}

TEST(ServicePath, Nt40UsesNxproto4Everywhere) {
    if (!InFamilyChild()) {
        ASSERT_TRUE(RemoveServiceNow("NXPROTO"));
        ASSERT_TRUE(RemoveServiceNow("NXPROTO4"));
        EXPECT_EQ(0, RunTestAs("nt40"));
        EXPECT_FALSE(ServiceExists("NXPROTO")) << "NT 4.0 registered the 2000/XP name";
        RemoveServiceNow("NXPROTO4");
        return;
    }
    ASSERT_FALSE(W32N_IsWindows2000());
    OpenSomeAdapter();
    EXPECT_EQ(ShortExeFolder() + "NXPROTO4.SYS", ServiceBinaryPath("NXPROTO4"));
    if (FileBesideExists("NXPROTO4.SYS")) {
        EXPECT_TRUE(ServiceRunning("NXPROTO4"));
        HANDLE h = W32N_OpenProtocolDriver();
        EXPECT_NE(INVALID_HANDLE_VALUE, h) << "\\\\.\\NXPROTO4 not opened";
        CloseHandle(h);
    }
}

TEST(ServicePath, XpUsesNxprotoOnly) {
    AS_XP();
    ASSERT_TRUE(RemoveServiceNow("NXPROTO"));
    OpenSomeAdapter();
    EXPECT_TRUE(ServiceRunning("NXPROTO"));
    EXPECT_FALSE(ServiceExists("NXPROTO4"));
}
