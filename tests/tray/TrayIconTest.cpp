// The tray icon against a recorded shell: what each operation hands the
// shell, the owner window's user data that marks a shown icon, the routing
// of the callback message, and the adapter icon's table.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>

#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/support/TrayFakes.h"
#include "tray/AdapterTrayIcon.h"
#include "tray/TrayIcon.h"

namespace {

const UINT kCallback = WM_USER + 300;

// A plain window to own the icon.
class OwnerWindow {
public:
    OwnerWindow()
        : hwnd(::CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                               nullptr)) {}
    ~OwnerWindow() { ::DestroyWindow(hwnd); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND hwnd;
};

// Counts its mouse handlers.
class CountingIcon : public CTrayIcon {
public:
    void OnLButtonUp() override { ++lButtonUp; }
    void OnRButtonUp() override { ++rButtonUp; }
    void OnMouseMove() override { ++mouseMove; }
    void OnLButtonDblClk() override { ++dblClk; }
    int lButtonUp = 0, rButtonUp = 0, mouseMove = 0, dblClk = 0;
};

HICON SomeIcon() {
    return ::LoadIconA(nullptr, IDI_APPLICATION);
}

LONG_PTR UserData(HWND window) {
    return ::GetWindowLongPtrA(window, GWLP_USERDATA);
}

} // namespace

TEST(TrayIcon, ShowTwiceAddsOnceAndHideTwiceDeletesOnce) {
    ShellLog shell;
    OwnerWindow owner;
    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(owner.hwnd, kCallback));
    icon.SetIcon(0, SomeIcon());
    icon.SetTooltip("tip");

    EXPECT_TRUE(icon.Show());
    EXPECT_FALSE(icon.Show());
    ASSERT_EQ(1, ShellLog::Count(NIM_ADD));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&icon), UserData(owner.hwnd));
    const TrayIconRecord& add = ShellLog::Last(NIM_ADD)->record;
    EXPECT_EQ(NOTIFYICONDATAA_V2_SIZE, add.size); // 488 bytes in what ships
    EXPECT_EQ(owner.hwnd, add.window);
    EXPECT_EQ(static_cast<UINT>(reinterpret_cast<uintptr_t>(&icon) & 0xFFFFFFFFu), add.id);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), add.flags);
    EXPECT_EQ(kCallback, add.callbackMessage);
    EXPECT_EQ(SomeIcon(), add.icon);
    EXPECT_STREQ("tip", add.tip);

    EXPECT_TRUE(icon.Hide());
    EXPECT_FALSE(icon.Hide());
    ASSERT_EQ(1, ShellLog::Count(NIM_DELETE));
    EXPECT_EQ(0, UserData(owner.hwnd));
    const TrayIconRecord& del = ShellLog::Last(NIM_DELETE)->record;
    EXPECT_EQ(NOTIFYICONDATAA_V2_SIZE, del.size);
    EXPECT_EQ(owner.hwnd, del.window);
    EXPECT_EQ(add.id, del.id);
    EXPECT_EQ(0u, del.flags); // only window and id name the icon
    EXPECT_EQ(nullptr, del.icon);

    // The cycle repeats.
    EXPECT_TRUE(icon.Show());
    EXPECT_EQ(2, ShellLog::Count(NIM_ADD));
    icon.Hide();
}

TEST(TrayIcon, ShowWithoutImageOrTooltipAsksOnlyForTheCallback) {
    ShellLog shell;
    OwnerWindow owner;
    CTrayIcon icon;
    icon.Create(owner.hwnd, kCallback);
    icon.SetIcon(3, SomeIcon()); // entry 0 stays empty
    EXPECT_TRUE(icon.Show());
    const TrayIconRecord& add = ShellLog::Last(NIM_ADD)->record;
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE), add.flags);
    EXPECT_EQ(nullptr, add.icon);
    EXPECT_STREQ("", add.tip);
    icon.Hide();
    // Never created: nothing to show on.
    CTrayIcon bare;
    EXPECT_FALSE(bare.Show());
}

TEST(TrayIcon, UpdateShowsTheEntryAndTheTooltipCutTo127Bytes) {
    ShellLog shell;
    OwnerWindow owner;
    CTrayIcon icon;
    icon.Create(owner.hwnd, kCallback);
    HICON weak = ::LoadIconA(nullptr, IDI_WARNING);
    icon.SetIcon(3, weak);

    icon.Update(3); // hidden: nothing
    EXPECT_TRUE(ShellLog::Calls().empty());

    icon.Show();
    std::string tooltip(200, 't');
    tooltip[126] = 'e'; // the last byte kept
    icon.SetTooltip(tooltip.c_str());
    icon.Update(3);
    ASSERT_EQ(1, ShellLog::Count(NIM_MODIFY));
    const TrayIconRecord& mod = ShellLog::Last(NIM_MODIFY)->record;
    EXPECT_EQ(static_cast<UINT>(NIF_ICON | NIF_TIP), mod.flags);
    EXPECT_EQ(weak, mod.icon);
    EXPECT_EQ(tooltip.substr(0, 127), std::string(mod.tip));
    EXPECT_EQ(owner.hwnd, mod.window);

    // An empty entry and an empty tooltip ask the shell to change nothing,
    // so it is not called.
    icon.SetTooltip("");
    icon.Update(2);
    icon.Update(40); // beyond the table
    EXPECT_EQ(1, ShellLog::Count(NIM_MODIFY));
    icon.Hide();
}

