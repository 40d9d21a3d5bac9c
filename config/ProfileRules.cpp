#include "config/ProfileRules.h"

#include <stdlib.h>
#include <string.h>

int32_t SubkeyNumber(const char* subkeyName) {
    if (!subkeyName || strlen(subkeyName) <= 3)
        return -1;
    long n = strtol(subkeyName + 3, nullptr, 10);
    if (n > INT32_MAX || n < INT32_MIN)
        return -1;
    return static_cast<int32_t>(n);
}

CString SubkeyName(int32_t n) {
    CString s;
    s.Format("Cfg%ld", static_cast<long>(n));
    return s;
}

int32_t LoadedConnectionType(bool present, uint32_t value) {
    return (present && value == 0) ? 0 : 1;
}

int32_t LoadedPowerManagement(bool present, uint32_t value) {
    if (!present)
        return 0;
    if (value <= 2)
        return static_cast<int32_t>(value);
    return 1;
}

int32_t KeyBitsForDigits(int32_t digits) {
    switch (digits) {
    case 10:
        return 40;
    case 26:
        return 104;
    case 32:
        return 128;
    default:
        return 0;
    }
}

namespace {

void EncipherOne(CString& key, int32_t& bits, KeyEncipherer encipher) {
    if (key.IsEmpty())
        return;
    int32_t useBits = bits;
    if (useBits != 40 && useBits != 104 && useBits != 128)
        useBits = KeyBitsForDigits(key.GetLength());
    if (useBits == 0)
        return;
    CString enciphered = encipher(key.c_str(), useBits);
    if (enciphered.IsEmpty())
        return;
    key = enciphered;
    bits = useBits;
}

} // namespace

void EncipherRecordKeys(CConfigRecord& record, KeyEncipherer encipher) {
    EncipherOne(record.uniqueKey, record.uniqueKeyLength, encipher);
    for (int i = 0; i < 4; ++i)
        EncipherOne(record.sharedKey[i], record.sharedKeyLength[i], encipher);
}

bool NeedsKeyUpgrade(bool loaded, bool selectedExists, uint32_t major, uint32_t minor,
                     bool markedEnciphered) {
    return loaded && selectedExists && major == 0 && minor < 2 && !markedEnciphered;
}
