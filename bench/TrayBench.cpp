// traybench: what the running tray costs, each figure against a baseline
// measured in the same run.
//   1. CPU time of one poll tick (the tray dialog's WM_TIMER: the status
//      refresh, and the icon and tooltip handed to the shell when they
//      changed) against a bare DeviceIoControl of the same status request,
//      from GetProcessTimes over blocks of each, interleaved. The usual tick
//      finds the state unchanged and leaves the shell alone; a tick whose
//      state changed (forced here) is timed as well.
//   2. Time from start to icon: wavedesk.exe started until its tray dialog's
//      user data is set (the icon is shown), against mindlg.exe (one dialog,
//      one timer, built beside it) started until its window shows.
//   3. Idle CPU of a running wavedesk.exe (its threads' times read from
//      here) over 60 s, against the 60 s and against mindlg.exe's beside
//      it. Wine counts thread times in 10 ms steps: over 30 s one step is
//      0.033 % of a core, a third of the goal.
//   4. Private bytes of the running wavedesk.exe against the running mindlg.exe.
// Needs wavedesk.exe, mindlg.exe, NXLIB32.dll and NXPROTO.SYS beside it; it
// installs the simulated adapter itself (scripts/traybench.sh runs it).
//
//   traybench [idle-seconds]
#include <windows.h>

#include <psapi.h>
#include <stdio.h>
#include <tlhelp32.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "adapter/AdapterAccess.h"
#include "app/TrayDialog.h"
#include "bench/BenchSupport.h"
#include "bench/MinDialog.h"
#include "res/resource.h"
#include "sim/SimControl.h"
#include "tray/ShellNotify.h"

namespace {

// Blocks long enough that the 10 ms steps in which Wine counts CPU time
// stay small against each: a tick that hands the shell its state costs some
// 0.4 ms, a request or a tick that leaves the shell alone some 0.05 ms.
const int kRounds = 10;
const int kTicksPerBlock = 200;
const int kCheapPerBlock = 1000;
const int kStarts = 5;
const double kTickGoalMs = 0.5;
const double kIdleGoalPercent = 0.1;
const double kIdleGoalRatio = 3; // to the minimal dialog program
const double kPrivateBytesGoal = 1.5;

double Seconds(const FILETIME& kernel, const FILETIME& user) {
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return static_cast<double>(k.QuadPart + u.QuadPart) / 1e7;
}

// User plus kernel time of this process, in seconds; -1 when it cannot be read.
double OwnCpuSeconds() {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user))
        return -1;
    return Seconds(kernel, user);
}

// The same of another process, as the sum of its threads' times: Wine
// answers GetProcessTimes for another process with the caller's own times,
// but each thread's with that thread's. (A thread that ends between two
// readings takes its time with it; the programs measured keep theirs.)
double CpuSecondsOf(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    double sum = -1;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != pid)
            continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread)
            continue;
        FILETIME created, ended, kernel, user;
        if (GetThreadTimes(thread, &created, &ended, &kernel, &user))
            sum = (sum < 0 ? 0 : sum) + Seconds(kernel, user);
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return sum;
}

// Private bytes of `process` (psapi, looked up at run time): PrivateUsage
// where the system fills it, else the commit charge (PagefileUsage), which
// is the same figure; 0 when neither can be read.
SIZE_T PrivateBytes(HANDLE process) {
    typedef BOOL(WINAPI * MemoryInfoProc)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
    static MemoryInfoProc memoryInfo = [] {
        HMODULE psapi = LoadLibraryA("psapi.dll");
        return psapi ? reinterpret_cast<MemoryInfoProc>(
                           reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")))
                     : nullptr;
    }();
    if (!memoryInfo)
        return 0;
    PROCESS_MEMORY_COUNTERS_EX c;
    ZeroMemory(&c, sizeof c);
    c.cb = sizeof c;
    auto* basic = reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c);
    if (!memoryInfo(process, basic, sizeof c)) {
        c.cb = sizeof *basic;
        if (!memoryInfo(process, basic, sizeof *basic))
            return 0;
        c.PrivateUsage = 0;
    }
    return c.PrivateUsage ? c.PrivateUsage : c.PagefileUsage;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Ratio(double value, double baseline) {
    return baseline > 0 ? value / baseline : 0;
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

std::string BinDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\'));
}

// ---- 1. the tick, in this process ----

// The shell, with the calls that reach it counted.
int g_shellCalls = 0;
BOOL WINAPI CountedShell(DWORD message, TrayIconRecord* record) {
    ++g_shellCalls;
    return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(record));
}

