// The hidden tray dialog, run modally in-process with a stand-in adapter and
// a recorded shell, and driven with window messages: start-up, the poll
// tick, the tray callback and menu, the sheet, power and device events, the
// shell's restart and the exit sequence.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <string.h>

#include <functional>
#include <memory>
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

// Every message the thread's loops take from its queue (a WH_GETMESSAGE
// hook), handed to `observe` as it is taken, before it is dispatched.
class TakenMessages {
public:
    explicit TakenMessages(std::function<void(const MSG&)> observe) {
        observe_ = std::move(observe);
        hook_ = ::SetWindowsHookExA(WH_GETMESSAGE, &TakenMessages::Hook, nullptr,
                                    ::GetCurrentThreadId());
    }
    ~TakenMessages() {
        ::UnhookWindowsHookEx(hook_);
        observe_ = nullptr;
    }
    TakenMessages(const TakenMessages&) = delete;
    TakenMessages& operator=(const TakenMessages&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM removed, LPARAM message) {
        if (code == HC_ACTION && removed == PM_REMOVE && observe_)
            observe_(*reinterpret_cast<const MSG*>(message));
        return ::CallNextHookEx(nullptr, code, removed, message);
    }
    static inline std::function<void(const MSG&)> observe_;
    HHOOK hook_;
};

// Runs `action` once, while the next top-level dialog window of the thread
// is being created (a CBT hook): for the property sheet, before it has
// built its pages or told its object its window.
class WhileTheNextDialogIsBuilt {
public:
    explicit WhileTheNextDialogIsBuilt(std::function<void()> action) {
        action_ = std::move(action);
        ran_ = false;
        hook_ = ::SetWindowsHookExA(WH_CBT, &WhileTheNextDialogIsBuilt::Hook, nullptr,
                                    ::GetCurrentThreadId());
    }
    ~WhileTheNextDialogIsBuilt() {
        ::UnhookWindowsHookEx(hook_);
        action_ = nullptr;
    }
    WhileTheNextDialogIsBuilt(const WhileTheNextDialogIsBuilt&) = delete;
    WhileTheNextDialogIsBuilt& operator=(const WhileTheNextDialogIsBuilt&) = delete;
    static bool Ran() { return ran_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM window, LPARAM create) {
        if (code == HCBT_CREATEWND && !ran_) {
            HWND w = reinterpret_cast<HWND>(window);
            const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(create)->lpcs;
            char cls[64] = {};
            ::GetClassNameA(w, cls, sizeof cls);
            if (!cs->hwndParent && strcmp(cls, "#32770") == 0) {
                ran_ = true;
                action_();
            }
        }
        return ::CallNextHookEx(nullptr, code, window, create);
    }
    static inline std::function<void()> action_;
    static inline bool ran_ = false;
    HHOOK hook_;
};

