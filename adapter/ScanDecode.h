// Decoding of the adapter's network scan answer (an array of 72-byte
// NetworkScanEntry records, no header) into the items the Configuration
// page offers, and the sizes the scan buffer grows through.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <memory>

#include "adapter/AdapterRecords.h"
#include "framework/Array.h"
#include "framework/CString.h"

// One network seen by the adapter, as texts in the order the page receives
// them: the entry's value at offset 56, its value at offset 44 (both "%d"),
// the BSSID ("%02X-...") and the SSID.
struct NetworkScanItem {
    CString value56Text;
    CString value44Text;
    CString bssidText;
    CString ssid;
};

typedef Array<std::unique_ptr<NetworkScanItem>> NetworkScanList;

enum : uint32_t {
    kScanFirstCapacity = 20, // entries
    kScanCapacityStep = 10,
    kScanLastCapacity = 500,
};

// The capacity after `capacity` failed, or 0 when no larger one is tried.
uint32_t NextScanCapacity(uint32_t capacity);

// Whole entries the driver wrote: bounded by both the bytes it reports and
// the buffer's size, so an over-reporting driver is never read past.
size_t ScanEntryCount(uint32_t bytesWritten, size_t bufferSize);

NetworkScanItem DecodeScanEntry(const NetworkScanEntry& entry);

// Appends one item per whole entry in `buffer`, in the driver's order.
void DecodeScanAnswer(const void* buffer, size_t bufferSize, uint32_t bytesWritten,
                      NetworkScanList& out);
