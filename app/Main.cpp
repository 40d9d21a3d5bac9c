// wavedesk: the tray utility's entry point.
#include <windows.h>

#include "W32N.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Loading NXLIB32 at start-up is part of the contract with the library.
    return W32N_IsWindowsNT() || W32N_IsWindows95() ? 0 : 1;
}
