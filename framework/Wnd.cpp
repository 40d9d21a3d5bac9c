#include "framework/Wnd.h"

namespace {
// The window property that leads a subclassed window back to its object.
const char kObjectProperty[] = "wavedesk.CWnd";
} // namespace

CWnd::~CWnd() {
    if (oldProc_)
        UnsubclassWindow();
}

void CWnd::GetWindowText(CString& out) const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0) {
        out.Empty();
        return;
    }
    char* buffer = out.GetBuffer(length + 1);
    int got = ::GetWindowTextA(m_hWnd, buffer, length + 1);
    out.ReleaseBuffer(got > 0 ? got : 0);
}

bool CWnd::SubclassDlgItem(int id, HWND parent) {
    return SubclassWindow(::GetDlgItem(parent, id));
}

bool CWnd::SubclassWindow(HWND window) {
    if (!window || m_hWnd)
        return false;
    if (!::SetPropA(window, kObjectProperty, this))
        return false;
    m_hWnd = window;
    oldProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return true;
}

HWND CWnd::UnsubclassWindow() {
    HWND window = m_hWnd;
    if (window && oldProc_) {
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
        ::RemovePropA(window, kObjectProperty);
    }
    oldProc_ = nullptr;
    m_hWnd = nullptr;
    return window;
}

LRESULT CWnd::WindowProc(UINT, WPARAM, LPARAM) {
    return Default();
}

LRESULT CWnd::Default() {
    if (oldProc_)
        return ::CallWindowProcA(oldProc_, m_hWnd, current_.message, current_.wParam,
                                 current_.lParam);
    current_.passOn = true;
    return 0;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = static_cast<CWnd*>(::GetPropA(window, kObjectProperty));
    if (!self)
        return ::DefWindowProcA(window, message, wParam, lParam);
    Message saved = self->current_;
    self->current_ = Message{message, wParam, lParam, false};
    LRESULT result = self->WindowProc(message, wParam, lParam);
    self->current_ = saved;
    if (message == WM_NCDESTROY && self->m_hWnd == window)
        self->UnsubclassWindow();
    return result;
}

void CComboBox::GetLBText(int index, CString& out) const {
    LRESULT length = ::SendMessageA(m_hWnd, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length <= 0) {
        out.Empty();
        return;
    }
    char* buffer = out.GetBuffer(static_cast<int>(length) + 1);
    LRESULT got = ::SendMessageA(m_hWnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
    out.ReleaseBuffer(got == CB_ERR ? 0 : static_cast<int>(got));
}

LRESULT CPaintedStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        if (dc)
            Paint(dc);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        return CStatic::WindowProc(message, wParam, lParam);
    }
}
