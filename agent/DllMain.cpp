// The library entry point; the work is in LibraryAttach/LibraryDetach.
#include "Library.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return LibraryAttach(module) ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
        LibraryDetach();
        return TRUE;
    default:
        return TRUE;
    }
}
