// Loads NXLIB32 at a signal, for the test of many processes attaching at
// the same moment:
//   nxload <armed-semaphore> <go-event> <loaded-semaphore> <quit-event>
// Releases <armed-semaphore> once it waits for <go-event>; then loads the
// library, releases <loaded-semaphore>, waits for <quit-event> and unloads.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 5)
        return 2;
    HANDLE armed = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, argv[1]);
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    HANDLE loaded = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, argv[3]);
    HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
    if (!armed || !go || !loaded || !quit)
        return 3;
    ReleaseSemaphore(armed, 1, nullptr);
    if (WaitForSingleObject(go, 120000) != WAIT_OBJECT_0)
        return 4;
    HMODULE library = LoadLibraryA("NXLIB32.dll");
    if (!library)
        return 5;
    ReleaseSemaphore(loaded, 1, nullptr);
    DWORD waited = WaitForSingleObject(quit, 120000);
    FreeLibrary(library);
    return waited == WAIT_OBJECT_0 ? 0 : 6;
}
