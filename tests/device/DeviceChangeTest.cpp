// Device-change classification on both families: Windows 2000/XP device
// interface records, and Windows 95/98/Me device nodes whose hardware key
// is read through the HKEY_DYN_DATA seam.
#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "device/DeviceBroadcast.h"
#include "device/DeviceChange.h"

namespace {

const char kPattern[] = "VEN_168C&DEV_0007";

// A device-interface record as the system builds it: the fixed part, then
// the name and its zero, the size covering both.
std::vector<uint8_t> InterfaceRecord(const std::string& name, uint32_t type = 5,
                                     const uint8_t* guid = kNdisLanClassGuid) {
    std::vector<uint8_t> bytes(offsetof(DeviceBroadcastInterface, name) + name.size() + 1, 0);
    DeviceBroadcastInterface fixed;
    memset(&fixed, 0, sizeof fixed);
    fixed.header.size = static_cast<uint32_t>(bytes.size());
    fixed.header.deviceType = type;
    memcpy(fixed.classGuid, guid, 16);
    memcpy(bytes.data(), &fixed, offsetof(DeviceBroadcastInterface, name));
    memcpy(bytes.data() + offsetof(DeviceBroadcastInterface, name), name.c_str(), name.size());
    return bytes;
}

DeviceBroadcastDevnode DevnodeRecord(uint32_t devnode, uint32_t type = 1) {
    DeviceBroadcastDevnode r;
    memset(&r, 0, sizeof r);
    r.header.size = sizeof r;
    r.header.deviceType = type;
    r.devnode = devnode;
    return r;
}

const char kOurInterface[] =
    "\\\\?\\PCI#VEN_168C&DEV_0007&SUBSYS_00000000&REV_01#3&13c0b0c5&0&58#"
    "{ad498944-762f-11d0-8dcb-00c04fc3358c}\\{5F2A9C31-7B4E-4D8A-9C1E-3B6D0A7E2F41}";

const DeviceChangeSystem kXp = {true, 5, nullptr};
const DeviceChangeSystem kNt4 = {true, 4, nullptr};

// HKEY_DYN_DATA as the 95 family keeps it, and what was asked of it.
std::map<std::string, std::string>& DynData() {
    static std::map<std::string, std::string> values;
    return values;
}
std::vector<std::string>& DynReads() {
    static std::vector<std::string> reads;
    return reads;
}
bool ReadDynData(const char* keyName, const char* valueName, char* out, uint32_t size) {
    std::string path = std::string(keyName) + "|" + valueName;
    DynReads().push_back(path);
    auto it = DynData().find(path);
    if (it == DynData().end())
        return false;
    // As RegQueryValueEx: the whole value or nothing.
    if (it->second.size() + 1 > size)
        return false;
    memcpy(out, it->second.c_str(), it->second.size() + 1);
    return true;
}
const DeviceChangeSystem k98 = {false, 4, &ReadDynData};

class Win98DeviceChange : public ::testing::Test {
protected:
    void SetUp() override {
        DynData().clear();
        DynReads().clear();
    }
};

} // namespace

TEST(XpDeviceChange, OurInterfaceArrivingAndLeavingIsArrivalAndRemoval) {
    std::vector<uint8_t> r = InterfaceRecord(kOurInterface);
    EXPECT_EQ(kDeviceChangeArrival, ClassifyDeviceChange(kPattern, 0x8000, r.data(), kXp));
    EXPECT_EQ(kDeviceChangeRemoval, ClassifyDeviceChange(kPattern, 0x8004, r.data(), kXp));
    const DeviceChangeSystem later = {true, 10, nullptr}; // any NT from 5 on
    EXPECT_EQ(kDeviceChangeArrival, ClassifyDeviceChange(kPattern, 0x8000, r.data(), later));
}

TEST(XpDeviceChange, OtherEventCodesAreNotTheAdapters) {
    std::vector<uint8_t> r = InterfaceRecord(kOurInterface);
    for (uint32_t code : {0x0007u, 0x8001u, 0x8002u, 0x8003u, 0x8005u, 0x8006u, 0x0018u})
        EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, code, r.data(), kXp)) << code;
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8000, nullptr, kXp));
}

TEST(XpDeviceChange, AnotherNetworkAdapterIsNotTheAdapter) {
    std::vector<uint8_t> r = InterfaceRecord(
        "\\\\?\\PCI#VEN_8086&DEV_1229&SUBSYS_00000000&REV_08#3&1&0&40#"
        "{ad498944-762f-11d0-8dcb-00c04fc3358c}\\{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8004, r.data(), kXp));
}

TEST(XpDeviceChange, InterfaceNameWithTheIdentifierInLowerCaseDoesNotMatch) {
    std::vector<uint8_t> r =
        InterfaceRecord("\\\\?\\pci#ven_168c&dev_0007&subsys_00000000&rev_01#3&13c0b0c5&0&58#"
                        "{ad498944-762f-11d0-8dcb-00c04fc3358c}\\{5f2a9c31}");
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8000, r.data(), kXp));
}

