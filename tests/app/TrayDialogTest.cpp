// The hidden tray dialog, run modally in-process with a stand-in adapter and
// a recorded shell, and driven with window messages: start-up, the poll
// tick, the tray callback and menu, the sheet, power and device events, the
// shell's restart and the exit sequence.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/TrayDialog.h"
#include "device/DeviceBroadcast.h"
#include "res/resource.h"
#include "tests/support/Steps.h"
#include "tests/support/TrayFakes.h"
#include "tests/support/WineFamily.h"

namespace {

const char kTitle[] = "VELNORA KX750 802.11a Configuration Utility";

struct Windows {
    std::vector<HWND> sheets;
    std::vector<HWND> others;
};

BOOL CALLBACK CollectTitled(HWND window, LPARAM param) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    if (strcmp(text, kTitle) == 0) {
        Windows* found = reinterpret_cast<Windows*>(param);
        if (::FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr))
            found->sheets.push_back(window);
        else
            found->others.push_back(window);
    }
    return TRUE;
}

// Top-level windows titled with string 1: sheets (with a tab control) and others.
Windows Titled() {
    Windows found;
    ::EnumWindows(&CollectTitled, reinterpret_cast<LPARAM>(&found));
    return found;
}

int SheetCount() {
    return static_cast<int>(Titled().sheets.size());
}

// The visible popup menu of this thread, if any.
HWND ShownMenu() {
    for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32768", nullptr); w;
         w = ::FindWindowExA(nullptr, w, "#32768", nullptr)) {
        if (::IsWindowVisible(w) &&
            ::GetWindowThreadProcessId(w, nullptr) == ::GetCurrentThreadId())
            return w;
    }
    return nullptr;
}

void PostKey(HWND window, UINT key) {
    ::PostMessageA(window, WM_KEYDOWN, key, 1);
    ::PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

// A device-interface event record naming `name`.
std::vector<uint8_t> InterfaceEvent(const std::string& name) {
    std::vector<uint8_t> bytes(offsetof(DeviceBroadcastInterface, name) + name.size() + 1, 0);
    DeviceBroadcastInterface fixed;
    memset(&fixed, 0, sizeof fixed);
    fixed.header.size = static_cast<uint32_t>(bytes.size());
    fixed.header.deviceType = WD_DBT_DEVTYP_DEVICEINTERFACE;
    memcpy(fixed.classGuid, kNdisLanClassGuid, sizeof fixed.classGuid);
    memcpy(bytes.data(), &fixed, offsetof(DeviceBroadcastInterface, name));
    memcpy(bytes.data() + offsetof(DeviceBroadcastInterface, name), name.data(), name.size());
    return bytes;
}

const char kOurInterface[] = "\\\\?\\PCI#VEN_168C&DEV_0007&SUBSYS_00000000&REV_01#3&13c0b0c5&0&58#"
                             "{ad498944-762f-11d0-8dcb-00c04fc3358c}\\{5F2A9C31}";
const char kOtherInterface[] = "\\\\?\\PCI#VEN_8086&DEV_1229&SUBSYS_00000000&REV_08#3&1&0&40#"
                               "{ad498944-762f-11d0-8dcb-00c04fc3358c}\\{11111111}";

class TrayDialogTest : public ::testing::Test {
protected:
    HWND Tray() const { return dialog_.m_hWnd; }

    // True when the poll timer was set; it is set again afterwards.
    bool TimerArmed() {
        if (!::KillTimer(Tray(), kPollTimerId))
            return false;
        ::SetTimer(Tray(), kPollTimerId, kPollPeriodMs, nullptr);
        return true;
    }
    bool IconShown() const { return ::GetWindowLongPtrA(Tray(), GWLP_USERDATA) != 0; }
    bool Running() { return adapter_.open && IconShown() && TimerArmed(); }
    bool Stopped() { return !adapter_.open && !IconShown() && !TimerArmed(); }

    LRESULT Tick(UINT_PTR id = kPollTimerId) { return ::SendMessageA(Tray(), WM_TIMER, id, 0); }
    void Notify(UINT mouseMessage) {
        ::PostMessageA(Tray(), WM_TRAY_NOTIFY, dialog_.TrayIcon().Id(), mouseMessage);
    }
    LRESULT DeviceEvent(UINT code, const std::string& name) {
        std::vector<uint8_t> record = InterfaceEvent(name);
        return ::SendMessageA(Tray(), WM_DEVICECHANGE, code,
                              reinterpret_cast<LPARAM>(record.data()));
    }

    Steps& OpenTheSheet(Steps& steps) {
        return steps.Then([this] { Notify(WM_LBUTTONDBLCLK); }).WaitUntil("the sheet opens", [] {
            HWND sheet = OpenSheetWindow();
            return sheet && ::IsWindowVisible(sheet);
        });
    }
    Steps& ChooseFromMenu(Steps& steps, int downs) {
        return steps.Then([this] { Notify(WM_RBUTTONUP); })
            .WaitUntil("the tray menu shows", [] { return ShownMenu() != nullptr; })
            .Then([downs] {
                HWND menu = ShownMenu();
                for (int i = 0; i < downs; ++i)
                    PostKey(menu, VK_DOWN);
                PostKey(menu, downs ? VK_RETURN : VK_ESCAPE);
            });
    }
    Steps& Exit(Steps& steps) {
        return steps.Then([this] { ::PostMessageA(Tray(), WM_COMMAND, ID_TRAY_EXIT, 0); });
    }
    INT_PTR Run(Steps& steps) {
        return steps.Run([this] { return dialog_.DoModal(); },
                         [this] {
                             ::EndMenu();
                             CloseSheet();
                             ::PostMessageA(Tray(), WM_COMMAND, ID_TRAY_EXIT, 0);
                         });
    }

    ShellLog shell_;
    NotificationLog notifications_;
    FakeTrayAdapter adapter_;
    CTrayDlg dialog_{adapter_};
};

} // namespace