TEST(TrayIcon, UpdateReachesTheShellOnlyWithAChangeOfImageOrTooltip) {
    ShellLog shell;
    OwnerWindow owner;
    CTrayIcon icon;
    icon.Create(owner.hwnd, kCallback);
    HICON good = SomeIcon(), weak = ::LoadIconA(nullptr, IDI_WARNING);
    icon.SetIcon(0, good);
    icon.SetIcon(3, weak);
    icon.SetTooltip("lab");
    icon.Show();
    // What the add showed: entry 0 and the tooltip.
    icon.Update(0);
    EXPECT_EQ(0, ShellLog::Count(NIM_MODIFY));

    icon.SetTooltip("other"); // the tooltip alone
    icon.Update(0);
    ASSERT_EQ(1, ShellLog::Count(NIM_MODIFY));
    EXPECT_STREQ("other", ShellLog::Last(NIM_MODIFY)->record.tip);
    icon.Update(0);
    EXPECT_EQ(1, ShellLog::Count(NIM_MODIFY));

    icon.Update(3); // the image alone
    ASSERT_EQ(2, ShellLog::Count(NIM_MODIFY));
    EXPECT_EQ(weak, ShellLog::Last(NIM_MODIFY)->record.icon);
    icon.Update(3);
    icon.Update(2); // an empty entry keeps the image shown
    EXPECT_EQ(2, ShellLog::Count(NIM_MODIFY));

    // Texts that differ only past the 127 bytes the shell shows look the same.
    std::string tooltip(200, 't');
    icon.SetTooltip(tooltip.c_str());
    icon.Update(3);
    ASSERT_EQ(3, ShellLog::Count(NIM_MODIFY));
    tooltip[150] = 'x';
    icon.SetTooltip(tooltip.c_str());
    icon.Update(3);
    EXPECT_EQ(3, ShellLog::Count(NIM_MODIFY));

    // An entry set again, even to the same handle, is sent.
    icon.SetIcon(3, weak);
    icon.Update(3);
    EXPECT_EQ(4, ShellLog::Count(NIM_MODIFY));

    // A call the shell refused did not reach it: the next one is sent again.
    ShellLog::answer = FALSE;
    icon.SetTooltip("refused");
    icon.Update(3);
    ShellLog::answer = TRUE;
    icon.Update(3);
    ASSERT_EQ(6, ShellLog::Count(NIM_MODIFY));
    EXPECT_STREQ("refused", ShellLog::Last(NIM_MODIFY)->record.tip);
    icon.Update(3);
    EXPECT_EQ(6, ShellLog::Count(NIM_MODIFY));

    // Show after Hide adds again, with entry 0: the state of before the
    // hide is then a change.
    icon.Hide();
    icon.Show();
    EXPECT_EQ(2, ShellLog::Count(NIM_ADD));
    EXPECT_EQ(good, ShellLog::Last(NIM_ADD)->record.icon);
    icon.Update(3);
    ASSERT_EQ(7, ShellLog::Count(NIM_MODIFY));
    EXPECT_EQ(weak, ShellLog::Last(NIM_MODIFY)->record.icon);
    icon.Hide();
}

TEST(TrayIcon, CallbackReachesTheHandlerOfItsMouseMessageOnly) {
    ShellLog shell;
    OwnerWindow owner;
    CountingIcon icon;
    icon.Create(owner.hwnd, kCallback);
    icon.Show();
    for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONDOWN,
                   WM_LBUTTONDOWN, WM_RBUTTONDBLCLK, WM_MBUTTONUP, WM_CONTEXTMENU})
        CTrayIcon::RouteTrayNotify(owner.hwnd, icon.Id(), m);
    EXPECT_EQ(1, icon.mouseMove);
    EXPECT_EQ(1, icon.lButtonUp);
    EXPECT_EQ(1, icon.dblClk);
    EXPECT_EQ(1, icon.rButtonUp); // button-down alone does nothing
    icon.Hide();
}

