// wdctl: drives a running wavedesk.exe from outside, for scripts and
// black-box tests. It finds the tray dialog (the tool window titled with
// string 1 of the string table) and the property sheet (the window of that
// title with a tab control), on the current desktop or on the one named.
//
//   wdctl [-d DESKTOP] [-t SECONDS] COMMAND [ARG...]
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
// Controls of the sheet's current page, by their dialog id, as a user reads
// and works them (WM_GETTEXT and the like, sent across processes):
//   text ID       prints the control's text
//   wait-text ID TEXT  until the control reads TEXT
//   type ID TEXT  selects the control's whole text (a combo box: its edit)
//                 and types TEXT over it, one WM_CHAR per character
//   click ID      BM_CLICK on a button, check box or radio button
//   items ID      drops the combo box down (CB_SHOWDROPDOWN: the page hears
//                 CBN_DROPDOWN), prints its items one per line, closes it
//   press BUTTON  posts PSM_PRESSBUTTON ("ok", "cancel" or "apply") to the sheet
//   press-watch BUTTON  the same, then watches the tray dialog: succeeds
//                 once its icon has gone and come back, printing how many
//                 milliseconds it was gone (an adapter restart)
//   rect          prints the sheet's screen rectangle as WxH+X+Y
//   pixels ID RRGGBB  prints how many pixels of the control's client area
//                 show that colour on the screen (a graph's pen, say)
//
// Message boxes (any top-level dialog of that title):
//   answer TITLE  until a box titled TITLE is up; prints its text (the
//                 static control 0xFFFF, else every static's text, one per
//                 line), then presses its OK button
//
// The notification area of the desktop's shell (Wine's explorer, whose
// icons are drawn by the taskbar window and described by one tooltip tool
// each):
//   tray          prints "ICON TOOLTIP" for the first tool showing one of
//                 wavedesk's tray icons: ICON is the icon resource (131, 152
//                 or 154) found by comparing the screen's pixels in the
//                 tool's rectangle with those icons of wavedesk.exe beside
//                 wdctl.exe, drawn as the shell draws them (at the small
//                 icon size, which grows with the DPI); "0" with no tooltip
//                 when none is shown
//   wait-tray ICON  until the notification area shows icon resource ICON
//                 (0: none of them)
//   tray-rect     prints the rectangle of that tool (WxH+X+Y), for a
//                 picture of the notification area
//   point-tray    moves the mouse pointer onto that icon, so that the shell
//                 shows its tooltip
//
// Exit code 0 on success, 1 when the wait ran out (default 20 s) or the
// window is missing, 2 for a usage error.
#include <windows.h>

#include <commctrl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

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

// --- Controls of the sheet's current page ---------------------------------

const UINT kSendTimeout = 10000;

HWND CurrentPage(HWND sheet) {
    DWORD_PTR page = 0;
    if (!::SendMessageTimeoutA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout,
                               &page))
        return nullptr;
    return reinterpret_cast<HWND>(page);
}

HWND PageControl(int id) {
    HWND sheet = Look().sheet;
    HWND page = sheet ? CurrentPage(sheet) : nullptr;
    return page ? ::GetDlgItem(page, id) : nullptr;
}

bool IsClass(HWND window, const char* name) {
    char cls[64] = {};
    ::GetClassNameA(window, cls, sizeof cls);
    return _stricmp(cls, name) == 0;
}

// WM_GETTEXT across processes (Wine and Windows marshal it); false when the
// window does not answer.
bool ReadText(HWND window, std::string& out) {
    char text[1024] = {};
    DWORD_PTR got = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                               SMTO_ABORTIFHUNG, kSendTimeout, &got))
        return false;
    out.assign(text, got < sizeof text ? got : sizeof text - 1);
    return true;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeout, &result);
    return static_cast<LRESULT>(result);
}

