// wavedesk.exe itself, as Windows XP with the simulated adapter installed,
// in a Wine desktop of its own (explorer /desktop=...), where a notification
// area exists. Driven from outside with wdctl.exe, as a user would: the
// tray callback, the sheet's pages, the tray menu and "Exit". A failing
// test leaves a picture of the desktop beside the test program.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "sim/SimControl.h"
#include "tests/support/ChildProcess.h"
#include "tests/platform/TestRegistry.h"

namespace {

std::string BinDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\'));
}

class WavedeskInADesktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\wavedesk.exe", 0,
                                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
        RegCloseKey(key);
        desktop_ = std::string("wdtest_") +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name();
        shell_ = StartProcess("explorer.exe /desktop=" + desktop_ + ",800x600 \"" + BinDir() +
                              "\\wavedesk.exe\"");
        ASSERT_NE(nullptr, shell_);
    }
    void TearDown() override {
        if (HasFailure())
            Ctl("shot \"" + BinDir() + "\\" + desktop_ + ".bmp\"");
        if (shell_) {
            if (FinishProcess(shell_, 0) == STILL_ACTIVE) {
                Ctl("exit");
                if (FinishProcess(shell_, 20000) == STILL_ACTIVE)
                    TerminateProcess(shell_, 1);
            }
            CloseHandle(shell_);
        }
    }

    // Runs wdctl on the test's desktop; its exit code (and what it printed).
    DWORD Ctl(const std::string& args, std::string* printed = nullptr) {
        return RunProcessPrinting("\"" + BinDir() + "\\wdctl.exe\" -d " + desktop_ + " " + args,
                                  printed, 60000);
    }
    std::string State() {
        std::string out;
        Ctl("state", &out);
        return out.substr(0, out.find_first_of("\r\n"));
    }

    std::string desktop_;
    HANDLE shell_ = nullptr;
};

} // namespace

TEST_F(WavedeskInADesktop, ShowsItsIconOpensTheSheetAtEveryPageAndEndsOnExitFromTheMenu) {
    ASSERT_EQ(0u, Ctl("wait-icon"));
    EXPECT_EQ("1 1 0 -1", State()); // tray window, icon, no sheet
    ASSERT_EQ(0u, Ctl("open"));
    ASSERT_EQ(0u, Ctl("wait-sheet"));
    for (int page = 3; page >= 0; --page) {
        EXPECT_EQ(0u, Ctl("page " + std::to_string(page)));
        EXPECT_EQ("1 1 1 " + std::to_string(page), State());
    }
    // A second double-click opens no second sheet.
    ASSERT_EQ(0u, Ctl("open"));
    Sleep(300);
    EXPECT_EQ("1 1 1 0", State());
    ASSERT_EQ(0u, Ctl("menu exit"));
    EXPECT_EQ(0u, Ctl("wait-exit"));
    EXPECT_EQ(0u, FinishProcess(shell_, 20000)); // the desktop ends with the program
}

TEST_F(WavedeskInADesktop, SecondCopyEndsSilentlyAndExitClosesTheOpenSheet) {
    ASSERT_EQ(0u, Ctl("wait-icon"));
    HANDLE second = StartProcess("\"" + BinDir() + "\\wavedesk.exe\"", desktop_.c_str());
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(0u, FinishProcess(second, 20000));
    CloseHandle(second);
    std::string count;
    EXPECT_EQ(0u, Ctl("count", &count));
    EXPECT_EQ('1', count[0]);
    // The second copy also finds a running copy by its open sheet.
    ASSERT_EQ(0u, Ctl("open"));
    ASSERT_EQ(0u, Ctl("wait-sheet"));
    second = StartProcess("\"" + BinDir() + "\\wavedesk.exe\"", desktop_.c_str());
    EXPECT_EQ(0u, FinishProcess(second, 20000));
    CloseHandle(second);
    EXPECT_EQ("1 1 1 0", State());
    // "Exit" posted by another program while the sheet is open.
    EXPECT_EQ(0u, Ctl("exit"));
    EXPECT_EQ(0u, FinishProcess(shell_, 20000));
}

TEST_F(WavedeskInADesktop, ShellRestartKeepsTheIconShown) {
    ASSERT_EQ(0u, Ctl("wait-icon"));
    EXPECT_EQ(0u, Ctl("shell-restart"));
    EXPECT_EQ("1 1 0 -1", State());
    EXPECT_EQ(0u, Ctl("menu open"));
    EXPECT_EQ(0u, Ctl("wait-sheet"));
    EXPECT_EQ(0u, Ctl("exit"));
}
