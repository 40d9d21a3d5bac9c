#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "adapter/StatusText.h"
#include "ui/StatusPageRules.h"

namespace {

AdapterStatusSnapshot Connected() {
    AdapterStatusSnapshot s;
    memset(&s, 0, sizeof s);
    const uint8_t ap[6] = {0x00, 0x0B, 0xA1, 0x12, 0x34, 0x56};
    memcpy(s.bssid, ap, 6);
    strcpy(s.ssid, "lab");
    s.channel = 36;
    s.txRateMbps = 54;
    s.rxRateMbps = 48;
    s.signalLevel = 11;
    s.wepEnabled = 1;
    return s;
}

const uint8_t kOwn[6] = {0x00, 0x03, 0x7F, 0xAA, 0xBB, 0xCC};

// A meter 26 x 129 pixels at (20, 30): its inside is 20 x 123.
CoverRect Cover(uint16_t openFlag, int32_t quality) {
    return MeterCoverRect(20, 30, 46, 159, openFlag, quality);
}

} // namespace

TEST(StatusTexts, OpenAdapterFillsTheTenTexts) {
    StatusPageTexts t = ComposeStatusTexts(1, Connected(), kOwn);
    EXPECT_STREQ("00-0B-A1-12-34-56", t.accessPoint.c_str());
    EXPECT_STREQ("WEP Enabled", t.encryption.c_str());
    EXPECT_STREQ("36 / 5.18 GHz", t.channel.c_str());
    EXPECT_STREQ("Infrastructure", t.networkMode.c_str());
    EXPECT_STREQ("00-03-7F-AA-BB-CC", t.ownAddress.c_str());
    EXPECT_STREQ("48 Mbps", t.receiveRate.c_str());
    EXPECT_STREQ("Connect to:", t.connectionLabel.c_str());
    EXPECT_STREQ("lab", t.networkName.c_str());
    EXPECT_STREQ("54 Mbps", t.transmitRate.c_str());
    EXPECT_STREQ("56%", t.signal.c_str());
}

TEST(StatusTexts, ClosedAdapterShowsOnlyNotAvailable) {
    for (uint16_t flag : {0, 2, 0xFFFE}) { // only the low bit counts
        StatusPageTexts t = ComposeStatusTexts(flag, Connected(), kOwn);
        EXPECT_STREQ("Not Available", t.connectionLabel.c_str());
        for (const CString* text :
             {&t.accessPoint, &t.encryption, &t.channel, &t.networkMode, &t.ownAddress,
              &t.receiveRate, &t.networkName, &t.transmitRate, &t.signal})
            EXPECT_TRUE(text->IsEmpty()) << text->c_str();
    }
    EXPECT_STREQ("lab", ComposeStatusTexts(3, Connected(), kOwn).networkName.c_str());
}

TEST(StatusTexts, EdgeValuesOfChannelBssidModeAndLink) {
    AdapterStatusSnapshot s = Connected();
    s.channel = 0;
    memset(s.bssid, 0xFF, 6);
    s.networkMode = 2;
    s.disconnected = 1;
    s.wepEnabled = 0;
    StatusPageTexts t = ComposeStatusTexts(1, s, nullptr);
    EXPECT_STREQ("0 / 5.00 GHz", t.channel.c_str());
    EXPECT_STREQ("", t.accessPoint.c_str());
    EXPECT_STREQ("", t.networkMode.c_str());
    EXPECT_STREQ("Disconnected:", t.connectionLabel.c_str());
    EXPECT_STREQ("lab", t.networkName.c_str()); // the SSID stays while disconnected
    EXPECT_STREQ("None", t.encryption.c_str());
    EXPECT_STREQ("", t.ownAddress.c_str()); // no strategy

    s.channel = 149;
    memset(s.bssid, 0, 6);
    s.networkMode = 1;
    t = ComposeStatusTexts(1, s, kOwn);
    EXPECT_STREQ("149 / 5.74 GHz", t.channel.c_str());
    EXPECT_STREQ("00-00-00-00-00-00", t.accessPoint.c_str());
    EXPECT_STREQ("Ad Hoc", t.networkMode.c_str());
}

