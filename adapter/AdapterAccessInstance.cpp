// The process-wide adapter access object. It is made on first use, so that a
// program linking the utility's code constructs it (and its strategy, which
// tells the user on an unsupported system) only if it uses it; wavedesk.exe
// uses it from its own static objects, that is at program load.
#include "adapter/AdapterAccess.h"

AdapterAccess& GetAdapterAccess() {
    static AdapterAccess access;
    return access;
}
