#include "ui/HexKeyEdit.h"

#include "framework/UserMessage.h"
#include "ui/PageIds.h"

namespace {

bool IsAcceptedChar(WPARAM ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F') ||
           ch < 27; // backspace and the Ctrl shortcuts (copy, paste, cut, ...)
}

} // namespace

LRESULT CHexKeyEdit::WindowProc(UINT message, WPARAM wParam, LPARAM) {
    if ((message == WM_PASTE || message == WM_CHAR) && placeholderShown)
        ClearPlaceholder();
    else if (message == WM_SHOWWINDOW)
        ::SetWindowLongA(m_hWnd, GWL_STYLE, ::GetWindowLongA(m_hWnd, GWL_STYLE) | ES_PASSWORD);

    switch (message) {
    case WM_CHAR:
        OnChar(wParam);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown();
        return 0;
    default:
        return Default();
    }
}

void CHexKeyEdit::OnChar(WPARAM ch) {
    if (placeholderShown)
        ClearPlaceholder();
    if (!hexOnly || IsAcceptedChar(ch)) {
        Default(); // ES_UPPERCASE turns a-f into A-F
        return;
    }
    UserBeep(MB_ICONHAND);
}

void CHexKeyEdit::OnKeyDown(WPARAM key) {
    Default();
    if (key == VK_END || key == VK_HOME || key == VK_LEFT || key == VK_RIGHT)
        NotifyCaret();
}

void CHexKeyEdit::OnLButtonDown() {
    Default();
    NotifyCaret();
}

void CHexKeyEdit::ClearPlaceholder() {
    // The whole placeholder goes, wherever the caret or selection was.
    SetSel(0, -1);
    Clear();
    SetWindowText("");
    ::UpdateWindow(m_hWnd);
}

void CHexKeyEdit::NotifyCaret() {
    ::SendMessageA(::GetParent(m_hWnd), WM_HEXKEY_CARET, 0, 0);
}
