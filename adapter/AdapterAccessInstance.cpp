// The process-wide adapter access object, in a file of its own so that only
// programs that use it construct it (and its strategy) at load.
#include "adapter/AdapterAccess.h"

namespace {
AdapterAccess g_adapterAccess; // at program load, before the application starts
} // namespace

AdapterAccess& GetAdapterAccess() {
    return g_adapterAccess;
}
