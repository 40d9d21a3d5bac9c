#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "adapter/ScanDecode.h"

namespace {

NetworkScanEntry Entry(const char* ssid, uint8_t last, uint32_t v44, uint32_t v56) {
    NetworkScanEntry e;
    memset(&e, 0, sizeof e);
    const uint8_t bssid[6] = {0x00, 0x0B, 0x6B, 0xAA, 0xBB, last};
    memcpy(e.bssid, bssid, 6);
    strncpy(e.ssid, ssid, sizeof e.ssid);
    e.value44 = v44;
    e.value56 = v56;
    return e;
}

} // namespace

TEST(ScanCapacity, GrowsByTenFromTwentyToFiveHundredThenStops) {
    std::vector<uint32_t> seen;
    for (uint32_t c = kScanFirstCapacity; c != 0; c = NextScanCapacity(c))
        seen.push_back(c);
    ASSERT_EQ(49u, seen.size());
    EXPECT_EQ(20u, seen.front());
    EXPECT_EQ(30u, seen[1]);
    EXPECT_EQ(50u, seen[3]); // room for 45 entries at the fourth query
    EXPECT_EQ(500u, seen.back());
}

TEST(ScanDecode, ItemsCarryTextsInOrderValue56Value44BssidSsid) {
    NetworkScanEntry raw[2] = {Entry("lab", 0x01, 36, 80), Entry("office", 0xFE, 149, 0xFFFFFFFF)};
    NetworkScanList out;
    DecodeScanAnswer(raw, sizeof raw, sizeof raw, out);
    ASSERT_EQ(2u, out.size());
    EXPECT_STREQ("80", out[0]->value56Text.c_str());
    EXPECT_STREQ("36", out[0]->value44Text.c_str());
    EXPECT_STREQ("00-0B-6B-AA-BB-01", out[0]->bssidText.c_str());
    EXPECT_STREQ("lab", out[0]->ssid.c_str());
    EXPECT_STREQ("-1", out[1]->value56Text.c_str()); // "%d" of the raw word
    EXPECT_STREQ("office", out[1]->ssid.c_str());
}

TEST(ScanDecode, PartialTrailingEntryIsIgnored) {
    std::vector<unsigned char> buf(3 * sizeof(NetworkScanEntry), 0);
    NetworkScanEntry a = Entry("a", 1, 0, 0), b = Entry("b", 2, 0, 0);
    memcpy(&buf[0], &a, sizeof a);
    memcpy(&buf[sizeof a], &b, sizeof b);
    NetworkScanList out;
    DecodeScanAnswer(buf.data(), buf.size(), 2 * 72 + 40, out);
    ASSERT_EQ(2u, out.size());
    EXPECT_STREQ("b", out[1]->ssid.c_str());
}

TEST(ScanDecode, OverReportedBytesWrittenNeverReadsPastTheBuffer) {
    // The sanitizer build catches a read past this exact-size heap buffer.
    std::unique_ptr<unsigned char[]> buf(new unsigned char[2 * sizeof(NetworkScanEntry)]);
    NetworkScanEntry a = Entry("a", 1, 0, 0);
    memcpy(buf.get(), &a, sizeof a);
    memcpy(buf.get() + sizeof a, &a, sizeof a);
    NetworkScanList out;
    DecodeScanAnswer(buf.get(), 2 * sizeof(NetworkScanEntry), 10 * 72, out);
    EXPECT_EQ(2u, out.size());
    EXPECT_EQ(2u, ScanEntryCount(0xFFFFFFFF, 144));
    EXPECT_EQ(0u, ScanEntryCount(71, 144));
}

TEST(ScanDecode, NoBytesWrittenGivesNoItems) {
    NetworkScanEntry raw[1] = {Entry("ghost", 1, 0, 0)};
    NetworkScanList out;
    DecodeScanAnswer(raw, sizeof raw, 0, out);
    EXPECT_TRUE(out.empty());
}

TEST(ScanDecode, SsidFillingItsWholeFieldStaysInsideTheEntry) {
    NetworkScanEntry raw[2];
    memset(raw, 'Z', sizeof raw); // no terminator anywhere
    NetworkScanList out;
    DecodeScanAnswer(raw, sizeof raw, sizeof raw, out);
    ASSERT_EQ(2u, out.size());
    EXPECT_EQ(36, out[0]->ssid.GetLength());
}

TEST(ScanDecode, AppendsAfterWhatTheListAlreadyHolds) {
    NetworkScanList out;
    out.push_back(std::unique_ptr<NetworkScanItem>(new NetworkScanItem()));
    NetworkScanEntry raw[1] = {Entry("x", 1, 0, 0)};
    DecodeScanAnswer(raw, sizeof raw, sizeof raw, out);
    ASSERT_EQ(2u, out.size());
    EXPECT_STREQ("x", out[1]->ssid.c_str());
}
