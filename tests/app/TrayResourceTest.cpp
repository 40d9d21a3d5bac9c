// The tray's resources as the program carries them: the hidden dialog's
// template, the tray menu, the icons and the bitmaps the pages draw with.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "res/resource.h"

namespace {

// Reads a zero-terminated UTF-16 text of a template and steps past it.
std::string ReadText(const WORD*& p) {
    std::string text;
    while (*p)
        text += static_cast<char>(*p++);
    ++p;
    return text;
}

void ExpectBitmap(UINT id, LONG width, LONG height, WORD bitsPerPixel) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(nullptr, bitmap) << id;
    DIBSECTION dib = {};
    ASSERT_NE(0, GetObjectA(bitmap, sizeof dib, &dib));
    EXPECT_EQ(width, dib.dsBm.bmWidth) << id;
    EXPECT_EQ(height, dib.dsBm.bmHeight) << id;
    EXPECT_EQ(bitsPerPixel, dib.dsBm.bmBitsPixel) << id;
    DeleteObject(bitmap);
}

} // namespace

TEST(TrayResources, DialogTemplate102IsAnEmptyModalFramePopupOf102By76) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_TRAY), RT_DIALOG);
    ASSERT_NE(nullptr, found);
    const auto* t = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(nullptr, t);
    ASSERT_NE(0xFFFF, HIWORD(t->style)) << "a plain DIALOG template";
    EXPECT_EQ(static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU),
              t->style);
    EXPECT_EQ(0u, t->dwExtendedStyle);
    EXPECT_EQ(0, t->cdit);
    EXPECT_EQ(0, t->x);
    EXPECT_EQ(0, t->y);
    EXPECT_EQ(102, t->cx);
    EXPECT_EQ(76, t->cy);
    const WORD* p = reinterpret_cast<const WORD*>(t + 1);
    EXPECT_EQ(0, *p++); // no menu
    EXPECT_EQ(0, *p++); // the system's dialog class
    EXPECT_EQ("Dialog", ReadText(p));
    EXPECT_EQ(8, *p++);
    EXPECT_EQ("MS Sans Serif", ReadText(p));
}

TEST(TrayResources, MenuHoldsOpenAndExitInItsFirstPopup) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    ASSERT_NE(nullptr, menu);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, popup);
    ASSERT_EQ(2, GetMenuItemCount(popup));
    char text[64] = {};
    EXPECT_EQ(40003u, GetMenuItemID(popup, 0));
    GetMenuStringA(popup, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("Open...", text);
    EXPECT_EQ(40004u, GetMenuItemID(popup, 1));
    GetMenuStringA(popup, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("Exit", text);
    DestroyMenu(menu);
}

TEST(TrayResources, IconsHave16By16ImagesAndTheApplicationIconA32By32One) {
    for (UINT id : {IDI_APP, IDI_LINK_NONE, IDI_LINK_GOOD, IDI_LINK_WEAK}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
        ASSERT_NE(nullptr, icon) << id;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm = {};
        GetObjectA(info.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(16, bm.bmWidth) << id;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    // The big icon has an image of its own at 32 x 32: the nearest size is exact.
    HRSRC group = FindResourceA(nullptr, MAKEINTRESOURCEA(IDI_APP), RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    PBYTE dir = static_cast<PBYTE>(LockResource(LoadResource(nullptr, group)));
    int id32 = LookupIconIdFromDirectoryEx(dir, TRUE, 32, 32, 0);
    int id16 = LookupIconIdFromDirectoryEx(dir, TRUE, 16, 16, 0);
    EXPECT_NE(id16, id32);
    HRSRC image = FindResourceA(nullptr, MAKEINTRESOURCEA(id32), RT_ICON);
    ASSERT_NE(nullptr, image);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, image)));
    EXPECT_EQ(32, header->biWidth);
    EXPECT_EQ(64, header->biHeight); // image and mask
}

TEST(TrayResources, BitmapsHaveTheirSizes) {
    ExpectBitmap(IDB_BANNER, 342, 64, 24);
    ExpectBitmap(IDB_METER, 22, 123, 24);
    ExpectBitmap(IDB_COVER, 22, 123, 24);
}
