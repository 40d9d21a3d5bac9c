// wavedesk: the tray utility's entry point and its process-wide objects.
#include <windows.h>

#include "adapter/AdapterAccess.h"
#include "app/TrayDialog.h"

namespace {
// Constructed at program load, in this order. The tray watches the adapter
// access object, which its own file constructs at load as well.
AdapterAccessTray g_trayAdapter(GetAdapterAccess());
CTrayDlg g_trayDialog(g_trayAdapter);
CConfigApp g_app(g_trayDialog);
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return AfxWinMain(instance);
}
