#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace {

// Dialog procedures return most results through DWLP_MSGRESULT; these few
// messages return theirs directly (SetDlgMsgResult's rule).
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

} // namespace

CDialog::CDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId_), parent_,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.m_bFailed ? FALSE : TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnCommand(WORD id, WORD, HWND) {
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

bool CDialog::OnNotify(NMHDR*, LRESULT*) {
    return false;
}

void CDialog::OnTimer(UINT_PTR) {
    Default();
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        break;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(reinterpret_cast<NMHDR*>(lParam), &result))
            return result;
        break;
    }
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    default:
        break;
    }
    return Default();
}

INT_PTR CDialog::Dispatch(CDialog* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!self)
        return FALSE; // messages before WM_INITDIALOG (WM_SETFONT) stay the system's
    if (message == WM_INITDIALOG) {
        self->m_hWnd = window;
        ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    Message saved = self->current_;
    self->current_ = Message{message, wParam, lParam, false};
    LRESULT result = self->WindowProc(message, wParam, lParam);
    bool passOn = self->current_.passOn;
    self->current_ = saved;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    if (passOn)
        return FALSE;
    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = message == WM_INITDIALOG
                        ? reinterpret_cast<CDialog*>(lParam)
                        : reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    return Dispatch(self, window, message, wParam, lParam);
}

// ---- data exchange ----

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = m_pDlgWnd->GetDlgItem(id);
    if (!control)
        m_bFailed = true;
    return control;
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND control = dx->PrepareCtrl(id);
    if (!control)
        return;
    if (dx->m_bSaveAndValidate) {
        int length = ::GetWindowTextLengthA(control);
        if (length <= 0) {
            value.Empty();
            return;
        }
        char* buffer = value.GetBuffer(length + 1);
        int got = ::GetWindowTextA(control, buffer, length + 1);
        value.ReleaseBuffer(got > 0 ? got : 0);
    } else {
        ::SetWindowTextA(control, value.c_str());
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (!control)
        return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_Check(CDataExchange* dx, int id, bool& value) {
    int state = value ? BST_CHECKED : BST_UNCHECKED;
    DDX_Check(dx, id, state);
    value = state == BST_CHECKED;
}

namespace {

bool IsRadioButton(HWND control) {
    LRESULT code = ::SendMessageA(control, WM_GETDLGCODE, 0, 0);
    return (code & DLGC_RADIOBUTTON) != 0;
}

} // namespace

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (!control)
        return;
    if (dx->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND button = control; button; button = ::GetWindow(button, GW_HWNDNEXT)) {
        if (button != control && (::GetWindowLongA(button, GWL_STYLE) & WS_GROUP))
            break;
        if (!IsRadioButton(button))
            continue;
        if (dx->m_bSaveAndValidate) {
            if (::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        } else {
            ::SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (!control)
        return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageA(control, CB_SETCURSEL, value, 0);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd)
        return;
    if (!control.SubclassDlgItem(id, dx->m_pDlgWnd->m_hWnd))
        dx->m_bFailed = true;
}
