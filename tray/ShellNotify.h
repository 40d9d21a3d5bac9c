// Every Shell_NotifyIconA call of the tray icon goes through here, so that
// tests can watch what reaches the shell.
#pragma once

#include <windows.h>

#include "tray/TrayIconRecord.h"

typedef BOOL(WINAPI* ShellNotifyProc)(DWORD message, TrayIconRecord* record);

// NIM_ADD, NIM_MODIFY or NIM_DELETE with `record`; the shell's answer.
BOOL ShellNotify(DWORD message, TrayIconRecord* record);

// Replaces Shell_NotifyIconA; null restores it. Returns the previous one.
ShellNotifyProc SetShellNotifyProc(ShellNotifyProc proc);
