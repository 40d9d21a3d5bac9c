/* Blowfish (64-bit block, 16 rounds), ECB, with the two 32-bit halves of a
 * block loaded and stored little-endian: bytes 0-3 are the left half, least
 * significant byte first, bytes 4-7 the right half. Stored WEP keys and the
 * miniport driver depend on exactly this byte order.
 *
 * Plain C, fixed-width types, no allocation and nothing from libc but
 * memcpy/memset, so that kernel-mode code can link it as it is. */
#ifndef WD_CONFIG_BLOWFISH_H
#define WD_CONFIG_BLOWFISH_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct BlowfishContext {
    uint32_t p[18];
    uint32_t s[4][256];
} BlowfishContext;

/* Runs the key schedule. The key bytes are used cyclically; a key of length 0
 * acts as key bytes that are all zero. */
void BlowfishInit(BlowfishContext* ctx, const uint8_t* key, size_t keyLength);

/* Enciphers or deciphers one 8-byte block in place. */
void BlowfishEncryptBlock(const BlowfishContext* ctx, uint8_t block[8]);
void BlowfishDecryptBlock(const BlowfishContext* ctx, uint8_t block[8]);

/* ECB over `length` bytes in place; length must be a multiple of 8 (a
 * trailing partial block is left untouched). */
void BlowfishEncryptEcb(const BlowfishContext* ctx, uint8_t* data, size_t length);
void BlowfishDecryptEcb(const BlowfishContext* ctx, uint8_t* data, size_t length);

/* Overwrites memory in a way the compiler may not drop, for key material
 * that is about to be released. */
void BlowfishWipe(void* data, size_t length);

#ifdef __cplusplus
}
#endif

#endif
