// wdctl: drives a running wavedesk.exe from outside, for scripts and
// black-box tests. It finds the tray dialog (the tool window titled with
// string 1 of the string table) and the property sheet (the window of that
// title with a tab control), on the current desktop or on the one named.
//
//   wdctl [-d DESKTOP] [-t SECONDS] COMMAND [ARG]
//
//   wait-window   until the tray dialog exists
//   wait-icon     until the tray icon is shown (the tray dialog's user data
//                 is non-zero exactly while it is)
//   wait-no-icon  until the tray dialog exists without its icon
//   open          tray callback 1324 with WM_LBUTTONDBLCLK (opens the sheet)
//   menu CHOICE   tray callback 1324 with WM_RBUTTONUP, then picks CHOICE
//                 ("open" or "exit") in the tray menu with the keyboard
//   wait-sheet    until the property sheet is open
//   wait-no-sheet until no property sheet is open
//   page N        selects page N of the sheet (0 Status, 1 Configuration,
//                 2 Statistics, 3 About)
//   shell-restart sends the registered "TaskbarCreated" message to the tray
//   exit          posts WM_COMMAND 40004 ("Exit") to the tray dialog and
//                 waits until the program has ended
//   wait-exit     until the program has ended (at once when none runs)
//   count         prints the number of tray dialogs
//   shot FILE     saves the desktop as a 24-bit BMP file
//   state         prints "window icon sheet page", each 0/1 (page: -1 or N)
//
// Exit code 0 on success, 1 when the wait ran out (default 20 s) or the
// window is missing, 2 for a usage error.
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "res/resource.h"

namespace {

const UINT kTrayNotify = WM_USER + 300;
std::string g_title;

struct Found {
    HWND tray = nullptr;
    HWND sheet = nullptr;
    int trays = 0;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    Found* found = reinterpret_cast<Found*>(param);
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    if (g_title != text)
        return TRUE;
    if (::FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr)) {
        found->sheet = window;
    } else if (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) {
        found->tray = window;
        ++found->trays;
    }
    return TRUE;
}

Found Look() {
    Found found;
    ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool IconShown(HWND tray) {
    return ::GetWindowLongPtrA(tray, GWLP_USERDATA) != 0;
}

// Polls `test` every 50 ms until it holds or `seconds` pass.
template <typename Test> bool WaitFor(double seconds, Test test) {
    DWORD end = ::GetTickCount() + static_cast<DWORD>(seconds * 1000);
    for (;;) {
        if (test())
            return true;
        if (static_cast<LONG>(::GetTickCount() - end) >= 0)
            return false;
        ::Sleep(50);
    }
}

bool WaitForProcessOf(HWND window, double seconds) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) // already gone
        return !::IsWindow(window);
    DWORD rc = ::WaitForSingleObject(process, static_cast<DWORD>(seconds * 1000));
    ::CloseHandle(process);
    return rc == WAIT_OBJECT_0;
}

// The popup menu window that the tray's thread shows.
HWND MenuOf(HWND tray) {
    DWORD thread = ::GetWindowThreadProcessId(tray, nullptr);
    for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32768", nullptr); w;
         w = ::FindWindowExA(nullptr, w, "#32768", nullptr)) {
        if (::IsWindowVisible(w) && ::GetWindowThreadProcessId(w, nullptr) == thread)
            return w;
    }
    return nullptr;
}

