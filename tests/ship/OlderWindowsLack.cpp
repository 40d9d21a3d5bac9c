// A program that imports what older Windows lack, never shipped: the import
// check must reject it, which shows that the check can fail at all.
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <cfgmgr32.h>
#include <dbt.h>
#include <setupapi.h>

int main() {
    ULONGLONG started = GetTickCount64();
    HDEVINFO devices = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    ULONG status = 0;
    ULONG problem = 0;
    CONFIGRET answer = CM_Get_DevNode_Status(&status, &problem, 0, 0);
    DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    HDEVNOTIFY notify = RegisterDeviceNotificationA(nullptr, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    UnregisterDeviceNotification(notify);
    SetupDiDestroyDeviceInfoList(devices);
    return static_cast<int>(started & 1) + static_cast<int>(answer);
}
