#include "device/DeviceChange.h"

#include <string.h>

#include "device/DeviceBroadcast.h"

namespace {

const uint32_t kDynDataValueBytes = 256;

bool IsArrivalOrRemoval(uint32_t code) {
    return code == WD_DBT_DEVICEARRIVAL || code == WD_DBT_DEVICEREMOVECOMPLETE;
}

DeviceChangeKind KindOf(uint32_t code) {
    return code == WD_DBT_DEVICEARRIVAL ? kDeviceChangeArrival : kDeviceChangeRemoval;
}

// `pattern` within the first `size` bytes of `text`, which need not be
// terminated within them: the interface name is read no further than the
// record the system says it handed over.
bool ContainsWithin(const char* text, size_t size, const char* pattern) {
    size_t textLength = strnlen(text, size);
    size_t patternLength = strlen(pattern);
    if (patternLength > textLength)
        return false;
    for (size_t at = 0; at + patternLength <= textLength; ++at) {
        if (memcmp(text + at, pattern, patternLength) == 0)
            return true;
    }
    return false;
}

DeviceChangeKind ClassifyInterface(const char* pattern, uint32_t code,
                                   const DeviceBroadcastHeader* header) {
    if (header->deviceType != WD_DBT_DEVTYP_DEVICEINTERFACE)
        return kDeviceChangeOther;
    const size_t nameOffset = offsetof(DeviceBroadcastInterface, name);
    if (header->size < nameOffset)
        return kDeviceChangeOther;
    const auto* record = reinterpret_cast<const DeviceBroadcastInterface*>(header);
    if (memcmp(record->classGuid, kNdisLanClassGuid, sizeof kNdisLanClassGuid) != 0)
        return kDeviceChangeOther;
    const char* name = reinterpret_cast<const char*>(header) + nameOffset;
    if (!ContainsWithin(name, header->size - nameOffset, pattern))
        return kDeviceChangeOther;
    return KindOf(code);
}

DeviceChangeKind ClassifyDevnode(const char* pattern, uint32_t code,
                                 const DeviceBroadcastHeader* header,
                                 const DeviceChangeSystem& system) {
    if (header->deviceType != WD_DBT_DEVTYP_DEVNODE || !system.readDynData)
        return kDeviceChangeOther;
    const auto* record = reinterpret_cast<const DeviceBroadcastDevnode*>(header);
    char keyName[256];
    FormatDevnodeKeyName(record->devnode, keyName);
    char hardwareKey[kDynDataValueBytes + 1] = {};
    if (!system.readDynData(keyName, "HardwareKey", hardwareKey, kDynDataValueBytes))
        return kDeviceChangeOther;
    hardwareKey[kDynDataValueBytes] = '\0';
    // The 95 family keeps the identifier in whatever case the INF gave it.
    for (char* c = hardwareKey; *c; ++c) {
        if (*c >= 'a' && *c <= 'z')
            *c = static_cast<char>(*c - 'a' + 'A');
    }
    if (!strstr(hardwareKey, pattern))
        return kDeviceChangeOther;
    return KindOf(code);
}

} // namespace

void FormatDevnodeKeyName(uint32_t devnode, char out[256]) {
    // "Config Manager\\Enum\\%8.8lX"
    static const char kPrefix[] = "Config Manager\\Enum\\";
    static const char kHex[] = "0123456789ABCDEF";
    memcpy(out, kPrefix, sizeof kPrefix - 1);
    char* digits = out + sizeof kPrefix - 1;
    for (int i = 0; i < 8; ++i)
        digits[i] = kHex[(devnode >> (28 - 4 * i)) & 0xF];
    digits[8] = '\0';
}

DeviceChangeKind ClassifyDeviceChange(const char* pattern, uint32_t code, const void* record,
                                      const DeviceChangeSystem& system) {
    if (!pattern || !*pattern)
        return kDeviceChangeOther;
    if (system.windowsNT && system.majorVersion < 5)
        return kDeviceChangeOther;
    if (!IsArrivalOrRemoval(code) || !record)
        return kDeviceChangeOther;
    const auto* header = static_cast<const DeviceBroadcastHeader*>(record);
    if (system.windowsNT)
        return ClassifyInterface(pattern, code, header);
    return ClassifyDevnode(pattern, code, header, system);
}