bool TypeText(HWND control, const char* text) {
    HWND target = control;
    if (IsClass(control, WC_COMBOBOXA)) {
        target = ::FindWindowExA(control, nullptr, WC_EDITA, nullptr);
        if (!target)
            return false;
    }
    Send(target, EM_SETSEL, 0, -1);
    for (const char* c = text; *c; ++c)
        Send(target, WM_CHAR, static_cast<unsigned char>(*c), 1);
    return true;
}

bool PrintItems(HWND combo) {
    if (!IsClass(combo, WC_COMBOBOXA))
        return false;
    Send(combo, CB_SHOWDROPDOWN, TRUE, 0);
    LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Wide: Wine 8 hands the ANSI form of this message across processes
        // as wide text cut to its first character.
        wchar_t wide[1024] = {};
        char item[1024] = {};
        DWORD_PTR length = 0;
        if (::SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeout,
                                  &length) &&
            length < sizeof wide / sizeof wide[0]) {
            ::SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide),
                                  SMTO_ABORTIFHUNG, kSendTimeout, &length);
            ::WideCharToMultiByte(CP_ACP, 0, wide, -1, item, sizeof item, nullptr, nullptr);
        }
        printf("%s\n", item);
    }
    Send(combo, CB_SHOWDROPDOWN, FALSE, 0);
    return count >= 0;
}

int ButtonCode(const char* name) {
    if (!name)
        return -1;
    if (strcmp(name, "ok") == 0)
        return PSBTN_OK;
    if (strcmp(name, "cancel") == 0)
        return PSBTN_CANCEL;
    if (strcmp(name, "apply") == 0)
        return PSBTN_APPLYNOW;
    return -1;
}

// Watches the tray dialog's user data (non-zero exactly while the icon is
// shown) as closely as the system lets us: the icon is gone only while the
// adapter restarts. The milliseconds it was gone, or -1.
long WatchIconGoneAndBack(HWND tray, double seconds) {
    DWORD end = ::GetTickCount() + static_cast<DWORD>(seconds * 1000);
    DWORD goneAt = 0;
    bool gone = false;
    while (static_cast<LONG>(::GetTickCount() - end) < 0 && ::IsWindow(tray)) {
        bool shown = IconShown(tray);
        if (!gone && !shown) {
            gone = true;
            goneAt = ::GetTickCount();
        } else if (gone && shown) {
            return static_cast<long>(::GetTickCount() - goneAt);
        }
        ::Sleep(0);
    }
    return -1;
}

std::string Geometry(const RECT& r) {
    char text[64];
    snprintf(text, sizeof text, "%ldx%ld+%ld+%ld", r.right - r.left, r.bottom - r.top, r.left,
             r.top);
    return text;
}

// The pixels of `control`'s client area on the screen that are `color`;
// -1 when they cannot be read.
long CountScreenPixels(HWND control, COLORREF color) {
    RECT client;
    if (!::GetClientRect(control, &client))
        return -1;
    ::MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&client), 2);
    int width = client.right - client.left, height = client.bottom - client.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP copy = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, copy);
    ::BitBlt(memory, 0, 0, width, height, screen, client.left, client.top, SRCCOPY);
    long count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            count += ::GetPixel(memory, x, y) == color;
    ::SelectObject(memory, old);
    ::DeleteObject(copy);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return count;
}

// --- Message boxes ---------------------------------------------------------

HWND FindBox(const char* title) {
    for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32770", title); w;
         w = ::FindWindowExA(nullptr, w, "#32770", title))
        if (::IsWindowVisible(w))
            return w;
    return nullptr;
}

std::string BoxText(HWND box) {
    std::string text;
    if (HWND message = ::GetDlgItem(box, 0xFFFF)) {
        ReadText(message, text);
        return text;
    }
    for (HWND c = ::FindWindowExA(box, nullptr, WC_STATICA, nullptr); c;
         c = ::FindWindowExA(box, c, WC_STATICA, nullptr)) {
        std::string line;
        if (ReadText(c, line) && !line.empty())
            text += line + "\n";
    }
    return text;
}

// --- The shell's notification area ----------------------------------------

// One tooltip tool of the shell's taskbar: its rectangle (taskbar client
// coordinates) and text. The tooltip control lives in the shell's process,
// so the tool record and its text are read through memory allocated there.
struct ShellTool {
    RECT rect = {};
    std::string text;
};