TEST_F(TrayDialogTest, InitHidesTheDialogNamesItAndStartsTheTray) {
    Steps steps;
    steps
        .Then([this] {
            char text[256] = {};
            ::GetWindowTextA(Tray(), text, sizeof text);
            EXPECT_STREQ(kTitle, text);
            LONG ex = ::GetWindowLongA(Tray(), GWL_EXSTYLE);
            EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
            EXPECT_FALSE(ex & WS_EX_APPWINDOW);
            RECT r = {};
            ::GetWindowRect(Tray(), &r);
            EXPECT_EQ(0, r.left);
            EXPECT_EQ(0, r.top);
            EXPECT_EQ(0, r.right - r.left);
            EXPECT_EQ(0, r.bottom - r.top);
            ASSERT_NE(nullptr, dialog_.BigIcon());
            EXPECT_EQ(reinterpret_cast<LRESULT>(dialog_.BigIcon()),
                      ::SendMessageA(Tray(), WM_GETICON, ICON_BIG, 0));

            // Registered for LAN interface events on this window (Wine answers as NT 5+).
            EXPECT_EQ(1, NotificationLog::registered);
            EXPECT_EQ(Tray(), NotificationLog::lastWindow);
            EXPECT_EQ(32u, NotificationLog::lastFilter.dbcc_size);
            EXPECT_EQ(5u, NotificationLog::lastFilter.dbcc_devicetype);
            EXPECT_EQ(0u, NotificationLog::lastFilter.dbcc_reserved);
            EXPECT_EQ(0,
                      memcmp(&NotificationLog::lastFilter.dbcc_classguid, kNdisLanClassGuid, 16));
            EXPECT_EQ(0u, NotificationLog::lastFlags); // to a window handle

            EXPECT_EQ("VELNORA KX750 Wireless Adapter", adapter_.lastFilter);
            EXPECT_TRUE(Running());
            ASSERT_EQ(1, ShellLog::Count(NIM_ADD));
            const TrayIconRecord& add = ShellLog::Last(NIM_ADD)->record;
            EXPECT_EQ(Tray(), add.window);
            EXPECT_EQ(1324u, add.callbackMessage);
            EXPECT_EQ(dialog_.TrayIcon().GetIcon(0), add.icon);
            EXPECT_STREQ("", add.tip); // until the first tick
        })
        .WaitUntil("the poll timer ticks", [this] { return adapter_.refreshes > 0; });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
    EXPECT_EQ(1, NotificationLog::unregistered);
    EXPECT_EQ(NotificationLog::Handle(), NotificationLog::unregisteredHandle);
    EXPECT_FALSE(adapter_.open);
    EXPECT_EQ(1, ShellLog::Count(NIM_DELETE));
    EXPECT_EQ(nullptr, dialog_.m_hWnd);
}

