// Pixels read back from a memory bitmap: what a control draws into its
// client area (WM_PRINTCLIENT over white), or a bitmap resource of the test
// program as it is stored.
#pragma once

#include <windows.h>

class Picture {
public:
    explicit Picture(HWND control) {
        RECT client;
        ::GetClientRect(control, &client);
        HDC screen = ::GetDC(nullptr);
        dc_ = ::CreateCompatibleDC(screen);
        bitmap_ = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
        ::ReleaseDC(nullptr, screen);
        Select();
        ::FillRect(dc_, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
    }
    explicit Picture(int resourceId) {
        bitmap_ = static_cast<HBITMAP>(::LoadImageA(
            ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0, 0));
        dc_ = ::CreateCompatibleDC(nullptr);
        Select();
    }
    ~Picture() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    COLORREF At(int x, int y) const { return ::GetPixel(dc_, x, y); }
    // The leftmost column holding a pixel of `color`, or -1.
    int FirstColumnOf(COLORREF color) const {
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y)
                if (At(x, y) == color)
                    return x;
        return -1;
    }
    // Pixels of `color` in the column x from y0 up to y1 (inclusive).
    int CountInColumn(int x, int y0, int y1, COLORREF color) const {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            n += At(x, y) == color;
        return n;
    }
    // Pixels of `color` in [x0, x1) x [y0, y1).
    int CountInRect(int x0, int y0, int x1, int y1, COLORREF color) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += At(x, y) == color;
        return n;
    }

    int width = 0;
    int height = 0;

private:
    void Select() {
        BITMAP bm = {};
        ::GetObjectA(bitmap_, sizeof bm, &bm);
        width = bm.bmWidth;
        height = bm.bmHeight;
        old_ = ::SelectObject(dc_, bitmap_);
    }

    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_ = nullptr;
};
