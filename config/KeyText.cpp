#include "config/KeyText.h"

#include <string.h>

#include "config/Blowfish.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// Key material lives in these buffers only while one operation runs.
struct Scratch {
    BlowfishContext ctx;
    uint8_t bytes[kKeyBufferSize];
    char text[2 * kKeyBufferSize + 1];
    ~Scratch() { BlowfishWipe(this, sizeof *this); }
};

// Decodes `digits` characters (an even count) into bytes; false on a
// character that is no hex digit.
bool DecodeHex(const char* text, size_t digits, uint8_t* out) {
    for (size_t i = 0; i + 1 < digits; i += 2) {
        int hi = KeyHexDigit(text[i]);
        int lo = KeyHexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out[i / 2] = static_cast<uint8_t>(hi * 16 + lo);
    }
    return true;
}

void EncodeHex(const uint8_t* bytes, size_t count, char* out) {
    for (size_t i = 0; i < count; ++i) {
        out[2 * i] = kHexDigits[bytes[i] >> 4];
        out[2 * i + 1] = kHexDigits[bytes[i] & 0x0F];
    }
    out[2 * count] = '\0';
}

size_t PaddedToBlocks(size_t n) {
    return (n + 7) / 8 * 8;
}

} // namespace

bool IsHexText(const char* text) {
    if (!text)
        return true;
    for (; *text; ++text) {
        char c = *text;
        bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

bool IsValidKeyBits(int32_t bits) {
    return bits == 40 || bits == 104 || bits == 128;
}

int KeyHexDigit(char c) {
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

size_t CopyCipherKeyText(const char* text, char (&buffer)[kKeyBufferSize]) {
    size_t n = 0;
    if (text) {
        while (n < kKeyBufferSize - 1 && text[n] != '\0')
            ++n;
        memcpy(buffer, text, n);
    }
    buffer[n] = '\0';
    return n;
}

CString EncipherKeyText(const uint8_t* cipherKey, size_t cipherKeyLength, const char* plain,
                        int32_t bits) {
    if (!plain || !*plain)
        return CString();
    if (!IsValidKeyBits(bits))
        return CString();
    size_t digits = static_cast<size_t>(bits) / 4;
    if (strnlen(plain, digits) < digits)
        return CString();

    Scratch s;
    memset(s.bytes, 0, sizeof s.bytes);
    if (!DecodeHex(plain, digits, s.bytes))
        return CString();
    size_t count = PaddedToBlocks(digits / 2);
    BlowfishInit(&s.ctx, cipherKey, cipherKeyLength);
    BlowfishEncryptEcb(&s.ctx, s.bytes, count);
    EncodeHex(s.bytes, count, s.text);
    return CString(s.text);
}

CString DecipherKeyText(const uint8_t* cipherKey, size_t cipherKeyLength, const char* cipher,
                        int32_t byteCount) {
    if (!cipher || !*cipher || byteCount <= 0)
        return CString();
    size_t length = strnlen(cipher, 2 * kKeyBufferSize + 1);
    if (length > 2 * kKeyBufferSize)
        return CString();
    size_t decoded = length / 2; // a trailing odd character is ignored
    if (PaddedToBlocks(decoded) > kKeyBufferSize)
        return CString();

    Scratch s;
    memset(s.bytes, 0, sizeof s.bytes);
    if (!DecodeHex(cipher, decoded * 2, s.bytes))
        return CString();
    size_t count = PaddedToBlocks(decoded);
    BlowfishInit(&s.ctx, cipherKey, cipherKeyLength);
    BlowfishDecryptEcb(&s.ctx, s.bytes, count);
    size_t n = static_cast<size_t>(byteCount);
    if (n > count)
        n = count;
    EncodeHex(s.bytes, n, s.text);
    return CString(s.text);
}
