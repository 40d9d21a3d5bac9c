#include "config/DriverParameters.h"

#include "config/DriverParams.h"
#include "config/RegistryAccess.h"

namespace {

class RegistrySource : public DriverValueSource {
public:
    explicit RegistrySource(RegistryKeyAccess& key) : key_(key) {}
    bool Get(RegName name, CString& text) const override {
        return key_.QueryString(RegistryName(name), text);
    }

private:
    RegistryKeyAccess& key_;
};

} // namespace

void WriteDriverParameters(RegistryKeyAccess& adapterKey, const CConfigRecord& record) {
    for (const DriverValue& v : DriverValuesFromRecord(record)) {
        if (v.remove)
            adapterKey.DeleteValue(RegistryName(v.name));
        else
            adapterKey.SetString(RegistryName(v.name), v.text.c_str());
    }
}

bool ReadDriverParameters(RegistryKeyAccess& adapterKey, CConfigRecord* record) {
    if (!record)
        return false;
    RecordFromDriverValues(RegistrySource(adapterKey), *record);
    return true;
}
