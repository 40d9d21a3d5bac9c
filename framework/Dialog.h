// CDialog: a dialog box run modally from a template of the program's
// resources. One static dialog procedure attaches the object at
// WM_INITDIALOG (nothing earlier reaches it) and detaches it when the window
// is gone; the virtual WindowProc fans messages out to OnInitDialog,
// OnCommand, OnNotify and OnTimer. A handler that wants the system's own
// dialog behaviour as well calls Default(): the message then goes on to the
// system's dialog procedure when the handler returns.
#pragma once

#include <windows.h>

#include "framework/Wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);

    // Runs the dialog; returns what EndDialog was given, -1 when the dialog
    // could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

    // Exchanges the members with the controls: TRUE from the controls to the
    // members, FALSE the other way. False when an exchange failed.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

    UINT TemplateId() const { return templateId_; }

protected:
    // Default: exchange members to controls; TRUE lets the system set the focus.
    virtual BOOL OnInitDialog();
    // Enter (IDOK): take the controls' data, end with IDOK when it is valid.
    virtual void OnOK();
    // Escape or close (IDCANCEL): end with IDCANCEL.
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);
    // WM_COMMAND; true when handled. The default routes IDOK and IDCANCEL.
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    // WM_NOTIFY; true when handled, with *result the message's result.
    virtual bool OnNotify(NMHDR* header, LRESULT* result);
    // WM_TIMER; the default hands the message on.
    virtual void OnTimer(UINT_PTR id);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The dialog procedure of every dialog and page. `self` is the object
    // WM_INITDIALOG named; later messages find it in the window.
    static INT_PTR Dispatch(CDialog* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND parent_;
};

// One data exchange between a dialog's members and its controls.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    // The control `id`; marks the exchange failed when there is none.
    HWND PrepareCtrl(int id);

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    bool m_bFailed = false;
};

// Window text of control `id`.
void DDX_Text(CDataExchange* dx, int id, CString& value);
// Check box state: nonzero checked.
void DDX_Check(CDataExchange* dx, int id, int& value);
void DDX_Check(CDataExchange* dx, int id, bool& value);
// Radio group that starts at control `id` and runs to the next control with
// WS_GROUP: the position of the checked button, -1 when none is checked.
void DDX_Radio(CDataExchange* dx, int id, int& value);
// Selected item of a combo box or drop-down list, -1 when none.
void DDX_CBIndex(CDataExchange* dx, int id, int& value);
// Attaches `control` to control `id` (subclassed) the first time.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
