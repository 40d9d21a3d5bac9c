// Which WM_DEVICECHANGE events concern the adapter: its arrival or its
// removal, recognised by the hardware identifier ("VEN_168C&DEV_0007").
#pragma once

#include <stddef.h>
#include <stdint.h>

enum DeviceChangeKind {
    kDeviceChangeOther = 0,   // not the adapter, or not an arrival or removal
    kDeviceChangeArrival = 1, // the adapter arrived
    kDeviceChangeRemoval = 2, // the adapter was removed
};

// What the classification asks of the running system.
struct DeviceChangeSystem {
    bool windowsNT;        // NT family
    uint32_t majorVersion; // NT major version (5: 2000/XP)
    // 95 family: reads the text value `valueName` of HKEY_DYN_DATA\`keyName`
    // into `out` (at most `size` bytes). False when the key or the value
    // cannot be read.
    bool (*readDynData)(const char* keyName, const char* valueName, char* out, uint32_t size);
};

// Classifies one event: `code` is WM_DEVICECHANGE's wParam, `record` its
// lParam (a DEV_BROADCAST_ record, may be null). Windows 2000/XP: a LAN
// device interface whose name contains `pattern` (case-sensitive). Windows
// 95/98/Me: a device node whose "HardwareKey", upper-cased, contains
// `pattern`. NT 4.0 has no such events: always other. An empty pattern
// recognises nothing.
DeviceChangeKind ClassifyDeviceChange(const char* pattern, uint32_t code, const void* record,
                                      const DeviceChangeSystem& system);

// "Config Manager\Enum\%8.8lX" of a device node, into `out` (256 bytes).
void FormatDevnodeKeyName(uint32_t devnode, char out[256]);
