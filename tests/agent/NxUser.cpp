// A process that has NXLIB32 loaded for as long as a test wants:
//   nxuser <ready-event> <quit-event> [open <adapter name>]
// Signals <ready-event> once loaded (and after the optional open and close),
// then waits for <quit-event> and exits, unloading the library.
#include <windows.h>

#include <string.h>

#include "agent/W32N.h"

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    if (argc >= 5 && strcmp(argv[3], "open") == 0) {
        HANDLE adapter = W32N_OpenAdapterA(argv[4]);
        if (adapter != INVALID_HANDLE_VALUE)
            W32N_CloseAdapter(adapter);
    }
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!ready || !quit)
        return 3;
    SetEvent(ready);
    DWORD waited = WaitForSingleObject(quit, 120000);
    CloseHandle(ready);
    CloseHandle(quit);
    return waited == WAIT_OBJECT_0 ? 0 : 4;
}
