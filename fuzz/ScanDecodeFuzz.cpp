// The network scan answer as any driver may give it: any bytes, any
// bytes-written figure, a buffer of any size; and the capacities the scan
// grows through from any starting point.
#include <fuzzer/FuzzedDataProvider.h>

#include <stdlib.h>
#include <string.h>

#include <memory>

#include "adapter/ScanDecode.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    uint32_t bytesWritten = in.ConsumeIntegral<uint32_t>();
    uint32_t capacity = in.ConsumeIntegral<uint32_t>();
    size_t n = in.remaining_bytes();
    // Exactly as large as the answer, so any read past it is caught.
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[n ? n : 1]);
    memcpy(buffer.get(), data + (size - n), n);

    NetworkScanList list;
    list.push_back(std::unique_ptr<NetworkScanItem>(new NetworkScanItem));
    DecodeScanAnswer(buffer.get(), n, bytesWritten, list);
    size_t whole = (bytesWritten < n ? bytesWritten : n) / sizeof(NetworkScanEntry);
    FUZZ_CHECK(list.size() == 1 + whole);
    for (size_t i = 1; i < list.size(); ++i) {
        const NetworkScanItem& item = *list[i];
        FUZZ_CHECK(item.bssidText.GetLength() == 17);
        FUZZ_CHECK(item.ssid.GetLength() <= 36);
        FUZZ_CHECK(item.value44Text.GetLength() > 0 && item.value56Text.GetLength() > 0);
        NetworkScanEntry entry;
        memcpy(&entry, buffer.get() + (i - 1) * sizeof entry, sizeof entry);
        FUZZ_CHECK(atoll(item.value56Text.c_str()) == static_cast<int32_t>(entry.value56));
        FUZZ_CHECK(atoll(item.value44Text.c_str()) == static_cast<int32_t>(entry.value44));
    }

    // From the first capacity the growth runs 20, 30, ... 500; from anywhere
    // else it stops within as many steps and one step past the last.
    uint32_t first = capacity % 2 ? kScanFirstCapacity : capacity;
    int queries = 0;
    for (uint32_t c = first; c != 0 && queries < 1000; c = NextScanCapacity(c)) {
        FUZZ_CHECK(queries == 0 || c < kScanLastCapacity + kScanCapacityStep);
        if (first == kScanFirstCapacity)
            FUZZ_CHECK(c ==
                       kScanFirstCapacity + static_cast<uint32_t>(queries) * kScanCapacityStep);
        ++queries;
    }
    FUZZ_CHECK(queries <= 50);
    if (first == kScanFirstCapacity)
        FUZZ_CHECK(queries == 49);
    return 0;
}
