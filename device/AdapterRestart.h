// Restart of the adapter so that its driver takes up changed parameters
// (Windows 2000/XP): the device installer is asked for a property change on
// the adapter's device, which disables and enables it.
#pragma once

// Stops the tray (so that the utility holds no handle on the adapter),
// restarts the device whose service is "DOVIZ" and starts the tray again,
// in every case. 1 when the device's state was changed, else 0: also when
// the adapter is not among the present devices or the system has no
// device installer.
int RestartAdapter();
