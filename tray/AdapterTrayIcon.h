// CAdapterTrayIcon: the utility's tray icon. Its table holds the adapter's
// states (0 connected, 1 not connected, 3 weak signal); a double-click opens
// the property sheet and the right button shows the tray menu.
#pragma once

#include "tray/TrayIcon.h"

class CAdapterTrayIcon : public CTrayIcon {
public:
    CAdapterTrayIcon() = default;
    ~CAdapterTrayIcon() override;

    // Stores owner and callback message, then loads the icon table (16 x 16
    // images of the program's resources; one that fails to load stays empty).
    bool Create(HWND owner, UINT callbackMessage) override;
    // The tray menu: "Open..." or "Exit".
    void OnRButtonUp() override;
    void OnLButtonDblClk() override;

    // Records the state and the tooltip and shows them.
    void SetState(int index, const CString& text);
    int CurrentIndex() const { return currentIndex_; }
    // The shell restarted: the icon comes back as it was.
    void OnTaskbarCreated() { ShowAgain(currentIndex_); }

private:
    void ReleaseIcons();

    int currentIndex_ = 0;
    Array<HICON> loaded_;
};
