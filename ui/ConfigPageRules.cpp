#include "ui/ConfigPageRules.h"

#include <string.h>

#include "config/KeyText.h"
#include "framework/FormatCheck.h"
#include "ui/KeySizes.h"

namespace {

const char kIntro[] = "Correct the following error(s) in this page:\n\n";
const char kSharedKeyLength[] =
    "Shared Key - %s:   \tInvalid length. Type in a %d digit hex number.\n";
const char kUniqueKeyLength[] = "Unique Key: \t\tInvalid length. Type in a %d digit hex number.\n";
const char kDefaultKeyMissing[] =
    "Default Encryption Key:\tDefault Encryption Key not selected. Select a default encryption "
    "key.\n";
const char kSharedKeysNotSet[] = "Shared Keys: \t\tShared keys are not set. Enter at least one "
                                 "shared key to enable security.";
const char kSettingsCaption[] = "Network Configuration Settings";
const char kSecurityCaption[] = "Security";
// No string-table text exists for a key without a size (only a damaged
// stored length leaves one); worded like the length lines.
const char kSharedKeyNoSize[] = "Shared Key - %s:   \tKey size not selected. Select a key size.\n";
const char kUniqueKeyNoSize[] = "Unique Key: \t\tKey size not selected. Select a key size.\n";

const char* const kSharedKeyNames[kSharedKeyCount] = {"Key 1", "Key 2", "Key 3", "Key 4"};

const char* TextOr(const CString& text, const char* builtIn) {
    return text.IsEmpty() ? builtIn : text.c_str();
}

const char* FormatOr(const CString& text, const char* expected, const char* builtIn) {
    return !text.IsEmpty() && FormatHasConversions(text.c_str(), expected) ? text.c_str() : builtIn;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
CString FormatDigits(const char* format, int32_t digits) {
    CString line;
    line.Format(format, static_cast<int>(digits));
    return line;
}

CString FormatNamedDigits(const char* format, const char* name, int32_t digits) {
    CString line;
    line.Format(format, name, static_cast<int>(digits));
    return line;
}

CString FormatNamed(const char* format, const char* name) {
    CString line;
    line.Format(format, name);
    return line;
}
#pragma GCC diagnostic pop

enum class KeyProblem { None, NoSize, Length };

// What is wrong with a set key: its size, its length against the edit's
// limit, or (for a typed key) characters that could not be enciphered.
KeyProblem CheckKey(const ConfigPageState& state, int32_t slot) {
    const CString& text = state.KeyText(slot);
    if (text.IsEmpty())
        return KeyProblem::None;
    const KeySize* size = FindKeySize(state.KeySize(slot));
    if (!size)
        return KeyProblem::NoSize;
    if (text.GetLength() != size->hexDigits)
        return KeyProblem::Length;
    if (!state.placeholderShown[slot] && !IsHexText(text))
        return KeyProblem::Length;
    return KeyProblem::None;
}

} // namespace

bool StoredKeyIsUsable(const CString& deciphered, int32_t bits) {
    if (KeySizeIndexFromBits(bits) < 0)
        return false;
    return IsHexText(deciphered) && deciphered.GetLength() == 2 * (bits / 8);
}

ConfigPageState LoadConfigPageState(const CConfigRecord& selected, KeyDecipherer decipher) {
    ConfigPageState state;
    state.security = selected.enableSecurity != 0;
    state.turbo = selected.enableTurbo != 0;
    state.networkName = selected.networkName;
    state.powerSaving = selected.powerManagement;
    state.defaultKey = selected.defaultKey;
    state.mode = selected.connectionType == 1 ? 0 : 1;
    for (int32_t i = 0; i < kSharedKeyCount; ++i) {
        state.storedLength[i] = selected.sharedKeyLength[i];
        state.cipherText[i] = selected.sharedKey[i];
    }
    state.storedLength[kUniqueKeySlot] = selected.uniqueKeyLength;
    state.cipherText[kUniqueKeySlot] = selected.uniqueKey;

    for (int32_t slot = 0; slot < kKeySlotCount; ++slot) {
        int32_t bits = state.storedLength[slot];
        state.KeySize(slot) = KeySizeIndexFromBits(bits);
        state.placeholderShown[slot] = true;
        state.KeyText(slot).Empty();
        if (state.cipherText[slot].IsEmpty())
            continue;
        CString plain;
        if (bits > 0)
            decipher(state.cipherText[slot], plain, bits / 8);
        if (StoredKeyIsUsable(plain, bits))
            state.KeyText(slot) = FindKeySize(state.KeySize(slot))->placeholder;
        else
            state.cipherText[slot].Empty();
    }
    return state;
}

void RefreshCipherTexts(ConfigPageState& state, KeyEncipherer encipher) {
    for (int32_t slot = 0; slot < kKeySlotCount; ++slot) {
        if (state.placeholderShown[slot])
            continue;
        const CString& text = state.KeyText(slot);
        state.cipherText[slot] =
            text.IsEmpty() ? CString() : encipher(text, KeyBitsFromSizeIndex(state.KeySize(slot)));
    }
}

CConfigRecord BuildEditedConfiguration(ConfigPageState& state, const CConfigRecord& base,
                                       KeyEncipherer encipher) {
    CConfigRecord edited = base;
    edited.networkName = state.networkName;
    edited.powerManagement = state.powerSaving;
    edited.connectionType = state.mode == 0 ? 1 : 0;
    edited.enableTurbo = state.turbo ? 1 : 0;
    edited.enableSecurity = state.security ? 1 : 0;
    if (!state.security)
        return edited;
    RefreshCipherTexts(state, encipher);
    edited.uniqueKeyLength = KeyBitsFromSizeIndex(state.uniqueSize);
    edited.uniqueKey = state.cipherText[kUniqueKeySlot];
    for (int32_t i = 0; i < kSharedKeyCount; ++i) {
        edited.sharedKey[i] = state.cipherText[i];
        edited.sharedKeyLength[i] = KeyBitsFromSizeIndex(state.sharedSize[i]);
    }
    edited.defaultKey = state.defaultKey;
    edited.dirty = 1;
    return edited;
}

bool ConfigurationDiffers(const CConfigRecord& a, const CConfigRecord& b) {
    if (a.enableTurbo != b.enableTurbo || a.networkName != b.networkName ||
        a.powerManagement != b.powerManagement || a.connectionType != b.connectionType ||
        a.enableSecurity != b.enableSecurity)
        return true;
    if (!a.enableSecurity && !b.enableSecurity)
        return false;
    if (a.uniqueKeyLength != b.uniqueKeyLength || a.uniqueKey != b.uniqueKey)
        return true;
    for (int32_t i = 0; i < kSharedKeyCount; ++i)
        if (a.sharedKey[i] != b.sharedKey[i] || a.sharedKeyLength[i] != b.sharedKeyLength[i])
            return true;
    return a.defaultKey != b.defaultKey;
}

ConfigEnabling ConfigEnablingRules(const ConfigPageState& state) {
    ConfigEnabling enabling;
    enabling.sharedKeys = state.security;
    enabling.uniqueKey = state.security && state.mode == 0;
    return enabling;
}

bool CutKeyTextToSize(ConfigPageState& state, int32_t slot) {
    const KeySize* size = FindKeySize(state.KeySize(slot));
    CString& text = state.KeyText(slot);
    if (!size || text.GetLength() <= size->hexDigits)
        return false;
    text = text.Left(size->hexDigits);
    return true;
}

KeyEditOutcome KeyEditChanged(ConfigPageState& state, int32_t slot) {
    state.placeholderShown[slot] = false;
    CString& text = state.KeyText(slot);
    if (IsHexText(text))
        return KeyEditOutcome::Kept;
    text.Empty();
    return KeyEditOutcome::EmptiedWithBeep;
}

ConfigValidation ValidateConfigPage(const ConfigPageState& state,
                                    const ConfigValidationTexts& texts) {
    ConfigValidation result;
    result.valid = true;
    result.caption = CString(TextOr(texts.settingsCaption, kSettingsCaption)) + "(" +
                     TextOr(texts.securityCaption, kSecurityCaption) + ")";
    if (!state.security)
        return result;

    CString lines;
    if (state.defaultKey < 0)
        lines += TextOr(texts.defaultKeyMissing, kDefaultKeyMissing);

    const char* uniqueFormat = FormatOr(texts.uniqueKeyLength, "d", kUniqueKeyLength);
    switch (CheckKey(state, kUniqueKeySlot)) {
    case KeyProblem::NoSize:
        lines += kUniqueKeyNoSize;
        break;
    case KeyProblem::Length:
        lines += FormatDigits(uniqueFormat, KeyHexDigits(state.uniqueSize));
        break;
    case KeyProblem::None:
        break;
    }

    const char* sharedFormat = FormatOr(texts.sharedKeyLength, "sd", kSharedKeyLength);
    bool anyShared = false;
    for (int32_t i = 0; i < kSharedKeyCount; ++i) {
        if (!state.sharedKeyText[i].IsEmpty())
            anyShared = true;
        switch (CheckKey(state, i)) {
        case KeyProblem::NoSize:
            lines += FormatNamed(kSharedKeyNoSize, kSharedKeyNames[i]);
            break;
        case KeyProblem::Length:
            lines += FormatNamedDigits(sharedFormat, kSharedKeyNames[i],
                                       KeyHexDigits(state.sharedSize[i]));
            break;
        case KeyProblem::None:
            break;
        }
    }
    if (!anyShared)
        lines += TextOr(texts.sharedKeysNotSet, kSharedKeysNotSet);

    if (lines.IsEmpty())
        return result;
    result.valid = false;
    result.text = CString(TextOr(texts.intro, kIntro)) + lines;
    return result;
}
