// Profile loading from arbitrary registry values: the adapter key, its
// configurations key and any subkeys, with values of any name, type and
// data, in an in-memory registry behind the store's registry interface.
// After the load the store is consistent; saving what was loaded and
// loading again reaches a state that a further save and load keep.
//
// Input: lines; the first character says what the rest is.
//   k<path>        the current key, below the adapter key ("" = itself)
//   s<name>=<text> a REG_SZ value in the current key
//   d<name>=<n>    a REG_DWORD (strtoul, any base)
//   w<name>=<data> a REG_DWORD of whatever size the data has
//   b<name>=<data> a value of another type
// "#NN" in a path or name stands for registry name NN of the store's table.
#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "config/KeyText.h"
#include "config/ProfileStoreCore.h"
#include "config/RegistryNames.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/MemoryRegistry.h"

namespace {

const char kAdapter[] = "System\\Class\\0001";
const char kCardId[] = "9B3D2E70-4A1C-47e5-8C2F-6D0B9E51A3C8";

std::string Expand(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '#' && i + 2 < text.size() &&
            isdigit(static_cast<unsigned char>(text[i + 1])) &&
            isdigit(static_cast<unsigned char>(text[i + 2]))) {
            int n = (text[i + 1] - '0') * 10 + (text[i + 2] - '0');
            if (n < kRegNameCount) {
                out += RegistryName(static_cast<RegName>(n));
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

void Build(MemoryRegistry& registry, const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string key = kAdapter;
    registry.Make(key);
    size_t start = 0;
    while (start < input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        std::string line = input.substr(start, end - start);
        start = end + 1;
        if (line.empty())
            continue;
        char kind = line[0];
        std::string rest = line.substr(1);
        if (kind == 'k') {
            std::string path = Expand(rest);
            key = path.empty() ? std::string(kAdapter) : std::string(kAdapter) + "\\" + path;
            registry.Make(key);
            continue;
        }
        size_t eq = rest.find('=');
        std::string name = Expand(rest.substr(0, eq));
        std::string value = eq == std::string::npos ? std::string() : rest.substr(eq + 1);
        switch (kind) {
        case 's':
            registry.Set(key, name, MemoryRegistry::kText, value);
            break;
        case 'd': {
            uint32_t v = static_cast<uint32_t>(strtoul(value.c_str(), nullptr, 0));
            registry.Set(key, name, MemoryRegistry::kDword,
                         std::string(reinterpret_cast<const char*>(&v), 4));
            break;
        }
        case 'w':
            registry.Set(key, name, MemoryRegistry::kDword, value);
            break;
        case 'b':
            registry.Set(key, name, MemoryRegistry::kBinary, value);
            break;
        default:
            break;
        }
    }
}

int CompareNoCase(const char* a, const char* b) {
    return CString(a).CompareNoCase(b);
}

void Prepare() {}

CString Encipher(const char* plain, int32_t bits) {
    return EncipherKeyText(reinterpret_cast<const uint8_t*>(kCardId), strlen(kCardId), plain, bits);
}

const ProfileStoreServices kServices = {CompareNoCase, Prepare, Encipher};

struct Loaded {
    std::vector<CConfigRecord> records;
    int selectedIndex;
    bool selectionFound;
    std::string selectedName;
};

bool Same(const CConfigRecord& a, const CConfigRecord& b) {
    bool same = a.name == b.name && a.networkName == b.networkName &&
                a.connectionType == b.connectionType && a.powerManagement == b.powerManagement &&
                a.enableTurbo == b.enableTurbo && a.enableMacAddress == b.enableMacAddress &&
                a.macAddress == b.macAddress && a.enableSecurity == b.enableSecurity &&
                a.defaultKey == b.defaultKey && a.uniqueKey == b.uniqueKey &&
                a.uniqueKeyLength == b.uniqueKeyLength;
    for (int i = 0; i < 4; ++i)
        same = same && a.sharedKey[i] == b.sharedKey[i] &&
               a.sharedKeyLength[i] == b.sharedKeyLength[i];
    return same;
}

// Loads and checks what every load must leave.
Loaded LoadAndCheck(RegistryKeyAccess& root) {
    LoadConfigurationsFrom(root, kAdapter, kServices);
    Loaded l;
    l.selectedIndex = GetSelectedIndex();
    l.selectionFound = IsSelectionFound();
    l.selectedName = GetSelectedName();
    FUZZ_CHECK(FindConfiguration(nullptr) == GetConfigurationAt(l.selectedIndex));
    if (l.selectionFound) {
        FUZZ_CHECK(FindConfiguration(nullptr) != nullptr);
        FUZZ_CHECK(CompareNoCase(FindConfiguration(nullptr)->name, GetSelectedName()) == 0);
    }
    FUZZ_CHECK(strcmp(GetAdapterKeyPath(), kAdapter) == 0);
    for (int i = 0; i < GetConfigurationCount(); ++i) {
        const CConfigRecord* r = GetConfigurationAt(i);
        FUZZ_CHECK(r != nullptr);
        FUZZ_CHECK(r->connectionType == 0 || r->connectionType == 1);
        FUZZ_CHECK(r->powerManagement >= 0 && r->powerManagement <= 2);
        FUZZ_CHECK(r->dirty == 0);
        FUZZ_CHECK(FindConfiguration(r->name) != nullptr);
        l.records.push_back(*r);
    }
    FUZZ_CHECK(GetConfigurationAt(GetConfigurationCount()) == nullptr);
    return l;
}

void SaveAll(RegistryKeyAccess& root) {
    for (int i = 0; i < GetConfigurationCount(); ++i)
        GetConfigurationAt(i)->dirty = 1;
    FUZZ_CHECK(SaveConfigurationsTo(root, nullptr));
    for (int i = 0; i < GetConfigurationCount(); ++i)
        FUZZ_CHECK(GetConfigurationAt(i)->dirty == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    MemoryRegistry registry;
    Build(registry, data, size);
    std::unique_ptr<RegistryKeyAccess> root = registry.Root();

    LoadAndCheck(*root);
    SaveAll(*root);
    ClearConfigurations();
    Loaded second = LoadAndCheck(*root);
    SaveAll(*root);
    ClearConfigurations();
    Loaded third = LoadAndCheck(*root);

    FUZZ_CHECK(second.records.size() == third.records.size());
    for (size_t i = 0; i < second.records.size(); ++i)
        FUZZ_CHECK(Same(second.records[i], third.records[i]));
    FUZZ_CHECK(second.selectedIndex == third.selectedIndex);
    FUZZ_CHECK(second.selectionFound == third.selectionFound);
    FUZZ_CHECK(second.selectedName == third.selectedName);
    ClearConfigurations();
    return 0;
}
