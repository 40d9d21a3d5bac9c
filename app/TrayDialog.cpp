#include "app/TrayDialog.h"

#include "device/DeviceNotification.h"
#include "platform/ResourceText.h"
#include "res/resource.h"
#include "tray/TrayState.h"

// ---- CTrayDlg ----

CTrayDlg::CTrayDlg(TrayAdapter& adapter) : CDialog(IDD_TRAY), adapter_(adapter) {}

BOOL CTrayDlg::OnInitDialog() {
    bigIcon_ = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APP));
    CDialog::OnInitDialog();
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));

    // The title is what a second copy looks for.
    SetWindowText(LoadResourceText(IDS_APP_TITLE).c_str());
    // Off the taskbar, and out of sight (kept hidden as well: WindowProc).
    LONG exStyle = ::GetWindowLongA(m_hWnd, GWL_EXSTYLE);
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, (exStyle & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
    ::MoveWindow(m_hWnd, 0, 0, 0, 0, TRUE);

    // A shell that starts afresh broadcasts this; the icon is added again.
    taskbarCreated_ = ::RegisterWindowMessageA("TaskbarCreated");

    if (IsWindowsNt5OrLater())
        RegisterAdapterNotification(m_hWnd);
    trayIcon_.Create(m_hWnd, WM_TRAY_NOTIFY);
    AttachTray(m_hWnd, &adapter_, &trayIcon_);
    StartTray();
    return TRUE;
}

void CTrayDlg::OnTimer(UINT_PTR id) {
    CDialog::OnTimer(id);
    // A failed query leaves the previous snapshot, which the tick shows.
    adapter_.RefreshStatus();
    TrayState state =
        ChooseTrayState(adapter_.Snapshot(), LoadResourceText(IDS_TOOLTIP_PREFIX).c_str());
    trayIcon_.SetState(state.iconIndex, state.tooltip);
}

LRESULT CTrayDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    CTrayIcon::RouteTrayNotify(m_hWnd, wParam, lParam);
    return 0;
}

void CTrayDlg::OnExit() {
    if (IsWindowsNt5OrLater())
        UnregisterAdapterNotification();
    StopStartRetries();
    // An exit that did not come through the tray menu may find the sheet
    // still open; its modal loop would keep the program alive.
    CloseSheet();
    StopTray();
    EndDialog(1);
}

BOOL CTrayDlg::OnHelpInfo(HELPINFO*) {
    return FALSE;
}

void CTrayDlg::OnPowerBroadcast(WPARAM event) {
    switch (event) {
    case PBT_APMQUERYSUSPEND:
        StopStartRetries();
        CloseSheet();
        StopTray();
        ::OutputDebugStringA("Going to suspend/hibernate now\n");
        break;
    case PBT_APMQUERYSUSPENDFAILED:
        // A program refused the suspend: the system stays up, and so does
        // the tray that stopped for the query.
        StartTray();
        ::OutputDebugStringA("Suspend/hibernate refused\n");
        break;
    case PBT_APMRESUMESUSPEND:
        StartTray();
        ::OutputDebugStringA("Resume from suspend/hibernate\n");
        break;
    default:
        break;
    }
}

void CTrayDlg::OnDeviceChange(WPARAM event, LPARAM record) {
    switch (ClassifyDeviceChange(adapter_.HardwareIdText().c_str(), event, record)) {
    case kDeviceChangeArrival:
        StartAfterArrival();
        break;
    case kDeviceChangeRemoval:
        StopStartRetries();
        CloseSheet();
        StopTray();
        break;
    case kDeviceChangeOther:
        break;
    }
}

void CTrayDlg::StartAfterArrival() {
    StopStartRetries();
    if (StartTray())
        return;
    // The device is announced before its driver takes requests: try again
    // on the next ticks, for a while, then give up without a word.
    startRetriesLeft_ = kStartRetries;
    ::SetTimer(m_hWnd, kStartRetryTimerId, kStartRetryPeriodMs, nullptr);
}

void CTrayDlg::OnStartRetry() {
    if (startRetriesLeft_ <= 0) {
        StopStartRetries();
        return;
    }
    --startRetriesLeft_;
    if (StartTray() || startRetriesLeft_ == 0)
        StopStartRetries();
}

void CTrayDlg::StopStartRetries() {
    startRetriesLeft_ = 0;
    if (m_hWnd)
        ::KillTimer(m_hWnd, kStartRetryTimerId);
}

LRESULT CTrayDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The message map, in its order; the start retry's timer is not a poll.
    switch (message) {
    case WM_TIMER:
        if (wParam == kStartRetryTimerId)
            OnStartRetry();
        else
            OnTimer(wParam);
        return 0;
    case WM_TRAY_NOTIFY:
        return OnTrayNotify(wParam, lParam);
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_TRAY_EXIT) {
            OnExit();
            return 0;
        }
        if (LOWORD(wParam) == ID_TRAY_OPEN)
            return 0;
        break;
    case WM_HELP:
        return OnHelpInfo(reinterpret_cast<HELPINFO*>(lParam));
    case WM_WINDOWPOSCHANGING:
        // The modal loop shows the dialog once its queue is first empty, and
        // a shell's taskbar lists every visible unowned window whatever its
        // style: the dialog stays hidden. Broadcasts and FindWindowA still
        // reach a hidden top-level window.
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        break;
    default:
        break;
    }
    // Power and device events, then the default handling in every case: a
    // suspend request is granted as the default grants it.
    if (message == WM_POWERBROADCAST)
        OnPowerBroadcast(wParam);
    else if (message == WM_DEVICECHANGE)
        OnDeviceChange(wParam, lParam);
    else if (message == taskbarCreated_ && taskbarCreated_ != 0)
        trayIcon_.OnTaskbarCreated();
    else if (message == WM_DESTROY)
        DetachTray();
    return CDialog::WindowProc(message, wParam, lParam);
}

// ---- CConfigApp ----

namespace {

// The instance mutex, held until the tray dialog's run ends.
struct InstanceMutex {
    InstanceMutex() : handle(::CreateMutexA(nullptr, FALSE, kSingleInstanceMutex)) {
        another = handle && ::GetLastError() == ERROR_ALREADY_EXISTS;
    }
    ~InstanceMutex() {
        if (handle)
            ::CloseHandle(handle);
    }
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;
    HANDLE handle;
    bool another = false;
};

} // namespace

BOOL CConfigApp::InitInstance() {
    Enable3dControls();
    // Two copies started together both pass the title test below, before
    // either has its window; the mutex, made before any window, tells them
    // apart. A mutex that cannot be made leaves the title test alone.
    InstanceMutex instance;
    if (instance.another)
        return FALSE;
    // The tray dialog, or the open sheet, of a running copy bears this title.
    CString title = LoadResourceText(IDS_APP_TITLE);
    if (::FindWindowA(nullptr, title.c_str()))
        return FALSE;
    m_pMainWnd = &trayDialog_;
    trayDialog_.DoModal();
    return FALSE;
}

void CConfigApp::WinHelp(DWORD_PTR, UINT) {}
