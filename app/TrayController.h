// The tray controller: four operations on the process-wide tray objects
// that start and stop monitoring and open or close the property sheet. The
// tray dialog attaches itself, the adapter it watches and its icon when it
// initialises and detaches when its window goes; until then (and in a
// program without the tray) every operation does nothing.
//
//   Stopped: no icon, no timer, adapter closed.
//   Running: icon shown, timer 1 every 1000 ms, adapter open.
#pragma once

#include <windows.h>

#include "adapter/AdapterRecords.h"
#include "framework/CString.h"

class AdapterAccess;
class CAdapterTrayIcon;

// What the tray needs of the adapter: the adapter access object in the
// program, a stand-in in tests.
class TrayAdapter {
public:
    virtual ~TrayAdapter() = default;
    // True at once when already open.
    virtual bool Open(const char* filter) = 0;
    virtual void Close() = 0;
    virtual bool RefreshStatus() = 0;
    virtual const AdapterStatusSnapshot& Snapshot() const = 0;
    // The hardware identifier device events are matched against.
    virtual CString HardwareIdText() const = 0;
};

// The adapter access object as the tray sees it.
class AdapterAccessTray : public TrayAdapter {
public:
    explicit AdapterAccessTray(AdapterAccess& access) : access_(access) {}
    bool Open(const char* filter) override;
    void Close() override;
    bool RefreshStatus() override;
    const AdapterStatusSnapshot& Snapshot() const override;
    CString HardwareIdText() const override;

private:
    AdapterAccess& access_;
};

// The poll timer of the tray dialog.
constexpr UINT_PTR kPollTimerId = 1;
constexpr UINT kPollPeriodMs = 1000;

void AttachTray(HWND trayWindow, TrayAdapter* adapter, CAdapterTrayIcon* icon);
void DetachTray();

// Opens the adapter (string 58251 as the search text); only when it opens,
// shows the icon and sets the poll timer. Twice only re-arms the timer.
// True when the tray runs.
bool StartTray();
// Kills the poll timer, closes the adapter, hides the icon; each step is
// harmless when already done.
void StopTray();
// Runs the property sheet (Status, Configuration, Statistics, About) modally;
// while one runs, brings it to the foreground instead.
void OpenSheet();
// Asks the open sheet to close (posts IDCANCEL; a sheet still being built
// gets it once its window exists) and forgets it.
void CloseSheet();

// The open sheet's window, null when none is open.
HWND OpenSheetWindow();
