// mindlg: the smallest program of the tray utility's kind, one dialog with a
// one-second timer, built with the same compiler and flags. traybench
// compares the utility's memory, idle time and start with it.
#include <windows.h>

#include "bench/MinDialog.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        ::SetTimer(window, 1, 1000, nullptr);
        return TRUE;
    case WM_TIMER:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            ::EndDialog(window, 0);
        return TRUE;
    case WM_CLOSE:
        ::EndDialog(window, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(
        ::DialogBoxParamA(instance, MAKEINTRESOURCEA(MINDLG_TEMPLATE), nullptr, &DialogProc, 0));
}
