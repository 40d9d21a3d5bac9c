// Rules of the profile store that work on plain values: how stored values
// load into a record, subkey numbers, the upgrade of plain keys. Pure code.
#pragma once

#include <stdint.h>

#include "config/ConfigRecord.h"
#include "framework/CString.h"

// The number N of a configuration subkey: the decimal value of the name
// without its first three characters ("Cfg12" → 12, "ABC7" → 7), -1 when the
// name has three characters or fewer.
int32_t SubkeyNumber(const char* subkeyName);

// The name of the subkey that holds the configuration numbered n ("Cfg" n).
CString SubkeyName(int32_t n);

// kRegNetworkConnectionType: 0 → ad hoc (0); any other value or missing → 1.
int32_t LoadedConnectionType(bool present, uint32_t value);

// kRegPowerManagement: 0, 1, 2 as they are; missing → 0; anything else → 1.
int32_t LoadedPowerManagement(bool present, uint32_t value);

// The key length in bits that a plain hex key text of this many digits has
// (10 → 40, 26 → 104, 32 → 128), 0 for any other count.
int32_t KeyBitsForDigits(int32_t digits);

typedef CString (*KeyEncipherer)(const char* plain, int32_t bits);

// Replaces the plain key texts of a record written before keys were
// enciphered by their encipherment. A key whose length is not one the
// profile can hold takes the length its text shows, when it shows one. A
// key that cannot be enciphered is kept as it is rather than lost.
void EncipherRecordKeys(CConfigRecord& record, KeyEncipherer encipher);

// True when the load must encipher the stored keys: something was loaded,
// a configuration is selected, the stored format is older than 0.2, and the
// keys are not marked enciphered already.
bool NeedsKeyUpgrade(bool loaded, bool selectedExists, uint32_t major, uint32_t minor,
                     bool markedEnciphered);
