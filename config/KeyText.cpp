#include "config/KeyText.h"

#include <string.h>

#include "config/KeyCipher.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// Key material lives in these buffers only while one operation runs.
struct Scratch {
    BlowfishContext ctx;
    uint8_t bytes[kKeyBufferSize];
    char text[2 * kKeyBufferSize + 1];
    ~Scratch() { BlowfishWipe(this, sizeof *this); }
};

void EncodeHex(const uint8_t* bytes, size_t count, char* out) {
    for (size_t i = 0; i < count; ++i) {
        out[2 * i] = kHexDigits[bytes[i] >> 4];
        out[2 * i + 1] = kHexDigits[bytes[i] & 0x0F];
    }
    out[2 * count] = '\0';
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
    return KeyCipherHexDigit(c);
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
    if (!plain || !*plain || !IsValidKeyBits(bits))
        return CString();
    size_t digits = static_cast<size_t>(bits) / 4;
    if (strnlen(plain, digits) < digits)
        return CString();

    Scratch s;
    size_t count = KeyCipherEncipherHex(&s.ctx, cipherKey, cipherKeyLength, plain, digits / 2,
                                        s.bytes, sizeof s.bytes);
    if (count == 0)
        return CString();
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

    Scratch s;
    size_t count = KeyCipherDecipherText(&s.ctx, cipherKey, cipherKeyLength, cipher, length,
                                         s.bytes, sizeof s.bytes);
    if (count == 0)
        return CString();
    size_t n = static_cast<size_t>(byteCount);
    if (n > count)
        n = count;
    EncodeHex(s.bytes, n, s.text);
    return CString(s.text);
}