std::vector<ShellTool> ShellTools(HWND taskbar) {
    std::vector<ShellTool> tools;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(taskbar, &pid);
    HANDLE process =
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return tools;
    const SIZE_T kTextOffset = 512, kTextSize = 1024;
    char* remote = static_cast<char*>(
        ::VirtualAllocEx(process, nullptr, kTextOffset + kTextSize, MEM_COMMIT, PAGE_READWRITE));
    for (HWND tip = remote ? ::FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr) : nullptr;
         tip; tip = ::FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(tip, &owner);
        if (owner != pid)
            continue;
        LRESULT count = Send(tip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            TOOLINFOA info = {};
            info.cbSize = sizeof info;
            info.lpszText = remote + kTextOffset;
            char text[kTextSize] = {};
            if (!::WriteProcessMemory(process, remote + kTextOffset, text, sizeof text, nullptr) ||
                !::WriteProcessMemory(process, remote, &info, sizeof info, nullptr) ||
                !Send(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(remote)) ||
                !::ReadProcessMemory(process, remote, &info, sizeof info, nullptr) ||
                !::ReadProcessMemory(process, remote + kTextOffset, text, sizeof text - 1, nullptr))
                continue;
            if (info.hwnd != taskbar)
                continue;
            ShellTool tool;
            tool.rect = info.rect;
            tool.text = text;
            tools.push_back(tool);
        }
    }
    if (remote)
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    ::CloseHandle(process);
    return tools;
}

// A picture drawn by `paint` into a 32-bit bitmap, as 0x00RRGGBB words, top
// row first; empty when `paint` fails.
template <typename Paint> std::vector<uint32_t> Draw(int width, int height, Paint paint) {
    std::vector<uint32_t> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP picture = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (picture) {
        HGDIOBJ old = ::SelectObject(memory, picture);
        if (paint(memory)) {
            ::GdiFlush();
            const uint32_t* p = static_cast<const uint32_t*>(bits);
            pixels.assign(p, p + width * height);
            for (uint32_t& v : pixels)
                v &= 0xFFFFFF;
        }
        ::SelectObject(memory, old);
        ::DeleteObject(picture);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// `icon` drawn at `size` over `background`.
std::vector<uint32_t> Render(HICON icon, SIZE size, COLORREF background) {
    return Draw(size.cx, size.cy, [&](HDC dc) {
        RECT all = {0, 0, size.cx, size.cy};
        HBRUSH brush = ::CreateSolidBrush(background);
        ::FillRect(dc, &all, brush);
        ::DeleteObject(brush);
        return ::DrawIconEx(dc, 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL) != FALSE;
    });
}

// One of wavedesk's tray icons as the shell shows it: its opaque pixels and
// their colours, top row first.
struct IconPattern {
    int resource = 0;
    SIZE size = {};
    std::vector<uint32_t> colour;
    std::vector<bool> opaque;
    int opaqueCount = 0;
};

// The shell draws a tray icon at the small icon size, which grows with the
// screen's DPI (20 x 20 at 120 DPI), stretching the 16 x 16 image the
// utility hands it. The icon is drawn so here too, over black and over
// white: its opaque pixels are those that read the same on both.
bool LoadPattern(HMODULE module, int resource, IconPattern& out) {
    // The size the utility loads its tray icons at.
    HICON icon =
        static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(resource), IMAGE_ICON, 16, 16, 0));
    if (!icon)
        return false;
    out.resource = resource;
    out.size = {::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON)};
    std::vector<uint32_t> overBlack = Render(icon, out.size, RGB(0, 0, 0));
    out.colour = Render(icon, out.size, RGB(255, 255, 255));
    ::DestroyIcon(icon);
    if (overBlack.empty() || overBlack.size() != out.colour.size())
        return false;
    out.opaque.resize(out.colour.size());
    for (size_t i = 0; i < out.colour.size(); ++i) {
        out.opaque[i] = overBlack[i] == out.colour[i];
        out.opaqueCount += out.opaque[i] ? 1 : 0;
    }
    return out.opaqueCount > 0;
}

