// Key texts both ways under any card identifier: plain hex text enciphered
// and deciphered again, any text deciphered, the hex check and the copy of
// the identifier into its fixed buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <string.h>

#include <string>

#include "config/KeyText.h"
#include "fuzz/FuzzCheck.h"

namespace {

bool UpperHex(const CString& text) {
    for (int i = 0; i < text.GetLength(); ++i) {
        char c = text.GetAt(i);
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

// The plain text as it comes back: upper case, ':' to '@' read as 0.
std::string Normalised(const std::string& plain) {
    std::string out;
    for (char c : plain) {
        int v = KeyHexDigit(c);
        out += "0123456789ABCDEF"[v < 0 ? 0 : v];
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::string id = in.ConsumeRandomLengthString(300);
    int32_t bits;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        bits = 40;
        break;
    case 1:
        bits = 104;
        break;
    case 2:
        bits = 128;
        break;
    default:
        bits = in.ConsumeIntegral<int32_t>();
    }
    int32_t byteCount = in.ConsumeIntegralInRange<int32_t>(-4, 300);
    std::string text = in.ConsumeRemainingBytesAsString();
    const char* plain = text.c_str(); // as a caller hands it: up to its first zero
    const uint8_t* key = reinterpret_cast<const uint8_t*>(id.data());

    char buffer[kKeyBufferSize];
    size_t keyLength = CopyCipherKeyText(id.c_str(), buffer);
    FUZZ_CHECK(keyLength < kKeyBufferSize && buffer[keyLength] == '\0');
    FUZZ_CHECK(memcmp(buffer, id.c_str(), keyLength) == 0);

    bool hex = IsHexText(plain);
    for (const char* p = plain; *p; ++p)
        if (KeyHexDigit(*p) < 0 || (*p >= ':' && *p <= '@'))
            FUZZ_CHECK(!hex);

    CString cipher = EncipherKeyText(key, id.size(), plain, bits);
    if (!cipher.IsEmpty()) {
        FUZZ_CHECK(IsValidKeyBits(bits));
        FUZZ_CHECK(cipher.GetLength() == (bits == 40 ? 16 : 32));
        FUZZ_CHECK(UpperHex(cipher));
        CString back = DecipherKeyText(key, id.size(), cipher, bits / 8);
        std::string expected = Normalised(std::string(plain, static_cast<size_t>(bits / 4)));
        FUZZ_CHECK(back == expected.c_str());
    }

    CString deciphered = DecipherKeyText(key, id.size(), plain, byteCount);
    if (!deciphered.IsEmpty()) {
        FUZZ_CHECK(UpperHex(deciphered));
        FUZZ_CHECK(deciphered.GetLength() % 2 == 0);
        FUZZ_CHECK(deciphered.GetLength() <= 2 * byteCount);
        FUZZ_CHECK(deciphered.GetLength() <= static_cast<int>(2 * kKeyBufferSize));
    }
    return 0;
}
