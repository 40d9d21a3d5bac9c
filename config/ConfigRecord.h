// CConfigRecord: one named network configuration (profile) of the adapter.
// Key texts are always enciphered hex text; an empty key text means "not set".
#pragma once

#include <stdint.h>

#include "framework/CString.h"

class CConfigRecord {
public:
    CString name;                // "ConfigurationName"; required when loading
    CString networkName;         // SSID
    int32_t connectionType = 1;  // 1 infrastructure, 0 ad hoc
    int32_t powerManagement = 1; // 0 Off, 1 Normal, 2 Maximum
    int32_t enableTurbo = 0;
    int32_t enableMacAddress = 0;
    CString macAddress;                            // passed to the driver's "NetworkAddress" as is
    int32_t enableSecurity = 0;                    // WEP on
    int32_t defaultKey = -1;                       // 0 unique key, 1..4 shared key 1..4, -1 none
    CString uniqueKey;                             // enciphered hex text
    CString sharedKey[4];                          // sharedKey1..sharedKey4, enciphered hex text
    int32_t sharedKeyLength[4] = {40, 40, 40, 40}; // bits: 40, 104 or 128
    int32_t uniqueKeyLength = 40;                  // bits
    int32_t dirty = 0;                             // changed since last written; not stored
};
