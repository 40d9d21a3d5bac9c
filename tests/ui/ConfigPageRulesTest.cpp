#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "config/KeyText.h"
#include "ui/ConfigPageRules.h"
#include "ui/KeySizes.h"

namespace {

const char kCardId[] = "9B3D2E70-4A1C-47e5-8C2F-6D0B9E51A3C8";

CString Encipher(const char* plain, int32_t bits) {
    return EncipherKeyText(reinterpret_cast<const uint8_t*>(kCardId), strlen(kCardId), plain, bits);
}

void Decipher(const char* cipher, CString& plain, int32_t byteCount) {
    plain = DecipherKeyText(reinterpret_cast<const uint8_t*>(kCardId), strlen(kCardId), cipher,
                            byteCount);
}

// The string-table texts as the page loads them.
ConfigValidationTexts TableTexts() {
    ConfigValidationTexts t;
    t.intro = "Correct the following error(s) in this page:\n\n";
    t.sharedKeyLength = "Shared Key - %s:   \tInvalid length. Type in a %d digit hex number.\n";
    t.uniqueKeyLength = "Unique Key: \t\tInvalid length. Type in a %d digit hex number.\n";
    t.defaultKeyMissing = "Default Encryption Key:\tDefault Encryption Key not selected. Select a "
                          "default encryption key.\n";
    t.sharedKeysNotSet = "Shared Keys: \t\tShared keys are not set. Enter at least one shared key "
                         "to enable security.";
    t.settingsCaption = "Network Configuration Settings";
    t.securityCaption = "Security";
    return t;
}

// A page with security on and nothing typed yet (no placeholders).
ConfigPageState SecurityOn() {
    ConfigPageState s;
    s.security = true;
    for (bool& shown : s.placeholderShown)
        shown = false;
    return s;
}

CConfigRecord StoredWithSharedKey1(const char* plain, int32_t bits) {
    CConfigRecord r;
    r.name = "Office";
    r.networkName = "lab";
    r.enableSecurity = 1;
    r.defaultKey = 1;
    r.sharedKey[0] = Encipher(plain, bits);
    r.sharedKeyLength[0] = bits;
    return r;
}

} // namespace

TEST(KeySizes, TableRowsMatchListTextsLengthsDigitsAndPlaceholders) {
    const char* texts[] = {"64 bits", "128 bits", "152 bits"};
    const int32_t bits[] = {40, 104, 128};
    const int32_t digits[] = {10, 26, 32};
    for (int32_t i = 0; i < kKeySizeCount; ++i) {
        const KeySize* size = FindKeySize(i);
        ASSERT_NE(nullptr, size);
        EXPECT_EQ(i, size->index);
        EXPECT_STREQ(texts[i], size->listText);
        EXPECT_EQ(bits[i], size->bits);
        EXPECT_EQ(digits[i], size->hexDigits);
        EXPECT_EQ(std::string(static_cast<size_t>(digits[i]), 'H'), size->placeholder);
        EXPECT_EQ(i, KeySizeIndexFromBits(bits[i]));
        EXPECT_EQ(bits[i], KeyBitsFromSizeIndex(i));
        EXPECT_EQ(digits[i], KeyEditLimit(i));
    }
}

TEST(KeySizes, UnknownLengthsMapToNoSizeAndNoSizeToZeroBits) {
    for (int32_t bits : {0, 8, 39, 41, 64, 152, -40})
        EXPECT_EQ(-1, KeySizeIndexFromBits(bits)) << bits;
    for (int32_t index : {-1, 3, 100, -2}) {
        EXPECT_EQ(nullptr, FindKeySize(index));
        EXPECT_EQ(0, KeyBitsFromSizeIndex(index));
        EXPECT_EQ(0, KeyHexDigits(index));
    }
    EXPECT_EQ(32, KeyEditLimit(-1)); // room for any key while a size is missing
}