// Asks every sheet of the thread to close, whether the tray knows it or not.
void CancelEverySheet() {
    for (HWND sheet : Titled().sheets)
        ::PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
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
    // A device event sent to the tray dialog, or broadcast as the system
    // sends it.
    void DeviceEvent(UINT code, const std::string& name, bool broadcast = false) {
        std::vector<uint8_t> record = InterfaceEvent(name);
        LPARAM lParam = reinterpret_cast<LPARAM>(record.data());
        if (broadcast)
            Broadcast(WM_DEVICECHANGE, code, lParam);
        else
            ::SendMessageA(Tray(), WM_DEVICECHANGE, code, lParam);
    }
    // Sends to every top-level window of the thread's desktop, hidden ones
    // included, as the system sends power and device events; returns once
    // each has handled it.
    static void Broadcast(UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR answer = 0;
        EXPECT_NE(0, ::SendMessageTimeoutA(HWND_BROADCAST, message, wParam, lParam,
                                           SMTO_ABORTIFHUNG, 5000, &answer));
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
                             CancelEverySheet();
                             ::PostMessageA(Tray(), WM_COMMAND, ID_TRAY_EXIT, 0);
                         });
    }

    // Run(), on a thread attached to a desktop of its own: a broadcast there
    // reaches this test's windows and none of the tests run beside it, and
    // a window found by its title is this test's.
    INT_PTR RunOnItsOwnDesktop(Steps& steps) {
        std::string name = "wdtest_tray_" + std::to_string(::GetCurrentProcessId());
        OwnDesktopRun run{this, &steps, nullptr, -1, false};
        run.desktop = ::CreateDesktopA(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        EXPECT_NE(nullptr, run.desktop);
        if (!run.desktop)
            return -1;
        HANDLE thread = ::CreateThread(nullptr, 0, &RunOnDesktop, &run, 0, nullptr);
        EXPECT_NE(nullptr, thread);
        if (thread) {
            ::WaitForSingleObject(thread, INFINITE);
            ::CloseHandle(thread);
        }
        ::CloseDesktop(run.desktop);
        EXPECT_TRUE(run.attached);
        return run.result;
    }

    ShellLog shell_;
    NotificationLog notifications_;
    FakeTrayAdapter adapter_;
    CTrayDlg dialog_{adapter_};

private:
    struct OwnDesktopRun {
        TrayDialogTest* test;
        Steps* steps;
        HDESK desktop;
        INT_PTR result;
        bool attached;
    };
    // A new thread has no windows yet, so it may change its desktop.
    static DWORD WINAPI RunOnDesktop(LPVOID param) {
        OwnDesktopRun* run = static_cast<OwnDesktopRun*>(param);
        run->attached = ::SetThreadDesktop(run->desktop) != FALSE;
        if (run->attached)
            run->result = run->test->Run(*run->steps);
        return 0;
    }
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
        .WaitUntil("the poll timer ticks three times", [this] { return adapter_.refreshes >= 3; })
        .Then([this] {
            // Once a second: never sooner, and a loaded machine's delay is
            // well below the next second.
            const std::vector<DWORD>& at = adapter_.refreshTimes;
            for (size_t i = 1; i < at.size(); ++i) {
                EXPECT_GE(at[i] - at[i - 1], 900u) << "tick " << i;
                EXPECT_LT(at[i] - at[i - 1], 1900u) << "tick " << i;
            }
            // Between the ticks the modal loop has gone idle, which is when
            // it shows its dialog: this one stays hidden, off any taskbar,
            // and a second copy still finds it by its title.
            EXPECT_FALSE(::IsWindowVisible(Tray()));
            EXPECT_EQ(Tray(), ::FindWindowA(nullptr, kTitle));
        });
    Exit(steps);
    EXPECT_EQ(1, RunOnItsOwnDesktop(steps));
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
            EXPECT_EQ(first, ::GetForegroundWindow());
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
    EXPECT_EQ(1, RunOnItsOwnDesktop(steps));
}

TEST_F(TrayDialogTest, MenuOpensOnRightButtonUpOnlyOpenShowsTheSheetAndTheOwnerGetsANullMessage) {
    // The message that lets a click elsewhere close the next menu: one for
    // the tray dialog after every menu, and none before.
    int nulls = 0;
    TakenMessages taken([&](const MSG& m) {
        if (m.hwnd == Tray() && m.message == WM_NULL)
            ++nulls;
    });
    Steps steps;
    steps.Then([this] { Notify(WM_RBUTTONDOWN); });
    steps.Then([&] {
        EXPECT_EQ(nullptr, ShownMenu());
        EXPECT_EQ(0, nulls);
    });
    ChooseFromMenu(steps, 0) // dismissed
        .WaitUntil("the menu closes", [] { return ShownMenu() == nullptr; })
        .Then([&] {
            EXPECT_EQ(0, SheetCount());
            EXPECT_TRUE(Running());
            EXPECT_EQ(1, nulls);
        });
    ChooseFromMenu(steps, 1) // "Open..."
        .WaitUntil("the sheet opens", [] { return OpenSheetWindow() != nullptr; })
        .Then([&] {
            EXPECT_EQ(2, nulls);
            CloseSheet();
        })
        .WaitUntil("the sheet closes", [] { return SheetCount() == 0; });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
    EXPECT_EQ(1, ShellLog::Count(NIM_DELETE));
}

