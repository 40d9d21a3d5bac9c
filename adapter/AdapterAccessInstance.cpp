// The process-wide adapter access object. It is made on first use, so that a
// program linking the utility's code constructs it (and its strategy, which
// tells the user on an unsupported system) only if it uses it; wavedesk.exe
// uses it from its own static objects, that is at program load. It is
// destroyed at exit in the reverse order of making, as a static object is:
// after the objects that first used it.
//
// Not a function's static object: the compiler guards those against two
// threads at once, and its guard links the C++ library's exception support
// into the program. The object belongs to the user-interface thread alone.
#include "adapter/AdapterAccess.h"

#include <stdlib.h>

namespace {

AdapterAccess* g_access = nullptr;

void DestroyAdapterAccess() {
    delete g_access;
    g_access = nullptr;
}

} // namespace

AdapterAccess& GetAdapterAccess() {
    if (!g_access) {
        g_access = new AdapterAccess;
        atexit(DestroyAdapterAccess);
    }
    return *g_access;
}