TEST_F(TrayDialogTest, StartWithTheAdapterAbsentGivesNoIconAndNoTimer) {
    adapter_.present = false;
    Steps steps;
    steps.Then([this] {
        EXPECT_EQ(1, adapter_.openCalls);
        EXPECT_TRUE(Stopped());
        EXPECT_EQ(0, ShellLog::Count(NIM_ADD));
        // A callback finds no icon to route to.
        Notify(WM_LBUTTONDBLCLK);
    });
    steps.Then([] { EXPECT_EQ(nullptr, OpenSheetWindow()); });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
    EXPECT_EQ(0, ShellLog::Count(NIM_DELETE));
    EXPECT_EQ(0, adapter_.refreshes);
}

TEST_F(TrayDialogTest, EnterEscapeF1AndCloseLeaveTheTrayRunning) {
    Steps steps;
    steps.Then([this] {
        PostKey(Tray(), VK_RETURN);
        PostKey(Tray(), VK_ESCAPE);
        PostKey(Tray(), VK_F1);
        ::PostMessageA(Tray(), WM_COMMAND, IDOK, 0);
        ::PostMessageA(Tray(), WM_COMMAND, IDCANCEL, 0);
        ::PostMessageA(Tray(), WM_COMMAND, ID_TRAY_OPEN, 0); // "Open..." as a command: nothing
        ::PostMessageA(Tray(), WM_CLOSE, 0, 0);
        HELPINFO help = {};
        help.cbSize = sizeof help;
        help.iContextType = HELPINFO_WINDOW;
        help.hItemHandle = Tray();
        ::SendMessageA(Tray(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    });
    steps.Then([this] {
        EXPECT_TRUE(::IsWindow(Tray()));
        EXPECT_TRUE(Running());
        EXPECT_EQ(0, adapter_.closes);
        EXPECT_EQ(0, SheetCount());
        EXPECT_EQ(1, ShellLog::Count(NIM_ADD));
        EXPECT_EQ(0, ShellLog::Count(NIM_DELETE));
    });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
}

TEST_F(TrayDialogTest, TickPicksTheIconAndTooltipFromTheSnapshotAndHandsTheShellOnlyChanges) {
    Steps steps;
    steps.Then([this] {
        struct Case {
            int32_t signal;
            uint32_t disconnected;
            const char* ssid;
            int icon;
            const char* tip;
            bool changed; // from the case before: one modification, else none
        } cases[] = {
            {40, 0, "lab", 0, "VELNORA KX750 Connect to: lab", true},
            {10, 0, "lab", 3, "VELNORA KX750 Connect to: lab", true}, // signal: icon
            {11, 0, "lab", 0, "VELNORA KX750 Connect to: lab", true},
            {-7, 0, "lab", 3, "VELNORA KX750 Connect to: lab", true},
            {60, 1, "lab", 1, "VELNORA KX750 Disconnected", true}, // state
            {60, 0, "", 0, "VELNORA KX750 ", true},
            {60, 0, "lab", 0, "VELNORA KX750 Connect to: lab", true},  // network name: tooltip
            {90, 0, "lab", 0, "VELNORA KX750 Connect to: lab", false}, // signal within the icon
            {60, 0, "lab2", 0, "VELNORA KX750 Connect to: lab2", true},
        };
        for (const Case& c : cases) {
            adapter_.SetConnected(c.signal, c.ssid);
            adapter_.snapshot.disconnected = c.disconnected;
            const size_t calls = ShellLog::Calls().size();
            Tick();
            EXPECT_EQ(c.icon, dialog_.TrayIcon().CurrentIndex()) << c.signal;
            ASSERT_EQ(calls + (c.changed ? 1 : 0), ShellLog::Calls().size()) << c.tip;
            const ShellLog::Call& last = ShellLog::Calls().back();
            if (c.changed) {
                EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), last.message);
                EXPECT_EQ(static_cast<UINT>(NIF_ICON | NIF_TIP), last.record.flags);
                EXPECT_EQ(dialog_.TrayIcon().GetIcon(c.icon), last.record.icon) << c.signal;
                EXPECT_STREQ(c.tip, last.record.tip);
            }
            // The same snapshot again: the shell is left alone.
            Tick();
            EXPECT_EQ(calls + (c.changed ? 1 : 0), ShellLog::Calls().size()) << c.tip;
        }
        // Any timer id ticks; a failed query shows the previous snapshot again.
        adapter_.SetConnected(10, "other");
        adapter_.answers = false;
        const size_t calls = ShellLog::Calls().size();
        const int refreshes = adapter_.refreshes;
        Tick(7);
        EXPECT_EQ(refreshes + 1, adapter_.refreshes);
        EXPECT_EQ(0, dialog_.TrayIcon().CurrentIndex());
        EXPECT_STREQ("VELNORA KX750 Connect to: lab2", dialog_.TrayIcon().Tooltip().c_str());
        EXPECT_EQ(calls, ShellLog::Calls().size());
    });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
}

