// Many processes sharing the library at once and over and over: the
// machine-wide user count, driver removal by the last one out, and the
// stand-in driver's bookkeeping afterwards (no IRP or packet left behind).
// This program never loads the library itself; helper processes do.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "ServiceHelpers.h"
#include "agent/UserCountBlock.h"
#include "driver/NxCounters.h"
#include "sim/SimControl.h"

namespace {

const char kAdapter[] = "\\Device\\" NX_SIM_NET_CFG_INSTANCE_ID;

void RunAsXp(const char* exe) {
    HKEY key;
    std::string path = std::string("Software\\Wine\\AppDefaults\\") + exe;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
    RegCloseKey(key);
}

// Helper processes created suspended and let go together.
class Crowd {
public:
    ~Crowd() {
        for (HANDLE h : threads_)
            CloseHandle(h);
        for (HANDLE h : processes_) {
            if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT)
                TerminateProcess(h, 99);
            CloseHandle(h);
        }
    }
    bool Add(const std::string& commandLine) {
        HANDLE thread = nullptr;
        HANDLE process = StartHelper(commandLine, &thread);
        if (!process)
            return false;
        processes_.push_back(process);
        threads_.push_back(thread);
        return true;
    }
    void Release() {
        for (HANDLE t : threads_)
            ResumeThread(t);
    }
    // Waits for every process to end; false when one did not in time.
    bool WaitAll(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        for (HANDLE h : processes_) {
            DWORD now = GetTickCount();
            if (WaitForSingleObject(h, end > now ? end - now : 0) != WAIT_OBJECT_0)
                return false;
        }
        return true;
    }
    std::vector<DWORD> ExitCodes() const {
        std::vector<DWORD> codes;
        for (HANDLE h : processes_) {
            DWORD code = 1;
            GetExitCodeProcess(h, &code);
            codes.push_back(code);
        }
        return codes;
    }
    const std::vector<HANDLE>& processes() const { return processes_; }

private:
    std::vector<HANDLE> processes_;
    std::vector<HANDLE> threads_;
};

// The shared block as the helpers see it, while this object holds it.
class Block {
public:
    Block() {
        mapping_ = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, NX_USER_COUNT_MAPPING);
        if (mapping_)
            view_ = static_cast<UserCountBlock*>(
                MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(UserCountBlock)));
    }
    ~Block() {
        if (view_)
            UnmapViewOfFile(view_);
        if (mapping_)
            CloseHandle(mapping_);
    }
    UserCountBlock* operator->() const { return view_; }
    bool ok() const { return view_ != nullptr; }

private:
    HANDLE mapping_ = nullptr;
    UserCountBlock* view_ = nullptr;
};

bool MappingExists() {
    HANDLE h = OpenFileMappingA(FILE_MAP_READ, FALSE, NX_USER_COUNT_MAPPING);
    if (h)
        CloseHandle(h);
    return h != nullptr;
}

bool ReadCounters(NxDriverCounters& counters) {
    HANDLE h = CreateFileA("\\\\.\\NXPROTO", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, NX_IOCTL_SIM_COUNTERS, nullptr, 0, &counters, sizeof counters,
                              &returned, nullptr);
    CloseHandle(h);
    return ok && returned == sizeof counters;
}

class Endurance : public testing::Test {
protected:
    void SetUp() override {
        RunAsXp("nxuser.exe");
        RunAsXp("nxcycle.exe");
        // The NT 4.0 name shares the display name and must not be registered.
        ASSERT_TRUE(RemoveServiceNow("NXPROTO4"));
    }
    void TearDown() override {
        SimSetWorldValue(NX_SIM_UNLOAD_STATE, NX_UNLOAD_STILL_NEEDED);
        RemoveServiceNow("NXPROTO"); // leave the prefix as found
    }
};

} // namespace

