// The Configuration page's rules on plain data: loading the selected
// configuration into the page state, building the edited configuration, the
// change test, the enabling rules, the key size and key edit changes, and
// validation with its message. Pure code; CDlgPPageConfig exchanges
// ConfigPageState with its controls and calls these.
#pragma once

#include <stdint.h>

#include "config/ConfigRecord.h"
#include "config/ProfileRules.h" // KeyEncipherer
#include "framework/CString.h"

// Slots of the page's five-key arrays: shared keys 1-4, then the unique key.
constexpr int32_t kSharedKeyCount = 4;
constexpr int32_t kUniqueKeySlot = 4;
constexpr int32_t kKeySlotCount = 5;

// Default (transmit) key radio values: 0 the unique key, 1-4 shared keys 1-4.
constexpr int32_t kNoDefaultKey = -1;

// The page's own state beside its controls.
struct ConfigPageState {
    bool security = false;                // check 1013
    bool turbo = false;                   // check 1020
    CString networkName;                  // combo 1032 text
    int32_t mode = 0;                     // radio group 1023: 0 infrastructure, 1 ad hoc
    int32_t powerSaving = 1;              // list 1019: 0 Off, 1 Normal, 2 Maximum
    int32_t defaultKey = kNoDefaultKey;   // radio group 1030: 0-4, -1 none set
    CString uniqueKeyText;                // edit 1021
    CString sharedKeyText[4];             // edits 1011, 1002, 1017, 1018
    int32_t uniqueSize = 0;               // list 1022, -1 when none
    int32_t sharedSize[4] = {0, 0, 0, 0}; // lists 1024, 1026, 1028, 1029
    // Per slot (shared 1-4, unique): key length as loaded, whether the edit
    // still shows the placeholder of the stored key, and the enciphered text
    // the page hands on.
    int32_t storedLength[kKeySlotCount] = {40, 40, 40, 40, 40};
    bool placeholderShown[kKeySlotCount] = {false, false, false, false, false};
    CString cipherText[kKeySlotCount];

    // The edit text and the size index of a slot (0 <= slot < kKeySlotCount).
    CString& KeyText(int32_t slot) {
        return slot == kUniqueKeySlot ? uniqueKeyText : sharedKeyText[slot];
    }
    const CString& KeyText(int32_t slot) const {
        return slot == kUniqueKeySlot ? uniqueKeyText : sharedKeyText[slot];
    }
    int32_t& KeySize(int32_t slot) {
        return slot == kUniqueKeySlot ? uniqueSize : sharedSize[slot];
    }
    int32_t KeySize(int32_t slot) const {
        return slot == kUniqueKeySlot ? uniqueSize : sharedSize[slot];
    }
};

// DecryptKeyText's shape: sets `plain` to the hex text of the first
// `byteCount` deciphered bytes.
typedef void (*KeyDecipherer)(const char* cipher, CString& plain, int32_t byteCount);

// Whether a stored key may be shown as a placeholder: its length is one of
// the key sizes and it deciphered to hex text of exactly 2 x (bits / 8)
// characters. Any other stored key is dropped at load.
bool StoredKeyIsUsable(const CString& deciphered, int32_t bits);

// The page state for `selected` (pass a default CConfigRecord when no
// configuration is selected). Every slot starts with placeholderShown set;
// a usable stored key shows its size's placeholder text, any other key is
// dropped (empty text and cipher text). The page then limits each edit to
// KeyEditLimit of its size, marks the edits whose text is not empty as
// showing a placeholder, and fills its controls without marking anything
// modified (the edits' change notices must not count as typing).
ConfigPageState LoadConfigPageState(const CConfigRecord& selected, KeyDecipherer decipher);

// Refreshes the cipher texts: a slot still showing its placeholder keeps the
// loaded one; a typed key's is `encipher`(text, bits of its size), empty for
// an empty text.
void RefreshCipherTexts(ConfigPageState& state, KeyEncipherer encipher);

// The configuration the page would apply: a copy of `base` (the selected
// configuration, or defaults) with the page's settings. With security on,
// the cipher texts are refreshed first, the keys, lengths and default key
// are copied and the record is marked dirty; with security off the key
// fields keep base's values.
CConfigRecord BuildEditedConfiguration(ConfigPageState& state, const CConfigRecord& base,
                                       KeyEncipherer encipher);

// The change test. Turbo, network name (exact bytes), power management,
// connection type and security always count; the keys, their lengths and
// the default key only when either record has security on. The page is
// marked modified exactly when
// ConfigurationDiffers(BuildEditedConfiguration(state, stored, ...), stored).
bool ConfigurationDiffers(const CConfigRecord& edited, const CConfigRecord& stored);

// Enabled states that follow from the page state; run at load and after
// each click on 1023, 1025 and 1013. Power saving (1019) is not among them:
// the mode radios enable and disable it themselves, and loading leaves it
// enabled.
struct ConfigEnabling {
    bool uniqueKey;  // edit 1021, size list 1022, radio 1030
    bool sharedKeys; // edits 1011, 1002, 1017, 1018; lists 1024-1029; radios 1012-1016
};
ConfigEnabling ConfigEnablingRules(const ConfigPageState& state);

// After a size list's selection (already read into the state): cuts the
// slot's text to the new size's digit count. True when it was cut and must
// be written back to the edit. A cut placeholder stays a placeholder; the
// edit's limit becomes KeyEditLimit of the new size.
bool CutKeyTextToSize(ConfigPageState& state, int32_t slot);

enum class KeyEditOutcome {
    Kept,           // a hex key (or empty): nothing more to do
    EmptiedWithBeep // not hex: emptied here; beep and write the empty text back
};
// After a key edit's text changed (already read into the state): the key is
// a typed one from now on (placeholderShown cleared; the page also clears
// the edit's own mark and shows the text in clear), and text that is not
// hexadecimal is emptied.
KeyEditOutcome KeyEditChanged(ConfigPageState& state, int32_t slot);

// Texts of the validation message, loaded by the page from the string
// table. A text left empty, or a format that does not hold the
// conversions named here (a damaged string table), is replaced by the
// built-in one rather than handed to printf.
struct ConfigValidationTexts {
    CString intro;             // string 29
    CString sharedKeyLength;   // string 31: "%s" key name, then "%d" digit count
    CString uniqueKeyLength;   // string 32: "%d" digit count
    CString defaultKeyMissing; // string 33
    CString sharedKeysNotSet;  // string 34
    CString settingsCaption;   // string 19
    CString securityCaption;   // string 35
};

struct ConfigValidation {
    bool valid;
    CString text;    // the message box text when not valid
    CString caption; // "Network Configuration Settings(Security)"
};

// Validation of the security fields. Valid when security is off. Otherwise
// the lines collected, in this order: default key not set; unique key of
// the wrong length; shared keys 1-4 of the wrong length; no shared key set.
// A key counts as set when its text is not empty. Beyond the length, a key
// the user typed must be hex (its length line otherwise), and a key without
// a selected size gets a line of its own asking for one: so every key that
// validation accepts enciphers to a non-empty text and none is lost on
// apply. Valid when no line was collected.
ConfigValidation ValidateConfigPage(const ConfigPageState& state,
                                    const ConfigValidationTexts& texts);
