#include "adapter/ScanDecode.h"

#include <string.h>

#include "adapter/StatusText.h"

uint32_t NextScanCapacity(uint32_t capacity) {
    if (capacity < kScanFirstCapacity)
        return kScanFirstCapacity;
    if (capacity >= kScanLastCapacity)
        return 0;
    return capacity + kScanCapacityStep;
}

size_t ScanEntryCount(uint32_t bytesWritten, size_t bufferSize) {
    size_t bytes = bytesWritten < bufferSize ? bytesWritten : bufferSize;
    return bytes / sizeof(NetworkScanEntry);
}

NetworkScanItem DecodeScanEntry(const NetworkScanEntry& entry) {
    NetworkScanItem item;
    item.value56Text.Format("%d", static_cast<int>(entry.value56));
    item.value44Text.Format("%d", static_cast<int>(entry.value44));
    item.bssidText = FormatMacAddress(entry.bssid);
    item.ssid = FieldText(entry.ssid, sizeof entry.ssid);
    return item;
}

void DecodeScanAnswer(const void* buffer, size_t bufferSize, uint32_t bytesWritten,
                      NetworkScanList& out) {
    if (!buffer)
        return;
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer);
    size_t count = ScanEntryCount(bytesWritten, bufferSize);
    for (size_t i = 0; i < count; ++i) {
        // The buffer need not be aligned for the record: copy it out.
        NetworkScanEntry entry;
        memcpy(&entry, bytes + i * sizeof entry, sizeof entry);
        out.push_back(
            std::unique_ptr<NetworkScanItem>(new NetworkScanItem(DecodeScanEntry(entry))));
    }
}
