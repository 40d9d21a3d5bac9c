// CTrayIcon: one icon in the taskbar notification area. It adds, modifies
// and deletes the icon through the shell, keeps a table of images indexed by
// state and one tooltip, and routes the shell's callback message to its
// mouse handlers. While the icon is shown the owner window's user data
// (GWLP_USERDATA) points at the object: that is how the router finds it,
// and how a callback arriving while the icon is hidden is recognised.
// The object remembers what the calls that reached the shell left it
// showing, so that an update which would change nothing is not sent: under
// Wine every call copies the icon's bitmaps to the shell, which redraws.
#pragma once

#include <windows.h>

#include "framework/Array.h"
#include "framework/CString.h"
#include "tray/TrayIconRecord.h"

class CTrayIcon {
public:
    CTrayIcon() = default;
    // Leaves the notification area alone: whoever showed the icon hides it.
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Stores the owner window and the callback message; true.
    virtual bool Create(HWND owner, UINT callbackMessage);
    virtual void OnLButtonUp() {}
    virtual void OnRButtonUp() {}
    virtual void OnMouseMove() {}
    virtual void OnLButtonDblClk() {}

    // Stores `icon` (not owned) at `index`, growing the table with empty
    // entries. The next Update is sent whatever it shows.
    void SetIcon(int index, HICON icon);
    HICON GetIcon(int index) const;
    void SetTooltip(const CString& text) { tooltip_ = text; }
    const CString& Tooltip() const { return tooltip_; }

    // Adds the icon with table entry 0's image; false when already shown
    // (or never created).
    bool Show();
    // Deletes the icon; false when not shown.
    bool Hide();
    // Shows entry `index`'s image and the tooltip; nothing while hidden, and
    // nothing when the shell shows them already (an empty entry or tooltip
    // asks for no change).
    void Update(int index);
    // The shell started afresh and forgot its icons: adds ours again with
    // entry `index`'s image, when it is shown; updates compare with that.
    void ShowAgain(int index);

    bool IsShown() const { return shown_; }
    HWND Owner() const { return owner_; }
    // The id the shell knows the icon by: the object's address.
    UINT Id() const;

    // The owner's callback message: hands the mouse message (lParam) to the
    // object shown on `owner`; ignored when none is.
    static void RouteTrayNotify(HWND owner, WPARAM id, LPARAM mouseMessage);

private:
    void Fill(TrayIconRecord& record, int index) const;
    // Hands `record` to the shell and keeps what it shows now. A call that
    // fails leaves that unknown, so the next update is sent.
    void Notify(DWORD message, TrayIconRecord& record);

    HWND owner_ = nullptr;
    UINT callbackMessage_ = 0;
    Array<HICON> icons_;
    CString tooltip_;
    bool shown_ = false;
    // The image and tooltip the shell shows, when known.
    bool shellKnown_ = false;
    HICON shellIcon_ = nullptr;
    char shellTip_[kTooltipMaxBytes + 1] = {};
};