TEST_F(TrayDialogTest, DoubleClickOpensTheSheetAndAnotherOnlyBringsItForward) {
    Steps steps;
    HWND first = nullptr;
    OpenTheSheet(steps)
        .Then([&] {
            first = OpenSheetWindow();
            EXPECT_EQ(1, SheetCount());
            char caption[256] = {};
            ::GetWindowTextA(first, caption, sizeof caption);
            EXPECT_STREQ(kTitle, caption);
            HWND tab = reinterpret_cast<HWND>(::SendMessageA(first, PSM_GETTABCONTROL, 0, 0));
            EXPECT_EQ(4, ::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
            EXPECT_EQ(0, ::SendMessageA(tab, TCM_GETCURSEL, 0, 0)); // Status first
            // The tray keeps running under the sheet's loop.
            int refreshes = adapter_.refreshes;
            Tick();
            EXPECT_EQ(refreshes + 1, adapter_.refreshes);
            Notify(WM_LBUTTONDBLCLK);
        })
        .Then([&] {
            EXPECT_EQ(1, SheetCount());
            EXPECT_EQ(first, OpenSheetWindow());
            EXPECT_EQ(first, ::GetForegroundWindow());
            CloseSheet();
        })
        .WaitUntil("the sheet closes", [] { return SheetCount() == 0; })
        .Then([this] { EXPECT_TRUE(Running()); });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
}

TEST_F(TrayDialogTest, MenuOpensOnRightButtonUpOnlyAndOpenShowsTheSheet) {
    Steps steps;
    steps.Then([this] { Notify(WM_RBUTTONDOWN); });
    steps.Then([] { EXPECT_EQ(nullptr, ShownMenu()); });
    ChooseFromMenu(steps, 0) // dismissed
        .WaitUntil("the menu closes", [] { return ShownMenu() == nullptr; })
        .Then([this] {
            EXPECT_EQ(0, SheetCount());
            EXPECT_TRUE(Running());
        });
    ChooseFromMenu(steps, 1) // "Open..."
        .WaitUntil("the sheet opens", [] { return OpenSheetWindow() != nullptr; })
        .Then([] { CloseSheet(); })
        .WaitUntil("the sheet closes", [] { return SheetCount() == 0; });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
    EXPECT_EQ(1, ShellLog::Count(NIM_DELETE));
}

TEST_F(TrayDialogTest, ExitFromTheMenuWhileTheSheetIsOpenClosesItAndEnds) {
    Steps steps;
    OpenTheSheet(steps);
    ChooseFromMenu(steps, 2); // "Exit"
    EXPECT_EQ(1, Run(steps));
    EXPECT_EQ(0, SheetCount());
    EXPECT_EQ(nullptr, OpenSheetWindow());
    EXPECT_FALSE(adapter_.open);
    EXPECT_EQ(1, ShellLog::Count(NIM_DELETE)); // hidden once, by the menu
    EXPECT_EQ(1, NotificationLog::unregistered);
}

TEST_F(TrayDialogTest, ExitCommandWhileTheSheetIsOpenClosesItAndEnds) {
    Steps steps;
    OpenTheSheet(steps);
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
    EXPECT_EQ(0, SheetCount());
    EXPECT_FALSE(adapter_.open);
}

TEST_F(TrayDialogTest, SuspendClosesTheOpenSheetAndStopsTheTrayAndResumeStartsIt) {
    Steps steps;
    OpenTheSheet(steps)
        .Then([this] {
            // Answered as the default answers it: never a denial. (Windows'
            // default answers TRUE, Wine's 0; only BROADCAST_QUERY_DENY denies.)
            EXPECT_NE(BROADCAST_QUERY_DENY,
                      ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0));
            EXPECT_TRUE(Stopped());
            EXPECT_EQ(nullptr, OpenSheetWindow());
        })
        .WaitUntil("the sheet closes", [] { return SheetCount() == 0; })
        .Then([this] {
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
            EXPECT_TRUE(Running());
            EXPECT_EQ(2, ShellLog::Count(NIM_ADD));
            // Suspend and resume with the sheet closed; other events change nothing.
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
            EXPECT_TRUE(Stopped());
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
            EXPECT_TRUE(Stopped());
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
            EXPECT_TRUE(Running());
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
            EXPECT_TRUE(Running());
        });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
}

