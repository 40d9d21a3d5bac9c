// The profile store: the adapter's configurations under its registry key.
// Process-wide state; user-interface thread only.
#pragma once

#include <stdint.h>

#include "config/ConfigRecord.h"

// Loads the configurations below HKEY_LOCAL_MACHINE\<adapterKeyPath>; true
// when at least one was read from the configurations key.
bool LoadConfigurations(const char* adapterKeyPath);

// Writes every changed record and mirrors the selected one into the driver's
// parameter values. A non-null path replaces the remembered one. Always true.
bool SaveConfigurations(const char* adapterKeyPath);

// null: the selected configuration; otherwise the first whose name equals
// `name` exactly. Null when there is none.
CConfigRecord* FindConfiguration(const char* name);

// Frees every record and forgets the selection and the adapter key path.
void ClearConfigurations();

// Read access to the store state for the pages, the strategies and tests.
int GetConfigurationCount();
// The record at list position `index`; null when there is none.
CConfigRecord* GetConfigurationAt(int index);
// List position of the selected configuration; -1 before a load.
int GetSelectedIndex();
const char* GetSelectedName();
// True when a stored configuration matched the stored selection at load.
bool IsSelectionFound();
// HKEY_LOCAL_MACHINE-relative path of the adapter key of the last load ("" before).
const char* GetAdapterKeyPath();
uint32_t GetMajorVersion();
uint32_t GetMinorVersion();
