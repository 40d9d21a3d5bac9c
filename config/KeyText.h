// Key texts: WEP key bytes as upper-case hex text, enciphered with Blowfish
// under the installation's card identifier. Pure code; the registry side
// (where the identifier comes from) is in KeyProtection.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "framework/CString.h"

// Size of every working buffer of the key texts: the cipher key text (with
// its terminator), the decoded bytes, the cipher output.
constexpr size_t kKeyBufferSize = 256;

// True when every character is 0-9, a-f or A-F; an empty text is hex.
bool IsHexText(const char* text);

// True for the key lengths a profile can hold: 40, 104 and 128 bits.
bool IsValidKeyBits(int32_t bits);

// Value of one hex digit as stored key texts are read: 0-9, A-F, a-f, and
// ':' to '@' as 0 (texts written by earlier versions may hold them). -1 for
// anything else.
int KeyHexDigit(char c);

// Copies a stored identifier text into the cipher key buffer, cut to
// kKeyBufferSize - 1 characters (the key schedule uses only the first 72
// bytes, so the cut does not change the cipher). Returns the length.
size_t CopyCipherKeyText(const char* text, char (&buffer)[kKeyBufferSize]);

// Enciphers the first bits/4 characters of `plain` with the cipher key.
// Empty plain text → empty result. bits must be 40, 104 or 128, and the
// text must hold that many hex digits; otherwise the result is empty.
CString EncipherKeyText(const uint8_t* cipherKey, size_t cipherKeyLength, const char* plain,
                        int32_t bits);

// Deciphers an enciphered key text and returns the hex text of its first
// `byteCount` bytes (fewer when the text holds fewer). Empty when the text
// is empty, holds a character that is not a hex digit, or is longer than
// the working buffer.
CString DecipherKeyText(const uint8_t* cipherKey, size_t cipherKeyLength, const char* cipher,
                        int32_t byteCount);
