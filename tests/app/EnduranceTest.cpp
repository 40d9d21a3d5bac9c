// The utility left running: a day of poll ticks (86,400) and a thousand
// openings of the property sheet, in one process, run as Windows XP against
// the simulated adapter through the real adapter access object, the agent
// library and the stand-in driver. Ticks and sheet steps are driven directly
// with window messages, not waited for. Kernel handles, GDI and USER objects
// and private bytes are measured after a warm-up and again at the end, and
// printed; they may not grow beyond a small allowance, which a leak of one
// object (or a few bytes) per tick or per opening exceeds many times over.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "adapter/AdapterAccess.h"
#include "app/TrayDialog.h"
#include "config/ProfileStore.h"
#include "res/resource.h"
#include "sim/SimControl.h"
#include "tests/app/ProcessResources.h"
#include "tests/platform/TestRegistry.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TrayFakes.h"
#include "tests/support/WineFamily.h"
#include "tray/TrayState.h"
#include "ui/DlgPPageStatistics.h"
#include "ui/DlgPPageStatus.h"

namespace {

const int kDayOfTicks = 86400;
const int kSheetCycles = 1000;

// What the figures may grow by, from the warm-up to the end. A handle, a
// GDI object or a window left behind per tick or per opening grows them by
// 1,000 at the least; a few bytes per tick by hundreds of kilobytes. The
// allowance takes up what the system itself lets vary (heap growth, a
// handle cached by a system library).
const int64_t kHandleAllowance = 4;
const int64_t kGdiAllowance = 4;
const int64_t kUserAllowance = 4;
const int64_t kPrivateBytesAllowance = 256 * 1024;

// The snapshots the simulated adapter answers in turn, and the tray icon
// each one shows.
struct AnsweredState {
    AdapterStatusSnapshot snapshot;
    int icon;
};

AdapterStatusSnapshot Connected(int32_t signal) {
    AdapterStatusSnapshot s;
    memset(&s, 0, sizeof s);
    s.signalLevel = signal;
    s.channel = 36;
    s.txRateMbps = 54;
    s.rxRateMbps = 48;
    strcpy(s.ssid, "LabNet");
    return s;
}

std::vector<AnsweredState> States() {
    AdapterStatusSnapshot disconnected = Connected(0);
    disconnected.disconnected = 1;
    return {{Connected(60), kTrayIconConnected},
            {Connected(8), kTrayIconWeakSignal},
            {disconnected, kTrayIconDisconnected}};
}

// The adapter access object as the program gives it to the tray, with its
// refreshes counted.
class CountedAdapter : public TrayAdapter {
public:
    bool Open(const char* filter) override { return inner_.Open(filter); }
    void Close() override {
        ++closes;
        inner_.Close();
    }
    bool RefreshStatus() override {
        bool ok = inner_.RefreshStatus();
        ++(ok ? answered : failed);
        return ok;
    }
    const AdapterStatusSnapshot& Snapshot() const override { return inner_.Snapshot(); }
    CString HardwareIdText() const override { return inner_.HardwareIdText(); }

    int answered = 0;
    int failed = 0;
    int closes = 0;

private:
    AdapterAccessTray inner_{GetAdapterAccess()};
};

// Counts every call by message and passes one in a hundred (and every
// addition and removal) on to the system's shell: under Wine a modification
// costs the shell some 3 ms, and a day of them would take the test hours.
class CountedShell {
public:
    CountedShell() {
        Counts().clear();
        SetShellNotifyProc(&CountedShell::Pass);
    }
    ~CountedShell() { SetShellNotifyProc(nullptr); }
    CountedShell(const CountedShell&) = delete;
    CountedShell& operator=(const CountedShell&) = delete;

    static std::map<DWORD, int>& Counts() {
        static std::map<DWORD, int> counts;
        return counts;
    }

private:
    static BOOL WINAPI Pass(DWORD message, TrayIconRecord* record) {
        int n = ++Counts()[message];
        if (message == NIM_MODIFY && n % 100 != 0)
            return TRUE;
        return ::Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(record));
    }
};

bool Grew(const ResourceFigure& before, const ResourceFigure& after, int64_t allowance) {
    return after.value - before.value > allowance;
}

void ExpectNoGrowth(const char* what, const ProcessResources& before,
                    const ProcessResources& after) {
    printf("%s\n  before: %s\n  after:  %s\n", what, DescribeResources(before).c_str(),
           DescribeResources(after).c_str());
    fflush(stdout);
    // A figure that cannot be had would make the check empty.
    ASSERT_GE(before.handles.value, 0);
    ASSERT_GE(before.gdiObjects.value, 0);
    ASSERT_GE(before.userObjects.value, 0);
    ASSERT_GE(before.privateBytes.value, 0);
    EXPECT_FALSE(Grew(before.handles, after.handles, kHandleAllowance)) << what;
    EXPECT_FALSE(Grew(before.gdiObjects, after.gdiObjects, kGdiAllowance)) << what;
    EXPECT_FALSE(Grew(before.userObjects, after.userObjects, kUserAllowance)) << what;
    EXPECT_FALSE(Grew(before.privateBytes, after.privateBytes, kPrivateBytesAllowance)) << what;
}

