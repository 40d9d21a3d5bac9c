// CWnd: a non-owning holder of one window handle, and the subclassing that
// lets a C++ object see a control's messages before its own procedure does
// (the hex key edit, the throughput graph). CEdit, CStatic and CComboBox add
// the few control operations the pages use.
#pragma once

#include <windows.h>

#include "framework/CString.h"

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void GetWindowText(CString& out) const;
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }

    // Routes the messages of dialog control `id` (or of `window`) through
    // WindowProc until the window is destroyed or unsubclassed. False when
    // the control does not exist or this object already holds a window.
    bool SubclassDlgItem(int id, HWND parent);
    bool SubclassWindow(HWND window);
    // Gives the window its own procedure back; returns the handle.
    HWND UnsubclassWindow();

    HWND m_hWnd = nullptr;

protected:
    // Every message of a subclassed window; the default hands it on.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message being handled, handed to the window's own procedure now
    // (subclassed controls) or once the handler returns (dialogs, whose
    // system procedure runs after ours).
    LRESULT Default();

    // The message WindowProc is handling; saved and restored around nested
    // messages, so Default() always means the innermost one.
    struct Message {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        bool passOn = false; // dialogs: Default() was asked for
    };
    Message current_;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    WNDPROC oldProc_ = nullptr;
};

class CEdit : public CWnd {
public:
    void LimitText(int characters) { ::SendMessageA(m_hWnd, EM_LIMITTEXT, characters, 0); }
    int GetLimitText() const {
        return static_cast<int>(::SendMessageA(m_hWnd, EM_GETLIMITTEXT, 0, 0));
    }
    void SetPasswordChar(char c) { ::SendMessageA(m_hWnd, EM_SETPASSWORDCHAR, c, 0); }
    void SetSel(int start, int end) { ::SendMessageA(m_hWnd, EM_SETSEL, start, end); }
    void Clear() { ::SendMessageA(m_hWnd, WM_CLEAR, 0, 0); }
};

class CStatic : public CWnd {};

// A static control that draws its client area itself, for WM_PAINT and for
// WM_PRINTCLIENT alike.
class CPaintedStatic : public CStatic {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Draws the whole client area into `dc`.
    virtual void Paint(HDC dc) = 0;
};

class CComboBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(::SendMessageA(m_hWnd, CB_GETCOUNT, 0, 0)); }
    int GetCurSel() const { return static_cast<int>(::SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0)); }
    // Whole-text match, ignoring case, searching the whole list from `after`.
    int FindStringExact(int after, const char* text) const {
        return static_cast<int>(
            ::SendMessageA(m_hWnd, CB_FINDSTRINGEXACT, after, reinterpret_cast<LPARAM>(text)));
    }
    int InsertString(int index, const char* text) {
        return static_cast<int>(
            ::SendMessageA(m_hWnd, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text)));
    }
    void GetLBText(int index, CString& out) const;
    void LimitText(int characters) { ::SendMessageA(m_hWnd, CB_LIMITTEXT, characters, 0); }
};
