#include "tray/ShellNotify.h"

namespace {

BOOL WINAPI SystemShellNotify(DWORD message, TrayIconRecord* record) {
    return ::Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(record));
}

ShellNotifyProc g_proc = &SystemShellNotify;

} // namespace

BOOL ShellNotify(DWORD message, TrayIconRecord* record) {
    return g_proc(message, record);
}

ShellNotifyProc SetShellNotifyProc(ShellNotifyProc proc) {
    ShellNotifyProc previous = g_proc == &SystemShellNotify ? nullptr : g_proc;
    g_proc = proc ? proc : &SystemShellNotify;
    return previous;
}
