// The tray's resources as the program carries them: the hidden dialog's
// template, the tray menu, the icons and the bitmaps the pages draw with.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

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

// A bitmap resource as a DIB section: its size, its stored depth, and its
// pixels as RGB(r, g, b) values, top row first.
struct Picture {
    LONG width = 0;
    LONG height = 0;
    WORD bitsPerPixel = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(LONG x, LONG y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

Picture LoadPicture(UINT id) {
    Picture picture;
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return picture;
    DIBSECTION dib = {};
    if (GetObjectA(bitmap, sizeof dib, &dib)) {
        picture.width = dib.dsBm.bmWidth;
        picture.height = dib.dsBm.bmHeight;
        picture.bitsPerPixel = dib.dsBm.bmBitsPixel;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = picture.width;
        info.bmiHeader.biHeight = -picture.height; // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> bits(static_cast<size_t>(picture.width * picture.height));
        HDC dc = GetDC(nullptr);
        if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(picture.height), bits.data(), &info,
                      DIB_RGB_COLORS) == picture.height) {
            for (DWORD bgr : bits)
                picture.pixels.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
        }
        ReleaseDC(nullptr, dc);
    }
    DeleteObject(bitmap);
    return picture;
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

TEST(TrayResources, BitmapsHaveTheirSizesAndColoursInTheirStoredDepths) {
    Picture banner = LoadPicture(IDB_BANNER);
    EXPECT_EQ(342, banner.width);
    EXPECT_EQ(64, banner.height);
    EXPECT_EQ(24, banner.bitsPerPixel);

    // The meter and its cover carry a colour table of their own colours:
    // the same pixels in a third of the bytes, or less.
    Picture meter = LoadPicture(IDB_METER);
    EXPECT_EQ(22, meter.width);
    ASSERT_EQ(123, meter.height);
    EXPECT_EQ(8, meter.bitsPerPixel);
    ASSERT_EQ(22u * 123u, meter.pixels.size());
    // Bars two pixels high under one-pixel black lines, green at the top
    // through yellow to red at the bottom; each row one colour.
    for (LONG y = 0; y < meter.height; ++y) {
        for (LONG x = 1; x < meter.width; ++x)
            ASSERT_EQ(meter.At(0, y), meter.At(x, y)) << x << "," << y;
        if (y % 3 == 0)
            EXPECT_EQ(RGB(0, 0, 0), meter.At(0, y)) << y;
        else
            EXPECT_NE(RGB(0, 0, 0), meter.At(0, y)) << y;
    }
    EXPECT_EQ(RGB(0, 200, 0), meter.At(0, 1));
    EXPECT_EQ(RGB(255, 240, 0), meter.At(0, 61));
    EXPECT_EQ(RGB(230, 0, 0), meter.At(0, 122));

    Picture cover = LoadPicture(IDB_COVER);
    EXPECT_EQ(22, cover.width);
    EXPECT_EQ(123, cover.height);
    EXPECT_EQ(4, cover.bitsPerPixel);
    ASSERT_EQ(22u * 123u, cover.pixels.size());
    for (COLORREF c : cover.pixels)
        ASSERT_EQ(RGB(192, 192, 192), c);
}
