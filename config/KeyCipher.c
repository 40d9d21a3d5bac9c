#include "config/KeyCipher.h"

#include <string.h>

int KeyCipherHexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= ':' && c <= '@')
        return 0;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

/* Decodes `count` bytes from 2 * count digits; 0 on a digit that is not hex. */
static int DecodeHex(const char* text, size_t count, uint8_t* out) {
    size_t i;
    for (i = 0; i < count; ++i) {
        int hi = KeyCipherHexDigit(text[2 * i]);
        int lo = KeyCipherHexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return 0;
        out[i] = (uint8_t)(hi * 16 + lo);
    }
    return 1;
}

static size_t Blocks(size_t count) {
    return (count + 7) / 8 * 8;
}

/* Decodes byteCount bytes of hex into out, pads them with zeros to whole
 * blocks and runs the cipher over them in either direction. */
static size_t CipherHexBlocks(BlowfishContext* work, const uint8_t* key, size_t keyLength,
                              const char* hex, size_t byteCount, uint8_t* out, size_t outCapacity,
                              int decipher) {
    size_t padded = Blocks(byteCount);
    if (!hex || byteCount == 0 || padded > outCapacity || padded < byteCount)
        return 0;
    memset(out, 0, padded);
    if (!DecodeHex(hex, byteCount, out)) {
        BlowfishWipe(out, padded);
        return 0;
    }
    BlowfishInit(work, key, keyLength);
    if (decipher)
        BlowfishDecryptEcb(work, out, padded);
    else
        BlowfishEncryptEcb(work, out, padded);
    BlowfishWipe(work, sizeof *work);
    return padded;
}

size_t KeyCipherEncipherHex(BlowfishContext* work, const uint8_t* key, size_t keyLength,
                            const char* hex, size_t byteCount, uint8_t* out, size_t outCapacity) {
    return CipherHexBlocks(work, key, keyLength, hex, byteCount, out, outCapacity, 0);
}

size_t KeyCipherDecipherText(BlowfishContext* work, const uint8_t* key, size_t keyLength,
                             const char* text, size_t textLength, uint8_t* out,
                             size_t outCapacity) {
    /* A trailing odd character is ignored. */
    return CipherHexBlocks(work, key, keyLength, text, textLength / 2, out, outCapacity, 1);
}
