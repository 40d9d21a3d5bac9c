/* Key texts at the byte level: hex text decoded, padded with zero bytes to
 * whole 8-byte blocks and run through Blowfish ECB under a key. Plain C with
 * no allocation, shared by the utility and kernel-mode code that must read
 * the keys the utility stores. The caller provides the cipher state (it is
 * large for a kernel stack); it is wiped before these functions return. */
#ifndef WD_CONFIG_KEYCIPHER_H
#define WD_CONFIG_KEYCIPHER_H

#include <stddef.h>
#include <stdint.h>

#include "config/Blowfish.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Value of one hex digit of a key text: 0-9, A-F, a-f, and ':' to '@' as 0
 * (texts of earlier versions may hold them); -1 for anything else. */
int KeyCipherHexDigit(char c);

/* Decodes `byteCount` bytes from 2 * byteCount hex digits of `hex`, pads them
 * with zero bytes to whole blocks in `out` and enciphers them. Returns the
 * number of bytes written (a multiple of 8); 0 when a digit is not hex or
 * the blocks do not fit in outCapacity. */
size_t KeyCipherEncipherHex(BlowfishContext* work, const uint8_t* key, size_t keyLength,
                            const char* hex, size_t byteCount, uint8_t* out, size_t outCapacity);

/* Decodes an enciphered key text of `textLength` characters, two per byte (a
 * trailing odd character is ignored), pads to whole blocks in `out` and
 * deciphers them. Returns the number of bytes written (a multiple of 8); 0
 * when the text is empty, a digit is not hex, or the blocks do not fit. */
size_t KeyCipherDecipherText(BlowfishContext* work, const uint8_t* key, size_t keyLength,
                             const char* text, size_t textLength, uint8_t* out, size_t outCapacity);

#ifdef __cplusplus
}
#endif

#endif