void PostKey(HWND window, UINT key) {
    ::PostMessageA(window, WM_KEYDOWN, key, 1);
    ::PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

// The desktop's picture, as a bottom-up 24-bit BMP.
bool SaveScreen(const char* path) {
    int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP picture = ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info),
                                         DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (picture) {
        HGDIOBJ old = ::SelectObject(memory, picture);
        ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
        DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
        DWORD size = stride * static_cast<DWORD>(height);
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42; // "BM"
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + size;
        if (FILE* out = fopen(path, "wb")) {
            ok = fwrite(&file, sizeof file, 1, out) == 1 &&
                 fwrite(&info, sizeof info, 1, out) == 1 && fwrite(bits, size, 1, out) == 1;
            ok = fclose(out) == 0 && ok;
        }
        ::DeleteObject(picture);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

int Usage() {
    fputs("usage: wdctl [-d DESKTOP] [-t SECONDS] COMMAND [ARG]\n"
          "commands: wait-window wait-icon wait-no-icon open menu{open|exit} wait-sheet\n"
          "          wait-no-sheet page N shell-restart exit wait-exit count state shot FILE\n",
          stderr);
    return 2;
}

int Run(const std::string& command, const char* arg, double timeout) {
    Found now = Look();
    if (command == "count") {
        printf("%d\n", now.trays);
        return 0;
    }
    if (command == "shot")
        return arg && SaveScreen(arg) ? 0 : (arg ? 1 : Usage());
    if (command == "state") {
        int page = -1;
        if (now.sheet) {
            HWND tab = ::FindWindowExA(now.sheet, nullptr, WC_TABCONTROLA, nullptr);
            page = static_cast<int>(::SendMessageA(tab, TCM_GETCURSEL, 0, 0));
        }
        printf("%d %d %d %d\n", now.tray ? 1 : 0, now.tray && IconShown(now.tray) ? 1 : 0,
               now.sheet ? 1 : 0, page);
        return 0;
    }
    if (command == "wait-window")
        return WaitFor(timeout, [] { return Look().tray != nullptr; }) ? 0 : 1;
    if (command == "wait-icon")
        return WaitFor(timeout,
                       [] {
                           HWND t = Look().tray;
                           return t && IconShown(t);
                       })
                   ? 0
                   : 1;
    if (command == "wait-no-icon")
        return WaitFor(timeout,
                       [] {
                           HWND t = Look().tray;
                           return t && !IconShown(t);
                       })
                   ? 0
                   : 1;
    if (command == "wait-sheet")
        return WaitFor(timeout, [] { return Look().sheet != nullptr; }) ? 0 : 1;
    if (command == "wait-no-sheet")
        return WaitFor(timeout, [] { return Look().sheet == nullptr; }) ? 0 : 1;
    if (command == "wait-exit")
        return !now.tray || WaitForProcessOf(now.tray, timeout) ? 0 : 1;

    if (command == "page") {
        if (!arg)
            return Usage();
        if (!now.sheet)
            return 1;
        int page = atoi(arg);
        ::SendMessageA(now.sheet, PSM_SETCURSEL, static_cast<WPARAM>(page), 0);
        HWND tab = ::FindWindowExA(now.sheet, nullptr, WC_TABCONTROLA, nullptr);
        return ::SendMessageA(tab, TCM_GETCURSEL, 0, 0) == page ? 0 : 1;
    }

    if (!now.tray)
        return 1;
    if (command == "open") {
        ::PostMessageA(now.tray, kTrayNotify, 0, WM_LBUTTONDBLCLK);
        return 0;
    }
    if (command == "menu") {
        if (!arg || (strcmp(arg, "open") != 0 && strcmp(arg, "exit") != 0))
            return Usage();
        HWND tray = now.tray;
        ::PostMessageA(tray, kTrayNotify, 0, WM_RBUTTONUP);
        HWND menu = nullptr;
        if (!WaitFor(timeout, [&] { return (menu = MenuOf(tray)) != nullptr; }))
            return 1;
        // Down selects "Open...", a second Down "Exit"; Enter chooses.
        PostKey(menu, VK_DOWN);
        if (strcmp(arg, "exit") == 0)
            PostKey(menu, VK_DOWN);
        PostKey(menu, VK_RETURN);
        return WaitFor(timeout, [&] { return MenuOf(tray) == nullptr; }) ? 0 : 1;
    }
    if (command == "shell-restart") {
        ::SendMessageA(now.tray, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        return 0;
    }
    if (command == "exit") {
        ::PostMessageA(now.tray, WM_COMMAND, ID_TRAY_EXIT, 0);
        return WaitForProcessOf(now.tray, timeout) ? 0 : 1;
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
    double timeout = 20;
    const char* desktop = nullptr;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        if (strcmp(argv[i], "-d") == 0)
            desktop = argv[i + 1];
        else if (strcmp(argv[i], "-t") == 0)
            timeout = atof(argv[i + 1]);
        else
            return Usage();
    }
    if (i >= argc)
        return Usage();
    if (desktop) {
        // Windows are found only on the calling thread's desktop.
        // The desktop appears once its shell has started: wait for it too.
        HDESK handle = nullptr;
        WaitFor(timeout, [&] {
            return (handle = ::OpenDesktopA(desktop, 0, FALSE, GENERIC_ALL)) != nullptr;
        });
        if (!handle || !::SetThreadDesktop(handle)) {
            fprintf(stderr, "wdctl: cannot use desktop %s\n", desktop);
            return 1;
        }
    }
    char title[256] = {};
    ::LoadStringA(::GetModuleHandleA(nullptr), IDS_APP_TITLE, title, sizeof title);
    g_title = title;
    return Run(argv[i], i + 1 < argc ? argv[i + 1] : nullptr, timeout);
}
