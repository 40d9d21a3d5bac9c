#include "device/AdapterRestart.h"

// The device-installer restart needs the tray controller (it stops the tray
// before and starts it after), which does not exist yet. Until it does, no
// restart happens and the caller is told so: the stored configuration then
// takes effect when the adapter next starts.
int RestartAdapter() {
    return 0;
}
