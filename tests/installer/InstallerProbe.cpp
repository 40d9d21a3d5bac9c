// installer_probe: reads, for the installer tests' scripts, what a prefix
// holds after the installer ran and what the running utility shows. Texts
// are printed as their bytes (ANSI), without a newline, so a script can
// compare them exactly.
//
//   installer_probe key PATH            exit 0 when HKLM\PATH exists
//   installer_probe sz PATH NAME        the REG_SZ text of HKLM\PATH, NAME
//   installer_probe dword PATH NAME     the REG_DWORD value, in decimal
//   installer_probe adapter-key         the simulated adapter's own key (its
//                                       2000/XP class key instance)
//   installer_probe page-text ID        the text of control ID on the open
//                                       property sheet's current page
//   installer_probe page-checked ID     1 when that button is checked, else 0
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
        type != REG_SZ)
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

int Usage() {
    fputs("usage: installer_probe key PATH | sz PATH NAME | dword PATH NAME | adapter-key\n"
          "                       | page-text ID | page-checked ID\n",
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
