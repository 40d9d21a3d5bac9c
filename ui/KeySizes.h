// WEP key sizes: the one table behind the Configuration page's size lists,
// the stored key lengths and the key edits' text limits. Pure code.
#pragma once

#include <stdint.h>

struct KeySize {
    int32_t index;           // position in every size list
    const char* listText;    // "64 bits", "128 bits", "152 bits"
    int32_t bits;            // stored key length: 40, 104, 128
    int32_t hexDigits;       // digits of a plain key text: the edit's text limit
    const char* placeholder; // masked stand-in for a stored key: hexDigits 'H's
};

constexpr int32_t kKeySizeCount = 3;
extern const KeySize kKeySizes[kKeySizeCount];

// The table row of a size list index; null for -1 (no item selected) or any
// other index outside the table.
const KeySize* FindKeySize(int32_t sizeIndex);

// A stored key length to its size list index; -1 for any length but 40, 104
// and 128.
int32_t KeySizeIndexFromBits(int32_t bits);

// A size list index to its stored key length; 0 when no size is selected.
int32_t KeyBitsFromSizeIndex(int32_t sizeIndex);

// Hex digits of a key of this size; 0 when no size is selected.
int32_t KeyHexDigits(int32_t sizeIndex);

// Text limit for a key edit: the size's digit count, or the longest key's
// while no size is selected (validation then asks for a size).
int32_t KeyEditLimit(int32_t sizeIndex);
