#include "config/Blowfish.h"

#include <string.h>

#include "config/BlowfishTables.h"

static uint32_t F(const BlowfishContext* ctx, uint32_t x) {
    uint32_t a = (x >> 24) & 0xFFu;
    uint32_t b = (x >> 16) & 0xFFu;
    uint32_t c = (x >> 8) & 0xFFu;
    uint32_t d = x & 0xFFu;
    return ((ctx->s[0][a] + ctx->s[1][b]) ^ ctx->s[2][c]) + ctx->s[3][d];
}

static void EncryptHalves(const BlowfishContext* ctx, uint32_t* left, uint32_t* right) {
    uint32_t l = *left;
    uint32_t r = *right;
    uint32_t t;
    int i;
    for (i = 0; i < 16; ++i) {
        l ^= ctx->p[i];
        r ^= F(ctx, l);
        t = l;
        l = r;
        r = t;
    }
    t = l;
    l = r;
    r = t;
    r ^= ctx->p[16];
    l ^= ctx->p[17];
    *left = l;
    *right = r;
}

static void DecryptHalves(const BlowfishContext* ctx, uint32_t* left, uint32_t* right) {
    uint32_t l = *left;
    uint32_t r = *right;
    uint32_t t;
    int i;
    for (i = 17; i > 1; --i) {
        l ^= ctx->p[i];
        r ^= F(ctx, l);
        t = l;
        l = r;
        r = t;
    }
    t = l;
    l = r;
    r = t;
    r ^= ctx->p[1];
    l ^= ctx->p[0];
    *left = l;
    *right = r;
}

static uint32_t LoadLe(const uint8_t* b) {
    return (uint32_t)b[0] | ((uint32_t)b[1] << 8) | ((uint32_t)b[2] << 16) | ((uint32_t)b[3] << 24);
}

static void StoreLe(uint8_t* b, uint32_t v) {
    b[0] = (uint8_t)v;
    b[1] = (uint8_t)(v >> 8);
    b[2] = (uint8_t)(v >> 16);
    b[3] = (uint8_t)(v >> 24);
}

void BlowfishInit(BlowfishContext* ctx, const uint8_t* key, size_t keyLength) {
    uint32_t l = 0;
    uint32_t r = 0;
    size_t k = 0;
    int i;
    int j;
    memcpy(ctx->p, kBlowfishInitialP, sizeof ctx->p);
    memcpy(ctx->s, kBlowfishInitialS, sizeof ctx->s);
    if (key && keyLength > 0) {
        for (i = 0; i < 18; ++i) {
            uint32_t word = 0;
            for (j = 0; j < 4; ++j) {
                word = (word << 8) | key[k];
                k = (k + 1) % keyLength;
            }
            ctx->p[i] ^= word;
        }
    }
    for (i = 0; i < 18; i += 2) {
        EncryptHalves(ctx, &l, &r);
        ctx->p[i] = l;
        ctx->p[i + 1] = r;
    }
    for (i = 0; i < 4; ++i) {
        for (j = 0; j < 256; j += 2) {
            EncryptHalves(ctx, &l, &r);
            ctx->s[i][j] = l;
            ctx->s[i][j + 1] = r;
        }
    }
}

void BlowfishEncryptBlock(const BlowfishContext* ctx, uint8_t block[8]) {
    uint32_t l = LoadLe(block);
    uint32_t r = LoadLe(block + 4);
    EncryptHalves(ctx, &l, &r);
    StoreLe(block, l);
    StoreLe(block + 4, r);
}

void BlowfishDecryptBlock(const BlowfishContext* ctx, uint8_t block[8]) {
    uint32_t l = LoadLe(block);
    uint32_t r = LoadLe(block + 4);
    DecryptHalves(ctx, &l, &r);
    StoreLe(block, l);
    StoreLe(block + 4, r);
}

void BlowfishEncryptEcb(const BlowfishContext* ctx, uint8_t* data, size_t length) {
    size_t i;
    for (i = 0; i + 8 <= length; i += 8)
        BlowfishEncryptBlock(ctx, data + i);
}

void BlowfishDecryptEcb(const BlowfishContext* ctx, uint8_t* data, size_t length) {
    size_t i;
    for (i = 0; i + 8 <= length; i += 8)
        BlowfishDecryptBlock(ctx, data + i);
}

void BlowfishWipe(void* data, size_t length) {
    volatile uint8_t* p = (volatile uint8_t*)data;
    while (length--)
        *p++ = 0;
}
