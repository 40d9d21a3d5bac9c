// The join rule: which networks the simulated adapter accepts, from the
// driver values the utility writes (keys enciphered by the utility's own
// code under the card identifier).
#include <gtest/gtest.h>

#include <string.h>

#include <memory>
#include <string>

#include "config/KeyText.h"
#include "driver/SimStation.h"

namespace {

const char kCardId[] = "6C1E0B2A-93D4-4F7A-B8E5-0A1D2C3B4E5F";

const char kKey40[] = "0123456789";
const char kKey104[] = "00112233445566778899AABBCC";
const char kKey128[] = "FFEEDDCCBBAA99887766554433221100";

class SimStation : public ::testing::Test {
protected:
    void SetUp() override {
        params_ = std::make_unique<SimDriverParameters>();
        work_ = std::make_unique<BlowfishContext>();
        SimParametersInit(params_.get());
        Set(SIM_PARAM_CARD_ID, kCardId);
    }
    void Set(uint32_t index, const std::string& text) {
        SimParametersSetText(params_.get(), index, text.c_str(), text.size());
    }
    // A key in `slot` as the utility writes it: enciphered under `cardId`,
    // with its length in bytes.
    void SetKey(uint32_t slot, const char* plain, int32_t bits, const char* cardId = kCardId) {
        CString cipher =
            EncipherKeyText(reinterpret_cast<const uint8_t*>(cardId), strlen(cardId), plain, bits);
        ASSERT_FALSE(cipher.IsEmpty());
        Set(SIM_PARAM_KEY0 + slot, cipher.c_str());
        Set(SIM_PARAM_KEY_LENGTH0 + slot, std::to_string(bits / 8));
    }
    // Privacy on with the key of `slot` as default transmit key.
    void UseKey(uint32_t slot, const char* plain, int32_t bits) {
        SetKey(slot, plain, bits);
        Set(SIM_PARAM_PRIVACY, "1");
        Set(SIM_PARAM_DEFAULT_KEY, slot == SIM_UNIQUE_KEY_SLOT ? "4" : std::to_string(slot));
    }
    SimStationConfig Station() {
        SimStationConfig s;
        SimStationConfigure(&s, params_.get(), work_.get());
        return s;
    }
    bool Accepts(const char* ssid, uint32_t mode, const char* wepKey) {
        SimStationConfig s = Station();
        return SimStationAccepts(&s, ssid, mode, wepKey) != 0;
    }