TEST(StatusTexts, SignalLevels10And11And53ShowTheirQuality) {
    AdapterStatusSnapshot s = Connected();
    s.signalLevel = 10;
    EXPECT_STREQ("10%", ComposeStatusTexts(1, s, kOwn).signal.c_str());
    s.signalLevel = 11;
    EXPECT_STREQ("56%", ComposeStatusTexts(1, s, kOwn).signal.c_str());
    s.signalLevel = 53;
    EXPECT_STREQ("100%", ComposeStatusTexts(1, s, kOwn).signal.c_str());
}

TEST(MeterCover, SitsThreePixelsInsideTheMeterAndCoversTheMissingQuality) {
    CoverRect r = Cover(1, SignalQuality(10)); // 10%: 90% of 123 covered
    EXPECT_EQ(23, r.left);
    EXPECT_EQ(33, r.top);
    EXPECT_EQ(20, r.width);
    EXPECT_EQ(110, r.height);                          // 110.7 truncated
    EXPECT_EQ(54, Cover(1, SignalQuality(11)).height); // 56%: 54.12
    EXPECT_EQ(0, Cover(1, SignalQuality(53)).height);  // 100%
    EXPECT_EQ(123, Cover(1, 0).height);
}

TEST(MeterCover, ClosedAdapterIsFullyCovered) {
    EXPECT_EQ(123, Cover(0, 100).height);
    EXPECT_EQ(123, Cover(2, 56).height);
}

TEST(MeterCover, NegativeQualityCoversTheMeterButNeverMore) {
    EXPECT_EQ(123, Cover(1, -10).height);
    EXPECT_EQ(123, Cover(1, SignalQuality(INT32_MIN)).height);
    EXPECT_EQ(0, Cover(1, 1000).height);
}

TEST(MeterCover, MeterSmallerThanItsFrameGivesAnEmptyCover) {
    CoverRect r = MeterCoverRect(10, 10, 14, 15, 0, 0);
    EXPECT_EQ(0, r.width);
    EXPECT_EQ(0, r.height);
    EXPECT_EQ(13, r.left);
    EXPECT_EQ(13, r.top);
}

TEST(MeterLayout, MeterHoldsItsImageInsideItsFrameAndTheBoxSitsUnderItsMiddle) {
    // A meter the static control sized to the 22 x 123 image, frame included.
    PageRect meter = {276, 110, 298, 233};
    PageRect box = {273, 260, 318, 280}; // 45 wide, 20 high
    PageRect mark = {309, 221, 345, 234};
    MeterLayout l = LayOutMeter(meter, 6, 6, 22, 123, box, mark, 8);
    // The inside, 3 pixels in on each side, is the image's size.
    EXPECT_EQ(276, l.meter.left);
    EXPECT_EQ(110, l.meter.top);
    EXPECT_EQ(22, l.meter.right - l.meter.left - 6);
    EXPECT_EQ(123, l.meter.bottom - l.meter.top - 6);
    CoverRect inside =
        MeterCoverRect(l.meter.left, l.meter.top, l.meter.right, l.meter.bottom, 0, 0);
    EXPECT_EQ(22, inside.width);
    EXPECT_EQ(123, inside.height);
    // The box keeps its size; the middles match (28 and 45: half a pixel
    // apart at most); it keeps its place, being low enough already.
    EXPECT_EQ(45, l.percentBox.right - l.percentBox.left);
    EXPECT_EQ(20, l.percentBox.bottom - l.percentBox.top);
    EXPECT_LE(abs((l.percentBox.left + l.percentBox.right) - (l.meter.left + l.meter.right)), 1);
    EXPECT_EQ(260, l.percentBox.top);
    // The "0%" mark ends level with the meter's bottom, its size and left kept.
    EXPECT_EQ(l.meter.bottom, l.bottomMark.bottom);
    EXPECT_EQ(13, l.bottomMark.bottom - l.bottomMark.top);
    EXPECT_EQ(309, l.bottomMark.left);
    EXPECT_EQ(345, l.bottomMark.right);
}

TEST(MeterLayout, BoxThatTheGrownMeterWouldReachMovesBelowIt) {
    PageRect meter = {10, 10, 32, 133};
    PageRect box = {0, 130, 30, 150};
    PageRect mark = {40, 120, 60, 133};
    MeterLayout l = LayOutMeter(meter, 6, 6, 22, 123, box, mark, 8);
    EXPECT_EQ(139 + 8, l.percentBox.top);
    EXPECT_EQ(20, l.percentBox.bottom - l.percentBox.top);
    EXPECT_EQ(9, l.percentBox.left); // (28 - 30) / 2: one pixel left of the meter
}
