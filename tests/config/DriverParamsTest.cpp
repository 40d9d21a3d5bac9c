#include <gtest/gtest.h>

#include <map>
#include <string>

#include "config/DriverParams.h"
#include "config/RegistryNames.h"

namespace {

// The adapter key's driver values as a plain map; a value absent from the
// map is missing.
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

// Applies written values to the map as the registry would.
MapSource Written(const CConfigRecord& r) {
    MapSource s;
    for (const DriverValue& v : DriverValuesFromRecord(r)) {
        if (v.remove)
            s.values.erase(v.name);
        else
            s.values[v.name] = v.text.c_str();
    }
    return s;
}

const DriverValue* FindValue(const Array<DriverValue>& values, RegName name) {
    for (const DriverValue& v : values)
        if (v.name == name)
            return &v;
    return nullptr;
}

CConfigRecord FullRecord() {
    CConfigRecord r;
    r.name = "Office";
    r.networkName = "lab-net";
    r.connectionType = 0;
    r.powerManagement = 2;
    r.enableTurbo = 1;
    r.enableMacAddress = 1;
    r.macAddress = "00-11-22-33-44-55";
    r.enableSecurity = 1;
    r.defaultKey = 3;
    r.uniqueKey = "00112233445566778899AABBCCDDEEFF";
    r.uniqueKeyLength = 128;
    r.sharedKey[0] = "A5532BCD49803EFF";
    r.sharedKeyLength[0] = 40;
    r.sharedKey[1] = "";
    r.sharedKeyLength[1] = 104;
    r.sharedKey[2] = "0123456789ABCDEF0123456789ABCDEF";
    r.sharedKeyLength[2] = 104;
    r.sharedKey[3] = "FEDCBA9876543210";
    r.sharedKeyLength[3] = 40;
    return r;
}

} // namespace

TEST(DriverParams, ValuesAreWrittenInTheDriversOrderUnderTheirNames) {
    Array<DriverValue> v = DriverValuesFromRecord(FullRecord());
    const RegName order[] = {
        kRegTurboEnable,    kRegSsid,          kRegDriverDefaultKey, kRegKey0,       kRegKey1,
        kRegKey2,           kRegKey3,          kRegUniqKey,          kRegKeyLength0, kRegKeyLength1,
        kRegKeyLength2,     kRegKeyLength3,    kRegUniqKeyLength,    kRegBssType,    kRegSleepMode,
        kRegPrivacyInvoked, kRegNetworkAddress};
    ASSERT_EQ(sizeof order / sizeof order[0], v.size());
    for (size_t i = 0; i < v.size(); ++i)
        EXPECT_EQ(order[i], v[i].name) << "position " << i;
}

TEST(DriverParams, WrittenTextsFollowTheMapping) {
    Array<DriverValue> v = DriverValuesFromRecord(FullRecord());
    EXPECT_EQ(CString("1"), FindValue(v, kRegTurboEnable)->text);
    EXPECT_EQ(CString("lab-net"), FindValue(v, kRegSsid)->text);
    EXPECT_EQ(CString("2"), FindValue(v, kRegDriverDefaultKey)->text);
    EXPECT_EQ(CString("A5532BCD49803EFF"), FindValue(v, kRegKey0)->text);
    EXPECT_EQ(CString("5"), FindValue(v, kRegKeyLength0)->text);
    EXPECT_EQ(CString("0"), FindValue(v, kRegKeyLength1)->text) << "empty key has length 0";
    EXPECT_EQ(CString("13"), FindValue(v, kRegKeyLength2)->text);
    EXPECT_EQ(CString("16"), FindValue(v, kRegUniqKeyLength)->text);
    EXPECT_EQ(CString("2"), FindValue(v, kRegBssType)->text);
    EXPECT_EQ(CString("1"), FindValue(v, kRegSleepMode)->text) << "Maximum is driver mode 1";
    EXPECT_EQ(CString("1"), FindValue(v, kRegPrivacyInvoked)->text);
    EXPECT_EQ(CString("00-11-22-33-44-55"), FindValue(v, kRegNetworkAddress)->text);
    EXPECT_FALSE(FindValue(v, kRegNetworkAddress)->remove);
}

