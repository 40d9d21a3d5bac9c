#include <gtest/gtest.h>

#include "platform/PlatformRules.h"

TEST(PlatformSelection, EachFamilyGetsItsStrategyAndUnknownIdsNone) {
    EXPECT_EQ(PlatformKind::NT5, SelectPlatformKind(2, 5)); // 2000 and XP (5.1)
    EXPECT_EQ(PlatformKind::NT5, SelectPlatformKind(2, 6));
    EXPECT_EQ(PlatformKind::NT4, SelectPlatformKind(2, 4));
    EXPECT_EQ(PlatformKind::NT4, SelectPlatformKind(2, 3));
    EXPECT_EQ(PlatformKind::Win9x, SelectPlatformKind(1, 4));       // 95, 98, Me
    EXPECT_EQ(PlatformKind::Unsupported, SelectPlatformKind(0, 3)); // Win32s
    EXPECT_EQ(PlatformKind::Unsupported, SelectPlatformKind(3, 5)); // CE
}

TEST(SystemRoot, PrefixAndOneSeparatorDroppedOtherPathsKeptWhole) {
    EXPECT_STREQ("System32\\drivers\\doviz.sys",
                 StripSystemRoot("\\SystemRoot\\System32\\drivers\\doviz.sys").c_str());
    // Exactly one character after "SystemRoot" goes: here the closing '%'.
    EXPECT_STREQ("\\System32\\drivers\\doviz.sys",
                 StripSystemRoot("%SystemRoot%\\System32\\drivers\\doviz.sys").c_str());
    EXPECT_STREQ("System32\\drivers\\doviz.sys",
                 StripSystemRoot("System32\\drivers\\doviz.sys").c_str());
    EXPECT_STREQ("", StripSystemRoot("\\SystemRoot").c_str()); // nothing after it
    EXPECT_STREQ("", StripSystemRoot("").c_str());
}

namespace {

CConfigRecord Stored() {
    CConfigRecord r;
    r.name = "Office";
    r.networkName = "old";
    r.connectionType = 1;
    r.powerManagement = 1;
    r.enableTurbo = 0;
    r.enableMacAddress = 1;
    r.macAddress = "00AABBCCDDEE";
    r.enableSecurity = 1;
    r.defaultKey = 2;
    r.uniqueKey = "U0";
    r.uniqueKeyLength = 40;
    for (int i = 0; i < 4; ++i) {
        r.sharedKey[i] = "S0";
        r.sharedKeyLength[i] = 40;
    }
    return r;
}

CConfigRecord Edited(int security) {
    CConfigRecord e;
    e.name = "Other name";
    e.networkName = "new";
    e.connectionType = 0;
    e.powerManagement = 2;
    e.enableTurbo = 1;
    e.enableMacAddress = 0;
    e.macAddress = "112233445566";
    e.enableSecurity = security;
    e.defaultKey = 4;
    e.uniqueKey = "U1";
    e.uniqueKeyLength = 128;
    for (int i = 0; i < 4; ++i) {
        e.sharedKey[i] = "S";
        e.sharedKey[i] += static_cast<char>('1' + i);
        e.sharedKeyLength[i] = 104;
    }
    e.dirty = 0;
    return e;
}

} // namespace

TEST(CopyEdited, SecurityOnCopiesEverySettingAndKeyButNotNameOrAddress) {
    CConfigRecord s = Stored();
    CopyEditedConfiguration(Edited(1), s);
    EXPECT_STREQ("new", s.networkName.c_str());
    EXPECT_EQ(0, s.connectionType);
    EXPECT_EQ(2, s.powerManagement);
    EXPECT_EQ(1, s.enableTurbo);
    EXPECT_EQ(1, s.enableSecurity);
    EXPECT_EQ(4, s.defaultKey);
    EXPECT_STREQ("U1", s.uniqueKey.c_str());
    EXPECT_EQ(128, s.uniqueKeyLength);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(104, s.sharedKeyLength[i]);
        EXPECT_EQ('1' + i, s.sharedKey[i].GetAt(1));
    }
    EXPECT_STREQ("Office", s.name.c_str());
    EXPECT_EQ(1, s.enableMacAddress);
    EXPECT_STREQ("00AABBCCDDEE", s.macAddress.c_str());
}

TEST(CopyEdited, SecurityOffStoresTheFlagButKeepsStoredKeys) {
    CConfigRecord s = Stored();
    CopyEditedConfiguration(Edited(0), s);
    EXPECT_EQ(0, s.enableSecurity);
    EXPECT_STREQ("new", s.networkName.c_str());
    EXPECT_EQ(2, s.defaultKey);
    EXPECT_STREQ("U0", s.uniqueKey.c_str());
    EXPECT_EQ(40, s.uniqueKeyLength);
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ("S0", s.sharedKey[i].c_str());
        EXPECT_EQ(40, s.sharedKeyLength[i]);
    }
}

TEST(FileTexts, VersionHalvesInOrderWithoutLeadingZeros) {
    EXPECT_STREQ("1.0.2.15", FormatFileVersion(0x00010000, 0x0002000F).c_str());
    EXPECT_STREQ("65535.1.0.65535", FormatFileVersion(0xFFFF0001, 0x0000FFFF).c_str());
}

TEST(FileTexts, DateHasTwoDigitDayMonthNameAnd24HourTime) {
    EXPECT_STREQ("07 Mar 2002 14:05:09", FormatFileDate({2002, 3, 7, 14, 5, 9}).c_str());
    EXPECT_STREQ("31 Dec 1999 23:59:59", FormatFileDate({1999, 12, 31, 23, 59, 59}).c_str());
    EXPECT_STREQ("01 Jan 2026 00:00:00", FormatFileDate({2026, 1, 1, 0, 0, 0}).c_str());
}

TEST(FileTexts, MonthOutOfRangeNeverIndexesPastTheNames) {
    EXPECT_STREQ("", FormatFileDate({2002, 0, 7, 14, 5, 9}).c_str());
    EXPECT_STREQ("", FormatFileDate({2002, 13, 7, 14, 5, 9}).c_str());
}
