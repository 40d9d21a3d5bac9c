// The tray's pure choices: the 127-byte tooltip cut on whole characters, and
// the icon and tooltip each poll tick picks from the status snapshot.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "tray/TooltipText.h"
#include "tray/TrayState.h"

namespace {

// Shift-JIS lead bytes, a double-byte code page the era's Windows used.
bool ShiftJisLead(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::string Cut(const std::string& text, LeadByteTest lead = nullptr) {
    char out[kTooltipMaxBytes + 1];
    memset(out, 'X', sizeof out);
    size_t n = CutTooltip(text.c_str(), lead, out);
    EXPECT_EQ(strlen(out), n);
    return out;
}

AdapterStatusSnapshot Connected(int32_t signal, const char* ssid) {
    AdapterStatusSnapshot s;
    memset(&s, 0, sizeof s);
    s.signalLevel = signal;
    strncpy(s.ssid, ssid, sizeof s.ssid);
    return s;
}

const char kPrefix[] = "VELNORA KX750 ";

} // namespace

TEST(TooltipCut, TextsUpTo127BytesAreKeptWhole) {
    EXPECT_EQ("", Cut(""));
    EXPECT_EQ("VELNORA KX750 Connect to: lab", Cut("VELNORA KX750 Connect to: lab"));
    std::string exact(127, 'a');
    EXPECT_EQ(exact, Cut(exact));
    char out[kTooltipMaxBytes + 1];
    EXPECT_EQ(0u, CutTooltip(nullptr, nullptr, out));
    EXPECT_STREQ("", out);
}

TEST(TooltipCut, A200ByteTextKeepsItsFirst127Bytes) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += static_cast<char>('a' + i % 26);
    EXPECT_EQ(text.substr(0, 127), Cut(text));
    EXPECT_EQ(text.substr(0, 127), Cut(text, ShiftJisLead)); // single-byte text, same cut
}

TEST(TooltipCut, ATwoByteCharacterAcrossTheLimitIsLeftOutWhole) {
    // 126 single bytes, then a two-byte character that would take bytes 127 and 128.
    std::string text(126, 'a');
    text += "\x82\xA0";
    text += "tail";
    std::string cut = Cut(text, ShiftJisLead);
    EXPECT_EQ(std::string(126, 'a'), cut);
    // Without the code page's lead bytes the same text is cut at 127.
    EXPECT_EQ(127u, Cut(text).size());
    // A character ending exactly at byte 127 is kept.
    std::string fits(125, 'a');
    fits += "\x82\xA0zz";
    EXPECT_EQ(fits.substr(0, 127), Cut(fits, ShiftJisLead));
}

TEST(TooltipCut, TrailBytesThatLookLikeLeadBytesStayWithTheirCharacter) {
    // 0x81 0x81 is one character: its trail must not start another pair.
    std::string text;
    for (int i = 0; i < 70; ++i)
        text += "\x81\x81";
    std::string cut = Cut(text, ShiftJisLead);
    EXPECT_EQ(126u, cut.size()); // 63 whole characters
    // A lead byte at the very end has no trail: it counts as one byte.
    EXPECT_EQ("ab\x82", Cut("ab\x82", ShiftJisLead));
}

TEST(TrayTick, ConnectedWithGoodSignalShowsIconZeroAndTheNetwork) {
    TrayState s = ChooseTrayState(Connected(40, "lab"), kPrefix); // 42 + 45 = 87 %
    EXPECT_EQ(kTrayIconConnected, s.iconIndex);
    EXPECT_STREQ("VELNORA KX750 Connect to: lab", s.tooltip.c_str());
}

TEST(TrayTick, RawSignalTenIsWeakAndElevenIsGood) {
    EXPECT_EQ(kTrayIconWeakSignal, ChooseTrayState(Connected(10, "lab"), kPrefix).iconIndex);
    EXPECT_EQ(kTrayIconConnected, ChooseTrayState(Connected(11, "lab"), kPrefix).iconIndex);
    EXPECT_EQ(kTrayIconWeakSignal, ChooseTrayState(Connected(0, "lab"), kPrefix).iconIndex);
}

TEST(TrayTick, NegativeRawSignalIsWeak) {
    EXPECT_EQ(kTrayIconWeakSignal, ChooseTrayState(Connected(-1, "lab"), kPrefix).iconIndex);
    EXPECT_EQ(kTrayIconWeakSignal, ChooseTrayState(Connected(INT32_MIN, "lab"), kPrefix).iconIndex);
}

TEST(TrayTick, DisconnectedShowsIconOneAndSaysDisconnected) {
    // Any nonzero flag means not connected, not only 1.
    for (uint32_t flag : {1u, 2u, 0x100u, 0xFFFFFFFFu}) {
        AdapterStatusSnapshot s = Connected(90, "lab");
        s.disconnected = flag;
        TrayState state = ChooseTrayState(s, kPrefix);
        EXPECT_EQ(kTrayIconDisconnected, state.iconIndex) << flag;
        EXPECT_STREQ("VELNORA KX750 Disconnected", state.tooltip.c_str()) << flag;
    }
}

TEST(TrayTick, EmptyNetworkNameLeavesThePrefixAlone) {
    TrayState s = ChooseTrayState(Connected(60, ""), kPrefix);
    EXPECT_EQ(kTrayIconConnected, s.iconIndex);
    EXPECT_STREQ("VELNORA KX750 ", s.tooltip.c_str());
}

TEST(TrayTick, UnterminatedNetworkNameIsReadWithinItsField) {
    AdapterStatusSnapshot s = Connected(60, "");
    memset(s.ssid, 'n', sizeof s.ssid);
    s.wepEnabled = 0x41414141; // the bytes after the field are not part of the name
    TrayState state = ChooseTrayState(s, kPrefix);
    EXPECT_EQ(std::string("VELNORA KX750 Connect to: ") + std::string(sizeof s.ssid, 'n'),
              std::string(state.tooltip));
}