TEST(ConfigLoad, UsableStoredKeyShowsPlaceholderOfItsSizeAndKeepsCipher) {
    CConfigRecord r = StoredWithSharedKey1("00112233445566778899AABBCC", 104);
    r.connectionType = 1;
    r.powerManagement = 2;
    r.enableTurbo = 1;
    ConfigPageState s = LoadConfigPageState(r, Decipher);
    EXPECT_TRUE(s.security);
    EXPECT_TRUE(s.turbo);
    EXPECT_EQ(CString("lab"), s.networkName);
    EXPECT_EQ(0, s.mode);
    EXPECT_EQ(2, s.powerSaving);
    EXPECT_EQ(1, s.defaultKey);
    EXPECT_EQ(1, s.sharedSize[0]);
    EXPECT_EQ(0, s.sharedSize[1]);
    EXPECT_EQ(104, s.storedLength[0]);
    EXPECT_EQ(CString("HHHHHHHHHHHHHHHHHHHHHHHHHH"), s.sharedKeyText[0]);
    EXPECT_EQ(r.sharedKey[0], s.cipherText[0]);
    for (int32_t slot = 0; slot < kKeySlotCount; ++slot)
        EXPECT_TRUE(s.placeholderShown[slot]) << slot;
    EXPECT_TRUE(s.sharedKeyText[1].IsEmpty());
    EXPECT_TRUE(s.uniqueKeyText.IsEmpty());
}

TEST(ConfigLoad, AdHocConnectionTypeLoadsAsModeOne) {
    CConfigRecord r;
    r.connectionType = 0;
    EXPECT_EQ(1, LoadConfigPageState(r, Decipher).mode);
}

TEST(ConfigLoad, StoredKeysThatDoNotDecipherToTheirLengthAreDropped) {
    CConfigRecord r;
    r.enableSecurity = 1;
    r.sharedKey[0] = Encipher("0123456789", 40); // one block: 16 digits, not 26
    r.sharedKeyLength[0] = 104;
    r.sharedKey[1] = "ZZ"; // not an enciphered text
    r.sharedKey[2] = Encipher("0123456789ABCDEF0123456789ABCDEF", 128);
    r.sharedKeyLength[2] = 64;                // no such size
    r.uniqueKey = Encipher("A1B2C3D4E5", 40); // the one usable key
    ConfigPageState s = LoadConfigPageState(r, Decipher);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(s.sharedKeyText[i].IsEmpty()) << i;
        EXPECT_TRUE(s.cipherText[i].IsEmpty()) << i;
    }
    EXPECT_EQ(-1, s.sharedSize[2]);
    EXPECT_EQ(CString("HHHHHHHHHH"), s.uniqueKeyText);
    EXPECT_EQ(r.uniqueKey, s.cipherText[kUniqueKeySlot]);
}

TEST(ConfigLoad, UsableKeyNeedsHexOfExactlyTwiceTheByteCount) {
    EXPECT_TRUE(StoredKeyIsUsable("0123456789", 40));
    EXPECT_TRUE(StoredKeyIsUsable("0123456789abcdef0123456789", 104));
    EXPECT_FALSE(StoredKeyIsUsable("012345678", 40));
    EXPECT_FALSE(StoredKeyIsUsable("01234567890", 40));
    EXPECT_FALSE(StoredKeyIsUsable("012345678G", 40));
    EXPECT_FALSE(StoredKeyIsUsable("", 0));                  // no size: nothing to show
    EXPECT_FALSE(StoredKeyIsUsable("0123456789ABCDEF", 64)); // hex, but no such size
}

TEST(ConfigKeySize, PlaceholderCutTo64BitsKeepsCipherWithFortyBits) {
    CConfigRecord stored = StoredWithSharedKey1("00112233445566778899AABBCC", 104);
    ConfigPageState s = LoadConfigPageState(stored, Decipher);
    s.sharedSize[0] = 0;
    EXPECT_TRUE(CutKeyTextToSize(s, 0));
    EXPECT_EQ(CString("HHHHHHHHHH"), s.sharedKeyText[0]);
    EXPECT_TRUE(s.placeholderShown[0]);
    EXPECT_TRUE(ValidateConfigPage(s, TableTexts()).valid);

    CConfigRecord edited = BuildEditedConfiguration(s, stored, Encipher);
    EXPECT_EQ(stored.sharedKey[0], edited.sharedKey[0]);
    EXPECT_EQ(40, edited.sharedKeyLength[0]);
    EXPECT_TRUE(ConfigurationDiffers(edited, stored));
}

