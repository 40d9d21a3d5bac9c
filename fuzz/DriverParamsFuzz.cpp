// The driver parameter read-back from any set of driver values (each present
// or missing, any text), into a record that already holds any values. What
// comes back lies within the documented ranges, and writing it out and
// reading it again gives the same record.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <string>

#include "config/DriverParams.h"
#include "fuzz/FuzzCheck.h"

namespace {

class MapSource : public DriverValueSource {
public:
    std::map<RegName, std::string> values;
    bool Get(RegName name, CString& text) const override {
        auto it = values.find(name);
        if (it == values.end())
            return false;
        text = it->second.c_str();
        return true;
    }
};

const RegName kDriverNames[] = {
    kRegTurboEnable,    kRegSsid,          kRegDriverDefaultKey, kRegKey0,       kRegKey1,
    kRegKey2,           kRegKey3,          kRegUniqKey,          kRegKeyLength0, kRegKeyLength1,
    kRegKeyLength2,     kRegKeyLength3,    kRegUniqKeyLength,    kRegBssType,    kRegSleepMode,
    kRegPrivacyInvoked, kRegNetworkAddress};

// Short texts the rules compare against, so the fuzzer meets them often.
const char* const kTexts[] = {"0", "1", "2", "3", "4", "5", "13", "16", "-2", "", "00", "x"};

bool KeyBitsInRange(int32_t bits) {
    return bits >= 40 && bits <= 128 && bits % 8 == 0;
}

MapSource Written(const CConfigRecord& r) {
    MapSource s;
    for (const DriverValue& v : DriverValuesFromRecord(r))
        if (!v.remove)
            s.values[v.name] = v.text.c_str();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    MapSource source;
    for (RegName name : kDriverNames) {
        switch (in.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            break; // missing
        case 1:
            source.values[name] =
                kTexts[in.ConsumeIntegralInRange<size_t>(0, sizeof kTexts / sizeof kTexts[0] - 1)];
            break;
        default:
            source.values[name] = in.ConsumeRandomLengthString(40);
        }
    }
    CConfigRecord r;
    r.networkName = in.ConsumeRandomLengthString(40).c_str();
    r.uniqueKey = in.ConsumeRandomLengthString(40).c_str();
    for (CString& key : r.sharedKey)
        key = in.ConsumeRandomLengthString(40).c_str();
    r.defaultKey = in.ConsumeIntegral<int32_t>();
    r.sharedKeyLength[0] = in.ConsumeIntegral<int32_t>();
    r.powerManagement = in.ConsumeIntegral<int32_t>();
    r.connectionType = in.ConsumeIntegral<int32_t>();

    RecordFromDriverValues(source, r);
    FUZZ_CHECK(r.enableTurbo == 0 || r.enableTurbo == 1);
    FUZZ_CHECK(r.connectionType == 0 || r.connectionType == 1);
    FUZZ_CHECK(r.powerManagement >= 0 && r.powerManagement <= 2);
    FUZZ_CHECK(r.enableSecurity == 0 || r.enableSecurity == 1);
    FUZZ_CHECK(r.defaultKey >= 0 && r.defaultKey <= 4);
    FUZZ_CHECK(r.enableMacAddress == (r.macAddress.IsEmpty() ? 0 : 1));
    for (int32_t bits : r.sharedKeyLength)
        FUZZ_CHECK(KeyBitsInRange(bits));
    FUZZ_CHECK(KeyBitsInRange(r.uniqueKeyLength));

    CConfigRecord back;
    RecordFromDriverValues(Written(r), back);
    FUZZ_CHECK(back.enableTurbo == r.enableTurbo);
    FUZZ_CHECK(back.networkName == r.networkName);
    FUZZ_CHECK(back.defaultKey == r.defaultKey);
    FUZZ_CHECK(back.uniqueKey == r.uniqueKey);
    FUZZ_CHECK(back.uniqueKeyLength == (r.uniqueKey.IsEmpty() ? 40 : r.uniqueKeyLength));
    for (int i = 0; i < 4; ++i) {
        FUZZ_CHECK(back.sharedKey[i] == r.sharedKey[i]);
        FUZZ_CHECK(back.sharedKeyLength[i] ==
                   (r.sharedKey[i].IsEmpty() ? 40 : r.sharedKeyLength[i]));
    }
    FUZZ_CHECK(back.connectionType == r.connectionType);
    FUZZ_CHECK(back.powerManagement == r.powerManagement);
    FUZZ_CHECK(back.enableSecurity == r.enableSecurity);
    FUZZ_CHECK(back.enableMacAddress == r.enableMacAddress);
    FUZZ_CHECK(back.macAddress == r.macAddress);
    return 0;
}
