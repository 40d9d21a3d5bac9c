// CPropertyPage and CPropertySheet on the system's property sheet (comctl32).
// The page base owns the sheet's notification protocol: it turns
// PSN_SETACTIVE, PSN_KILLACTIVE and PSN_APPLY into OnSetActive, OnKillActive
// and OnApply and is the only place that writes their results, so a page
// that refuses to be left keeps the user on it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/Array.h"
#include "framework/Dialog.h"

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId);

    // The page header handed to the sheet; a page changes its flags
    // (PSP_HASHELP, ...) in its constructor.
    PROPSHEETPAGEA m_psp;

    // Marks the page changed (the sheet enables Apply) or unchanged.
    void SetModified(BOOL changed = TRUE);

protected:
    // Becoming the active page; false refuses. The default refreshes the
    // controls from the members on every activation but the first.
    virtual BOOL OnSetActive();
    // Being left (another page, OK or Apply); false keeps the page. The
    // default takes the controls' data into the members.
    virtual BOOL OnKillActive();
    // OK or Apply after every page agreed to be left; false keeps the sheet
    // open. The default runs OnOK and agrees.
    virtual BOOL OnApply();
    // Pages do not end the sheet themselves.
    void OnOK() override {}
    void OnCancel() override {}
    bool OnNotify(NMHDR* header, LRESULT* result) override;

private:
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool firstSetActive_ = true;
};

class CPropertySheet : public CWnd {
public:
    // Caption from the string table; `selectPage` is shown first.
    CPropertySheet(UINT captionId, HWND parent = nullptr, UINT selectPage = 0);

    void AddPage(CPropertyPage* page) { pages_.push_back(page); }
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage* GetPage(int index) const { return pages_[static_cast<size_t>(index)]; }

    // Runs the sheet modally: the system's result (-1 when it could not run).
    INT_PTR DoModal();

protected:
    // The sheet has built its window, its buttons and its first page.
    virtual BOOL OnInitDialog();

private:
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);

    CString caption_;
    HWND parent_;
    UINT selectPage_;
    Array<CPropertyPage*> pages_;
};