struct TickFigures {
    bool ran = false;
    int failed = 0;
    int unchangedShellCalls = 0; // by the ticks that found their state unchanged
    double changedCpu = 0, tickCpu = 0, bareCpu = 0; // seconds, all blocks
    double changedWall = 0, tickWall = 0, bareWall = 0;
};

struct TickBench {
    CTrayDlg* dialog = nullptr;
    TickFigures figures;
};
TickBench g_tick;

void CALLBACK MeasureTicks(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND tray = g_tick.dialog->m_hWnd;
    AdapterAccess& access = GetAdapterAccess();
    TickFigures& f = g_tick.figures;
    if (access.IsOpen()) {
        f.ran = true;
        HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        AdapterStatusSnapshot bare;
        CAdapterTrayIcon& icon = g_tick.dialog->TrayIcon();
        // Interleaved blocks, so that a change in the machine's load hits
        // all three alike; round -1 warms up.
        for (int round = -1; round < kRounds; ++round) {
            double c0 = OwnCpuSeconds(), w0 = Now();
            for (int i = 0; i < kTicksPerBlock; ++i) {
                // Setting an entry again makes the next tick hand the shell
                // its state, as after a change.
                icon.SetIcon(icon.CurrentIndex(), icon.GetIcon(icon.CurrentIndex()));
                SendMessageA(tray, WM_TIMER, kPollTimerId, 0);
            }
            double c1 = OwnCpuSeconds(), w1 = Now();
            int calls = g_shellCalls;
            for (int i = 0; i < kCheapPerBlock; ++i)
                SendMessageA(tray, WM_TIMER, kPollTimerId, 0);
            double c2 = OwnCpuSeconds(), w2 = Now();
            // Any call here is a real change: the simulated signal drifts.
            if (round >= 0)
                f.unchangedShellCalls += g_shellCalls - calls;
            for (int i = 0; i < kCheapPerBlock; ++i)
                f.failed += BareStatusRequest(access.Handle(), event, &bare) ? 0 : 1;
            double c3 = OwnCpuSeconds(), w3 = Now();
            if (round < 0)
                continue;
            f.changedCpu += c1 - c0;
            f.tickCpu += c2 - c1;
            f.bareCpu += c3 - c2;
            f.changedWall += w1 - w0;
            f.tickWall += w2 - w1;
            f.bareWall += w3 - w2;
        }
        CloseHandle(event);
    }
    PostMessageA(tray, WM_COMMAND, ID_TRAY_EXIT, 0);
}

bool BenchTick() {
    AdapterAccessTray trayAdapter(GetAdapterAccess());
    CTrayDlg dialog(trayAdapter);
    g_tick.dialog = &dialog;
    SetTimer(nullptr, 0, 1, &MeasureTicks);
    ShellNotifyProc previous = SetShellNotifyProc(&CountedShell);
    dialog.DoModal();
    SetShellNotifyProc(previous);
    const TickFigures& f = g_tick.figures;
    if (!f.ran) {
        fprintf(stderr, "traybench: the tray did not open the adapter\n");
        return false;
    }
    const double n = kRounds * kTicksPerBlock, m = kRounds * kCheapPerBlock;
    const double changed = f.changedCpu / n * 1e3, tick = f.tickCpu / m * 1e3,
                 bare = f.bareCpu / m * 1e3;
    printf("1. CPU per tick (GetProcessTimes; %d rounds of %d ticks with a change, %d ticks, "
           "%d bare requests)\n",
           kRounds, kTicksPerBlock, kCheapPerBlock, kCheapPerBlock);
    printf("   bare status request:        %.3f ms CPU (%.3f ms wall)\n", bare,
           f.bareWall / m * 1e3);
    printf("   tick, state unchanged:      %.3f ms CPU (%.3f ms wall)  ratio %.2f to the bare "
           "request; %d shell calls in %d such ticks\n",
           tick, f.tickWall / m * 1e3, Ratio(tick, bare), f.unchangedShellCalls,
           kRounds * kCheapPerBlock);
    printf("   tick with a change (shell): %.3f ms CPU (%.3f ms wall)  ratio %.2f\n", changed,
           f.changedWall / n * 1e3, Ratio(changed, bare));
    printf("   goal: a tick (state unchanged) costs at most %.1f ms of CPU: %s\n", kTickGoalMs,
           Verdict(tick <= kTickGoalMs));
    if (f.failed)
        printf("   (%d bare requests failed)\n", f.failed);
    return f.failed == 0;
}

