// The mapping between a profile record and the miniport driver's own text
// parameters in the adapter key. Pure code; DriverParameters.cpp does the
// registry side.
#pragma once

#include "config/ConfigRecord.h"
#include "config/RegistryNames.h"
#include "framework/Array.h"
#include "framework/CString.h"

// One driver value to write, or to delete when `remove` is set.
struct DriverValue {
    RegName name;
    CString text;
    bool remove = false;
};

// The values for `record` in the order the driver reads them back.
Array<DriverValue> DriverValuesFromRecord(const CConfigRecord& record);

// Where the read-back finds the driver's values: true and the text when the
// value is there (as text), false when it is missing.
class DriverValueSource {
public:
    virtual bool Get(RegName name, CString& text) const = 0;

protected:
    ~DriverValueSource() = default;
};

// Fills `record` from the driver's values; fields whose rule says
// "unchanged if missing" keep what the record holds.
void RecordFromDriverValues(const DriverValueSource& source, CConfigRecord& record);
