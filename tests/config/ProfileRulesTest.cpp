#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>

#include "config/ProfileRules.h"
#include "config/RegistryNames.h"

TEST(ProfileRules, SubkeyNumbersFollowTheFirstThreeCharactersAndShortNamesHaveNone) {
    EXPECT_EQ(-1, SubkeyNumber("Cfg"));
    EXPECT_EQ(-1, SubkeyNumber("X"));
    EXPECT_EQ(-1, SubkeyNumber(""));
    EXPECT_EQ(-1, SubkeyNumber(nullptr));
    EXPECT_EQ(7, SubkeyNumber("ABC7"));
    EXPECT_EQ(0, SubkeyNumber("Cfg0"));
    EXPECT_EQ(10, SubkeyNumber("Cfg10"));
    EXPECT_EQ(0, SubkeyNumber("Cfgxyz"));
    // Out of range numbers must not overflow.
    int32_t big = SubkeyNumber("Cfg99999999999999999999");
    EXPECT_TRUE(big == -1 || big == INT32_MAX);
    EXPECT_EQ(CString("Cfg12"), SubkeyName(12));
    EXPECT_EQ(12, SubkeyNumber(SubkeyName(12)));
}

TEST(ProfileRules, StoredModesLoadByTheirRules) {
    EXPECT_EQ(0, LoadedConnectionType(true, 0));
    EXPECT_EQ(1, LoadedConnectionType(true, 1));
    EXPECT_EQ(1, LoadedConnectionType(true, 5));
    EXPECT_EQ(1, LoadedConnectionType(false, 0));
    EXPECT_EQ(0, LoadedPowerManagement(true, 0));
    EXPECT_EQ(1, LoadedPowerManagement(true, 1));
    EXPECT_EQ(2, LoadedPowerManagement(true, 2));
    EXPECT_EQ(1, LoadedPowerManagement(true, 7));
    EXPECT_EQ(1, LoadedPowerManagement(true, 0xFFFFFFFFu));
    EXPECT_EQ(0, LoadedPowerManagement(false, 2));
}

namespace {

// Stands in for the cipher: marks a text as enciphered with the length used.
CString FakeEncipher(const char* plain, int32_t bits) {
    if (bits != 40 && bits != 104 && bits != 128)
        return CString();
    CString s;
    s.Format("E%d:%.*s", static_cast<int>(bits), static_cast<int>(bits / 4), plain);
    return s;
}

} // namespace

TEST(ProfileRules, UpgradeEnciphersEverySetKeyWithItsLength) {
    CConfigRecord r;
    r.uniqueKey = "00112233445566778899AABBCC";
    r.uniqueKeyLength = 104;
    r.sharedKey[0] = "0123456789";
    r.sharedKey[1] = "";
    r.sharedKey[2] = "0123456789ABCDEF0123456789ABCDEF";
    r.sharedKeyLength[2] = 128;
    r.sharedKey[3] = "0123456789";
    r.sharedKeyLength[3] = 64; // not a length a profile holds; the text says 40
    EncipherRecordKeys(r, FakeEncipher);
    EXPECT_EQ(CString("E104:00112233445566778899AABBCC"), r.uniqueKey);
    EXPECT_EQ(CString("E40:0123456789"), r.sharedKey[0]);
    EXPECT_TRUE(r.sharedKey[1].IsEmpty());
    EXPECT_EQ(CString("E128:0123456789ABCDEF0123456789ABCDEF"), r.sharedKey[2]);
    EXPECT_EQ(CString("E40:0123456789"), r.sharedKey[3]);
    EXPECT_EQ(40, r.sharedKeyLength[3]);
}

TEST(ProfileRules, UpgradeKeepsKeysItCannotEncipher) {
    CConfigRecord r;
    r.sharedKey[0] = "0123";
    r.sharedKeyLength[0] = 77; // neither length nor text tell a key size
    r.sharedKey[1] = "0123456789";
    r.sharedKeyLength[1] = 40;
    EncipherRecordKeys(r, [](const char*, int32_t) { return CString(); });
    EncipherRecordKeys(r, [](const char* p, int32_t b) {
        return strcmp(p, "0123") == 0 ? CString("X") : FakeEncipher(p, b);
    });
    EXPECT_EQ(CString("0123"), r.sharedKey[0]);
    EXPECT_EQ(77, r.sharedKeyLength[0]);
    EXPECT_EQ(CString("E40:0123456789"), r.sharedKey[1]);
}

