// The record Shell_NotifyIconA takes, in its 488-byte form (the shell of
// Windows 2000; older shells read the fields they know). One icon is named
// by the owner window and the id. i686 layout.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <stddef.h>

#include "tray/TooltipText.h"

struct TrayIconRecord {
    DWORD size;           // 0: 488
    HWND window;          // 4: owner, receives the callback message
    UINT id;              // 8
    UINT flags;           // 12: NIF_MESSAGE, NIF_ICON, NIF_TIP
    UINT callbackMessage; // 16
    HICON icon;           // 20
    char tip[128];        // 24: at most 127 bytes and a zero
    DWORD state;          // 152
    DWORD stateMask;      // 156
    char info[256];       // 160: balloon text (unused)
    UINT timeout;         // 416: balloon timeout or version (unused)
    char infoTitle[64];   // 420
    DWORD infoFlags;      // 484
};

static_assert(sizeof(TrayIconRecord) == 488, "record size");
static_assert(sizeof(TrayIconRecord) == NOTIFYICONDATAA_V2_SIZE, "the shell's 488-byte form");
static_assert(offsetof(TrayIconRecord, window) == 4, "window");
static_assert(offsetof(TrayIconRecord, id) == 8, "id");
static_assert(offsetof(TrayIconRecord, flags) == 12, "flags");
static_assert(offsetof(TrayIconRecord, callbackMessage) == 16, "callbackMessage");
static_assert(offsetof(TrayIconRecord, icon) == 20, "icon");
static_assert(offsetof(TrayIconRecord, tip) == 24, "tip");
static_assert(offsetof(TrayIconRecord, state) == 152, "state");
static_assert(offsetof(TrayIconRecord, info) == 160, "info");
static_assert(offsetof(TrayIconRecord, timeout) == 416, "timeout");
static_assert(offsetof(TrayIconRecord, infoTitle) == 420, "infoTitle");
static_assert(offsetof(TrayIconRecord, infoFlags) == 484, "infoFlags");
static_assert(offsetof(TrayIconRecord, tip) == offsetof(NOTIFYICONDATAA, szTip), "szTip");
static_assert(offsetof(TrayIconRecord, infoFlags) == offsetof(NOTIFYICONDATAA, dwInfoFlags),
              "dwInfoFlags");
static_assert(sizeof(TrayIconRecord::tip) == kTooltipMaxBytes + 1, "tooltip field");
