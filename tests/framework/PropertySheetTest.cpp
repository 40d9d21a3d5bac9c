// The property sheet and page bases on the system's property sheet: the
// page protocol (activation, refusal to be left, apply), the modified mark,
// and the sheet's own initialisation.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "framework/PropertySheet.h"
#include "tests/framework/FrameworkTestIds.h"
#include "tests/support/ModalDriver.h"

namespace {

class PageOne : public CPropertyPage {
public:
    PageOne() : CPropertyPage(IDD_PAGE_ONE) {}
    CString text;
    bool mayLeave = true;
    bool mayApply = true;
    int activations = 0;
    int applies = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, IDC_TEXT, text); }
    BOOL OnSetActive() override {
        ++activations;
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override { return mayLeave && CPropertyPage::OnKillActive(); }
    BOOL OnApply() override {
        ++applies;
        return mayApply;
    }
};

class PageTwo : public CPropertyPage {
public:
    PageTwo() : CPropertyPage(IDD_PAGE_TWO) { m_psp.dwFlags &= ~PSP_HASHELP; }
    bool check = false;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Check(dx, IDC_CHECK, check); }
};

class TestSheet : public CPropertySheet {
public:
    TestSheet() : CPropertySheet(IDS_SHEET_CAPTION) {}
    bool buttonsAtInit = false;
    int inits = 0;

protected:
    BOOL OnInitDialog() override {
        ++inits;
        buttonsAtInit = GetDlgItem(IDOK) && GetDlgItem(IDCANCEL) && GetDlgItem(12321);
        return CPropertySheet::OnInitDialog();
    }
};

HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool ApplyEnabled(HWND sheet) {
    return ::IsWindowEnabled(::GetDlgItem(sheet, 12321)) != FALSE;
}

struct Sheet {
    PageOne one;
    PageTwo two;
    TestSheet sheet;
    Sheet() {
        sheet.AddPage(&one);
        sheet.AddPage(&two);
    }
};

} // namespace

TEST(SheetAndPages, SheetCarriesItsCaptionAndInitialisesWithItsButtonsInPlace) {
    Sheet s;
    char caption[128] = {};
    RunWithSteps([&] { return s.sheet.DoModal(); },
                 [&] {
                     ASSERT_NE(nullptr, s.sheet.m_hWnd);
                     ::GetWindowTextA(s.sheet.m_hWnd, caption, sizeof caption);
                     ::SendMessageA(s.sheet.m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                 });
    EXPECT_STREQ("Framework Sheet", caption);
    EXPECT_EQ(1, s.sheet.inits);
    EXPECT_TRUE(s.sheet.buttonsAtInit);
    EXPECT_EQ(nullptr, s.sheet.m_hWnd);
}

TEST(SheetAndPages, PageThatRefusesToBeLeftKeepsTheUserOnIt) {
    Sheet s;
    s.one.mayLeave = false;
    RunWithSteps([&] { return s.sheet.DoModal(); },
                 [&] {
                     HWND sheet = s.sheet.m_hWnd;
                     HWND first = CurrentPage(sheet);
                     EXPECT_EQ(s.one.m_hWnd, first);
                     ::SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
                     PumpMessages();
                     EXPECT_EQ(first, CurrentPage(sheet));
                     s.one.mayLeave = true;
                     ::SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
                     PumpMessages();
                     EXPECT_EQ(s.two.m_hWnd, CurrentPage(sheet));
                     ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                 });
}

TEST(SheetAndPages, ActivationRefreshesControlsFromMembersAfterTheFirst) {
    Sheet s;
    s.one.text = "first";
    CString shown;
    RunWithSteps([&] { return s.sheet.DoModal(); },
                 [&] {
                     HWND sheet = s.sheet.m_hWnd;
                     ::SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
                     s.one.text = "second";
                     ::SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
                     PumpMessages();
                     char text[32] = {};
                     ::GetDlgItemTextA(s.one.m_hWnd, IDC_TEXT, text, sizeof text);
                     shown = text;
                     ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                 });
    EXPECT_EQ(2, s.one.activations);
    EXPECT_EQ(CString("second"), shown);
}

TEST(SheetAndPages, RefusedApplyKeepsTheSheetOpenAndOkEndsItOnceAgreed) {
    Sheet s;
    s.one.mayApply = false;
    bool openAfterRefusal = false;
    RunWithSteps([&] { return s.sheet.DoModal(); },
                 [&] {
                     HWND sheet = s.sheet.m_hWnd;
                     ::SetDlgItemTextA(s.one.m_hWnd, IDC_TEXT, "typed");
                     ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
                     PumpMessages();
                     openAfterRefusal = ::IsWindow(sheet) && ::IsWindowVisible(sheet);
                     s.one.mayApply = true;
                     ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
                 });
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(2, s.one.applies);
    // OK takes the page's data first (leaving the page).
    EXPECT_EQ(CString("typed"), s.one.text);
}

TEST(SheetAndPages, SetModifiedEnablesApplyAndUnmarkingDisablesIt) {
    Sheet s;
    bool before = true, marked = false, unmarked = true;
    RunWithSteps([&] { return s.sheet.DoModal(); },
                 [&] {
                     HWND sheet = s.sheet.m_hWnd;
                     before = ApplyEnabled(sheet);
                     s.one.SetModified(TRUE);
                     marked = ApplyEnabled(sheet);
                     s.one.SetModified(FALSE);
                     unmarked = ApplyEnabled(sheet);
                     ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                 });
    EXPECT_FALSE(before);
    EXPECT_TRUE(marked);
    EXPECT_FALSE(unmarked);
}

TEST(SheetAndPages, PagesOfferHelpUnlessTheyClearTheFlag) {
    PageOne one;
    PageTwo two;
    EXPECT_NE(0u, one.m_psp.dwFlags & PSP_HASHELP);
    EXPECT_EQ(0u, two.m_psp.dwFlags & PSP_HASHELP);
    EXPECT_EQ(static_cast<DWORD>(PROPSHEETPAGEA_V1_SIZE), one.m_psp.dwSize);
}
