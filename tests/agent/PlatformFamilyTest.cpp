// Platform checks per family, with Wine presenting each Windows version.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "agent/W32N.h"
#include "tests/support/WineFamily.h"

namespace {

const char kPath95[] = "System\\CurrentControlSet\\Services\\Class\\Net";
const char kPath2000[] =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
const char kPathNt[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";

struct Expected {
    bool nt, w95, w2000;
    UINT major95, majorNt;
    const char* path;
};

void Check(const Expected& e) {
    EXPECT_EQ(e.nt, W32N_IsWindowsNT() != FALSE);
    EXPECT_EQ(e.w95, W32N_IsWindows95() != FALSE);
    EXPECT_EQ(e.w2000, W32N_IsWindows2000() != FALSE);
    EXPECT_EQ(e.major95, W32N_OSGetPlatformVersion(1));
    EXPECT_EQ(e.majorNt, W32N_OSGetPlatformVersion(2));
    EXPECT_STREQ(e.path, W32N_GetNetCardRegistryPath());
}

} // namespace

TEST(PlatformFamily, Windows98IsThe95FamilyOnly) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("win98"));
        return;
    }
    Check({false, true, false, 4, 0, kPath95});
}

TEST(PlatformFamily, Windows95IsThe95FamilyOnly) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("win95"));
        return;
    }
    Check({false, true, false, 4, 0, kPath95});
}

TEST(PlatformFamily, Nt40IsNtButNot2000) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("nt40"));
        return;
    }
    Check({true, false, false, 0, 4, kPathNt});
}

TEST(PlatformFamily, Windows2000Is2000) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("win2k"));
        return;
    }
    Check({true, false, true, 0, 5, kPath2000});
}

TEST(PlatformFamily, WindowsXpCountsAs2000) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("winxp"));
        return;
    }
    Check({true, false, true, 0, 5, kPath2000});
}

TEST(ErrorWord, SecondReadAfterAFailureIsZero) {
    DWORD got;
    EXPECT_FALSE(W32N_PacketSend(INVALID_HANDLE_VALUE, "x", 1, &got, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, W32N_GetLastError());
    EXPECT_EQ(0, W32N_GetLastError());
}

TEST(ErrorWord, NullPacketSendReportsInvalidUserBuffer) {
    DWORD got;
    EXPECT_FALSE(W32N_PacketSend(reinterpret_cast<HANDLE>(4), nullptr, 10, &got, nullptr));
    EXPECT_EQ(ERROR_INVALID_USER_BUFFER, W32N_GetLastError());
}

TEST(OpenAdapterW, WideNamesAreNotSupportedAndClearTheErrorWord) {
    DWORD got;
    W32N_PacketSend(INVALID_HANDLE_VALUE, "x", 1, &got, nullptr);
    EXPECT_EQ(nullptr, W32N_OpenAdapterW(L"\\Device\\X"));
    EXPECT_EQ(0, W32N_GetLastError());
}

TEST(Exports, EveryExportIsThereUndecorated) {
    HMODULE lib = GetModuleHandleA("NXLIB32.dll");
    ASSERT_NE(nullptr, lib);
    const char* names[] = {"W32N_GetLastError",
                           "W32N_OSGetPlatformVersion",
                           "W32N_IsWindowsNT",
                           "W32N_IsWindows95",
                           "W32N_IsWindows2000",
                           "W32N_OpenProtocolDriver",
                           "W32N_OpenAdapterA",
                           "W32N_OpenAdapterW",
                           "W32N_CloseAdapter",
                           "W32N_MakeNdisRequest",
                           "W32N_MakePrivateRequest",
                           "W32N_PacketRead",
                           "W32N_PacketReadEx",
                           "W32N_CancelPacketRead",
                           "W32N_PacketSend",
                           "W32N_PacketSendEx",
                           "W32N_DisableLoopback",
                           "W32N_GetNetCardRegistryPath",
                           "W32N_GetAdapterRegistryInfo",
                           "W32N_GetAdapterRegistryInfoBySubkey",
                           "W32N_GetAdapterRegistryInfoBySubkeyIndex",
                           "W32N_GetFirstAdapterRegistryInfo",
                           "W32N_GetNextAdapterRegistryInfo"};
    for (const char* name : names)
        EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(lib, name))) << name;
}

TEST(PlatformFamily, NtLaterThanXpHasNoRegistryLayoutYetAnswersNetworkCardsPath) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("win7"));
        return;
    }
    EXPECT_EQ(6u, W32N_OSGetPlatformVersion(2));
    EXPECT_TRUE(W32N_IsWindowsNT());
    EXPECT_FALSE(W32N_IsWindows2000());
    EXPECT_STREQ(kPathNt, W32N_GetNetCardRegistryPath());
    W32N_ADAPTER_INFO info;
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED),
              W32N_GetAdapterRegistryInfoBySubkey(&info, "0000"));
}