TEST_F(Endurance, LoadersAttachingAtTheSameMomentAreEveryOneCounted) {
    // Each round starts with no process holding the library, so one of the
    // loaders creates the block while the others open it.
    const int kLoaders = 12;
    for (int round = 0; round < 6; ++round) {
        ASSERT_FALSE(MappingExists()) << "a process from before still has the library";
        std::string tag = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(round);
        std::string armedName = "nxload_armed_" + tag, goName = "nxload_go_" + tag,
                    loadedName = "nxload_loaded_" + tag, quitName = "nxload_quit_" + tag;
        HANDLE armed = CreateSemaphoreA(nullptr, 0, kLoaders, armedName.c_str());
        HANDLE go = CreateEventA(nullptr, TRUE, FALSE, goName.c_str());
        HANDLE loaded = CreateSemaphoreA(nullptr, 0, kLoaders, loadedName.c_str());
        HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, quitName.c_str());
        {
            Crowd crowd;
            for (int i = 0; i < kLoaders; ++i)
                ASSERT_TRUE(crowd.Add("nxload.exe " + armedName + " " + goName + " " + loadedName +
                                      " " + quitName));
            crowd.Release();
            bool all = true;
            for (int i = 0; i < kLoaders; ++i)
                all = all && WaitForSingleObject(armed, 60000) == WAIT_OBJECT_0;
            ASSERT_TRUE(all) << "the loaders did not get ready";
            SetEvent(go);
            for (int i = 0; i < kLoaders; ++i)
                all = all && WaitForSingleObject(loaded, 60000) == WAIT_OBJECT_0;
            ASSERT_TRUE(all) << "a loader did not load the library";
            {
                Block block;
                ASSERT_TRUE(block.ok());
                EXPECT_EQ(kLoaders, block->users) << "round " << round << ": a loader was lost";
                SetEvent(quit);
                EXPECT_TRUE(crowd.WaitAll(60000));
                EXPECT_EQ(0, block->users);
            }
            for (DWORD code : crowd.ExitCodes())
                EXPECT_EQ(0u, code);
        }
        CloseHandle(armed);
        CloseHandle(go);
        CloseHandle(loaded);
        CloseHandle(quit);
    }
}

TEST_F(Endurance, EightProcessesCyclingTheLibraryLeaveNoUserNoLeakAndRemoveTheDriverOnce) {
    const int kProcesses = 8, kCycles = 100;
    ASSERT_TRUE(SimInstallAdapter());
    ASSERT_TRUE(SimSetAdapterNames({kAdapter}));
    ASSERT_TRUE(SimSetWorldValue(NX_SIM_UNLOAD_STATE, NX_UNLOAD_REMOVE_ME));
    ASSERT_TRUE(RemoveServiceNow("NXPROTO"));

    // One user holds the library for the whole run; its open and close
    // install the driver and record the driver's wish to be removed.
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "nxuser_ready_holder");
    HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, "nxuser_quit_holder");
    HANDLE holder = StartHelper(std::string("nxuser.exe nxuser_ready_holder nxuser_quit_holder "
                                            "open ") +
                                kAdapter);
    ASSERT_NE(nullptr, holder);
    HANDLE both[2] = {ready, holder};
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, FALSE, 60000));
    Block block;
    ASSERT_TRUE(block.ok());
    EXPECT_EQ(1, block->users);
    EXPECT_EQ(1, block->removeDriver);
    ASSERT_TRUE(ServiceRunning("NXPROTO"));

    DWORD start = GetTickCount();
    {
        Crowd crowd;
        for (int i = 0; i < kProcesses; ++i)
            ASSERT_TRUE(crowd.Add("nxcycle.exe " + std::to_string(kCycles) + " " + kAdapter));
        crowd.Release();
        EXPECT_TRUE(crowd.WaitAll(240000)) << "a cycling process hangs";
        for (DWORD code : crowd.ExitCodes())
            EXPECT_EQ(0u, code) << "a cycle step failed";
    }
    DWORD elapsed = GetTickCount() - start;

    EXPECT_EQ(1, block->users) << "the count drifted over the load and unload cycles";
    EXPECT_TRUE(ServiceRunning("NXPROTO")) << "removed while the holder still used it";
    NxDriverCounters c = {};
    ASSERT_TRUE(ReadCounters(c));
    printf("%d processes x %d cycles in %lu ms; driver: %u bindings created, %u open, "
           "%u IRPs dispatched, %u outstanding, %u reads pending, %u packets queued, "
           "%u allocated, %u freed; users %d\n",
           kProcesses, kCycles, static_cast<unsigned long>(elapsed), c.bindingsCreated,
           c.bindingsOpen, c.irpsDispatched, c.irpsOutstanding, c.readsPending, c.packetsQueued,
           c.packetsAllocated, c.packetsFreed, block->users);
    // Each open makes a binding and a presence probe; a driver restarted
    // along the way would have counted from 0 again.
    EXPECT_GE(c.bindingsCreated, static_cast<uint32_t>(2 * kProcesses * kCycles));
    EXPECT_EQ(1u, c.bindingsOpen) << "only the asking handle";
    EXPECT_EQ(0u, c.readsPending);
    EXPECT_EQ(0u, c.packetsQueued);
    EXPECT_EQ(c.packetsAllocated, c.packetsFreed) << "packets leaked";
    EXPECT_EQ(0u, c.irpsOutstanding) << "IRPs leaked";

    SetEvent(quit);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder, 60000));
    EXPECT_EQ(0, block->users);
    EXPECT_FALSE(ServiceExists("NXPROTO")) << "the last user out left the driver";
    CloseHandle(holder);
    CloseHandle(ready);
    CloseHandle(quit);
}