std::string BinDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\'));
}

std::vector<IconPattern> TrayIconPatterns() {
    std::vector<IconPattern> patterns;
    HMODULE module =
        ::LoadLibraryExA((BinDir() + "\\wavedesk.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return patterns;
    for (int resource : {IDI_LINK_GOOD, IDI_LINK_NONE, IDI_LINK_WEAK}) {
        IconPattern pattern;
        if (LoadPattern(module, resource, pattern))
            patterns.push_back(pattern);
    }
    ::FreeLibrary(module);
    return patterns;
}

// The screen's pixels in `r` (screen coordinates), top row first.
std::vector<uint32_t> Capture(const RECT& r) {
    return Draw(r.right - r.left, r.bottom - r.top, [&](HDC dc) {
        HDC screen = ::GetDC(nullptr);
        bool ok = ::BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top,
                           SRCCOPY) != FALSE;
        ::ReleaseDC(nullptr, screen);
        return ok;
    });
}

// True when every opaque pixel of `pattern` appears at some place in the
// picture of `r`.
bool Shows(const std::vector<uint32_t>& pixels, const RECT& r, const IconPattern& pattern) {
    int width = r.right - r.left, height = r.bottom - r.top;
    int cx = pattern.size.cx, cy = pattern.size.cy;
    for (int y = 0; y + cy <= height; ++y)
        for (int x = 0; x + cx <= width; ++x) {
            bool all = true;
            for (int i = 0; all && i < cx * cy; ++i)
                if (pattern.opaque[i])
                    all = pixels[(y + i / cx) * width + x + i % cx] == pattern.colour[i];
            if (all)
                return true;
        }
    return false;
}

struct TrayView {
    int icon = 0; // icon resource shown, 0 for none of ours
    std::string tooltip;
    RECT rect = {}; // screen coordinates
};

// The first tool of the notification area that shows one of our icons. An
// icon whose opaque pixels all lie within another's (the adapter without
// arcs within the one with them) matches where the larger is shown; the
// icon with the most matching pixels wins.
TrayView LookAtTray() {
    TrayView view;
    HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
    if (!taskbar)
        return view;
    std::vector<IconPattern> patterns = TrayIconPatterns();
    for (const ShellTool& tool : ShellTools(taskbar)) {
        RECT r = tool.rect;
        ::MapWindowPoints(taskbar, nullptr, reinterpret_cast<POINT*>(&r), 2);
        std::vector<uint32_t> pixels = Capture(r);
        if (pixels.empty())
            continue;
        int best = 0, bestCount = 0;
        for (const IconPattern& pattern : patterns)
            if (pattern.opaqueCount > bestCount && Shows(pixels, r, pattern)) {
                best = pattern.resource;
                bestCount = pattern.opaqueCount;
            }
        if (best) {
            view.icon = best;
            view.tooltip = tool.text;
            view.rect = r;
            return view;
        }
    }
    return view;
}

int Usage() {
    fputs("usage: wdctl [-d DESKTOP] [-t SECONDS] COMMAND [ARG...]\n"
          "commands: wait-window wait-icon wait-no-icon open menu{open|exit} wait-sheet\n"
          "          wait-no-sheet page N shell-restart exit wait-exit count state shot FILE\n"
          "          text ID  wait-text ID TEXT  type ID TEXT  click ID  items ID\n"
          "          press BUTTON  press-watch BUTTON  rect  pixels ID RRGGBB  answer TITLE\n"
          "          tray  wait-tray ICON  tray-rect  point-tray\n",
          stderr);
    return 2;
}

// The commands on the sheet's page, the message boxes and the shell's
// notification area; -1 when `command` is none of them.
int RunOnWindows(const std::string& command, const char* arg, const char* arg2, double timeout) {
    if (command == "text" || command == "type" || command == "click" || command == "items") {
        if (!arg || (command == "type" && !arg2))
            return Usage();
        HWND control = PageControl(atoi(arg));
        if (!control)
            return 1;
        if (command == "text") {
            std::string text;
            if (!ReadText(control, text))
                return 1;
            printf("%s\n", text.c_str());
            return 0;
        }
        if (command == "type")
            return TypeText(control, arg2) ? 0 : 1;
        if (command == "click") {
            Send(control, BM_CLICK, 0, 0);
            return 0;
        }
        return PrintItems(control) ? 0 : 1;
    }
    if (command == "wait-text") {
        if (!arg || !arg2)
            return Usage();
        int id = atoi(arg);
        std::string last;
        bool ok = WaitFor(timeout, [&] {
            HWND control = PageControl(id);
            return control && ReadText(control, last) && last == arg2;
        });
        if (!ok)
            fprintf(stderr, "wdctl: control %d reads \"%s\"\n", id, last.c_str());
        return ok ? 0 : 1;
    }
    if (command == "press" || command == "press-watch") {
        int button = ButtonCode(arg);
        if (button < 0)
            return Usage();
        Found now = Look();
        if (!now.sheet || (command == "press-watch" && !now.tray))
            return 1;
        ::PostMessageA(now.sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
        if (command == "press")
            return 0;
        long gone = WatchIconGoneAndBack(now.tray, timeout);
        if (gone < 0)
            return 1;
        printf("%ld\n", gone);
        return 0;
    }
    if (command == "pixels") {
        if (!arg || !arg2)
            return Usage();
        unsigned long rgb = strtoul(arg2, nullptr, 16);
        HWND control = PageControl(atoi(arg));
        long count =
            control
                ? CountScreenPixels(control, RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF))
                : -1;
        if (count < 0)
            return 1;
        printf("%ld\n", count);
        return 0;
    }
    if (command == "rect") {
        HWND sheet = Look().sheet;
        RECT r;
        if (!sheet || !::GetWindowRect(sheet, &r))
            return 1;
        printf("%s\n", Geometry(r).c_str());
        return 0;
    }
    if (command == "answer") {
        if (!arg)
            return Usage();
        HWND box = nullptr;
        if (!WaitFor(timeout, [&] { return (box = FindBox(arg)) != nullptr; }))
            return 1;
        printf("%s\n", BoxText(box).c_str());
        if (HWND ok = ::GetDlgItem(box, IDOK))
            ::PostMessageA(ok, BM_CLICK, 0, 0);
        else
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        return WaitFor(timeout, [&] { return !::IsWindow(box); }) ? 0 : 1;
    }
    if (command == "tray" || command == "tray-rect" || command == "point-tray") {
        TrayView view = LookAtTray();
        if (command == "point-tray") {
            if (!view.icon)
                return 1;
            int x = (view.rect.left + view.rect.right) / 2,
                y = (view.rect.top + view.rect.bottom) / 2;
            // Two moves: the shell notices the pointer arriving over the icon.
            ::SetCursorPos(x - 1, y);
            ::Sleep(100);
            return ::SetCursorPos(x, y) ? 0 : 1;
        }
        if (command == "tray-rect") {
            if (!view.icon)
                return 1;
            printf("%s\n", Geometry(view.rect).c_str());
        } else {
            printf("%d %s\n", view.icon, view.tooltip.c_str());
        }
        return 0;
    }
    if (command == "wait-tray") {
        if (!arg)
            return Usage();
        int want = atoi(arg);
        int seen = 0;
        bool ok = WaitFor(timeout, [&] { return (seen = LookAtTray().icon) == want; });
        if (!ok)
            fprintf(stderr, "wdctl: the notification area shows icon %d\n", seen);
        return ok ? 0 : 1;
    }
    return -1;
}

int Run(const std::string& command, const char* arg, const char* arg2, double timeout) {
    int result = RunOnWindows(command, arg, arg2, timeout);
    if (result >= 0)
        return result;
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
    return Run(argv[i], i + 1 < argc ? argv[i + 1] : nullptr, i + 2 < argc ? argv[i + 2] : nullptr,
               timeout);
}