TEST(DriverParams, DefaultKeyCodesCountSharedKeysFromZeroAndUniqueKeyAsFour) {
    CConfigRecord r;
    const struct {
        int32_t key;
        const char* text;
    } cases[] = {{0, "4"}, {1, "0"}, {2, "1"}, {3, "2"}, {4, "3"}, {-1, "-2"}};
    for (const auto& c : cases) {
        r.defaultKey = c.key;
        EXPECT_EQ(CString(c.text), FindValue(DriverValuesFromRecord(r), kRegDriverDefaultKey)->text)
            << c.key;
    }
}

TEST(DriverParams, OutOfRangeModesAreNotWritten) {
    CConfigRecord r;
    r.connectionType = 7;
    r.powerManagement = -1;
    Array<DriverValue> v = DriverValuesFromRecord(r);
    EXPECT_EQ(nullptr, FindValue(v, kRegBssType));
    EXPECT_EQ(nullptr, FindValue(v, kRegSleepMode));
    r.connectionType = 1;
    r.powerManagement = 1;
    v = DriverValuesFromRecord(r);
    EXPECT_EQ(CString("1"), FindValue(v, kRegBssType)->text);
    EXPECT_EQ(CString("2"), FindValue(v, kRegSleepMode)->text);
}

TEST(DriverParams, MacAddressOffRemovesNetworkAddressAndEmptyOnIsWritten) {
    CConfigRecord r;
    r.enableMacAddress = 0;
    r.macAddress = "00-11-22-33-44-55";
    Array<DriverValue> values = DriverValuesFromRecord(r);
    EXPECT_TRUE(FindValue(values, kRegNetworkAddress)->remove);
    r.enableMacAddress = 1;
    r.macAddress = "";
    values = DriverValuesFromRecord(r);
    const DriverValue* v = FindValue(values, kRegNetworkAddress);
    EXPECT_FALSE(v->remove);
    EXPECT_EQ(CString(""), v->text);
}

TEST(DriverParams, WriteThenReadBackKeepsTheRecord) {
    CConfigRecord original = FullRecord();
    original.sharedKeyLength[1] = 40; // an empty key reads back as 40 bits
    CConfigRecord back;
    back.name = original.name;
    RecordFromDriverValues(Written(original), back);
    EXPECT_EQ(original.networkName, back.networkName);
    EXPECT_EQ(original.connectionType, back.connectionType);
    EXPECT_EQ(original.powerManagement, back.powerManagement);
    EXPECT_EQ(original.enableTurbo, back.enableTurbo);
    EXPECT_EQ(original.enableMacAddress, back.enableMacAddress);
    EXPECT_EQ(original.macAddress, back.macAddress);
    EXPECT_EQ(original.enableSecurity, back.enableSecurity);
    EXPECT_EQ(original.defaultKey, back.defaultKey);
    EXPECT_EQ(original.uniqueKey, back.uniqueKey);
    EXPECT_EQ(original.uniqueKeyLength, back.uniqueKeyLength);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(original.sharedKey[i], back.sharedKey[i]) << i;
        EXPECT_EQ(original.sharedKeyLength[i], back.sharedKeyLength[i]) << i;
    }

    // Every mode value of its documented range survives the trip.
    for (int32_t ct : {0, 1})
        for (int32_t pm : {0, 1, 2})
            for (int32_t dk : {0, 1, 2, 3, 4}) {
                CConfigRecord r = FullRecord();
                r.connectionType = ct;
                r.powerManagement = pm;
                r.defaultKey = dk;
                r.enableTurbo = 0;
                r.enableSecurity = 0;
                r.enableMacAddress = 0;
                CConfigRecord b;
                RecordFromDriverValues(Written(r), b);
                EXPECT_EQ(ct, b.connectionType);
                EXPECT_EQ(pm, b.powerManagement);
                EXPECT_EQ(dk, b.defaultKey);
                EXPECT_EQ(0, b.enableTurbo);
                EXPECT_EQ(0, b.enableSecurity);
                EXPECT_EQ(0, b.enableMacAddress);
                EXPECT_TRUE(b.macAddress.IsEmpty());
            }
}

