#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "config/KeyCipher.h"
#include "config/KeyText.h"

namespace {

const char kFixedId[] = "9B3D2E70-4A1C-47e5-8C2F-6D0B9E51A3C8";

const uint8_t* Key(const char* text) {
    return reinterpret_cast<const uint8_t*>(text);
}

CString Encipher(const char* plain, int32_t bits, const char* id = kFixedId) {
    return EncipherKeyText(Key(id), strlen(id), plain, bits);
}

CString Decipher(const char* cipher, int32_t n, const char* id = kFixedId) {
    return DecipherKeyText(Key(id), strlen(id), cipher, n);
}

} // namespace

TEST(KeyText, WorkedExampleUnderFixedIdentifierIsReproduced) {
    EXPECT_EQ(CString("A5532BCD49803EFF"), Encipher("0123456789", 40));
    EXPECT_EQ(CString("0123456789"), Decipher("A5532BCD49803EFF", 5));
}

TEST(KeyText, MissingIdentifierActsAsEmptyKey) {
    EXPECT_EQ(CString("58069ED78A3EAB9F"), EncipherKeyText(nullptr, 0, "0123456789", 40));
}

TEST(KeyText, RoundTripKeepsKeysAt40And104And128Bits) {
    struct Case {
        const char* plain;
        int32_t bits;
        int cipherLength;
    } cases[] = {
        {"A1B2C3D4E5", 40, 16},
        {"00112233445566778899AABBCC", 104, 32},
        {"FFEEDDCCBBAA99887766554433221100", 128, 32},
    };
    for (const Case& c : cases) {
        CString cipher = Encipher(c.plain, c.bits);
        EXPECT_EQ(c.cipherLength, cipher.GetLength()) << c.bits;
        EXPECT_TRUE(IsHexText(cipher));
        for (int i = 0; i < cipher.GetLength(); ++i)
            EXPECT_FALSE(cipher.GetAt(i) >= 'a' && cipher.GetAt(i) <= 'f') << "lower-case output";
        EXPECT_EQ(CString(c.plain), Decipher(cipher, c.bits / 8)) << c.bits;
    }
}

TEST(KeyText, EmptyTextsStayEmpty) {
    EXPECT_TRUE(Encipher("", 40).IsEmpty());
    EXPECT_TRUE(Encipher(nullptr, 40).IsEmpty());
    EXPECT_TRUE(Decipher("", 5).IsEmpty());
    EXPECT_TRUE(Decipher(nullptr, 5).IsEmpty());
}

TEST(KeyText, OnlyTheFirstBitsOver4DigitsAreEnciphered) {
    EXPECT_EQ(Encipher("0123456789", 40), Encipher("0123456789FFFF", 40));
}

TEST(KeyText, LowerCaseDigitsEncipherLikeUpperCase) {
    EXPECT_EQ(Encipher("ABCDEF0123", 40), Encipher("abcdef0123", 40));
}

TEST(KeyText, CharactersOutsideHexGiveEmptyTextButLegacyDigitsReadAsZero) {
    EXPECT_TRUE(Encipher("01234567G9", 40).IsEmpty());
    EXPECT_TRUE(Encipher("0123 56789", 40).IsEmpty());
    EXPECT_TRUE(Decipher("A5532BCD49803EFZ", 5).IsEmpty());
    // ':' to '@' read as 0, as texts of earlier versions may hold them.
    EXPECT_EQ(Encipher("0123456700", 40), Encipher("01234567:@", 40));
}

TEST(KeyText, KeyLengthsOtherThan40And104And128GiveEmptyText) {
    const char digits[] = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
    for (int32_t bits : {0, -8, 8, 64, 120, 136, 1024, 4096, 2147483647})
        EXPECT_TRUE(Encipher(digits, bits).IsEmpty()) << bits;
}

TEST(KeyText, ShortPlainTextGivesEmptyText) {
    EXPECT_TRUE(Encipher("01234", 40).IsEmpty());
    EXPECT_TRUE(Encipher("0123456789", 104).IsEmpty());
}