TEST(XpDeviceChange, OtherRecordTypesAndInterfaceClassesAreNotTheAdapter) {
    std::vector<uint8_t> volume = InterfaceRecord(kOurInterface, 2); // DBT_DEVTYP_VOLUME
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8000, volume.data(), kXp));
    DeviceBroadcastDevnode node = DevnodeRecord(0x1234);
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8000, &node, kXp));
    uint8_t otherClass[16];
    memcpy(otherClass, kNdisLanClassGuid, 16);
    otherClass[15] ^= 1; // one byte differs
    std::vector<uint8_t> r = InterfaceRecord(kOurInterface, 5, otherClass);
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8000, r.data(), kXp));
}

TEST(XpDeviceChange, TheNameIsSearchedOnlyWithinTheRecordsSize) {
    // The identifier lies beyond the size the record states: not read.
    std::vector<uint8_t> r = InterfaceRecord(kOurInterface);
    DeviceBroadcastHeader header;
    memcpy(&header, r.data(), sizeof header);
    header.size = offsetof(DeviceBroadcastInterface, name) + 10;
    memcpy(r.data(), &header, sizeof header);
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8000, r.data(), kXp));
    // An unterminated name that ends with the identifier at the record's end still matches.
    std::vector<uint8_t> tight = InterfaceRecord(std::string("x#") + kPattern);
    memcpy(&header, tight.data(), sizeof header);
    header.size -= 1; // drop the terminating zero from the stated size
    memcpy(tight.data(), &header, sizeof header);
    EXPECT_EQ(kDeviceChangeArrival, ClassifyDeviceChange(kPattern, 0x8000, tight.data(), kXp));
    // A header too short to hold a class is nothing.
    DeviceBroadcastHeader bare = {12, 5, 0};
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8000, &bare, kXp));
}

TEST(XpDeviceChange, WindowsNt4HasNoAdapterEvents) {
    std::vector<uint8_t> r = InterfaceRecord(kOurInterface);
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8000, r.data(), kNt4));
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8004, r.data(), kNt4));
}

TEST(XpDeviceChange, AnEmptyPatternRecognisesNothing) {
    std::vector<uint8_t> r = InterfaceRecord(kOurInterface);
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange("", 0x8000, r.data(), kXp));
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(nullptr, 0x8000, r.data(), kXp));
}

TEST_F(Win98DeviceChange, HardwareKeyOfTheDevnodeDecidesAndIsReadUnderItsConfigManagerKey) {
    DynData()["Config Manager\\Enum\\C29A0F1E|HardwareKey"] =
        "PCI\\VEN_168C&DEV_0007&SUBSYS_00000000&REV_01\\BUS_00&DEV_0B&FUNC_00";
    DeviceBroadcastDevnode node = DevnodeRecord(0xC29A0F1E);
    EXPECT_EQ(kDeviceChangeArrival, ClassifyDeviceChange(kPattern, 0x8000, &node, k98));
    EXPECT_EQ(kDeviceChangeRemoval, ClassifyDeviceChange(kPattern, 0x8004, &node, k98));
    ASSERT_EQ(2u, DynReads().size());
    EXPECT_EQ("Config Manager\\Enum\\C29A0F1E|HardwareKey", DynReads()[0]);
    char name[256];
    FormatDevnodeKeyName(0x1F, name);
    EXPECT_STREQ("Config Manager\\Enum\\0000001F", name); // eight digits, upper case
}

TEST_F(Win98DeviceChange, LowerCaseHardwareKeyStillMatches) {
    DynData()["Config Manager\\Enum\\00000A01|HardwareKey"] = "PCI\\ven_168c&dev_0007&subsys_0";
    DeviceBroadcastDevnode node = DevnodeRecord(0xA01);
    EXPECT_EQ(kDeviceChangeArrival, ClassifyDeviceChange(kPattern, 0x8000, &node, k98));
}

TEST_F(Win98DeviceChange, AnotherDeviceAMissingKeyAndOtherRecordsAreNotTheAdapter) {
    DynData()["Config Manager\\Enum\\00000A02|HardwareKey"] = "PCI\\VEN_8086&DEV_1229";
    DeviceBroadcastDevnode other = DevnodeRecord(0xA02);
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8004, &other, k98));
    DeviceBroadcastDevnode missing = DevnodeRecord(0xA03);
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8004, &missing, k98));
    // A device interface record, or another code, is not looked up at all.
    DynReads().clear();
    std::vector<uint8_t> r = InterfaceRecord(kOurInterface);
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8000, r.data(), k98));
    DeviceBroadcastDevnode node = DevnodeRecord(0xA02);
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8001, &node, k98));
    EXPECT_TRUE(DynReads().empty());
}

TEST_F(Win98DeviceChange, AHardwareKeyLongerThanItsBufferIsNotRead) {
    DynData()["Config Manager\\Enum\\00000A04|HardwareKey"] = std::string(300, 'A') + kPattern;
    DeviceBroadcastDevnode node = DevnodeRecord(0xA04);
    EXPECT_EQ(kDeviceChangeOther, ClassifyDeviceChange(kPattern, 0x8000, &node, k98));
    // 255 characters and the zero fill the 256-byte buffer exactly.
    DynData()["Config Manager\\Enum\\00000A04|HardwareKey"] =
        std::string(255 - strlen(kPattern), 'A') + kPattern;
    EXPECT_EQ(kDeviceChangeArrival, ClassifyDeviceChange(kPattern, 0x8000, &node, k98));
}