TEST(ConfigKeySize, ShorterOrEqualTextIsNotCut) {
    ConfigPageState s = SecurityOn();
    s.sharedKeyText[1] = "0123456789";
    s.sharedSize[1] = 1;
    EXPECT_FALSE(CutKeyTextToSize(s, 1));
    s.sharedSize[1] = 0;
    EXPECT_FALSE(CutKeyTextToSize(s, 1));
    s.uniqueKeyText = "0123456789ABCDEF0123456789ABCDEF";
    s.uniqueSize = 1;
    EXPECT_TRUE(CutKeyTextToSize(s, kUniqueKeySlot));
    EXPECT_EQ(CString("0123456789ABCDEF0123456789"), s.uniqueKeyText);
}

TEST(ConfigKeyEdit, FirstChangeMakesKeyTypedAndNonHexIsEmptied) {
    CConfigRecord stored = StoredWithSharedKey1("0123456789", 40);
    ConfigPageState s = LoadConfigPageState(stored, Decipher);
    s.sharedKeyText[0] = "A";
    EXPECT_EQ(KeyEditOutcome::Kept, KeyEditChanged(s, 0));
    EXPECT_FALSE(s.placeholderShown[0]);
    EXPECT_EQ(CString("A"), s.sharedKeyText[0]);
    EXPECT_TRUE(s.placeholderShown[1]); // other keys keep theirs

    s.sharedKeyText[0] = "12XY"; // pasted
    EXPECT_EQ(KeyEditOutcome::EmptiedWithBeep, KeyEditChanged(s, 0));
    EXPECT_TRUE(s.sharedKeyText[0].IsEmpty());
    s.uniqueKeyText = "G";
    EXPECT_EQ(KeyEditOutcome::EmptiedWithBeep, KeyEditChanged(s, kUniqueKeySlot));
    EXPECT_TRUE(s.uniqueKeyText.IsEmpty());
    EXPECT_FALSE(s.placeholderShown[kUniqueKeySlot]);
}

TEST(ConfigBuild, TypedKeyIsEncipheredAndPageFieldsCopied) {
    CConfigRecord stored;
    stored.name = "Office";
    stored.enableMacAddress = 1;
    stored.macAddress = "00AABBCCDDEE";
    ConfigPageState s = LoadConfigPageState(stored, Decipher);
    s.security = true;
    s.networkName = "lab";
    s.mode = 1;
    s.powerSaving = 0;
    s.turbo = true;
    s.defaultKey = 1;
    s.sharedKeyText[0] = "0123456789";
    KeyEditChanged(s, 0);
    s.sharedSize[3] = 2;

    CConfigRecord e = BuildEditedConfiguration(s, stored, Encipher);
    EXPECT_EQ(Encipher("0123456789", 40), e.sharedKey[0]);
    EXPECT_EQ(e.sharedKey[0], s.cipherText[0]);
    EXPECT_EQ(16, e.sharedKey[0].GetLength());
    EXPECT_EQ(128, e.sharedKeyLength[3]);
    EXPECT_EQ(0, e.connectionType);
    EXPECT_EQ(0, e.powerManagement);
    EXPECT_EQ(1, e.enableTurbo);
    EXPECT_EQ(1, e.enableSecurity);
    EXPECT_EQ(1, e.defaultKey);
    EXPECT_EQ(1, e.dirty);
    EXPECT_EQ(CString("Office"), e.name);
    EXPECT_EQ(1, e.enableMacAddress);
    EXPECT_EQ(CString("00AABBCCDDEE"), e.macAddress);
    EXPECT_TRUE(ConfigurationDiffers(e, stored));
}

TEST(ConfigBuild, TypedKeyEmptiedClearsItsCipherAndEmptySizeStoresZeroBits) {
    CConfigRecord stored = StoredWithSharedKey1("0123456789", 40);
    ConfigPageState s = LoadConfigPageState(stored, Decipher);
    s.sharedKeyText[0] = "";
    KeyEditChanged(s, 0);
    s.uniqueSize = -1;
    CConfigRecord e = BuildEditedConfiguration(s, stored, Encipher);
    EXPECT_TRUE(e.sharedKey[0].IsEmpty());
    EXPECT_EQ(0, e.uniqueKeyLength);
}

