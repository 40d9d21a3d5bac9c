#include "app/TrayController.h"

#include "adapter/AdapterAccess.h"
#include "platform/ResourceText.h"
#include "res/resource.h"
#include "tray/AdapterTrayIcon.h"
#include "ui/DlgPPageAbout.h"
#include "ui/DlgPPageConfig.h"
#include "ui/DlgPPageStatistics.h"
#include "ui/DlgPPageStatus.h"
#include "ui/DlgPSheet.h"

namespace {

struct Tray {
    HWND window = nullptr;
    TrayAdapter* adapter = nullptr;
    CAdapterTrayIcon* icon = nullptr;
};

Tray g_tray;
CDlgPSheet* g_openSheet = nullptr;

} // namespace

bool AdapterAccessTray::Open(const char* filter) {
    return access_.Open(filter);
}

void AdapterAccessTray::Close() {
    access_.Close();
}

bool AdapterAccessTray::RefreshStatus() {
    return access_.RefreshStatus();
}

const AdapterStatusSnapshot& AdapterAccessTray::Snapshot() const {
    return access_.Snapshot();
}

CString AdapterAccessTray::HardwareIdText() const {
    return access_.HardwareIdText();
}

void AttachTray(HWND trayWindow, TrayAdapter* adapter, CAdapterTrayIcon* icon) {
    g_tray.window = trayWindow;
    g_tray.adapter = adapter;
    g_tray.icon = icon;
}

void DetachTray() {
    g_tray = Tray();
}

bool StartTray() {
    if (!g_tray.adapter)
        return false;
    CString filter = LoadResourceText(IDS_ADAPTER_DESCRIPTION);
    if (!g_tray.adapter->Open(filter.c_str()))
        return false;
    if (g_tray.icon)
        g_tray.icon->Show();
    if (g_tray.window)
        ::SetTimer(g_tray.window, kPollTimerId, kPollPeriodMs, nullptr);
    return true;
}

void StopTray() {
    if (g_tray.window)
        ::KillTimer(g_tray.window, kPollTimerId);
    if (g_tray.adapter)
        g_tray.adapter->Close();
    if (g_tray.icon)
        g_tray.icon->Hide();
}

void OpenSheet() {
    if (g_openSheet) {
        ::SetForegroundWindow(g_openSheet->m_hWnd);
        return;
    }
    CDlgPPageStatus status;
    CDlgPPageConfig config;
    CDlgPPageStatistics statistics;
    CDlgPPageAbout about;
    CDlgPSheet sheet(IDS_APP_TITLE, nullptr, 0);
    g_openSheet = &sheet;
    sheet.AddPage(&status);
    sheet.AddPage(&config);
    sheet.AddPage(&statistics);
    sheet.AddPage(&about);
    sheet.DoModal();
    // A sheet that was asked to close has been forgotten already, and
    // another may have opened since.
    if (g_openSheet == &sheet)
        g_openSheet = nullptr;
}

void CloseSheet() {
    if (!g_openSheet)
        return;
    // A sheet still being built gets the request as soon as its window exists.
    g_openSheet->RequestClose();
    g_openSheet = nullptr;
}

HWND OpenSheetWindow() {
    return g_openSheet ? g_openSheet->m_hWnd : nullptr;
}