TEST_F(TrayDialogTest, RemovalClosesTheSheetAndStopsTheTrayAndArrivalStartsIt) {
    Steps steps;
    OpenTheSheet(steps)
        .Then([this] {
            DeviceEvent(WD_DBT_DEVICEREMOVECOMPLETE, kOtherInterface); // another adapter
            EXPECT_TRUE(Running());
            EXPECT_NE(nullptr, OpenSheetWindow());
            DeviceEvent(WD_DBT_DEVICEREMOVECOMPLETE, kOurInterface);
            EXPECT_TRUE(Stopped());
            EXPECT_EQ(nullptr, OpenSheetWindow());
        })
        .WaitUntil("the sheet closes", [] { return SheetCount() == 0; })
        .Then([this] {
            DeviceEvent(WD_DBT_DEVICEARRIVAL, kOurInterface);
            EXPECT_TRUE(Running());
            EXPECT_EQ(2, ShellLog::Count(NIM_ADD));
            // Arrival while running only re-arms the timer.
            int opens = adapter_.openCalls, closes = adapter_.closes;
            ::KillTimer(Tray(), kPollTimerId);
            DeviceEvent(WD_DBT_DEVICEARRIVAL, kOurInterface);
            EXPECT_TRUE(Running());
            EXPECT_EQ(opens + 1, adapter_.openCalls);
            EXPECT_EQ(closes, adapter_.closes);
            EXPECT_EQ(2, ShellLog::Count(NIM_ADD));
            // Other events about our adapter change nothing.
            DeviceEvent(DBT_DEVICEQUERYREMOVE, kOurInterface);
            EXPECT_TRUE(Running());
        });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
}

