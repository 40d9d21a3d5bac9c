// Filling the adapter registry record from the values found under one
// adapter's subkey. Every text is cut to fit its 260-byte field.
#pragma once

#include "AdapterRegistryInfo.h"

// Copies `text` (null counts as "") into a field, cut to fit, NUL-terminated.
void CopyRegistryText(char (&field)[NX_REGISTRY_TEXT_SIZE], const char* text);

// The subkey read as a decimal number the way the C library's atoi reads it
// (leading blanks, sign, digits), saturated at the int range.
int InstanceNumber(const char* subkey);

// "[%d] %s" from the instance number and the description, cut to fit.
void FormatInstanceTitle(char (&title)[NX_REGISTRY_TEXT_SIZE], const char* subkey,
                         const char* description);

// The values each layout reads; null means absent (or not a string).
struct Values95 {
    bool subkeyOpened;
    const char* driverDesc;
};
struct ValuesNt4 {
    bool subkeyOpened;
    const char* serviceName;
    const char* description;
    const char* title;
};
struct Values2000 {
    bool subkeyOpened;
    const char* netCfgInstanceId;
    const char* driverDesc;
    const char* description;
};

// The open name already holds the subkey (see W32N_GetAdapterRegistryInfoBySubkey).
void Fill95Record(AdapterRegistryInfo& record, const char* subkey, const Values95& v);
void FillNt4Record(AdapterRegistryInfo& record, const ValuesNt4& v);
void Fill2000Record(AdapterRegistryInfo& record, const Values2000& v);

extern const char kUnknownText[];
