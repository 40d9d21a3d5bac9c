#include "ui/KeySizes.h"

const KeySize kKeySizes[kKeySizeCount] = {
    {0, "64 bits", 40, 10, "HHHHHHHHHH"},
    {1, "128 bits", 104, 26, "HHHHHHHHHHHHHHHHHHHHHHHHHH"},
    {2, "152 bits", 128, 32, "HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH"},
};

const KeySize* FindKeySize(int32_t sizeIndex) {
    if (sizeIndex < 0 || sizeIndex >= kKeySizeCount)
        return nullptr;
    return &kKeySizes[sizeIndex];
}

int32_t KeySizeIndexFromBits(int32_t bits) {
    for (const KeySize& size : kKeySizes)
        if (size.bits == bits)
            return size.index;
    return -1;
}

int32_t KeyBitsFromSizeIndex(int32_t sizeIndex) {
    const KeySize* size = FindKeySize(sizeIndex);
    return size ? size->bits : 0;
}

int32_t KeyHexDigits(int32_t sizeIndex) {
    const KeySize* size = FindKeySize(sizeIndex);
    return size ? size->hexDigits : 0;
}

int32_t KeyEditLimit(int32_t sizeIndex) {
    const KeySize* size = FindKeySize(sizeIndex);
    return size ? size->hexDigits : kKeySizes[kKeySizeCount - 1].hexDigits;
}