TEST(DriverParams, NoKeyChosenReadsBackAsFirstKeySet) {
    CConfigRecord r;
    r.defaultKey = -1;
    r.sharedKey[2] = "0123456789ABCDEF";
    CConfigRecord b;
    RecordFromDriverValues(Written(r), b);
    EXPECT_EQ(3, b.defaultKey);
}

TEST(DriverParams, ReadBackOfMissingOrOddValuesTakesTheDocumentedDefaults) {
    MapSource empty;
    CConfigRecord r;
    r.networkName = "keep";
    r.sharedKey[1] = "KEEP";
    r.macAddress = "00-00-00-00-00-01";
    r.enableMacAddress = 1;
    RecordFromDriverValues(empty, r);
    EXPECT_EQ(1, r.enableTurbo) << "missing TurboEnable means on";
    EXPECT_EQ(CString("keep"), r.networkName);
    EXPECT_EQ(CString("KEEP"), r.sharedKey[1]);
    EXPECT_EQ(1, r.defaultKey) << "missing defaultKey reads as 0: shared key 1";
    EXPECT_EQ(40, r.sharedKeyLength[0]);
    EXPECT_EQ(1, r.connectionType);
    EXPECT_EQ(1, r.powerManagement);
    EXPECT_EQ(0, r.enableSecurity);
    EXPECT_EQ(0, r.enableMacAddress);
    EXPECT_TRUE(r.macAddress.IsEmpty());

    MapSource s;
    s.values[kRegTurboEnable] = "00"; // compared exactly: not "0"
    s.values[kRegBssType] = "2";
    s.values[kRegSleepMode] = "1";
    s.values[kRegPrivacyInvoked] = "1";
    s.values[kRegKeyLength0] = "3";
    s.values[kRegKeyLength1] = "40";
    s.values[kRegKeyLength2] = "13";
    s.values[kRegKeyLength3] = "";
    s.values[kRegUniqKeyLength] = "99999999999999999999";
    s.values[kRegNetworkAddress] = "";
    CConfigRecord b;
    RecordFromDriverValues(s, b);
    EXPECT_EQ(1, b.enableTurbo);
    EXPECT_EQ(0, b.connectionType);
    EXPECT_EQ(2, b.powerManagement);
    EXPECT_EQ(1, b.enableSecurity);
    EXPECT_EQ(40, b.sharedKeyLength[0]);
    EXPECT_EQ(40, b.sharedKeyLength[1]);
    EXPECT_EQ(104, b.sharedKeyLength[2]);
    EXPECT_EQ(40, b.sharedKeyLength[3]);
    EXPECT_EQ(40, b.uniqueKeyLength);
    EXPECT_EQ(0, b.enableMacAddress) << "present but empty address is off";
}

TEST(DriverParams, DefaultKeyOutOfRangePicksFirstKeySet) {
    struct Case {
        const char* text;
        bool unique;
        int shared; // index of the one shared key set, -1 for none
        int32_t expected;
    } cases[] = {
        {"7", false, 2, 3}, {"-2", true, 1, 0}, {"-2", false, -1, 0},
        {"4", false, 0, 0}, {"x", false, 3, 1}, {"3", false, -1, 4},
    };
    for (const Case& c : cases) {
        MapSource s;
        s.values[kRegDriverDefaultKey] = c.text;
        if (c.unique)
            s.values[kRegUniqKey] = "AB";
        if (c.shared >= 0)
            s.values[static_cast<RegName>(kRegKey0 + c.shared)] = "CD";
        CConfigRecord b;
        RecordFromDriverValues(s, b);
        EXPECT_EQ(c.expected, b.defaultKey) << c.text;
    }
}