TEST(TrayIcon, CallbacksAreIgnoredWhileTheIconIsHidden) {
    ShellLog shell;
    OwnerWindow owner;
    CountingIcon icon;
    icon.Create(owner.hwnd, kCallback);
    CTrayIcon::RouteTrayNotify(owner.hwnd, icon.Id(), WM_LBUTTONDBLCLK); // never shown
    icon.Show();
    icon.Hide();
    CTrayIcon::RouteTrayNotify(owner.hwnd, icon.Id(), WM_LBUTTONDBLCLK); // shown, then hidden
    CTrayIcon::RouteTrayNotify(owner.hwnd, icon.Id(), WM_RBUTTONUP);
    EXPECT_EQ(0, icon.dblClk);
    EXPECT_EQ(0, icon.rButtonUp);
}

TEST(TrayIcon, ShellRestartAddsTheShownIconAgainWithItsCurrentState) {
    ShellLog shell;
    OwnerWindow owner;
    CAdapterTrayIcon icon;
    icon.Create(owner.hwnd, kCallback);
    icon.OnTaskbarCreated(); // not shown: nothing
    EXPECT_TRUE(ShellLog::Calls().empty());

    icon.Show();
    icon.SetState(3, "VELNORA KX750 Connect to: lab");
    icon.OnTaskbarCreated();
    ASSERT_EQ(2, ShellLog::Count(NIM_ADD));
    const TrayIconRecord& again = ShellLog::Last(NIM_ADD)->record;
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), again.flags);
    EXPECT_EQ(icon.GetIcon(3), again.icon);
    EXPECT_EQ(kCallback, again.callbackMessage);
    EXPECT_STREQ("VELNORA KX750 Connect to: lab", again.tip);
    EXPECT_EQ(icon.Id(), again.id);
    // What was added again is what the shell shows: the same state is not
    // sent, a new one is, once.
    const size_t calls = ShellLog::Calls().size();
    icon.SetState(3, "VELNORA KX750 Connect to: lab");
    EXPECT_EQ(calls, ShellLog::Calls().size());
    icon.SetState(1, "VELNORA KX750 Disconnected");
    ASSERT_EQ(calls + 1, ShellLog::Calls().size());
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), ShellLog::Calls().back().message);
    EXPECT_EQ(icon.GetIcon(1), ShellLog::Calls().back().record.icon);
    icon.Hide();
}

TEST(AdapterTrayIcon, TableHoldsTheThreeStateImagesAt16By16) {
    OwnerWindow owner;
    CAdapterTrayIcon icon;
    ASSERT_TRUE(icon.Create(owner.hwnd, kCallback));
    EXPECT_EQ(owner.hwnd, icon.Owner());
    for (int index : {0, 1, 3}) {
        HICON h = icon.GetIcon(index);
        ASSERT_NE(nullptr, h) << index;
        ICONINFO info = {};
        ASSERT_TRUE(::GetIconInfo(h, &info));
        BITMAP bm = {};
        ::GetObjectA(info.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(16, bm.bmWidth) << index;
        ::DeleteObject(info.hbmMask);
        if (info.hbmColor) {
            ::GetObjectA(info.hbmColor, sizeof bm, &bm);
            EXPECT_EQ(16, bm.bmWidth) << index;
            EXPECT_EQ(16, bm.bmHeight) << index;
            ::DeleteObject(info.hbmColor);
        }
    }
    EXPECT_EQ(nullptr, icon.GetIcon(2));
    EXPECT_NE(icon.GetIcon(0), icon.GetIcon(1));
    EXPECT_NE(icon.GetIcon(0), icon.GetIcon(3));
    // Creating again loads a fresh table; the former images are released.
    HICON former[] = {icon.GetIcon(0), icon.GetIcon(1), icon.GetIcon(3)};
    icon.Create(owner.hwnd, kCallback);
    for (HICON h : former) {
        ASSERT_NE(h, icon.GetIcon(0));
        ICONINFO info = {};
        EXPECT_FALSE(::GetIconInfo(h, &info)) << "still alive: " << h;
    }
    EXPECT_NE(nullptr, icon.GetIcon(1));
}

TEST(AdapterTrayIcon, SetStateRecordsTheIndexAndShowsItWithTheText) {
    ShellLog shell;
    OwnerWindow owner;
    CAdapterTrayIcon icon;
    icon.Create(owner.hwnd, kCallback);
    icon.SetState(1, "hidden state"); // recorded, not shown
    EXPECT_EQ(1, icon.CurrentIndex());
    EXPECT_TRUE(ShellLog::Calls().empty());
    icon.Show();
    // Right after Show the icon has entry 0 and the tooltip last set.
    EXPECT_EQ(icon.GetIcon(0), ShellLog::Last(NIM_ADD)->record.icon);
    EXPECT_STREQ("hidden state", ShellLog::Last(NIM_ADD)->record.tip);
    icon.SetState(1, "VELNORA KX750 Disconnected");
    const TrayIconRecord& mod = ShellLog::Last(NIM_MODIFY)->record;
    EXPECT_EQ(icon.GetIcon(1), mod.icon);
    EXPECT_STREQ("VELNORA KX750 Disconnected", mod.tip);
    icon.Hide();
}