// ---- 2..4. the running programs ----

struct Program {
    HANDLE process = nullptr;
    DWORD pid = 0;
    double started = 0;
};

Program Start(const char* name) {
    Program p;
    std::string line = "\"" + BinDir() + "\\" + name + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    p.started = Now();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return p;
    CloseHandle(pi.hThread);
    p.process = pi.hProcess;
    p.pid = pi.dwProcessId;
    return p;
}

struct WindowSearch {
    DWORD pid;
    const char* title;
    HWND found;
};

BOOL CALLBACK FindTitled(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if (pid == s->pid && strcmp(text, s->title) == 0) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WindowOf(const Program& p, const char* title) {
    WindowSearch s = {p.pid, title, nullptr};
    EnumWindows(&FindTitled, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// Seconds from the start until `ready` holds for the program's window
// titled `title`; -1 when it ends first or 30 s pass.
template <typename Ready> double WaitFor(const Program& p, const char* title, Ready ready) {
    for (;;) {
        HWND w = WindowOf(p, title);
        if (w && ready(w))
            return Now() - p.started;
        if (Now() - p.started > 30 || WaitForSingleObject(p.process, 1) == WAIT_OBJECT_0)
            return -1;
    }
}

std::string TrayTitle() {
    char title[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_APP_TITLE, title, sizeof title);
    return title;
}

// The tray dialog's user data is set exactly while the icon is shown.
double WaitForIcon(const Program& p) {
    return WaitFor(p, TrayTitle().c_str(),
                   [](HWND w) { return GetWindowLongPtrA(w, GWLP_USERDATA) != 0; });
}

double WaitForDialog(const Program& p) {
    return WaitFor(p, MINDLG_TITLE, [](HWND w) { return IsWindowVisible(w) != FALSE; });
}

// Ends the program as its user would ("Exit", or closing the dialog).
void End(Program& p, bool tray) {
    if (!p.process)
        return;
    HWND w = WindowOf(p, tray ? TrayTitle().c_str() : MINDLG_TITLE);
    if (w)
        PostMessageA(w, tray ? WM_COMMAND : WM_CLOSE, tray ? ID_TRAY_EXIT : 0, 0);
    if (WaitForSingleObject(p.process, 20000) != WAIT_OBJECT_0)
        TerminateProcess(p.process, 1);
    CloseHandle(p.process);
    p.process = nullptr;
}

bool BenchStart() {
    std::vector<double> tray, dialog;
    // Start -1 warms up (the first start loads the driver and fills the caches).
    for (int run = -1; run < kStarts; ++run) {
        Program w = Start("wavedesk.exe");
        double icon = w.process ? WaitForIcon(w) : -1;
        End(w, true);
        Program m = Start("mindlg.exe");
        double shown = m.process ? WaitForDialog(m) : -1;
        End(m, false);
        if (icon < 0 || shown < 0) {
            fprintf(stderr, "traybench: %s did not come up\n", icon < 0 ? "wavedesk" : "mindlg");
            return false;
        }
        if (run >= 0) {
            tray.push_back(icon);
            dialog.push_back(shown);
        }
    }
    double t = Median(tray) * 1e3, d = Median(dialog) * 1e3;
    printf("2. Start to icon (median of %d starts each, alternating)\n", kStarts);
    printf("   mindlg.exe, start to its window:    %.0f ms\n", d);
    printf("   wavedesk.exe, start to its icon:    %.0f ms  ratio %.2f\n", t, Ratio(t, d));
    return true;
}

bool BenchIdle(int seconds) {
    Program w = Start("wavedesk.exe");
    Program m = Start("mindlg.exe");
    bool up = w.process && m.process && WaitForIcon(w) >= 0 && WaitForDialog(m) >= 0;
    if (!up) {
        fprintf(stderr, "traybench: the programs did not come up\n");
        End(w, true);
        End(m, false);
        return false;
    }
    Sleep(2000); // past the first ticks
    double w0 = CpuSecondsOf(w.pid), m0 = CpuSecondsOf(m.pid), t0 = Now();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    double w1 = CpuSecondsOf(w.pid), m1 = CpuSecondsOf(m.pid), t1 = Now();
    SIZE_T wBytes = PrivateBytes(w.process), mBytes = PrivateBytes(m.process);
    bool stillRunning = WaitForSingleObject(w.process, 0) == WAIT_TIMEOUT &&
                        WaitForSingleObject(m.process, 0) == WAIT_TIMEOUT;
    End(w, true);
    End(m, false);

    double span = t1 - t0;
    double wCpu = w1 - w0, mCpu = m1 - m0;
    printf("3. Idle CPU over %.1f s (their threads' times read from here; since their start: "
           "wavedesk.exe %.0f ms, mindlg.exe %.0f ms)\n",
           span, w1 * 1e3, m1 * 1e3);
    printf("   wavedesk.exe: %.0f ms CPU, ratio %.5f to the span = %.3f %% of a core\n", wCpu * 1e3,
           Ratio(wCpu, span), Ratio(wCpu, span) * 100);
    printf("   mindlg.exe:   %.0f ms CPU, ratio %.5f to the span = %.3f %% of a core\n", mCpu * 1e3,
           Ratio(mCpu, span), Ratio(mCpu, span) * 100);
    printf("   goal: idle at most %.1f %% of a core: %s\n", kIdleGoalPercent,
           Verdict(Ratio(wCpu, span) * 100 <= kIdleGoalPercent));
    if (mCpu > 0)
        printf("   goal: idle at most %.0f x mindlg.exe's: %s (ratio %.2f)\n", kIdleGoalRatio,
               Verdict(wCpu <= kIdleGoalRatio * mCpu), Ratio(wCpu, mCpu));
    else
        printf("   goal: idle at most %.0f x mindlg.exe's: no figure (mindlg.exe used no "
               "CPU that Wine counts; a longer span tells)\n",
               kIdleGoalRatio);
    printf("4. Private bytes, both running\n");
    printf("   mindlg.exe:   %lu\n", static_cast<unsigned long>(mBytes));
    printf("   wavedesk.exe: %lu  ratio %.2f\n", static_cast<unsigned long>(wBytes),
           Ratio(static_cast<double>(wBytes), static_cast<double>(mBytes)));
    printf("   goal: at most %.1f x the minimal dialog program: %s\n", kPrivateBytesGoal,
           Verdict(Ratio(static_cast<double>(wBytes), static_cast<double>(mBytes)) <=
                   kPrivateBytesGoal));
    if (!stillRunning)
        fprintf(stderr, "traybench: a program ended during the idle span\n");
    return stillRunning && w0 >= 0 && m0 >= 0 && wBytes && mBytes;
}

} // namespace

int main(int argc, char** argv) {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExA(&v);
    if (v.dwMajorVersion != 5)
        return RerunAsWindowsXp("traybench.exe");
    int idleSeconds = argc > 1 ? atoi(argv[1]) : 60;
    if (idleSeconds <= 0)
        idleSeconds = 60;

    if (!SetWindowsXp("wavedesk.exe") || !SimInstallAdapter()) {
        fprintf(stderr, "traybench: simulated installation failed: %s\n", SimLastFailure());
        return 1;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    bool ok = BenchTick();
    GetAdapterAccess().Close();
    ok = BenchStart() && ok;
    ok = BenchIdle(idleSeconds) && ok;
    return ok ? 0 : 1;
}
