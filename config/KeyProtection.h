// Key protection: WEP key texts enciphered under the installation's card
// identifier (kRegCardCfgId in the adapter key remembered by the profile
// store's last load). The identifier is read afresh for every operation.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "config/KeyText.h" // IsHexText, kKeyBufferSize
#include "framework/CString.h"

// Enciphers the first bits/4 hex digits of `plain` (bits 40, 104 or 128).
// Empty plain text, or one that is not such a key, gives an empty result.
CString EncryptKeyText(const char* plain, int32_t bits);

// Sets `plain` to the hex text of the first `byteCount` deciphered bytes;
// empty when `cipher` is empty or not an enciphered key text.
void DecryptKeyText(const char* cipher, CString& plain, int32_t byteCount);

// Makes sure the adapter key holds a card identifier; creates one from a new
// UUID when it has none.
void EnsureCardConfigId();

// Copies the card identifier into `buffer` (cut to 255 characters) and
// returns its length; 0 when none can be had.
size_t GetCipherKey(char (&buffer)[kKeyBufferSize]);
