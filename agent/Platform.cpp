// Platform detection and the per-process error word.
#include "W32N.h"

namespace {

LONG g_errorWord = 0;
OSVERSIONINFOA g_osVersion;
BOOL g_ntChecked = FALSE;
BOOL g_isNT = FALSE;
BOOL g_w95Checked = FALSE;
BOOL g_is95 = FALSE;

} // namespace

W32N_API int WINAPI W32N_GetLastError(void) {
    return InterlockedExchange(&g_errorWord, 0);
}

W32N_API UINT WINAPI W32N_OSGetPlatformVersion(int platformId) {
    g_osVersion.dwOSVersionInfoSize = sizeof(g_osVersion);
    if (!GetVersionExA(&g_osVersion))
        return 0;
    return g_osVersion.dwPlatformId == static_cast<DWORD>(platformId) ? g_osVersion.dwMajorVersion
                                                                      : 0;
}

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

W32N_API BOOL WINAPI W32N_IsWindows2000(void) {
    return W32N_IsWindowsNT() && g_osVersion.dwMajorVersion == 5;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