TEST(KeyText, DecipherIgnoresTrailingOddCharacterAndBoundsByteCount) {
    CString cipher = Encipher("0123456789", 40);
    EXPECT_EQ(CString("0123456789"), Decipher(cipher + "7", 5));
    // More bytes than the text holds: only the deciphered block comes out.
    EXPECT_EQ(16, Decipher(cipher, 1000).GetLength());
    EXPECT_TRUE(Decipher(cipher, 0).IsEmpty());
    EXPECT_TRUE(Decipher(cipher, -3).IsEmpty());
}

TEST(KeyText, CipherTextLongerThanTheWorkingBufferGivesEmptyText) {
    std::string longest(2 * kKeyBufferSize, '1');
    EXPECT_EQ(10, Decipher(longest.c_str(), 5).GetLength());
    std::string tooLong(2 * kKeyBufferSize + 2, '1');
    EXPECT_TRUE(Decipher(tooLong.c_str(), 5).IsEmpty());
}

TEST(KeyText, IsHexTextAcceptsExactlyTheHexDigits) {
    EXPECT_TRUE(IsHexText(""));
    EXPECT_TRUE(IsHexText("0123456789abcdefABCDEF"));
    EXPECT_FALSE(IsHexText("12G4"));
    EXPECT_FALSE(IsHexText(":"));
    EXPECT_FALSE(IsHexText("@"));
    EXPECT_FALSE(IsHexText("12 4"));
    EXPECT_FALSE(IsHexText("\xC4"));
}

TEST(KeyText, IdentifierOf256CharactersOrMoreIsCutWithoutChangingTheCipher) {
    std::string id(300, 'Q');
    for (size_t i = 0; i < id.size(); ++i)
        id[i] = static_cast<char>('A' + i % 26);
    char buffer[kKeyBufferSize];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(kKeyBufferSize - 1, CopyCipherKeyText(id.c_str(), buffer));
    EXPECT_EQ('\0', buffer[kKeyBufferSize - 1]);
    EXPECT_EQ(0, memcmp(buffer, id.data(), kKeyBufferSize - 1));

    // The cut leaves the cipher as the full text would make it: the key
    // schedule takes 72 key bytes.
    EXPECT_EQ(Encipher("0123456789", 40, id.c_str()), Encipher("0123456789", 40, buffer));
    EXPECT_EQ(Encipher("0123456789", 40, id.substr(0, 72).c_str()),
              Encipher("0123456789", 40, buffer));

    EXPECT_EQ(0u, CopyCipherKeyText(nullptr, buffer));
    EXPECT_EQ('\0', buffer[0]);
}

TEST(KeyText, ByteLevelCipherWritesNothingIntoTooSmallAnOutput) {
    BlowfishContext work;
    uint8_t out[16];
    memset(out, 0xAA, sizeof out);
    // 13 bytes need two blocks: 16 bytes fit, 15 do not.
    const char hex[] = "00112233445566778899AABBCC";
    EXPECT_EQ(0u, KeyCipherEncipherHex(&work, nullptr, 0, hex, 13, out, 15));
    EXPECT_EQ(0xAA, out[0]) << "nothing written when the blocks do not fit";
    EXPECT_EQ(16u, KeyCipherEncipherHex(&work, nullptr, 0, hex, 13, out, 16));
    uint8_t back[16];
    char text[33];
    for (int i = 0; i < 16; ++i)
        snprintf(text + 2 * i, 3, "%02X", out[i]);
    EXPECT_EQ(0u, KeyCipherDecipherText(&work, nullptr, 0, text, 32, back, 8));
    ASSERT_EQ(16u, KeyCipherDecipherText(&work, nullptr, 0, text, 32, back, 16));
    EXPECT_EQ(0x00, back[0]);
    EXPECT_EQ(0xCC, back[12]);
    EXPECT_EQ(0x00, back[13]) << "padding is zero bytes";
    EXPECT_EQ(0u, KeyCipherDecipherText(&work, nullptr, 0, "", 0, back, 16));
    EXPECT_EQ(0u, KeyCipherDecipherText(&work, nullptr, 0, "Z1", 2, back, 16));
}