// The pages an opening selects after the Status page it opens on: one of
// the other three in turn, and in every other triple the Status page again.
std::vector<int> PagesOfCycle(int cycle) {
    if (cycle % 6 >= 3)
        return {1 + cycle % 3, 0};
    return {1 + cycle % 3};
}

// Runs the test in a copy that Wine presents as Windows XP (RunTestAs names
// it <program>_winxp.exe) and whose windows no window manager manages. Xvfb
// runs none, and Wine waits two seconds for one to withdraw each managed
// window it hides: the sheet, at every closing.
int RunAsXpWithoutWindowManager() {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string name(self);
    name = name.substr(name.find_last_of('\\') + 1);
    name = name.substr(0, name.size() - 4) + "_winxp.exe";
    HKEY key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER,
                          ("Software\\Wine\\AppDefaults\\" + name + "\\X11 Driver").c_str(), 0,
                          nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return -1;
    ::RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    ::RegCloseKey(key);
    return RunTestAs("winxp");
}

class Endurance : public ::testing::Test {
protected:
    void SetUp() override {
        if (!InFamilyChild())
            return;
        ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
        SimClearOidAnswers();
        RegRemoveTree(SimClassInstanceKeyPath() + "\\CustomParams");
    }
    void TearDown() override {
        if (!InFamilyChild())
            return;
        GetAdapterAccess().Close();
        ClearConfigurations();
        SimClearOidAnswers();
        RegRemoveTree(SimClassInstanceKeyPath() + "\\CustomParams");
    }

    HWND Tray() const { return dialog_.m_hWnd; }
    void Tick() { ::SendMessageA(Tray(), WM_TIMER, kPollTimerId, 0); }
    bool Answer(const AdapterStatusSnapshot& s) {
        return SimSetOidAnswer(NX_OID_ADAPTER_STATUS, &s, sizeof s);
    }

    // Runs the tray dialog, calls `body` once inside its loop, then "Exit".
    // The body may pump messages and open the sheet: nothing else is
    // scheduled to run inside those loops.
    void RunTray(const std::function<void()>& body) {
        INT_PTR result = RunWithSteps([this] { return dialog_.DoModal(); },
                                      [&] {
                                          if (GetAdapterAccess().IsOpen())
                                              body();
                                          else
                                              ADD_FAILURE() << "the tray did not open the adapter";
                                          ::PostMessageA(Tray(), WM_COMMAND, ID_TRAY_EXIT, 0);
                                      });
        EXPECT_EQ(1, result);
    }

    MessageLog messages_;
    NotificationLog notifications_;
    CountedShell shell_;
    CountedAdapter adapter_;
    CTrayDlg dialog_{adapter_};
};

// ---- the sheet, opened and closed from inside its own loop ----

// What one opening does once the sheet's loop runs: a message posted before
// the sheet is opened arrives there.
struct SheetCycler {
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Act(int cycle);
    void Exercise(HWND sheet, int page);

    HWND window = nullptr;
    HWND tray = nullptr;
    int acted = 0;
    int waits = 0; // acts that found no sheet yet and came back later
    int pagesShown = 0;
    int timerTicks = 0;
};
SheetCycler* g_cycler = nullptr;
const UINT kActMessage = WM_APP + 1;

