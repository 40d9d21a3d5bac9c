// The driver parameter mirror: the selected profile written into, and read
// back from, the miniport driver's own values in the open adapter key.
#pragma once

#include "config/ConfigRecord.h"

class RegistryKeyAccess;

// Writes every driver value of `record`; single failures are ignored.
void WriteDriverParameters(RegistryKeyAccess& adapterKey, const CConfigRecord& record);

// Fills `record` from the driver values; false only when `record` is null.
bool ReadDriverParameters(RegistryKeyAccess& adapterKey, CConfigRecord* record);