TEST_F(TrayDialogTest, ExitFromTheMenuWhileTheSheetIsOpenClosesItAndEnds) {
    // The menu itself hides the icon and asks the sheet to close, before
    // the exit command it posts reaches the tray dialog.
    int exits = 0;
    bool iconShownAtExit = true, sheetKnownAtExit = true;
    TakenMessages taken([&](const MSG& m) {
        if (m.hwnd == Tray() && m.message == WM_COMMAND && LOWORD(m.wParam) == ID_TRAY_EXIT) {
            ++exits;
            iconShownAtExit = IconShown();
            sheetKnownAtExit = OpenSheetWindow() != nullptr;
        }
    });
    Steps steps;
    OpenTheSheet(steps);
    ChooseFromMenu(steps, 2); // "Exit"
    EXPECT_EQ(1, Run(steps));
    EXPECT_EQ(1, exits);
    EXPECT_FALSE(iconShownAtExit);
    EXPECT_FALSE(sheetKnownAtExit);
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

TEST_F(TrayDialogTest, SuspendClosesTheOpenSheetAndStopsTheTrayAndResumeOrARefusalStartsIt) {
    Steps steps;
    OpenTheSheet(steps)
        .Then([this] {
            // The system broadcasts power events: they reach the hidden dialog.
            Broadcast(WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
            EXPECT_TRUE(Stopped());
            EXPECT_EQ(nullptr, OpenSheetWindow());
        })
        .WaitUntil("the sheet closes", [] { return SheetCount() == 0; })
        .Then([this] {
            Broadcast(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
            EXPECT_TRUE(Running());
            EXPECT_EQ(2, ShellLog::Count(NIM_ADD));
            // Suspend and resume with the sheet closed; other events change
            // nothing. The query is answered as the default answers it: never
            // a denial. (Windows' default answers TRUE, Wine's 0; only
            // BROADCAST_QUERY_DENY denies.)
            EXPECT_NE(BROADCAST_QUERY_DENY,
                      ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0));
            EXPECT_TRUE(Stopped());
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
            EXPECT_TRUE(Stopped());
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
            EXPECT_TRUE(Running());
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
            EXPECT_TRUE(Running());
            // Another program refused the suspend after the query: the tray
            // that stopped for it runs again.
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
            EXPECT_TRUE(Stopped());
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMQUERYSUSPENDFAILED, 0);
            EXPECT_TRUE(Running());
            EXPECT_EQ(4, ShellLog::Count(NIM_ADD));
        });
    Exit(steps);
    EXPECT_EQ(1, RunOnItsOwnDesktop(steps));
}

TEST_F(TrayDialogTest, RemovalClosesTheSheetAndStopsTheTrayAndArrivalStartsIt) {
    Steps steps;
    OpenTheSheet(steps)
        .Then([this] {
            // Broadcast, as the system sends them to top-level windows: they
            // reach the hidden dialog.
            DeviceEvent(WD_DBT_DEVICEREMOVECOMPLETE, kOtherInterface, true); // another adapter
            EXPECT_TRUE(Running());
            EXPECT_NE(nullptr, OpenSheetWindow());
            DeviceEvent(WD_DBT_DEVICEREMOVECOMPLETE, kOurInterface, true);
            EXPECT_TRUE(Stopped());
            EXPECT_EQ(nullptr, OpenSheetWindow());
        })
        .WaitUntil("the sheet closes", [] { return SheetCount() == 0; })
        .Then([this] {
            DeviceEvent(WD_DBT_DEVICEARRIVAL, kOurInterface, true);
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
    EXPECT_EQ(1, RunOnItsOwnDesktop(steps));
}

TEST_F(TrayDialogTest, ArrivalBeforeTheAdapterOpensIsRetriedOnTheNextTicksThenGivenUpQuietly) {
    auto retryArmed = [this] {
        if (!::KillTimer(Tray(), kStartRetryTimerId))
            return false;
        ::SetTimer(Tray(), kStartRetryTimerId, kStartRetryPeriodMs, nullptr);
        return true;
    };
    auto retryTick = [this] { ::SendMessageA(Tray(), WM_TIMER, kStartRetryTimerId, 0); };
    int opens = 0;
    DWORD arrivedAt = 0;
    Steps steps;
    steps
        .Then([&] {
            DeviceEvent(WD_DBT_DEVICEREMOVECOMPLETE, kOurInterface);
            adapter_.present = false; // announced, but not yet open to requests
            opens = adapter_.openCalls;
            arrivedAt = ::GetTickCount();
            DeviceEvent(WD_DBT_DEVICEARRIVAL, kOurInterface);
            EXPECT_EQ(opens + 1, adapter_.openCalls);
            EXPECT_TRUE(Stopped());
            EXPECT_TRUE(retryArmed());
        })
        // The retry timer runs by itself, once a second: ten tries are ten seconds.
        .WaitUntil("the start is tried again", [&] { return adapter_.openCalls == opens + 2; })
        .Then([&] {
            EXPECT_GE(::GetTickCount() - arrivedAt, 900u);
            EXPECT_LT(::GetTickCount() - arrivedAt, 1900u);
            EXPECT_TRUE(Stopped());
            int refreshes = adapter_.refreshes;
            retryTick(); // a retry is no poll tick
            EXPECT_EQ(refreshes, adapter_.refreshes);
            EXPECT_EQ(opens + 3, adapter_.openCalls);
            adapter_.present = true;
            retryTick();
            EXPECT_TRUE(Running());
            EXPECT_FALSE(retryArmed());
            retryTick(); // stray ticks after the start change nothing
            EXPECT_EQ(opens + 4, adapter_.openCalls);

            // An adapter that never opens: ten more tries, then nothing.
            DeviceEvent(WD_DBT_DEVICEREMOVECOMPLETE, kOurInterface);
            adapter_.present = false;
            opens = adapter_.openCalls;
            DeviceEvent(WD_DBT_DEVICEARRIVAL, kOurInterface);
            for (int i = 0; i < kStartRetries; ++i) {
                EXPECT_TRUE(retryArmed()) << i;
                retryTick();
            }
            EXPECT_EQ(opens + 1 + kStartRetries, adapter_.openCalls);
            EXPECT_FALSE(retryArmed());
            retryTick();
            EXPECT_EQ(opens + 1 + kStartRetries, adapter_.openCalls);
            EXPECT_TRUE(Stopped());
            EXPECT_EQ(2, ShellLog::Count(NIM_ADD)); // only the starts that opened

            // Removal, a suspend query and Exit end the retries.
            DeviceEvent(WD_DBT_DEVICEARRIVAL, kOurInterface);
            DeviceEvent(WD_DBT_DEVICEREMOVECOMPLETE, kOurInterface);
            EXPECT_FALSE(retryArmed());
            DeviceEvent(WD_DBT_DEVICEARRIVAL, kOurInterface);
            ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
            EXPECT_FALSE(retryArmed());
            DeviceEvent(WD_DBT_DEVICEARRIVAL, kOurInterface);
            EXPECT_TRUE(retryArmed());
        });
    Exit(steps);
    EXPECT_EQ(1, Run(steps));
}

TEST_F(TrayDialogTest, CloseAskedWhileTheSheetIsBuiltReachesItOnceItExists) {
    struct Case {
        const char* what;
        std::function<void()> ask;
    } cases[] = {
        {"suspend", [this] { ::SendMessageA(Tray(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0); }},
        {"removal", [this] { DeviceEvent(WD_DBT_DEVICEREMOVECOMPLETE, kOurInterface); }},
    };
    for (const Case& c : cases) {
        std::unique_ptr<WhileTheNextDialogIsBuilt> during;
        Steps steps;
        steps
            .Then([&] {
                during.reset(new WhileTheNextDialogIsBuilt(c.ask));
                Notify(WM_LBUTTONDBLCLK);
            })
            .WaitUntil("the sheet is built", [] { return WhileTheNextDialogIsBuilt::Ran(); })
            .WaitUntil("the sheet closes", [] { return SheetCount() == 0; })
            .Then([this] {
                EXPECT_EQ(nullptr, OpenSheetWindow());
                EXPECT_TRUE(Stopped());
            });
        Exit(steps);
        EXPECT_EQ(1, Run(steps)) << c.what;
        EXPECT_EQ(0, SheetCount()) << c.what;
    }
}

namespace {

// Set when the watchdog found a sheet still open.
bool g_sheetSurvived = false;

void CALLBACK SheetWatchdog(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    g_sheetSurvived = SheetCount() > 0;
    CancelEverySheet();
}

} // namespace

TEST_F(TrayDialogTest, ExitAskedWhileTheSheetIsBuiltClosesItAndEnds) {
    std::unique_ptr<WhileTheNextDialogIsBuilt> during;
    // The tray's loop ends as soon as the sheet's does: no step can wait
    // for that, so a watchdog cancels a sheet that outlives the request.
    g_sheetSurvived = false;
    UINT_PTR watchdog = 0;
    Steps steps;
    steps.Then([&] {
        watchdog = ::SetTimer(nullptr, 0, 5000, &SheetWatchdog);
        during.reset(new WhileTheNextDialogIsBuilt(
            [this] { ::SendMessageA(Tray(), WM_COMMAND, ID_TRAY_EXIT, 0); }));
        Notify(WM_LBUTTONDBLCLK);
    });
    EXPECT_EQ(1, Run(steps));
    ::KillTimer(nullptr, watchdog);
    EXPECT_TRUE(WhileTheNextDialogIsBuilt::Ran());
    EXPECT_FALSE(g_sheetSurvived);
    EXPECT_EQ(0, SheetCount());
    EXPECT_FALSE(adapter_.open);
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
        // A shell that starts posts this to every top-level window.
        ::PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
    });
    steps.WaitUntil("the icon is added again", [] { return ShellLog::Count(NIM_ADD) == 2; });
    steps.Then([&] {
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
    EXPECT_EQ(1, RunOnItsOwnDesktop(steps));
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

namespace {

// Ends a tray dialog that should never have started.
void CALLBACK EndEveryTray(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    for (HWND tray : Titled().others)
        ::PostMessageA(tray, WM_COMMAND, ID_TRAY_EXIT, 0);
}

} // namespace

TEST_F(TrayDialogTest, SecondCopyEndsSilentlyWhileTheFirstHoldsTheInstanceMutex) {
    // Started together, the first copy has no window yet to be found.
    HANDLE first = ::CreateMutexA(nullptr, TRUE, kSingleInstanceMutex);
    ASSERT_NE(nullptr, first);
    ASSERT_EQ(0u, Titled().others.size() + Titled().sheets.size());
    CConfigApp app(dialog_);
    UINT_PTR watchdog = ::SetTimer(nullptr, 0, 3000, &EndEveryTray);
    EXPECT_FALSE(app.InitInstance());
    ::KillTimer(nullptr, watchdog);
    EXPECT_EQ(0, adapter_.openCalls);
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(0u, Titled().others.size());
    EXPECT_EQ(0, ShellLog::Count(NIM_ADD));
    ::CloseHandle(first);
}

TEST_F(TrayDialogTest, FirstCopyRunsTheTrayAsItsMainWindowUntilExit) {
    auto mutexHeld = [] {
        HANDLE held = ::OpenMutexA(SYNCHRONIZE, FALSE, kSingleInstanceMutex);
        if (held)
            ::CloseHandle(held);
        return held != nullptr;
    };
    ASSERT_FALSE(mutexHeld());
    CConfigApp app(dialog_);
    Steps steps;
    steps.Then([&] {
        EXPECT_EQ(&dialog_, AfxGetApp()->m_pMainWnd);
        EXPECT_TRUE(Running());
        EXPECT_TRUE(mutexHeld()); // from before the tray dialog existed
    });
    ChooseFromMenu(steps, 2); // "Exit" reaches the main window
    INT_PTR result = steps.Run([&] { return static_cast<INT_PTR>(app.InitInstance()); },
                               [this] { ::PostMessageA(Tray(), WM_COMMAND, ID_TRAY_EXIT, 0); });
    EXPECT_EQ(FALSE, result); // the framework runs no loop of its own
    EXPECT_FALSE(adapter_.open);
    EXPECT_EQ(1, ShellLog::Count(NIM_DELETE));
    EXPECT_FALSE(mutexHeld()); // a later copy may run
}
