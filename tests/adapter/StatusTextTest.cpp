#include <gtest/gtest.h>

#include <string.h>

#include "adapter/QueryRule.h"
#include "adapter/StatusText.h"

// Quality: x100/95 truncated, +45 above 10, capped at 100, no lower clamp.
TEST(SignalQuality, ScaleThresholdAndCapGiveTheDocumentedPercentages) {
    EXPECT_EQ(0, SignalQuality(0));
    EXPECT_EQ(9, SignalQuality(9));    // 9.47 truncated
    EXPECT_EQ(10, SignalQuality(10));  // 10.5 -> 10: not above 10, no bonus
    EXPECT_EQ(56, SignalQuality(11));  // 11 + 45
    EXPECT_EQ(100, SignalQuality(60)); // 63 + 45 capped
    EXPECT_EQ(100, SignalQuality(95));
    EXPECT_EQ(87, SignalQuality(40));
}

TEST(SignalQuality, NegativeLevelIsNotClampedAndTruncatesTowardZero) {
    EXPECT_EQ(-10, SignalQuality(-10)); // -10.5 -> -10
    EXPECT_EQ(-1, SignalQuality(-1));   // -1.05 -> -1
    EXPECT_STREQ("-10%", FormatSignalQuality(-10).c_str());
}

TEST(SignalQuality, ExtremeLevelsDoNotOverflow) {
    EXPECT_EQ(100, SignalQuality(INT32_MAX));
    EXPECT_EQ(INT32_MIN, SignalQuality(INT32_MIN));
    EXPECT_STREQ("56%", FormatSignalQuality(11).c_str());
}

TEST(ChannelFrequency, FrequencyFollowsTheFormulaAndDropsTheThousandths) {
    EXPECT_STREQ("36 / 5.18 GHz", FormatChannelFrequency(36).c_str());
    EXPECT_EQ(5745u, ChannelFrequencyMHz(149));
    EXPECT_STREQ("149 / 5.74 GHz", FormatChannelFrequency(149).c_str()); // not 5.75
    EXPECT_STREQ("0 / 5.00 GHz", FormatChannelFrequency(0).c_str());
    EXPECT_STREQ("64 / 5.32 GHz", FormatChannelFrequency(64).c_str());
}

