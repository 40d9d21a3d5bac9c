// The record Shell_NotifyIconA takes, in its 488-byte form (the shell of
// Windows 2000; older shells read the fields they know). One icon is named
// by the owner window and the id. Offsets: i686, then x86-64 (the 64-bit
// test build) where they differ; 504 bytes there.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <stddef.h>

#include "tray/TooltipText.h"

struct TrayIconRecord {
    DWORD size;           // 0: 488 | 504
    HWND window;          // 4 | 8: owner, receives the callback message
    UINT id;              // 8 | 16
    UINT flags;           // 12 | 20: NIF_MESSAGE, NIF_ICON, NIF_TIP
    UINT callbackMessage; // 16 | 24
    HICON icon;           // 20 | 32
    char tip[128];        // 24 | 40: at most 127 bytes and a zero
    DWORD state;          // 152 | 168
    DWORD stateMask;      // 156 | 172
    char info[256];       // 160 | 176: balloon text (unused)
    UINT timeout;         // 416 | 432: balloon timeout or version (unused)
    char infoTitle[64];   // 420 | 436
    DWORD infoFlags;      // 484 | 500
};

#ifdef _WIN64
static_assert(sizeof(TrayIconRecord) == 504, "record size");
static_assert(offsetof(TrayIconRecord, window) == 8, "window");
static_assert(offsetof(TrayIconRecord, id) == 16, "id");
static_assert(offsetof(TrayIconRecord, flags) == 20, "flags");
static_assert(offsetof(TrayIconRecord, callbackMessage) == 24, "callbackMessage");
static_assert(offsetof(TrayIconRecord, icon) == 32, "icon");
static_assert(offsetof(TrayIconRecord, tip) == 40, "tip");
static_assert(offsetof(TrayIconRecord, state) == 168, "state");
static_assert(offsetof(TrayIconRecord, info) == 176, "info");
static_assert(offsetof(TrayIconRecord, timeout) == 432, "timeout");
static_assert(offsetof(TrayIconRecord, infoTitle) == 436, "infoTitle");
static_assert(offsetof(TrayIconRecord, infoFlags) == 500, "infoFlags");
#else
static_assert(sizeof(TrayIconRecord) == 488, "record size");
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
#endif
static_assert(sizeof(TrayIconRecord) == NOTIFYICONDATAA_V2_SIZE, "the shell's Windows 2000 form");
static_assert(offsetof(TrayIconRecord, tip) == offsetof(NOTIFYICONDATAA, szTip), "szTip");
static_assert(offsetof(TrayIconRecord, infoFlags) == offsetof(NOTIFYICONDATAA, dwInfoFlags),
              "dwInfoFlags");
static_assert(sizeof(TrayIconRecord::tip) == kTooltipMaxBytes + 1, "tooltip field");
