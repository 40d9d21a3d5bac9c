// The profile store: the adapter's configurations under its registry key.
// Process-wide state; user-interface thread only.
#pragma once

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