TEST(ConfigBuild, SecurityOffLeavesKeyFieldsAndDirtyAlone) {
    CConfigRecord stored = StoredWithSharedKey1("0123456789", 40);
    ConfigPageState s = LoadConfigPageState(stored, Decipher);
    s.security = false;
    s.sharedKeyText[0] = "FFFFFFFFFF";
    KeyEditChanged(s, 0);
    s.sharedSize[0] = 2;
    s.defaultKey = 3;
    static bool called; // seen by the callback, a plain function
    called = false;
    CConfigRecord e = BuildEditedConfiguration(s, stored, [](const char*, int32_t) {
        called = true;
        return CString("X");
    });
    EXPECT_FALSE(called);
    EXPECT_EQ(0, e.enableSecurity);
    EXPECT_EQ(stored.sharedKey[0], e.sharedKey[0]);
    EXPECT_EQ(40, e.sharedKeyLength[0]);
    EXPECT_EQ(1, e.defaultKey);
    EXPECT_EQ(0, e.dirty);
}

TEST(ConfigChange, UnchangedLoadIsEqualToStored) {
    CConfigRecord stored = StoredWithSharedKey1("00112233445566778899AABBCC", 104);
    stored.uniqueKey = Encipher("A1B2C3D4E5", 40);
    ConfigPageState s = LoadConfigPageState(stored, Decipher);
    EXPECT_FALSE(ConfigurationDiffers(BuildEditedConfiguration(s, stored, Encipher), stored));
}

TEST(ConfigChange, EveryComparedFieldCountsAndKeysOnlyWithSecurity) {
    CConfigRecord base = StoredWithSharedKey1("0123456789", 40);
    auto differs = [&](void (*change)(CConfigRecord&)) {
        CConfigRecord other = base;
        change(other);
        return ConfigurationDiffers(other, base);
    };
    EXPECT_TRUE(differs([](CConfigRecord& r) { r.enableTurbo = 1; }));
    EXPECT_TRUE(differs([](CConfigRecord& r) { r.networkName = "Lab"; })); // exact bytes
    EXPECT_TRUE(differs([](CConfigRecord& r) { r.powerManagement = 2; }));
    EXPECT_TRUE(differs([](CConfigRecord& r) { r.connectionType = 0; }));
    EXPECT_TRUE(differs([](CConfigRecord& r) { r.enableSecurity = 0; }));
    EXPECT_TRUE(differs([](CConfigRecord& r) { r.uniqueKeyLength = 104; }));
    EXPECT_TRUE(differs([](CConfigRecord& r) { r.uniqueKey = "AB"; }));
    EXPECT_TRUE(differs([](CConfigRecord& r) { r.sharedKey[3] = "AB"; }));
    EXPECT_TRUE(differs([](CConfigRecord& r) { r.sharedKeyLength[2] = 128; }));
    EXPECT_TRUE(differs([](CConfigRecord& r) { r.defaultKey = 2; }));
    // Not compared: what the page never edits.
    EXPECT_FALSE(differs([](CConfigRecord& r) { r.name = "Home"; }));
    EXPECT_FALSE(differs([](CConfigRecord& r) { r.macAddress = "001122334455"; }));
    EXPECT_FALSE(differs([](CConfigRecord& r) { r.dirty = 1; }));

    base.enableSecurity = 0;
    EXPECT_FALSE(differs([](CConfigRecord& r) { r.sharedKey[0] = "AB"; }));
    EXPECT_FALSE(differs([](CConfigRecord& r) { r.defaultKey = 4; }));
}

TEST(ConfigEnabling, UniqueKeyNeedsSecurityAndInfrastructureSharedKeysSecurity) {
    ConfigPageState s;
    s.security = true;
    s.mode = 0;
    EXPECT_TRUE(ConfigEnablingRules(s).uniqueKey);
    EXPECT_TRUE(ConfigEnablingRules(s).sharedKeys);
    s.mode = 1;
    EXPECT_FALSE(ConfigEnablingRules(s).uniqueKey);
    EXPECT_TRUE(ConfigEnablingRules(s).sharedKeys);
    s.security = false;
    s.mode = 0;
    EXPECT_FALSE(ConfigEnablingRules(s).uniqueKey);
    EXPECT_FALSE(ConfigEnablingRules(s).sharedKeys);
}

