// The driver parameter mirror: the selected profile written into, and read
// back from, the miniport driver's own values in the open adapter key.
#pragma once

#include "config/ConfigRecord.h"

class CRegistryKey;

// Writes every driver value of `record`; single failures are ignored.
void WriteDriverParameters(CRegistryKey& adapterKey, const CConfigRecord& record);

// Fills `record` from the driver values; false only when `record` is null.
bool ReadDriverParameters(CRegistryKey& adapterKey, CConfigRecord* record);
