/* The adapter registry information record that W32N_GetAdapterRegistryInfo*
 * fill: three NUL-terminated 260-byte text fields, 780 bytes in all. The
 * caller owns it; it crosses the library boundary as is. */
#pragma once

#include "NdisProtocol.h"

#define NX_REGISTRY_TEXT_SIZE 260

typedef struct AdapterRegistryInfo {
    char description[NX_REGISTRY_TEXT_SIZE]; /* 0 */
    char title[NX_REGISTRY_TEXT_SIZE];       /* 260 */
    char name[NX_REGISTRY_TEXT_SIZE];        /* 520: instance key, service name or GUID */
} AdapterRegistryInfo;

NX_STATIC_ASSERT(sizeof(AdapterRegistryInfo) == 780, "adapter registry record size");
NX_STATIC_ASSERT(offsetof(AdapterRegistryInfo, description) == 0, "description");
NX_STATIC_ASSERT(offsetof(AdapterRegistryInfo, title) == 260, "title");
NX_STATIC_ASSERT(offsetof(AdapterRegistryInfo, name) == 520, "name");
