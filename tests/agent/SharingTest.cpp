// Several processes with the library loaded: the machine-wide user count,
// the remove-driver flag, and removal of the driver by the last one out.
// This program does not load the library itself; helper processes do.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ServiceHelpers.h"
#include "agent/UserCountBlock.h"
#include "sim/SimControl.h"

namespace {

struct User {
    HANDLE process = nullptr;
    HANDLE ready = nullptr;
    HANDLE quit = nullptr;
};

// Starts a helper that loads the library (and, with `open`, opens an adapter
// so that the driver is installed) and waits until it is loaded.
bool Start(User& u, const std::string& tag, bool open, const char* adapter = nullptr) {
    std::string ready = "nxuser_ready_" + tag, quit = "nxuser_quit_" + tag;
    u.ready = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
    u.quit = CreateEventA(nullptr, TRUE, FALSE, quit.c_str());
    u.process =
        StartHelper("nxuser.exe " + ready + " " + quit +
                    (open ? std::string(" open ") + (adapter ? adapter : "\\Device\\NoSuchAdapter")
                          : std::string()));
    if (!u.process)
        return false;
    HANDLE both[2] = {u.ready, u.process};
    return WaitForMultipleObjects(2, both, FALSE, 60000) == WAIT_OBJECT_0;
}

// Lets the helper exit (unloading the library) and waits for it.
bool Stop(User& u) {
    SetEvent(u.quit);
    bool ended = WaitForSingleObject(u.process, 60000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(u.process, &code);
    CloseHandle(u.process);
    CloseHandle(u.ready);
    CloseHandle(u.quit);
    u = User();
    return ended && code == 0;
}

class Sharing : public testing::Test {
protected:
    void SetUp() override {
        // The helpers run as Windows XP, whose driver is "NXPROTO"; the
        // NT 4.0 name shares its display name and must not be registered.
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\nxuser.exe", 0,
                                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
        RegCloseKey(key);
        ASSERT_TRUE(RemoveServiceNow("NXPROTO4"));
    }
    void TearDown() override {
        RemoveServiceNow("NXPROTO"); // leave the prefix as found
        if (block)
            UnmapViewOfFile(block);
        if (mapping)
            CloseHandle(mapping);
    }
    // The block as the helpers see it; this program holds it open from here on.
    UserCountBlock* Block() {
        if (!block) {
            mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, NX_USER_COUNT_MAPPING);
            if (mapping)
                block = static_cast<UserCountBlock*>(
                    MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(UserCountBlock)));
        }
        return block;
    }
    HANDLE mapping = nullptr;
    UserCountBlock* block = nullptr;
};

} // namespace

TEST_F(Sharing, LastUserOutRemovesDriverWhileEarlierOnesLeaveIt) {
    User a, b, c;
    ASSERT_TRUE(Start(a, "a", true));
    ASSERT_TRUE(ServiceRunning("NXPROTO"));
    ASSERT_TRUE(Start(b, "b", false));
    UserCountBlock* shared = Block();
    ASSERT_NE(nullptr, shared);
    EXPECT_EQ(2, shared->users);
    EXPECT_EQ(0, shared->removeDriver);

    // As an adapter close does when the driver asks to be removed.
    shared->removeDriver = 1;
    ASSERT_TRUE(Start(c, "c", false));
    EXPECT_EQ(3, shared->users) << "a later loader reset the count";
    EXPECT_EQ(1, shared->removeDriver) << "a later loader reset the flag";

    ASSERT_TRUE(Stop(a));
    EXPECT_EQ(2, shared->users);
    EXPECT_TRUE(ServiceRunning("NXPROTO")) << "removed while others still use it";
    ASSERT_TRUE(Stop(c));
    EXPECT_EQ(1, shared->users);
    EXPECT_TRUE(ServiceRunning("NXPROTO"));
    ASSERT_TRUE(Stop(b));
    EXPECT_EQ(0, shared->users);
    EXPECT_FALSE(ServiceExists("NXPROTO")) << "the last one out left the driver";
}

TEST_F(Sharing, DriverStaysWhenItDidNotAskToBeRemoved) {
    User a;
    ASSERT_TRUE(Start(a, "a", true));
    UserCountBlock* shared = Block();
    ASSERT_NE(nullptr, shared);
    EXPECT_EQ(1, shared->users) << "the first loader did not start from zero";
    EXPECT_EQ(0, shared->removeDriver);
    ASSERT_TRUE(Stop(a));
    EXPECT_EQ(0, shared->users);
    EXPECT_TRUE(ServiceRunning("NXPROTO"));
}

TEST_F(Sharing, CloseToldByTheDriverMakesTheLastUserRemoveIt) {
    const char adapter[] = "\\Device\\" NX_SIM_NET_CFG_INSTANCE_ID;
    ASSERT_TRUE(SimInstallAdapter());
    ASSERT_TRUE(SimSetAdapterNames({adapter}));
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_UNLOAD_STATE, NX_UNLOAD_REMOVE_ME));
    User a;
    ASSERT_TRUE(Start(a, "a", true, adapter));
    UserCountBlock* shared = Block();
    ASSERT_NE(nullptr, shared);
    EXPECT_EQ(1, shared->removeDriver) << "the close did not record the driver's wish";
    ASSERT_TRUE(ServiceExists("NXPROTO"));
    ASSERT_TRUE(Stop(a));
    EXPECT_FALSE(ServiceExists("NXPROTO"));
    SimSetWorldValue(NX_SIM_UNLOAD_STATE, NX_UNLOAD_STILL_NEEDED);
}