TEST(ConfigValidation, Key1At64BitsWithDefaultKey1IsValidAndApplyEnciphersIt) {
    CConfigRecord stored;
    stored.name = "Office";
    ConfigPageState s = LoadConfigPageState(stored, Decipher);
    s.security = true;
    s.defaultKey = 1;
    s.sharedKeyText[0] = "0123456789";
    KeyEditChanged(s, 0);
    ConfigValidation v = ValidateConfigPage(s, TableTexts());
    EXPECT_TRUE(v.valid);
    EXPECT_TRUE(v.text.IsEmpty());

    CConfigRecord e = BuildEditedConfiguration(s, stored, Encipher);
    EXPECT_EQ(Encipher("0123456789", 40), e.sharedKey[0]);
    EXPECT_EQ(CString("0123456789"), DecipherKeyText(reinterpret_cast<const uint8_t*>(kCardId),
                                                     strlen(kCardId), e.sharedKey[0], 5));
    EXPECT_TRUE(ConfigurationDiffers(e, stored));
}

TEST(ConfigValidation, NoSharedKeyListsNotSetLineEvenWithUniqueKey) {
    ConfigPageState s = SecurityOn();
    s.defaultKey = 0;
    s.uniqueKeyText = "0123456789";
    ConfigValidation v = ValidateConfigPage(s, TableTexts());
    EXPECT_FALSE(v.valid);
    EXPECT_STREQ("Correct the following error(s) in this page:\n\n"
                 "Shared Keys: \t\tShared keys are not set. Enter at least one shared key to "
                 "enable security.",
                 v.text.c_str());
    EXPECT_STREQ("Network Configuration Settings(Security)", v.caption.c_str());
}

TEST(ConfigValidation, Key2WithNineDigitsAndNoDefaultKeyListsBothLines) {
    ConfigPageState s = SecurityOn();
    s.sharedKeyText[1] = "012345678";
    ConfigValidation v = ValidateConfigPage(s, TableTexts());
    EXPECT_FALSE(v.valid);
    EXPECT_STREQ("Correct the following error(s) in this page:\n\n"
                 "Default Encryption Key:\tDefault Encryption Key not selected. Select a default "
                 "encryption key.\n"
                 "Shared Key - Key 2:   \tInvalid length. Type in a 10 digit hex number.\n",
                 v.text.c_str());
}

TEST(ConfigValidation, LinesFollowDefaultUniqueThenSharedKeyOrder) {
    ConfigPageState s = SecurityOn();
    s.uniqueKeyText = "0123";
    s.uniqueSize = 1;
    s.sharedKeyText[3] = "01234567890";
    s.sharedKeyText[0] = "012";
    s.sharedSize[0] = 2;
    ConfigValidation v = ValidateConfigPage(s, TableTexts());
    EXPECT_STREQ("Correct the following error(s) in this page:\n\n"
                 "Default Encryption Key:\tDefault Encryption Key not selected. Select a default "
                 "encryption key.\n"
                 "Unique Key: \t\tInvalid length. Type in a 26 digit hex number.\n"
                 "Shared Key - Key 1:   \tInvalid length. Type in a 32 digit hex number.\n"
                 "Shared Key - Key 4:   \tInvalid length. Type in a 10 digit hex number.\n",
                 v.text.c_str());
}

TEST(ConfigValidation, SecurityOffIsValidWhateverTheKeys) {
    ConfigPageState s;
    s.security = false;
    s.sharedKeyText[0] = "12";
    s.defaultKey = -1;
    EXPECT_TRUE(ValidateConfigPage(s, TableTexts()).valid);
}

TEST(ConfigValidation, PlaceholderOfTheRightLengthIsValid) {
    CConfigRecord stored = StoredWithSharedKey1("0123456789", 40);
    ConfigPageState s = LoadConfigPageState(stored, Decipher);
    EXPECT_TRUE(ValidateConfigPage(s, TableTexts()).valid);
}

TEST(ConfigValidation, TypedKeyOfRightLengthButNotHexIsRefused) {
    ConfigPageState s = SecurityOn();
    s.defaultKey = 1;
    s.sharedKeyText[0] = "HHHHHHHHHH"; // a placeholder text, but typed
    ConfigValidation v = ValidateConfigPage(s, TableTexts());
    EXPECT_FALSE(v.valid);
    EXPECT_NE(-1, v.text.Find("Shared Key - Key 1:   \tInvalid length. Type in a 10 digit"));
}

