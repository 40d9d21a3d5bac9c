// What the tray shows on each poll tick: the icon for the adapter's state
// and the tooltip text, chosen from the status snapshot alone.
#pragma once

#include "adapter/AdapterRecords.h"
#include "framework/CString.h"

// Entries of the tray icon table; index = state.
enum TrayIconIndex {
    kTrayIconConnected = 0,    // connected, signal quality >= 35 %
    kTrayIconDisconnected = 1, // not associated
    kTrayIconUnused = 2,
    kTrayIconWeakSignal = 3, // connected, signal quality < 35 %
};

// Signal quality (percent) below which the weak-signal icon is shown.
constexpr int kWeakSignalBelowPercent = 35;

struct TrayState {
    int iconIndex;
    CString tooltip;
};

// `prefix` starts every tooltip (the string table's "VELNORA KX750 ").
// Disconnected: prefix + "Disconnected", icon 1. Connected: prefix, then
// "Connect to: <ssid>" when the SSID is not empty; icon 0 or 3 by quality.
TrayState ChooseTrayState(const AdapterStatusSnapshot& snapshot, const char* prefix);
