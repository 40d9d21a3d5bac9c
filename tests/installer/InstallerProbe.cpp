// installer_probe: reads, for the installer tests' scripts, what a prefix
// holds after the installer ran and what the running utility shows. Texts
// are printed as their bytes (ANSI), without a newline, so a script can
// compare them exactly.
//
//   installer_probe key PATH            exit 0 when HKLM\PATH exists
//   installer_probe sz PATH NAME        the REG_SZ (or REG_EXPAND_SZ, unexpanded) text
//                                       of HKLM\PATH, NAME
//   installer_probe dword PATH NAME     the REG_DWORD value, in decimal
//   installer_probe multi PATH NAME     the texts of a REG_MULTI_SZ value, one a line
//   installer_probe adapter-key         the simulated adapter's own key (its
//                                       2000/XP class key instance)
//   installer_probe page-text ID        the text of control ID on the open
//                                       property sheet's current page
//   installer_probe page-checked ID     1 when that button is checked, else 0
//   installer_probe tray-process        the process id of the tray dialog (the tool
//                                       window titled with string 1)
//   installer_probe refuse-exit         stands for a utility that does not end:
//                                       a tool window titled as the tray dialog
//                                       that ignores "Exit", until `close`
//   installer_probe hold FILE           keeps FILE open (others may read it, not
//                                       delete it), until `close`
//   installer_probe wait                until one of them is there (at most 30 s)
//   installer_probe close               ends the two above and waits until they
//                                       are gone
//
// Exit code 1 when the key, value, sheet or control is missing, 2 for a
// usage error.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "res/resource.h"
#include "sim/SimControl.h"

namespace {

class Key {
public:
    explicit Key(const char* path) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key() {
        if (key_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool ReadText(const char* path, const char* name, std::string& out) {
    Key key(path);
    char buffer[2048];
    DWORD size = sizeof buffer - 1, type = 0;
    if (!key.get() ||
        RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    buffer[size] = '\0';
    out = buffer;
    return true;
}

// The sheet: the window titled with string 1 that has a tab control.
HWND FindSheet() {
    char title[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_APP_TITLE, title, sizeof title);
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, title); w;
         w = FindWindowExA(nullptr, w, nullptr, title)) {
        if (FindWindowExA(w, nullptr, WC_TABCONTROLA, nullptr))
            return w;
    }
    return nullptr;
}

HWND PageControl(const char* idText) {
    HWND sheet = FindSheet();
    if (!sheet)
        return nullptr;
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    return page ? GetDlgItem(page, atoi(idText)) : nullptr;
}

const char kStandInClass[] = "installer_probe";

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == ID_TRAY_EXIT)
        return 0; // refused
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window of our own class, living until `close` sends it WM_CLOSE (the
// test's end kills it at the latest).
int RunStandIn(const char* title, DWORD exStyle) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kStandInClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(exStyle, kStandInClass, title, WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (!window)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

int Close() {
    for (int i = 0; i < 100; ++i) {
        HWND window = FindWindowA(kStandInClass, nullptr);
        if (!window)
            return 0;
        PostMessageA(window, WM_CLOSE, 0, 0);
        Sleep(100);
    }
    return 1;
}

int Usage() {
    fputs("usage: installer_probe key PATH | sz PATH NAME | dword PATH NAME | multi PATH NAME\n"
          "                       | adapter-key | page-text ID | page-checked ID\n"
          "                       | tray-process | refuse-exit | hold FILE | wait | close\n",
          stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    std::string command = argv[1];
    if (command == "key" && argc == 3) {
        Key key(argv[2]);
        return key.get() ? 0 : 1;
    }
    if (command == "sz" && argc == 4) {
        std::string text;
        if (!ReadText(argv[2], argv[3], text))
            return 1;
        fputs(text.c_str(), stdout);
        return 0;
    }
    if (command == "dword" && argc == 4) {
        Key key(argv[2]);
        DWORD value = 0, size = sizeof value, type = 0;
        if (!key.get() ||
            RegQueryValueExA(key.get(), argv[3], nullptr, &type, reinterpret_cast<BYTE*>(&value),
                             &size) != ERROR_SUCCESS ||
            type != REG_DWORD)
            return 1;
        printf("%lu", static_cast<unsigned long>(value));
        return 0;
    }
    if (command == "multi" && argc == 4) {
        Key key(argv[2]);
        char buffer[8192];
        DWORD size = sizeof buffer - 2, type = 0;
        if (!key.get() ||
            RegQueryValueExA(key.get(), argv[3], nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                             &size) != ERROR_SUCCESS ||
            type != REG_MULTI_SZ)
            return 1;
        buffer[size] = buffer[size + 1] = '\0';
        // Empty texts may stand between others (a rename's empty target).
        for (const char* text = buffer; text < buffer + size; text += strlen(text) + 1) {
            if (*text)
                printf("%s\n", text);
        }
        return 0;
    }
    if (command == "tray-process" && argc == 2) {
        char title[256] = {};
        LoadStringA(GetModuleHandleA(nullptr), IDS_APP_TITLE, title, sizeof title);
        for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, title); w;
             w = FindWindowExA(nullptr, w, nullptr, title)) {
            if (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) {
                DWORD process = 0;
                GetWindowThreadProcessId(w, &process);
                printf("%lu", static_cast<unsigned long>(process));
                return 0;
            }
        }
        return 1;
    }
    if (command == "refuse-exit" && argc == 2) {
        char title[256] = {};
        LoadStringA(GetModuleHandleA(nullptr), IDS_APP_TITLE, title, sizeof title);
        return RunStandIn(title, WS_EX_TOOLWINDOW);
    }
    if (command == "hold" && argc == 3) {
        HANDLE file =
            CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 1;
        int status = RunStandIn("installer_probe hold", 0);
        CloseHandle(file);
        return status;
    }
    if (command == "wait" && argc == 2) {
        for (int i = 0; i < 300; ++i) {
            if (FindWindowA(kStandInClass, nullptr))
                return 0;
            Sleep(100);
        }
        return 1;
    }
    if (command == "close" && argc == 2)
        return Close();
    if (command == "adapter-key" && argc == 2) {
        // The path nxsim would use: ours when it is there, else a free one.
        std::string path = SimClassInstanceKeyPath(), id;
        if (!ReadText(path.c_str(), "NetCfgInstanceID", id) || id != NX_SIM_NET_CFG_INSTANCE_ID)
            return 1;
        fputs(path.c_str(), stdout);
        return 0;
    }
    if (command == "page-text" && argc == 3) {
        HWND control = PageControl(argv[2]);
        if (!control)
            return 1;
        char text[1024] = {};
        SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        fputs(text, stdout);
        return 0;
    }
    if (command == "page-checked" && argc == 3) {
        HWND control = PageControl(argv[2]);
        if (!control)
            return 1;
        fputs(SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "0", stdout);
        return 0;
    }
    return Usage();
}
