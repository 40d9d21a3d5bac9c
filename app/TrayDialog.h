// The application shell: the application object and the hidden tray dialog
// that is the program's main window. The dialog owns the tray icon, the
// one-second poll, the tray callback message and the handling of power and
// device events; everything the utility does runs from its messages.
#pragma once

#include <windows.h>

#include "app/TrayController.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "tray/AdapterTrayIcon.h"

// The tray icon's callback message.
constexpr UINT WM_TRAY_NOTIFY = WM_USER + 300;
static_assert(WM_TRAY_NOTIFY == 1324, "tray callback message");

// Held by the running copy from before its first window exists.
constexpr char kSingleInstanceMutex[] = "VELNORA KX750 Configuration Utility (one copy)";

// After an arrival whose adapter cannot be opened yet, the tray tries to
// start again on this timer's ticks, so many times, then gives up.
constexpr UINT_PTR kStartRetryTimerId = 3;
constexpr UINT kStartRetryPeriodMs = 1000;
constexpr int kStartRetries = 10;

class CTrayDlg : public CDialog {
public:
    // `adapter` is the adapter the tray watches; it outlives the dialog.
    explicit CTrayDlg(TrayAdapter& adapter);

    CAdapterTrayIcon& TrayIcon() { return trayIcon_; }
    HICON BigIcon() const { return bigIcon_; }

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape (and the close box) never end the tray: only "Exit" does.
    void OnOK() override {}
    void OnCancel() override {}
    void DoDataExchange(CDataExchange*) override {}
    void OnTimer(UINT_PTR id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnExit();
    BOOL OnHelpInfo(HELPINFO* info);
    void OnPowerBroadcast(WPARAM event);
    void OnDeviceChange(WPARAM event, LPARAM record);
    // Starts the tray for an arrived adapter, retrying on the next ticks
    // while it cannot be opened yet.
    void StartAfterArrival();
    void OnStartRetry();
    void StopStartRetries();

    TrayAdapter& adapter_;
    CAdapterTrayIcon trayIcon_;
    HICON bigIcon_ = nullptr;
    UINT taskbarCreated_ = 0;
    int startRetriesLeft_ = 0;
};

class CConfigApp : public CWinApp {
public:
    explicit CConfigApp(CTrayDlg& trayDialog) : trayDialog_(trayDialog) {}

    // Ends a second copy silently (another holds the instance mutex, or a
    // window bears the title); otherwise runs the tray dialog until "Exit".
    // Always false: the framework runs no message loop of its own.
    BOOL InitInstance() override;
    // No help file.
    void WinHelp(DWORD_PTR data, UINT command) override;

private:
    CTrayDlg& trayDialog_;
};
