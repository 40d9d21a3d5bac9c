// Process attach and detach: the machine-wide count of processes that have
// the library loaded, and removal of the protocol driver by the last one
// out when the driver asked for it.
#include "Library.h"
#include "SystemCalls.h"

namespace {

HMODULE g_module = nullptr;
HANDLE g_mapping = nullptr;
UserCountBlock* g_view = nullptr;  // the mapped view
UserCountBlock* g_block = nullptr; // what closes and the detach use

} // namespace

void ScopedHandle::reset(HANDLE h) {
    if (valid())
        CloseHandle(h_);
    h_ = h;
}

HMODULE LibraryModule() {
    return g_module;
}

UserCountBlock* SharedBlock() {
    return g_block;
}

UserCountBlock* UseUserCountBlock(UserCountBlock* block) {
    UserCountBlock* previous = g_block;
    g_block = block;
    return previous;
}

// A fresh page-file mapping is all zeros, so the first loader has nothing to
// start: zeroing it here would wipe the count of any process that opened
// and counted itself in between this one's create and its increment.
bool LibraryAttach(HINSTANCE module) {
    g_module = module;
    if (g_view)
        return true;
    HANDLE mapping = Sys().createFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                             sizeof(UserCountBlock), NX_USER_COUNT_MAPPING);
    if (!mapping)
        return false;
    void* view = Sys().mapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    if (!view) {
        Sys().closeHandle(mapping);
        return false;
    }
    g_mapping = mapping;
    g_view = g_block = static_cast<UserCountBlock*>(view);
    InterlockedIncrement(reinterpret_cast<volatile LONG*>(&g_view->users));
    return true;
}

void LibraryDetach() {
    if (!g_view)
        return;
    volatile LONG* users = reinterpret_cast<volatile LONG*>(&g_view->users);
    InterlockedDecrement(users);
    // Two processes detaching together may both see 0; removing a removed
    // driver is harmless.
    if (*users == 0 && g_view->removeDriver != 0)
        RemoveProtocolDriver();
    if (g_block == g_view)
        g_block = nullptr;
    Sys().unmapViewOfFile(g_view);
    g_view = nullptr;
    Sys().closeHandle(g_mapping);
    g_mapping = nullptr;
}