    std::unique_ptr<SimDriverParameters> params_;
    std::unique_ptr<BlowfishContext> work_;
};

TEST_F(SimStation, SsidMustEqualTheNetworkNameExactly) {
    Set(SIM_PARAM_SSID, "Harbour");
    EXPECT_TRUE(Accepts("Harbour", 0, ""));
    EXPECT_FALSE(Accepts("harbour", 0, ""));
    EXPECT_FALSE(Accepts("Harbour2", 0, ""));
    EXPECT_FALSE(Accepts("Harbou", 0, ""));
    EXPECT_FALSE(Accepts("", 0, ""));
}

TEST_F(SimStation, EmptyOrMissingSsidAcceptsAnyNameOfItsMode) {
    EXPECT_TRUE(Accepts("Harbour", 0, ""));
    Set(SIM_PARAM_SSID, "");
    EXPECT_TRUE(Accepts("Lab", 0, ""));
    EXPECT_FALSE(Accepts("Lab", 1, ""));
}

TEST_F(SimStation, OverlongSsidJoinsNothing) {
    std::string name(300, 'A');
    Set(SIM_PARAM_SSID, name);
    EXPECT_FALSE(Accepts("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", 0, ""));
    EXPECT_FALSE(Accepts("", 0, ""));
    SimParametersSetOverlong(params_.get(), SIM_PARAM_SSID);
    EXPECT_FALSE(Accepts("Lab", 0, "")) << "an unreadable SSID turned into any network";
}

TEST_F(SimStation, BssTypeTwoIsAdHocAndEverythingElseInfrastructure) {
    EXPECT_EQ(0u, Station().mode) << "missing";
    for (const char* text : {"1", "0", "3", "", "21", "x"}) {
        Set(SIM_PARAM_BSS_TYPE, text);
        EXPECT_EQ(0u, Station().mode) << text;
        EXPECT_TRUE(Accepts("Lab", 0, "")) << text;
        EXPECT_FALSE(Accepts("Lab", 1, "")) << text;
    }
    Set(SIM_PARAM_BSS_TYPE, "2");
    EXPECT_EQ(1u, Station().mode);
    EXPECT_TRUE(Accepts("Lab", 1, ""));
    EXPECT_FALSE(Accepts("Lab", 0, ""));
}

TEST_F(SimStation, PrivacyOffJoinsOpenNetworksOnly) {
    SetKey(0, kKey40, 40); // a key stored but not in use
    for (const char* off : {"0", "", "2", "yes"}) {
        Set(SIM_PARAM_PRIVACY, off);
        EXPECT_TRUE(Accepts("Lab", 0, "")) << off;
        EXPECT_FALSE(Accepts("Lab", 0, kKey40)) << off;
    }
}

TEST_F(SimStation, PrivacyOnJoinsWithTheRightKeyOfEachLength) {
    struct Case {
        const char* plain;
        int32_t bits;
    } cases[] = {{kKey40, 40}, {kKey104, 104}, {kKey128, 128}};
    for (const Case& c : cases) {
        UseKey(0, c.plain, c.bits);
        SimStationConfig s = Station();
        EXPECT_EQ(static_cast<uint32_t>(c.bits / 8), s.keyLength) << c.bits;
        EXPECT_TRUE(SimStationAccepts(&s, "Lab", 0, c.plain)) << c.bits;
        EXPECT_FALSE(SimStationAccepts(&s, "Lab", 0, "")) << "open network with privacy on";
    }
    UseKey(0, "ABCDEF0123", 40);
    EXPECT_TRUE(Accepts("Lab", 0, "abcdef0123")) << "lower-case network key text";
}

TEST_F(SimStation, WrongKeyOrOtherCardIdentifierDoesNotJoin) {
    UseKey(0, kKey40, 40);
    EXPECT_FALSE(Accepts("Lab", 0, "0123456788"));
    EXPECT_FALSE(Accepts("Lab", 0, "9876543210"));
    // The same key enciphered under another installation's identifier.
    SetKey(0, kKey40, 40, "00000000-0000-0000-0000-000000000000");
    EXPECT_FALSE(Accepts("Lab", 0, kKey40));
    SimStationConfig s = Station();
    EXPECT_EQ(5u, s.keyLength) << "deciphered, to other bytes";
    EXPECT_NE(0, memcmp(s.key, "\x01\x23\x45\x67\x89", 5));
}

TEST_F(SimStation, KeyLengthMustMatchTheNetworkKey) {
    // The first five bytes of the network's 104-bit key as a 40-bit key.
    UseKey(0, "0011223344", 40);
    EXPECT_FALSE(Accepts("Lab", 0, kKey104));
    // A 104-bit key whose first five bytes are the network's 40-bit key.
    UseKey(0, "0123456789AABBCCDDEEFF0011", 104);
    EXPECT_FALSE(Accepts("Lab", 0, kKey40));
    // A 40-bit key text claiming 13 bytes deciphers to fewer than that.
    UseKey(0, kKey40, 40);
    Set(SIM_PARAM_KEY_LENGTH0, "13");
    EXPECT_EQ(0u, Station().keyLength);
    EXPECT_FALSE(Accepts("Lab", 0, kKey40));
}

TEST_F(SimStation, KeyLengthsOtherThanFiveThirteenSixteenGiveNoKey) {
    UseKey(0, kKey128, 128);
    for (const char* length : {"0", "", "4", "8", "15", "17", "x16"}) {
        Set(SIM_PARAM_KEY_LENGTH0, length);
        EXPECT_EQ(0u, Station().keyLength) << length;
        EXPECT_FALSE(Accepts("Lab", 0, kKey128)) << length;
    }
    Set(SIM_PARAM_KEY_LENGTH0, "16");
    EXPECT_TRUE(Accepts("Lab", 0, kKey128));
}

TEST_F(SimStation, DefaultKeySelectsSharedKeysZeroToThreeAndFourTheUniqueKey) {
    const char* plains[SIM_KEY_SLOTS] = {"1111111111", "2222222222", "3333333333", "4444444444",
                                         "5555555555"};
    for (uint32_t slot = 0; slot < SIM_KEY_SLOTS; ++slot)
        SetKey(slot, plains[slot], 40);
    Set(SIM_PARAM_PRIVACY, "1");
    for (uint32_t slot = 0; slot < SIM_KEY_SLOTS; ++slot) {
        Set(SIM_PARAM_DEFAULT_KEY, std::to_string(slot));
        EXPECT_EQ(static_cast<int>(slot), SimDefaultKeySlot(params_.get()));
        for (uint32_t other = 0; other < SIM_KEY_SLOTS; ++other)
            EXPECT_EQ(slot == other, Accepts("Lab", 0, plains[other])) << slot << " " << other;
    }
}

TEST_F(SimStation, DefaultKeyMinusTwoOrOutOfRangeJoinsNoWepNetwork) {
    UseKey(0, kKey40, 40);
    for (const char* none : {"-2", "-1", "5", "7"}) {
        Set(SIM_PARAM_DEFAULT_KEY, none);
        EXPECT_EQ(-1, SimDefaultKeySlot(params_.get())) << none;
        EXPECT_FALSE(Accepts("Lab", 0, kKey40)) << none;
        EXPECT_FALSE(Accepts("Lab", 0, "")) << none;
    }
}

TEST_F(SimStation, MissingDefaultKeyReadsAsSharedKeyOneLikeAtoi) {
    UseKey(0, kKey40, 40);
    params_->present &= ~(1u << SIM_PARAM_DEFAULT_KEY);
    params_->text[SIM_PARAM_DEFAULT_KEY][0] = '\0';
    EXPECT_EQ(0, SimDefaultKeySlot(params_.get()));
    EXPECT_TRUE(Accepts("Lab", 0, kKey40));
    Set(SIM_PARAM_DEFAULT_KEY, " 0x");
    EXPECT_EQ(0, SimDefaultKeySlot(params_.get()));
}

TEST_F(SimStation, EmptyDefaultKeySlotGivesNoKey) {
    SetKey(1, kKey40, 40);
    Set(SIM_PARAM_PRIVACY, "1");
    Set(SIM_PARAM_DEFAULT_KEY, "0");
    Set(SIM_PARAM_KEY0, "");
    Set(SIM_PARAM_KEY_LENGTH0, "0");
    EXPECT_EQ(0u, Station().keyLength);
    EXPECT_FALSE(Accepts("Lab", 0, kKey40));
}

TEST_F(SimStation, MissingCardIdentifierDeciphersLikeTheUtilityWithoutOne) {
    params_->present &= ~(1u << SIM_PARAM_CARD_ID);
    params_->text[SIM_PARAM_CARD_ID][0] = '\0';
    CString cipher = EncipherKeyText(nullptr, 0, kKey40, 40);
    Set(SIM_PARAM_KEY0, cipher.c_str());
    Set(SIM_PARAM_KEY_LENGTH0, "5");
    Set(SIM_PARAM_PRIVACY, "1");
    Set(SIM_PARAM_DEFAULT_KEY, "0");
    EXPECT_TRUE(Accepts("Lab", 0, kKey40));
}

TEST_F(SimStation, TurboIsOnUnlessTheValueIsZero) {
    EXPECT_NE(0u, Station().turbo) << "missing";
    Set(SIM_PARAM_TURBO, "0");
    EXPECT_EQ(0u, Station().turbo);
    for (const char* on : {"1", "", "00", "on"}) {
        Set(SIM_PARAM_TURBO, on);
        EXPECT_NE(0u, Station().turbo) << on;
    }
}

TEST_F(SimStation, LongTextsAreKeptCutAndMarkedOverlong) {
    std::string id(400, 'Q');
    Set(SIM_PARAM_CARD_ID, id);
    EXPECT_EQ(SIM_PARAM_TEXT, strlen(params_->text[SIM_PARAM_CARD_ID]));
    EXPECT_NE(0u, params_->overlong & (1u << SIM_PARAM_CARD_ID));
    Set(SIM_PARAM_CARD_ID, "short");
    EXPECT_EQ(0u, params_->overlong & (1u << SIM_PARAM_CARD_ID));
    EXPECT_STREQ("short", params_->text[SIM_PARAM_CARD_ID]);
    // Texts need not be NUL-ended: the length given is the end.
    SimParametersSetText(params_.get(), SIM_PARAM_SSID, "LabXYZ", 3);
    EXPECT_STREQ("Lab", params_->text[SIM_PARAM_SSID]);
}

TEST_F(SimStation, CardIdentifierIsCutWhereTheUtilityCutsIt) {
    std::string id(300, 'Z');
    id[10] = '7';
    Set(SIM_PARAM_CARD_ID, id);
    char buffer[kKeyBufferSize];
    size_t length = CopyCipherKeyText(id.c_str(), buffer);
    CString cipher = EncipherKeyText(reinterpret_cast<const uint8_t*>(buffer), length, kKey40, 40);
    Set(SIM_PARAM_KEY0, cipher.c_str());
    Set(SIM_PARAM_KEY_LENGTH0, "5");
    Set(SIM_PARAM_PRIVACY, "1");
    Set(SIM_PARAM_DEFAULT_KEY, "0");
    EXPECT_TRUE(Accepts("Lab", 0, kKey40));
}

TEST_F(SimStation, ParameterNamesAreTheUtilityValueNames) {
    EXPECT_STREQ("ssid", SimParameterName(SIM_PARAM_SSID));
    EXPECT_STREQ("bssType", SimParameterName(SIM_PARAM_BSS_TYPE));
    EXPECT_STREQ("privacyInvoked", SimParameterName(SIM_PARAM_PRIVACY));
    EXPECT_STREQ("defaultKey", SimParameterName(SIM_PARAM_DEFAULT_KEY));
    EXPECT_STREQ("key3", SimParameterName(SIM_PARAM_KEY0 + 3));
    EXPECT_STREQ("uniqKey", SimParameterName(SIM_PARAM_UNIQ_KEY));
    EXPECT_STREQ("keyLength2", SimParameterName(SIM_PARAM_KEY_LENGTH0 + 2));
    EXPECT_STREQ("uniqKeyLength", SimParameterName(SIM_PARAM_UNIQ_KEY_LENGTH));
    EXPECT_STREQ("TurboEnable", SimParameterName(SIM_PARAM_TURBO));
    EXPECT_STREQ("CardCfgId", SimParameterName(SIM_PARAM_CARD_ID));
    EXPECT_EQ(nullptr, SimParameterName(SIM_PARAM_COUNT));
}

TEST(SimKeyDecode, PlainKeysOfTenTwentySixAndThirtyTwoDigitsDecode) {
    uint8_t key[SIM_MAX_KEY_BYTES];
    EXPECT_EQ(5u, SimDecodeKey("0123456789", key));
    EXPECT_EQ(0x89, key[4]);
    EXPECT_EQ(5u, SimDecodeKey("abcdefABCD", key));
    EXPECT_EQ(0xAB, key[0]);
    EXPECT_EQ(13u, SimDecodeKey(kKey104, key));
    EXPECT_EQ(16u, SimDecodeKey(kKey128, key));
    EXPECT_EQ(0xFF, key[0]);
    for (const char* bad :
         {"", "012345678", "012345678901", "01234567GH", "0123:56789",
          "FFEEDDCCBBAA998877665544332211000", "FFEEDDCCBBAA99887766554433221100FF"})
        EXPECT_EQ(0u, SimDecodeKey(bad, key)) << bad;
}

} // namespace