TEST(Addresses, BroadcastBssidShowsEmptyButOwnAddressInFull) {
    const uint8_t ff[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_STREQ("", FormatAccessPointAddress(ff).c_str());
    EXPECT_STREQ("FF-FF-FF-FF-FF-FF", FormatMacAddress(ff).c_str());
    const uint8_t ap[6] = {0x00, 0x0B, 0xa1, 0xFF, 0xFF, 0xFF};
    EXPECT_STREQ("00-0B-A1-FF-FF-FF", FormatAccessPointAddress(ap).c_str());
}

TEST(SnapshotTexts, ModeEncryptionLabelAndRatesMapEveryValue) {
    EXPECT_STREQ("Infrastructure", NetworkModeText(0));
    EXPECT_STREQ("Ad Hoc", NetworkModeText(1));
    EXPECT_STREQ("", NetworkModeText(2));
    EXPECT_STREQ("", NetworkModeText(0xFFFFFFFF));
    EXPECT_STREQ("None", EncryptionText(0));
    EXPECT_STREQ("WEP Enabled", EncryptionText(7));
    EXPECT_STREQ("Connect to:", ConnectionLabel(0));
    EXPECT_STREQ("Disconnected:", ConnectionLabel(2));
    EXPECT_STREQ("54 Mbps", FormatRate(54).c_str());
}

TEST(SnapshotTexts, SsidWithoutTerminatorStaysInsideItsField) {
    AdapterStatusSnapshot s;
    memset(&s, 'A', sizeof s); // every byte after the field is non-zero too
    CString ssid = SnapshotSsid(s);
    EXPECT_EQ(34, ssid.GetLength());
    memcpy(s.ssid, "lab\0junk", 8);
    EXPECT_STREQ("lab", SnapshotSsid(s).c_str());
}

TEST(SnapshotTexts, ErrorSumsAddEveryCounterAndOnlyThose) {
    AdapterStatusSnapshot s;
    memset(&s, 0, sizeof s);
    s.txErrorCount1 = 1;
    s.txErrorCount2 = 2;
    s.txErrorCount3 = 4;
    s.txErrorCount4 = 8;
    s.txErrorCount5 = 16;
    s.txErrorCount6 = 32;
    s.rxErrorCount1 = 100;
    s.rxErrorCount2 = 200;
    s.rxErrorCount3 = 400;
    s.unused44 = 1000; // not a counter
    s.unused50 = 1000;
    s.unused80 = 1000;
    EXPECT_EQ(63u, TransmitErrorSum(s));
    EXPECT_EQ(700u, ReceiveErrorSum(s));
}

TEST(RegulatoryDomain, KnownCodesNameTheirStringAndOthersUnknown) {
    EXPECT_EQ(58200u, RegulatoryDomainNameId(0x10));
    EXPECT_EQ(58201u, RegulatoryDomainNameId(0x20));
    EXPECT_EQ(58202u, RegulatoryDomainNameId(0x30));
    EXPECT_EQ(58203u, RegulatoryDomainNameId(0x31));
    EXPECT_EQ(58204u, RegulatoryDomainNameId(0x32));
    EXPECT_EQ(58205u, RegulatoryDomainNameId(0x40));
    EXPECT_EQ(58249u, RegulatoryDomainNameId(0x41));
    EXPECT_EQ(58249u, RegulatoryDomainNameId(0));
}

TEST(RegulatoryDomain, FormatsCodeInLowerHexWithName) {
    EXPECT_STREQ("0x31 Spain", FormatRegulatoryDomainText("0x%02x %s", 0x31, "Spain").c_str());
    EXPECT_STREQ("0x41 <unknown>",
                 FormatRegulatoryDomainText("0x%02x %s", 0x41, "<unknown>").c_str());
    EXPECT_STREQ("0x0a x", FormatRegulatoryDomainText("0x%02x %s", 0x0A, "x").c_str());
}

TEST(RegulatoryDomain, DamagedFormatStringIsNotHandedToPrintf) {
    // %s first would read the code as a pointer; %n would write memory.
    EXPECT_STREQ("0x10 FCC (US)", FormatRegulatoryDomainText("%s %d", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("0x10 FCC (US)", FormatRegulatoryDomainText("%n%s", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("0x10 FCC (US)", FormatRegulatoryDomainText(nullptr, 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("0x10 FCC (US)", FormatRegulatoryDomainText("0x%02x", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("16%: FCC (US)", FormatRegulatoryDomainText("%d%%: %s", 0x10, "FCC (US)").c_str());
}

TEST(RegulatoryDomain, FlagAfterWidthHugeWidthOrCutNameFallsBackToTheBuiltInFormat) {
    // printf reads flags only before the width: "%02 x" is no conversion it
    // knows, and the arguments after it would be read as the wrong types.
    EXPECT_STREQ("0x10 FCC (US)",
                 FormatRegulatoryDomainText("0x%02 x%s", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("0x10 FCC (US)", FormatRegulatoryDomainText("%2.2 d%s", 0x10, "FCC (US)").c_str());
    // A width of a billion would make the line a gigabyte.
    EXPECT_STREQ("0x10 FCC (US)",
                 FormatRegulatoryDomainText("%999999999x %s", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("0x10 FCC (US)",
                 FormatRegulatoryDomainText("%.100d %s", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("0x10 FCC (US)", FormatRegulatoryDomainText("%", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("  0016 FCC (US)",
                 FormatRegulatoryDomainText("%6.4d %s", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("0X1F -- Spain", FormatRegulatoryDomainText("%#X -- %s", 0x1F, "Spain").c_str());
    // A precision on the name would cut it ("%.s" drops it whole).
    EXPECT_STREQ("0x10 FCC (US)",
                 FormatRegulatoryDomainText("0x%02x %.s", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("0x10 FCC (US)", FormatRegulatoryDomainText("%d %.3s", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("0x10 FCC (US)",
                 FormatRegulatoryDomainText("%d %-12.0s", 0x10, "FCC (US)").c_str());
    EXPECT_STREQ("16   FCC (US)",
                 FormatRegulatoryDomainText("%-4.1d %s", 0x10, "FCC (US)").c_str());
}

TEST(QueryRule, RetryOnlyOnceAndOnlyWhenTheNeededSizeFits) {
    EXPECT_EQ(QueryStep::Done, NextQueryStep(NX_STATUS_SUCCESS, 0, 8, false));
    EXPECT_EQ(QueryStep::Retry, NextQueryStep(NX_STATUS_INVALID_LENGTH, 4, 8, false));
    EXPECT_EQ(QueryStep::Retry, NextQueryStep(NX_STATUS_INVALID_LENGTH, 8, 8, false));
    EXPECT_EQ(QueryStep::Fail, NextQueryStep(NX_STATUS_INVALID_LENGTH, 16, 8, false));
    EXPECT_EQ(QueryStep::Fail, NextQueryStep(NX_STATUS_INVALID_LENGTH, 4, 8, true));
    EXPECT_EQ(QueryStep::Done, NextQueryStep(NX_STATUS_SUCCESS, 0, 4, true));
    EXPECT_EQ(QueryStep::Fail, NextQueryStep(NX_STATUS_FAILURE, 4, 8, false));
    EXPECT_EQ(QueryStep::Fail, NextQueryStep(NX_STATUS_NOT_SUPPORTED, 0, 8, false));
}

TEST(QueryRule, OverReportedBytesWrittenIsBoundedByTheBufferSent) {
    EXPECT_EQ(240u, AnswerLength(4096, 240));
    EXPECT_EQ(100u, AnswerLength(100, 240));
    EXPECT_EQ(4u, AnswerLength(4, 4));
    EXPECT_EQ(0u, AnswerLength(0, 8));
}