LRESULT CALLBACK SheetCycler::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kActMessage && g_cycler) {
        g_cycler->Act(static_cast<int>(wParam));
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// Paints what is due (the graphs with their pen and font among it) and runs
// the page's own timer around a tray tick that brings a new snapshot; the
// graphs the timer invalidated are painted again.
void SheetCycler::Exercise(HWND sheet, int page) {
    HWND current = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (!current)
        return;
    ++pagesShown;
    // What the sheet's loop would paint next: the sheet when it opens, the
    // page when it is selected.
    ::RedrawWindow(sheet, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (page == 0 || page == 2) {
        ::SendMessageA(current, WM_TIMER, CDlgPPageStatus::kTimerId, 0);
        ::SendMessageA(tray, WM_TIMER, kPollTimerId, 0);
        ::SendMessageA(current, WM_TIMER, CDlgPPageStatistics::kTimerId, 0);
        ::RedrawWindow(current, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        timerTicks += 2;
    }
}

void SheetCycler::Act(int cycle) {
    HWND sheet = OpenSheetWindow();
    if (!sheet) {
        // Taken by a loop that ran before the sheet was made: come back once
        // it is there rather than leave it open for good. Bounded, so that a
        // sheet that never opens fails the count instead of spinning.
        if (++waits < 100000)
            ::PostMessageA(window, kActMessage, static_cast<WPARAM>(cycle), 0);
        return;
    }
    ++acted;
    Exercise(sheet, 0);
    for (int page : PagesOfCycle(cycle)) {
        ::SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(page), 0);
        Exercise(sheet, page);
    }
    // Closed as the tray closes it (Cancel), or confirmed with nothing changed.
    if (cycle % 2)
        CloseSheet();
    else
        ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    // The sheet's loop ends at the next message it takes; without one it
    // would wait for the next timer.
    ::PostMessageA(window, WM_NULL, 0, 0);
}

} // namespace

TEST_F(Endurance, ADayOfTicksLeavesHandlesGdiUserObjectsAndPrivateBytesFlat) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunAsXpWithoutWindowManager());
        return;
    }
    const std::vector<AnsweredState> states = States();
    RunTray([&] {
        // Warm-up: every state once, so that whatever is made on first use exists.
        for (const AnsweredState& state : states) {
            ASSERT_TRUE(Answer(state.snapshot));
            for (int i = 0; i < 200; ++i)
                Tick();
        }
        PumpMessages();
        MeasureProcessResources();
        const int answered = adapter_.answered, modifies = CountedShell::Counts()[NIM_MODIFY];
        const DWORD start = ::GetTickCount();
        ProcessResources before = MeasureProcessResources();

        // Twelve phases, the three states in turn; the program's own loop
        // runs between them.
        const int phases = 12, ticksPerPhase = kDayOfTicks / phases;
        for (int phase = 0; phase < phases; ++phase) {
            const AnsweredState& state = states[static_cast<size_t>(phase) % states.size()];
            ASSERT_TRUE(Answer(state.snapshot));
            for (int i = 0; i < ticksPerPhase; ++i)
                Tick();
            EXPECT_EQ(state.icon, dialog_.TrayIcon().CurrentIndex()) << "phase " << phase;
            PumpMessages();
        }

        ProcessResources after = MeasureProcessResources();
        printf("%d ticks in %lu ms\n", kDayOfTicks, ::GetTickCount() - start);
        ExpectNoGrowth("86,400 tray ticks", before, after);
        // Every tick reached the adapter (the real timer may add a few); the
        // shell was handed each phase's new state once.
        EXPECT_GE(adapter_.answered - answered, kDayOfTicks);
        EXPECT_EQ(0, adapter_.failed);
        EXPECT_EQ(phases, CountedShell::Counts()[NIM_MODIFY] - modifies);
    });
    EXPECT_EQ(1, CountedShell::Counts()[NIM_ADD]);
    EXPECT_EQ(1, CountedShell::Counts()[NIM_DELETE]);
}

TEST_F(Endurance, AThousandSheetOpeningsLeaveHandlesGdiUserObjectsAndPrivateBytesFlat) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunAsXpWithoutWindowManager());
        return;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &SheetCycler::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "EnduranceSheetCycler";
    ASSERT_NE(0, ::RegisterClassA(&wc));
    SheetCycler cycler;
    cycler.window = ::CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    wc.hInstance, nullptr);
    ASSERT_NE(nullptr, cycler.window);
    g_cycler = &cycler;
    // The world in motion: a drifting signal for the meter, traffic for the graphs.
    ASSERT_TRUE(SimApplyDemoWorld());

    RunTray([&] {
        cycler.tray = Tray();
        auto cycle = [&](int i) {
            ::PostMessageA(cycler.window, kActMessage, static_cast<WPARAM>(i), 0);
            OpenSheet(); // returns when the sheet has closed
        };
        // Warm-up: every page shown, closed both ways.
        for (int i = 0; i < 8; ++i)
            cycle(i);
        PumpMessages();
        MeasureProcessResources();
        const int acted = cycler.acted, closes = adapter_.closes;
        const DWORD start = ::GetTickCount();
        ProcessResources before = MeasureProcessResources();

        for (int i = 0; i < kSheetCycles; ++i) {
            cycle(i);
            if ((i + 1) % 250 == 0) { // a slow machine shows its pace
                printf("%d openings in %lu ms\n", i + 1, ::GetTickCount() - start);
                fflush(stdout);
            }
        }
        PumpMessages();

        ProcessResources after = MeasureProcessResources();
        printf("%d sheet openings (%d pages shown, %d page timer ticks) in %lu ms\n",
               cycler.acted - acted, cycler.pagesShown, cycler.timerTicks,
               ::GetTickCount() - start);
        ExpectNoGrowth("1,000 sheet openings", before, after);
        EXPECT_EQ(kSheetCycles, cycler.acted - acted);
        EXPECT_EQ(nullptr, OpenSheetWindow());
        // Confirming with nothing changed applied nothing: the tray never stopped.
        EXPECT_EQ(closes, adapter_.closes);
        EXPECT_TRUE(MessageLog::Entries().empty());
    });
    g_cycler = nullptr;
    ::DestroyWindow(cycler.window);
    ::UnregisterClassA(wc.lpszClassName, wc.hInstance);
}
