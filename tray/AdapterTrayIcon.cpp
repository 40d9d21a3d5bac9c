#include "tray/AdapterTrayIcon.h"

#include "app/TrayController.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "res/resource.h"
#include "tray/TrayState.h"

namespace {

// TPM_RETURNCMD | TPM_NONOTIFY | TPM_VCENTERALIGN | TPM_RIGHTBUTTON: the
// choice comes back as the result, no WM_COMMAND is sent.
const UINT kTrayMenuFlags = 0x0192;
static_assert(kTrayMenuFlags == (TPM_RETURNCMD | TPM_NONOTIFY | TPM_VCENTERALIGN | TPM_RIGHTBUTTON),
              "tray menu flags");

struct MenuHolder {
    explicit MenuHolder(HMENU m) : menu(m) {}
    ~MenuHolder() {
        if (menu)
            ::DestroyMenu(menu);
    }
    MenuHolder(const MenuHolder&) = delete;
    MenuHolder& operator=(const MenuHolder&) = delete;
    HMENU menu;
};

// The window the exit command goes to: the application's main window (the
// tray dialog), else the icon's owner.
HWND ExitTarget(HWND owner) {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
        return app->m_pMainWnd->m_hWnd;
    return owner;
}

} // namespace

CAdapterTrayIcon::~CAdapterTrayIcon() {
    ReleaseIcons();
}

void CAdapterTrayIcon::ReleaseIcons() {
    for (HICON icon : loaded_) {
        if (icon)
            ::DestroyIcon(icon);
    }
    loaded_.clear();
}

bool CAdapterTrayIcon::Create(HWND owner, UINT callbackMessage) {
    CTrayIcon::Create(owner, callbackMessage);
    ReleaseIcons();
    const struct {
        int index;
        UINT resource;
    } table[] = {{kTrayIconConnected, IDI_LINK_GOOD},
                 {kTrayIconDisconnected, IDI_LINK_NONE},
                 {kTrayIconUnused, 0},
                 {kTrayIconWeakSignal, IDI_LINK_WEAK}};
    for (const auto& entry : table) {
        HICON icon = nullptr;
        if (entry.resource) {
            icon = static_cast<HICON>(::LoadImageA(
                AfxGetResourceHandle(), MAKEINTRESOURCEA(entry.resource), IMAGE_ICON, 16, 16, 0));
            loaded_.push_back(icon);
        }
        SetIcon(entry.index, icon);
    }
    return true;
}

void CAdapterTrayIcon::SetState(int index, const CString& text) {
    currentIndex_ = index;
    SetTooltip(text);
    Update(index);
}

void CAdapterTrayIcon::OnLButtonDblClk() {
    OpenSheet();
}

void CAdapterTrayIcon::OnRButtonUp() {
    MenuHolder menu(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_TRAY_MENU)));
    HMENU popup = menu.menu ? ::GetSubMenu(menu.menu, 0) : nullptr;
    if (!popup)
        return;
    POINT at = {};
    ::GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(Owner());
    UINT chosen =
        static_cast<UINT>(::TrackPopupMenu(popup, kTrayMenuFlags, at.x, at.y, 0, Owner(), nullptr));
    // The documented companion of the foreground above: a message for the
    // owner, so that the next click elsewhere closes a menu opened again.
    ::PostMessageA(Owner(), WM_NULL, 0, 0);
    if (chosen == ID_TRAY_EXIT) {
        CloseSheet();
        Hide();
        ::PostMessageA(ExitTarget(Owner()), WM_COMMAND, ID_TRAY_EXIT, 0);
    } else if (chosen == ID_TRAY_OPEN) {
        OpenSheet();
    }
}
