#include "config/DriverParams.h"

#include <stdlib.h>
#include <string.h>

namespace {

const RegName kKeyNames[4] = {kRegKey0, kRegKey1, kRegKey2, kRegKey3};
const RegName kKeyLengthNames[4] = {kRegKeyLength0, kRegKeyLength1, kRegKeyLength2, kRegKeyLength3};

CString Decimal(long value) {
    CString s;
    s.Format("%ld", value);
    return s;
}

// Key length in bytes as the driver wants it; "0" when the key is not set.
CString KeyLengthText(const CString& key, int32_t bits) {
    if (key.IsEmpty())
        return CString("0");
    return Decimal(static_cast<long>(bits / 8));
}

// Bits from a driver key length in bytes: empty or missing → 40; outside
// 5..16 bytes → 5 bytes.
int32_t KeyBitsFromText(bool present, const CString& text) {
    if (!present || text.IsEmpty())
        return 40;
    long bytes = strtol(text.c_str(), nullptr, 10);
    if (bytes < 5 || bytes > 16)
        bytes = 5;
    return static_cast<int32_t>(bytes * 8);
}

void Add(Array<DriverValue>& out, RegName name, const CString& text) {
    DriverValue v;
    v.name = name;
    v.text = text;
    out.push_back(v);
}

} // namespace

Array<DriverValue> DriverValuesFromRecord(const CConfigRecord& r) {
    Array<DriverValue> out;
    Add(out, kRegTurboEnable, r.enableTurbo == 0 ? "0" : "1");
    Add(out, kRegSsid, r.networkName);

    CString defaultKey;
    if (r.defaultKey == 0)
        defaultKey = "4";
    else if (r.defaultKey >= 1 && r.defaultKey <= 4)
        defaultKey = Decimal(r.defaultKey - 1);
    else
        defaultKey = "-2"; // no key chosen (-1) and anything out of range
    Add(out, kRegDriverDefaultKey, defaultKey);

    for (int i = 0; i < 4; ++i)
        Add(out, kKeyNames[i], r.sharedKey[i]);
    Add(out, kRegUniqKey, r.uniqueKey);
    for (int i = 0; i < 4; ++i)
        Add(out, kKeyLengthNames[i], KeyLengthText(r.sharedKey[i], r.sharedKeyLength[i]));
    Add(out, kRegUniqKeyLength, KeyLengthText(r.uniqueKey, r.uniqueKeyLength));

    if (r.connectionType == 0)
        Add(out, kRegBssType, "2");
    else if (r.connectionType == 1)
        Add(out, kRegBssType, "1");

    if (r.powerManagement == 0)
        Add(out, kRegSleepMode, "0");
    else if (r.powerManagement == 1)
        Add(out, kRegSleepMode, "2");
    else if (r.powerManagement == 2)
        Add(out, kRegSleepMode, "1");

    Add(out, kRegPrivacyInvoked, r.enableSecurity == 0 ? "0" : "1");

    if (r.enableMacAddress == 0) {
        DriverValue v;
        v.name = kRegNetworkAddress;
        v.remove = true;
        out.push_back(v);
    } else {
        Add(out, kRegNetworkAddress, r.macAddress);
    }
    return out;
}

void RecordFromDriverValues(const DriverValueSource& source, CConfigRecord& r) {
    CString text;

    text.Empty();
    bool present = source.Get(kRegTurboEnable, text);
    r.enableTurbo = (present && strcmp(text.c_str(), "0") == 0) ? 0 : 1;

    if (source.Get(kRegSsid, text))
        r.networkName = text;
    for (int i = 0; i < 4; ++i) {
        if (source.Get(kKeyNames[i], text))
            r.sharedKey[i] = text;
    }
    if (source.Get(kRegUniqKey, text))
        r.uniqueKey = text;

    text.Empty();
    long v = source.Get(kRegDriverDefaultKey, text) ? strtol(text.c_str(), nullptr, 10) : 0;
    if (v >= 0 && v <= 3) {
        r.defaultKey = static_cast<int32_t>(v + 1);
    } else if (v == 4) {
        r.defaultKey = 0;
    } else {
        // The first key that is set: unique key, then shared keys 1..4.
        r.defaultKey = 0;
        if (r.uniqueKey.IsEmpty()) {
            for (int i = 0; i < 4; ++i) {
                if (!r.sharedKey[i].IsEmpty()) {
                    r.defaultKey = i + 1;
                    break;
                }
            }
        }
    }

    for (int i = 0; i < 4; ++i) {
        text.Empty();
        present = source.Get(kKeyLengthNames[i], text);
        r.sharedKeyLength[i] = KeyBitsFromText(present, text);
    }
    text.Empty();
    present = source.Get(kRegUniqKeyLength, text);
    r.uniqueKeyLength = KeyBitsFromText(present, text);

    text.Empty();
    present = source.Get(kRegBssType, text);
    r.connectionType = (present && text.CompareNoCase("2") == 0) ? 0 : 1;

    text.Empty();
    present = source.Get(kRegSleepMode, text);
    if (present && text.CompareNoCase("0") == 0)
        r.powerManagement = 0;
    else if (present && text.CompareNoCase("1") == 0)
        r.powerManagement = 2;
    else
        r.powerManagement = 1;

    text.Empty();
    present = source.Get(kRegPrivacyInvoked, text);
    r.enableSecurity = (present && text.CompareNoCase("1") == 0) ? 1 : 0;

    text.Empty();
    if (source.Get(kRegNetworkAddress, text)) {
        r.macAddress = text;
        r.enableMacAddress = text.IsEmpty() ? 0 : 1;
    } else {
        r.macAddress.Empty();
        r.enableMacAddress = 0;
    }
}
