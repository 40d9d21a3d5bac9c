#include "tray/TrayIcon.h"

#include <stdint.h>
#include <string.h>

#include "tray/ShellNotify.h"

namespace {

bool AnsiLeadByte(uint8_t byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

TrayIconRecord EmptyRecord(HWND owner, UINT id) {
    TrayIconRecord record;
    memset(&record, 0, sizeof record);
    record.size = sizeof record;
    record.window = owner;
    record.id = id;
    return record;
}

} // namespace

CTrayIcon::~CTrayIcon() = default;

bool CTrayIcon::Create(HWND owner, UINT callbackMessage) {
    owner_ = owner;
    callbackMessage_ = callbackMessage;
    return true;
}

void CTrayIcon::SetIcon(int index, HICON icon) {
    if (index < 0)
        return;
    if (static_cast<size_t>(index) >= icons_.size())
        icons_.resize(static_cast<size_t>(index) + 1, nullptr);
    icons_[static_cast<size_t>(index)] = icon;
    // A new image may reuse a destroyed one's handle value.
    shellKnown_ = false;
}

HICON CTrayIcon::GetIcon(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= icons_.size())
        return nullptr;
    return icons_[static_cast<size_t>(index)];
}

// The object's own address. The shell's id field is 32 bits wide: in the
// 64-bit build it takes the address's low half, which still tells this
// owner's one icon apart (the shell names an icon by window and id).
UINT CTrayIcon::Id() const {
    return static_cast<UINT>(reinterpret_cast<uintptr_t>(this) & 0xFFFFFFFFu);
}

void CTrayIcon::Fill(TrayIconRecord& record, int index) const {
    HICON icon = GetIcon(index);
    if (icon) {
        record.flags |= NIF_ICON;
        record.icon = icon;
    }
    if (!tooltip_.IsEmpty()) {
        record.flags |= NIF_TIP;
        CutTooltip(tooltip_.c_str(), &AnsiLeadByte, record.tip);
    }
}

void CTrayIcon::Notify(DWORD message, TrayIconRecord& record) {
    if (!ShellNotify(message, &record)) {
        shellKnown_ = false;
        return;
    }
    if (message == NIM_ADD) {
        // An icon added without an image or a tooltip has none.
        shellKnown_ = true;
        shellIcon_ = nullptr;
        shellTip_[0] = '\0';
    } else if ((record.flags & (NIF_ICON | NIF_TIP)) == (NIF_ICON | NIF_TIP)) {
        // Both set anew (a shell that timed out on the add may have taken it).
        shellKnown_ = true;
    }
    if (record.flags & NIF_ICON)
        shellIcon_ = record.icon;
    if (record.flags & NIF_TIP)
        memcpy(shellTip_, record.tip, sizeof shellTip_);
}

bool CTrayIcon::Show() {
    if (shown_ || !owner_)
        return false;
    ::SetWindowLongPtrA(owner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    TrayIconRecord record = EmptyRecord(owner_, Id());
    record.flags = NIF_MESSAGE;
    record.callbackMessage = callbackMessage_;
    Fill(record, 0);
    Notify(NIM_ADD, record);
    shown_ = true;
    return true;
}

bool CTrayIcon::Hide() {
    if (!shown_)
        return false;
    ::SetWindowLongPtrA(owner_, GWLP_USERDATA, 0);
    TrayIconRecord record = EmptyRecord(owner_, Id());
    ShellNotify(NIM_DELETE, &record);
    shown_ = false;
    shellKnown_ = false;
    return true;
}

void CTrayIcon::Update(int index) {
    if (!shown_)
        return;
    TrayIconRecord record = EmptyRecord(owner_, Id());
    Fill(record, index);
    bool newIcon = (record.flags & NIF_ICON) && record.icon != shellIcon_;
    bool newTip = (record.flags & NIF_TIP) && strcmp(record.tip, shellTip_) != 0;
    if (shellKnown_ && !newIcon && !newTip)
        return;
    Notify(NIM_MODIFY, record);
}

void CTrayIcon::ShowAgain(int index) {
    if (!shown_)
        return;
    TrayIconRecord record = EmptyRecord(owner_, Id());
    record.flags = NIF_MESSAGE;
    record.callbackMessage = callbackMessage_;
    Fill(record, index);
    Notify(NIM_ADD, record);
}

void CTrayIcon::RouteTrayNotify(HWND owner, WPARAM, LPARAM mouseMessage) {
    auto* icon = reinterpret_cast<CTrayIcon*>(::GetWindowLongPtrA(owner, GWLP_USERDATA));
    if (!icon)
        return;
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_MOUSEMOVE:
        icon->OnMouseMove();
        break;
    case WM_LBUTTONUP:
        icon->OnLButtonUp();
        break;
    case WM_LBUTTONDBLCLK:
        icon->OnLButtonDblClk();
        break;
    case WM_RBUTTONUP:
        icon->OnRButtonUp();
        break;
    default:
        break;
    }
}