TEST_F(TrayDialogTest, OnNt4NothingIsRegisteredAndDeviceEventsChangeNothing) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("nt40"));
        return;
    }
    Steps steps;
    steps.Then([this] {
        EXPECT_EQ(0, NotificationLog::registered);
        DeviceEvent(WD_DBT_DEVICEREMOVECOMPLETE, kOurInterface);
        EXPECT_TRUE(Running());
        ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
        DeviceEvent(WD_DBT_DEVICEARRIVAL, kOurInterface);
        EXPECT_TRUE(Stopped());
    });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
    EXPECT_EQ(0, NotificationLog::unregistered);
}

TEST_F(TrayDialogTest, ShellRestartAddsTheShownIconAgain) {
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    Steps steps;
    steps.Then([&] {
        adapter_.SetConnected(5, "lab");
        Tick();
        ::SendMessageA(Tray(), taskbarCreated, 0, 0);
        ASSERT_EQ(2, ShellLog::Count(NIM_ADD));
        const TrayIconRecord& again = ShellLog::Last(NIM_ADD)->record;
        EXPECT_EQ(dialog_.TrayIcon().GetIcon(3), again.icon); // the state it had
        EXPECT_STREQ("VELNORA KX750 Connect to: lab", again.tip);
        EXPECT_EQ(1324u, again.callbackMessage);
        // The shell shows what was added again: an unchanged tick leaves it
        // alone, a change reaches it once.
        size_t calls = ShellLog::Calls().size();
        Tick();
        EXPECT_EQ(calls, ShellLog::Calls().size());
        adapter_.SetConnected(50, "lab");
        Tick();
        Tick();
        ASSERT_EQ(calls + 1, ShellLog::Calls().size());
        EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), ShellLog::Calls().back().message);
        EXPECT_EQ(dialog_.TrayIcon().GetIcon(0), ShellLog::Calls().back().record.icon);
        // A stopped tray has no icon to add.
        ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
        ::SendMessageA(Tray(), taskbarCreated, 0, 0);
        EXPECT_EQ(2, ShellLog::Count(NIM_ADD));
        // Started again, the icon is added with entry 0 and the last tooltip;
        // the first tick then shows the weak signal, though it showed before.
        adapter_.SetConnected(5, "lab");
        Tick(); // stopped: the shell is not called
        ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
        ASSERT_EQ(3, ShellLog::Count(NIM_ADD));
        EXPECT_EQ(dialog_.TrayIcon().GetIcon(0), ShellLog::Last(NIM_ADD)->record.icon);
        calls = ShellLog::Calls().size();
        Tick();
        Tick();
        ASSERT_EQ(calls + 1, ShellLog::Calls().size());
        EXPECT_EQ(dialog_.TrayIcon().GetIcon(3), ShellLog::Calls().back().record.icon);
    });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
}

TEST_F(TrayDialogTest, SecondCopyEndsSilentlyWhenTheTitleIsTaken) {
    HWND running =
        ::CreateWindowA("STATIC", kTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, running);
    CConfigApp app(dialog_);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(0, adapter_.openCalls); // the tray never started
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(1u, Titled().others.size()); // no window of its own
    ::DestroyWindow(running);
}

TEST_F(TrayDialogTest, FirstCopyRunsTheTrayAsItsMainWindowUntilExit) {
    CConfigApp app(dialog_);
    Steps steps;
    steps.Then([&] {
        EXPECT_EQ(&dialog_, AfxGetApp()->m_pMainWnd);
        EXPECT_TRUE(Running());
    });
    ChooseFromMenu(steps, 2); // "Exit" reaches the main window
    INT_PTR result = steps.Run([&] { return static_cast<INT_PTR>(app.InitInstance()); },
                               [this] { ::PostMessageA(Tray(), WM_COMMAND, ID_TRAY_EXIT, 0); });
    EXPECT_EQ(FALSE, result); // the framework runs no loop of its own
    EXPECT_FALSE(adapter_.open);
    EXPECT_EQ(1, ShellLog::Count(NIM_DELETE));
}
