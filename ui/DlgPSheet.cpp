#include "ui/DlgPSheet.h"

#include "ui/PageIds.h"

namespace {

// Moves `button` so that its left edge lies at `left` (sheet client
// coordinates); size and vertical position stay.
void MoveButtonLeftTo(HWND sheet, HWND button, int left) {
    RECT r;
    ::GetWindowRect(button, &r);
    ::MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowPos(button, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(button, nullptr, TRUE);
}

int ButtonWidth(HWND button) {
    RECT r;
    ::GetWindowRect(button, &r);
    return r.right - r.left;
}

} // namespace

CDlgPSheet::CDlgPSheet(UINT captionId, HWND parent, UINT selectPage)
    : CPropertySheet(captionId, parent, selectPage) {}

void CDlgPSheet::RequestClose() {
    // A null window would make the post a thread message.
    if (m_hWnd)
        ::PostMessageA(m_hWnd, WM_COMMAND, IDCANCEL, 0);
    else
        closeRequested_ = true;
}

BOOL CDlgPSheet::OnInitDialog() {
    BOOL result = CPropertySheet::OnInitDialog();
    // Suspend, removal or Exit asked while the sheet was being built.
    if (closeRequested_) {
        closeRequested_ = false;
        ::PostMessageA(m_hWnd, WM_COMMAND, IDCANCEL, 0);
    }
    if (HWND help = GetDlgItem(IDHELP))
        ::ShowWindow(help, SW_HIDE);
    HWND apply = GetDlgItem(IDC_SHEET_APPLY);
    if (!apply)
        return result;
    ::ShowWindow(apply, SW_HIDE);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    int middle = (client.left + client.right) / 2;
    if (HWND ok = GetDlgItem(IDOK))
        MoveButtonLeftTo(m_hWnd, ok, middle - 4 - ButtonWidth(ok));
    if (HWND cancel = GetDlgItem(IDCANCEL))
        MoveButtonLeftTo(m_hWnd, cancel, middle + 4);
    return result;
}
