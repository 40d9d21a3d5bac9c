// Restart of the adapter so that its driver takes up changed parameters
// (Windows 2000/XP): the device installer is asked for a property change on
// the adapter's device, which disables and enables it.
#pragma once

enum RestartResult {
    // Nothing changed: the adapter is not among the present devices, the
    // system has no device installer, or a step of it failed.
    kRestartFailed = 0,
    kRestartDone = 1,
    // The state change was accepted, but the device installer could not
    // stop the device: it asks for a reboot (DI_NEEDREBOOT or
    // DI_NEEDRESTART), and the driver keeps its old parameters until then.
    kRestartNeedsReboot = 2,
};

// Stops the tray (so that the utility holds no handle on the adapter),
// restarts the device whose service is "DOVIZ" and starts the tray again,
// in every case. A RestartResult.
int RestartAdapter();
