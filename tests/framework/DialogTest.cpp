// The dialog base: data exchange, the dispatch of messages to the object and
// on to the system, and control subclassing, driven with window messages.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/Dialog.h"
#include "framework/WaitCursor.h"
#include "tests/framework/FrameworkTestIds.h"
#include "tests/support/ModalDriver.h"

namespace {

class ExchangeDialog : public CDialog {
public:
    ExchangeDialog() : CDialog(IDD_EXCHANGE) {}

    CString text;
    bool check = false;
    int radio = -1;
    int listIndex = -1;
    int initCalls = 0;
    int nestedResult = 0;

protected:
    BOOL OnInitDialog() override {
        ++initCalls;
        HWND list = GetDlgItem(IDC_LIST);
        for (const char* item : {"zero", "one", "two"})
            ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, IDC_TEXT, text);
        DDX_Check(dx, IDC_CHECK, check);
        DDX_Radio(dx, IDC_RADIO_A, radio);
        DDX_CBIndex(dx, IDC_LIST, listIndex);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP)
            return 42;
        if (message == WM_GETTEXT && wParam == 77) {
            // A message handled in between must not change what Default() hands on.
            nestedResult = static_cast<int>(::SendMessageA(m_hWnd, WM_APP, 0, 0));
            return Default();
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

bool IsChecked(HWND dialog, int id) {
    return ::SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

CString ControlText(HWND dialog, int id) {
    char text[256] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return CString(text);
}

} // namespace

TEST(DialogExchange, MembersReachTheControlsAtInitAndComeBackOnOk) {
    ExchangeDialog dialog;
    dialog.text = "hello";
    dialog.check = true;
    dialog.radio = 2;
    dialog.listIndex = 1;
    INT_PTR result =
        RunWithSteps([&] { return dialog.DoModal(); },
                     [&] {
                         HWND h = dialog.m_hWnd;
                         ASSERT_NE(nullptr, h);
                         EXPECT_EQ(1, dialog.initCalls);
                         EXPECT_EQ(CString("hello"), ControlText(h, IDC_TEXT));
                         EXPECT_TRUE(IsChecked(h, IDC_CHECK));
                         EXPECT_FALSE(IsChecked(h, IDC_RADIO_A));
                         EXPECT_TRUE(IsChecked(h, IDC_RADIO_C));
                         EXPECT_EQ(1, ::SendDlgItemMessageA(h, IDC_LIST, CB_GETCURSEL, 0, 0));

                         ::SetDlgItemTextA(h, IDC_TEXT, "changed");
                         ::SendDlgItemMessageA(h, IDC_CHECK, BM_CLICK, 0, 0);
                         ::SendDlgItemMessageA(h, IDC_RADIO_B, BM_CLICK, 0, 0);
                         ::SendDlgItemMessageA(h, IDC_LIST, CB_SETCURSEL, 2, 0);
                         ::SendMessageA(h, WM_COMMAND, IDOK, 0);
                     });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(CString("changed"), dialog.text);
    EXPECT_FALSE(dialog.check);
    EXPECT_EQ(1, dialog.radio);
    EXPECT_EQ(2, dialog.listIndex);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(DialogExchange, RadioGroupCountsItsButtonsOnlyAndReadsMinusOneWhenNoneIsChecked) {
    ExchangeDialog dialog;
    dialog.radio = -1;
    RunWithSteps([&] { return dialog.DoModal(); },
                 [&] {
                     HWND h = dialog.m_hWnd;
                     // -1 leaves every button of the group clear.
                     for (int id : {IDC_RADIO_A, IDC_RADIO_B, IDC_RADIO_C})
                         EXPECT_FALSE(IsChecked(h, id));
                     // The edit between two buttons takes no position; D starts a
                     // group of its own and is not part of this one.
                     ::SendDlgItemMessageA(h, IDC_RADIO_D, BM_SETCHECK, BST_CHECKED, 0);
                     dialog.UpdateData(TRUE);
                     EXPECT_EQ(-1, dialog.radio);
                     ::SendDlgItemMessageA(h, IDC_RADIO_C, BM_SETCHECK, BST_CHECKED, 0);
                     dialog.UpdateData(TRUE);
                     EXPECT_EQ(2, dialog.radio);
                     ::SendMessageA(h, WM_COMMAND, IDCANCEL, 0);
                 });
}

TEST(DialogDispatch, ResultOfAHandledMessageReachesTheSender) {
    ExchangeDialog dialog;
    LRESULT got = 0;
    INT_PTR result = RunWithSteps([&] { return dialog.DoModal(); },
                                  [&] {
                                      got = ::SendMessageA(dialog.m_hWnd, WM_APP, 0, 0);
                                      ::SendMessageA(dialog.m_hWnd, WM_COMMAND, IDCANCEL, 0);
                                  });
    EXPECT_EQ(42, got);
    EXPECT_EQ(IDCANCEL, result);
}

TEST(DialogDispatch, DefaultHandsTheInnermostMessageToTheSystemDialogProcedure) {
    ExchangeDialog dialog;
    char caption[64] = {};
    LRESULT length = 0;
    RunWithSteps([&] { return dialog.DoModal(); },
                 [&] {
                     // wParam 77 marks the test's WM_GETTEXT (buffer of 77 bytes):
                     // the handler sends WM_APP to itself before Default().
                     length = ::SendMessageA(dialog.m_hWnd, WM_GETTEXT, 77,
                                             reinterpret_cast<LPARAM>(caption));
                     ::SendMessageA(dialog.m_hWnd, WM_COMMAND, IDCANCEL, 0);
                 });
    EXPECT_EQ(42, dialog.nestedResult);
    EXPECT_STREQ("Exchange", caption);
    EXPECT_EQ(8, length);
}

namespace {

// Drops 'x' and counts what it sees; everything else goes to the edit.
class FilterEdit : public CEdit {
public:
    int chars = 0;
    int destroyed = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CHAR) {
            ++chars;
            if (wParam == 'x')
                return 0;
        }
        if (message == WM_DESTROY)
            ++destroyed;
        return CEdit::WindowProc(message, wParam, lParam);
    }
};

HWND MakeEdit() {
    return ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

} // namespace

TEST(Subclassing, ControlMessagesReachTheObjectFirstAndDefaultHandsThemOn) {
    HWND edit = MakeEdit();
    ASSERT_NE(nullptr, edit);
    FilterEdit filter;
    ASSERT_TRUE(filter.SubclassWindow(edit));
    EXPECT_FALSE(filter.SubclassWindow(edit)); // one window per object
    for (char c : {'a', 'x', 'b'})
        ::SendMessageA(edit, WM_CHAR, c, 0);
    char text[16] = {};
    ::GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ("ab", text);
    EXPECT_EQ(3, filter.chars);
    ::DestroyWindow(edit);
    EXPECT_EQ(1, filter.destroyed);
    EXPECT_EQ(nullptr, filter.m_hWnd); // detached with the window
}

TEST(Subclassing, UnsubclassedControlGoesBackToItsOwnProcedure) {
    HWND edit = MakeEdit();
    FilterEdit filter;
    WNDPROC own = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(edit, GWLP_WNDPROC));
    ASSERT_TRUE(filter.SubclassWindow(edit));
    EXPECT_EQ(edit, filter.UnsubclassWindow());
    EXPECT_EQ(own, reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(edit, GWLP_WNDPROC)));
    ::SendMessageA(edit, WM_CHAR, 'x', 0);
    EXPECT_EQ(0, filter.chars);
    ::DestroyWindow(edit);
}

TEST(Subclassing, ObjectDestroyedFirstLeavesTheControlWorking) {
    HWND edit = MakeEdit();
    {
        FilterEdit filter;
        ASSERT_TRUE(filter.SubclassWindow(edit));
    }
    ::SendMessageA(edit, WM_CHAR, 'x', 0);
    char text[16] = {};
    ::GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ("x", text);
    ::DestroyWindow(edit);
}

TEST(WaitCursor, ShowsTheHourglassAndPutsThePreviousCursorBack) {
    HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
    ::SetCursor(arrow);
    {
        CWaitCursor wait;
        EXPECT_EQ(::LoadCursorA(nullptr, IDC_WAIT), ::GetCursor());
    }
    EXPECT_EQ(arrow, ::GetCursor());
}