TEST(ProfileRules, UpgradeRunsOnlyForSelectedDataOlderThan02NotYetEnciphered) {
    EXPECT_TRUE(NeedsKeyUpgrade(true, true, 0, 1, false));
    EXPECT_TRUE(NeedsKeyUpgrade(true, true, 0, 0, false));
    EXPECT_FALSE(NeedsKeyUpgrade(true, true, 0, 2, false));
    EXPECT_FALSE(NeedsKeyUpgrade(true, true, 1, 0, false));
    EXPECT_FALSE(NeedsKeyUpgrade(false, true, 0, 1, false));
    EXPECT_FALSE(NeedsKeyUpgrade(true, false, 0, 1, false));
    EXPECT_FALSE(NeedsKeyUpgrade(true, true, 0, 1, true)) << "keys already enciphered";
}

TEST(RegistryNames, TableHoldsOneDistinctNonEmptyTextPerName) {
    std::set<std::string> seen;
    for (int i = 0; i < kRegNameCount; ++i) {
        const char* n = RegistryName(static_cast<RegName>(i));
        ASSERT_NE(nullptr, n);
        EXPECT_NE('\0', n[0]) << i;
        EXPECT_TRUE(seen.insert(n).second) << "duplicate " << n;
    }
    EXPECT_EQ(46, kRegInstalledNameCount);
    EXPECT_STREQ("", RegistryName(kRegNameCount));
    EXPECT_STREQ("", RegistryName(static_cast<RegName>(-1)));
}

TEST(RegistryNames, EveryNameReadsAsTheInstallationAndTheDriverSpellIt) {
    // Spelled out here, apart from the table: a changed letter in one of
    // these would lose the driver's values or the stored profiles.
    const char* const expected[] = {"CustomParams",
                                    "CustomParams\\Configurations",
                                    "ConfigurationName",
                                    "NetworkName",
                                    "NetworkConnectionType",
                                    "PowerManagement",
                                    "EnableTurbo",
                                    "EnableMacAddress",
                                    "MacAddress",
                                    "EnableSecurity",
                                    "DefaultKey",
                                    "UniqueKey",
                                    "SharedKey1",
                                    "SharedKey2",
                                    "SharedKey3",
                                    "SharedKey4",
                                    "SharedKey1Length",
                                    "SharedKey2Length",
                                    "SharedKey3Length",
                                    "SharedKey4Length",
                                    "UniqueKeyLength",
                                    "SelectedConfigurationName",
                                    "SelectedConfigurationIndex",
                                    "MajorVersion",
                                    "MinorVersion",
                                    "TurboEnable",
                                    "ssid",
                                    "defaultKey",
                                    "key0",
                                    "key1",
                                    "key2",
                                    "key3",
                                    "keyLength0",
                                    "keyLength1",
                                    "keyLength2",
                                    "keyLength3",
                                    "uniqKeyLength",
                                    "uniqKey",
                                    "bssType",
                                    "sleepMode",
                                    "privacyInvoked",
                                    "NetworkAddress",
                                    "clist",
                                    "CardCfgId",
                                    "NetCfgInstanceId",
                                    "WZCSVC",
                                    "KeysEnciphered"};
    ASSERT_EQ(static_cast<size_t>(kRegNameCount), sizeof expected / sizeof expected[0]);
    for (int i = 0; i < kRegNameCount; ++i)
        EXPECT_STREQ(expected[i], RegistryName(static_cast<RegName>(i))) << i;
    EXPECT_STREQ("key0", RegistryName(kRegKey0));
    EXPECT_STREQ("keyLength3", RegistryName(kRegKeyLength3));
    EXPECT_STREQ("NetworkAddress", RegistryName(kRegNetworkAddress));
    EXPECT_STREQ("CardCfgId", RegistryName(kRegCardCfgId));
    EXPECT_STREQ("NetCfgInstanceId", RegistryName(kRegNetCfgInstanceId));
    EXPECT_STREQ("WZCSVC", RegistryName(kRegWzcsvc));
}
