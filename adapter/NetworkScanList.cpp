#include "adapter/NetworkScanList.h"

#include "adapter/AdapterAccess.h"
#include "framework/Array.h"

bool BuildNetworkScanList(AdapterAccess& access, NetworkScanList& out) {
    for (uint32_t capacity = kScanFirstCapacity; capacity != 0;
         capacity = NextScanCapacity(capacity)) {
        // Zeroed, so that no byte the driver did not write is ever decoded.
        Array<unsigned char> buffer(capacity * sizeof(NetworkScanEntry), 0);
        uint32_t length = static_cast<uint32_t>(buffer.size());
        if (access.Query(NX_OID_SCAN_LIST, buffer.data(), &length)) {
            DecodeScanAnswer(buffer.data(), buffer.size(), length, out);
            return true;
        }
    }
    return false;
}

bool BuildNetworkScanList(NetworkScanList& out) {
    return BuildNetworkScanList(GetAdapterAccess(), out);
}
