// The networks the adapter currently sees, for the network-name list.
#pragma once

#include "adapter/ScanDecode.h"

class AdapterAccess;

// Appends one item per network in the driver's answer, in its order. The
// buffer grows from 20 to 500 entries, 10 at a time, until the driver takes
// it. True when the driver answered (also with no networks), else false.
bool BuildNetworkScanList(AdapterAccess& access, NetworkScanList& out);
// The same through the process-wide adapter access object.
bool BuildNetworkScanList(NetworkScanList& out);
