#include "tray/TrayState.h"

#include "adapter/StatusText.h"

TrayState ChooseTrayState(const AdapterStatusSnapshot& snapshot, const char* prefix) {
    TrayState state{kTrayIconDisconnected, CString(prefix)};
    if (snapshot.disconnected != 0) {
        state.tooltip += "Disconnected";
        return state;
    }
    CString ssid = SnapshotSsid(snapshot);
    if (!ssid.IsEmpty())
        state.tooltip += CString("Connect to:") + " " + ssid;
    state.iconIndex = SignalQuality(snapshot.signalLevel) >= kWeakSignalBelowPercent
                          ? kTrayIconConnected
                          : kTrayIconWeakSignal;
    return state;
}