TEST(ConfigValidation, KeyWithoutSizeAsksForASize) {
    ConfigPageState s = SecurityOn();
    s.defaultKey = 1;
    s.sharedKeyText[0] = "0123456789";
    s.sharedSize[0] = -1;
    s.uniqueKeyText = "0123456789";
    s.uniqueSize = -1;
    ConfigValidation v = ValidateConfigPage(s, TableTexts());
    EXPECT_FALSE(v.valid);
    EXPECT_STREQ("Correct the following error(s) in this page:\n\n"
                 "Unique Key: \t\tKey size not selected. Select a key size.\n"
                 "Shared Key - Key 1:   \tKey size not selected. Select a key size.\n",
                 v.text.c_str());
}

TEST(ConfigValidation, DamagedOrMissingTextsFallBackToBuiltIn) {
    ConfigPageState s = SecurityOn();
    s.sharedKeyText[1] = "012345678";
    s.uniqueKeyText = "01";
    ConfigValidationTexts damaged;                 // nothing loaded
    damaged.sharedKeyLength = "Shared %d %s %n\n"; // would read an int as a pointer
    damaged.uniqueKeyLength = "Unique %s\n";
    ConfigValidation v = ValidateConfigPage(s, damaged);
    EXPECT_EQ(ValidateConfigPage(s, TableTexts()).text, v.text);
    EXPECT_STREQ("Network Configuration Settings(Security)", v.caption.c_str());

    ConfigValidationTexts reworded = TableTexts();
    reworded.sharedKeyLength = "%-6s: %%%d\n";
    reworded.uniqueKeyLength = "U%3d\n";
    v = ValidateConfigPage(s, reworded);
    EXPECT_NE(-1, v.text.Find("Key 2 : %10\n"));
    EXPECT_NE(-1, v.text.Find("U 10\n"));
}

// Apply must never store an empty key for one the user typed: whatever text
// validation accepts, in any slot and at any size, enciphers to something.
TEST(ConfigValidation, EveryAcceptedTypedKeyEnciphersToANonEmptyText) {
    const char* fills[] = {"0123456789ABCDEF", "abcdef0123456789", "F"};
    const char strangers[] = {'G', ' ', ':', '@', 'g', '-', '\xC4'};
    std::vector<std::string> texts;
    for (size_t length = 0; length <= 40; ++length) {
        for (const char* fill : fills) {
            std::string text;
            for (size_t i = 0; i < length; ++i)
                text += fill[i % strlen(fill)];
            texts.push_back(text);
            if (fill != fills[0])
                continue;
            // One character that cannot be enciphered, at every position.
            for (size_t at = 0; at < length; ++at)
                for (char c : strangers) {
                    std::string odd = text;
                    odd[at] = c;
                    texts.push_back(odd);
                }
        }
    }

    int accepted = 0;
    for (int32_t slot : {0, 2, kUniqueKeySlot}) {
        for (int32_t size = -1; size <= kKeySizeCount; ++size) {
            for (const std::string& text : texts) {
                ConfigPageState s = SecurityOn();
                s.defaultKey = 1;
                if (slot == kUniqueKeySlot) {
                    s.sharedKeyText[0] = "0123456789"; // some shared key must be set
                }
                s.KeyText(slot) = text.c_str();
                s.KeySize(slot) = size;
                if (!ValidateConfigPage(s, TableTexts()).valid)
                    continue;
                ++accepted;
                CConfigRecord e = BuildEditedConfiguration(s, CConfigRecord(), Encipher);
                const CString& stored = slot == kUniqueKeySlot ? e.uniqueKey : e.sharedKey[slot];
                EXPECT_EQ(text.empty(), stored.IsEmpty())
                    << "slot " << slot << " size " << size << " text '" << text << "'";
            }
        }
    }
    // Accepted: the three hex fills at each size's exact length in each of
    // the three slots, and an empty unique key at every size.
    EXPECT_EQ(3 * 3 * 3 + 5 * 3, accepted);
}

TEST(ConfigValidation, HugeWidthInATableTextFallsBackToBuiltIn) {
    ConfigPageState s = SecurityOn();
    s.sharedKeyText[1] = "012345678";
    s.uniqueKeyText = "01";
    ConfigValidationTexts wide = TableTexts();
    wide.sharedKeyLength = "%999999999s: %d\n"; // a gigabyte of padding
    wide.uniqueKeyLength = "Unique %.100d\n";
    EXPECT_EQ(ValidateConfigPage(s, TableTexts()).text, ValidateConfigPage(s, wide).text);
}
