// Platform detection and the per-process error word.
#include "Library.h"
#include "SystemCalls.h"
#include "W32N.h"

namespace {

LONG g_errorWord = 0;
OSVERSIONINFOA g_osVersion;
BOOL g_ntChecked = FALSE;
BOOL g_isNT = FALSE;
BOOL g_w95Checked = FALSE;
BOOL g_is95 = FALSE;

} // namespace

int SetErrorWord(int value) {
    return InterlockedExchange(&g_errorWord, value);
}

DWORD StoreSystemError() {
    DWORD error = GetLastError();
    SetErrorWord(static_cast<int>(error));
    return error;
}

int PeekErrorWord() {
    return InterlockedCompareExchange(&g_errorWord, 0, 0);
}

void ForgetPlatformAnswers() {
    g_ntChecked = g_w95Checked = FALSE;
    g_isNT = g_is95 = FALSE;
    ZeroMemory(&g_osVersion, sizeof g_osVersion);
}

// Returns the error word and clears it.
W32N_API int WINAPI W32N_GetLastError(void) {
    return SetErrorWord(0);
}

// The major version when the running platform is `platformId` (1: 95 family,
// 2: NT family), else 0; 0 also when the version cannot be read.
W32N_API UINT WINAPI W32N_OSGetPlatformVersion(int platformId) {
    g_osVersion.dwOSVersionInfoSize = sizeof(g_osVersion);
    if (!Sys().getVersionEx(&g_osVersion))
        return 0;
    return g_osVersion.dwPlatformId == static_cast<DWORD>(platformId) ? g_osVersion.dwMajorVersion
                                                                      : 0;
}

// Computed once per process; the family never changes under a process.
W32N_API BOOL WINAPI W32N_IsWindowsNT(void) {
    if (!g_ntChecked) {
        g_isNT = W32N_OSGetPlatformVersion(VER_PLATFORM_WIN32_NT) != 0;
        g_ntChecked = TRUE;
    }
    return g_isNT;
}

W32N_API BOOL WINAPI W32N_IsWindows95(void) {
    if (!g_w95Checked) {
        g_is95 = W32N_OSGetPlatformVersion(VER_PLATFORM_WIN32_WINDOWS) != 0;
        g_w95Checked = TRUE;
    }
    return g_is95;
}

// Not cached: reads the version record that the first NT check filled.
// Windows XP (5.1) answers true as well.
W32N_API BOOL WINAPI W32N_IsWindows2000(void) {
    return W32N_IsWindowsNT() && g_osVersion.dwMajorVersion == 5;
}
