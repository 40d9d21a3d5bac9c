// Device-change notifications for the adapter: registration for the LAN
// device-interface events (Windows 2000/XP), and the classification of the
// WM_DEVICECHANGE events a window receives on either family.
#pragma once

#include <windows.h>

#include "device/DeviceChange.h"

// The NT family from version 5 on (Windows 2000, XP): the systems with
// device-interface notifications and the device installer's restart.
bool IsWindowsNt5OrLater();

// Asks for the arrival and removal events of LAN device interfaces to be
// sent to `window`. Where the entry point is missing nothing is registered
// and nothing is reported.
void RegisterAdapterNotification(HWND window);
// Ends the registration; nothing when there is none.
void UnregisterAdapterNotification();
// The registration's handle, null when there is none.
HDEVNOTIFY AdapterNotificationHandle();

// Classifies a WM_DEVICECHANGE event (wParam, lParam) against `pattern` on
// the running system.
DeviceChangeKind ClassifyDeviceChange(const char* pattern, WPARAM code, LPARAM record);
