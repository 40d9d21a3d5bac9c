// A small registry held in memory, behind the same interface the profile
// store reads the system's through: keys and value names compared without
// regard to case, subkeys enumerated in name order, text (REG_SZ) and DWORD
// values read by the same rules as CRegistryKey's (a text of at most 1024
// bytes cut at its first zero, a DWORD of exactly 4 bytes), and values of
// other types that neither read takes. For host tests and fuzzing.
#pragma once

#include <stdint.h>

#include <map>
#include <memory>
#include <string>

#include "config/RegistryAccess.h"

class MemoryRegistry {
public:
    enum : uint32_t { kText = 1, kBinary = 3, kDword = 4 }; // the system's type codes

    struct NoCase {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    struct Value {
        uint32_t type;
        std::string data;
    };
    struct Key {
        std::map<std::string, std::unique_ptr<Key>, NoCase> children;
        std::map<std::string, Value, NoCase> values;
    };

    // The root every path is relative to (HKEY_LOCAL_MACHINE's place).
    std::unique_ptr<RegistryKeyAccess> Root();

    // The key at `path` ("a\\b"), created as needed; null for a path the
    // system would refuse (an empty component, a name over 255 characters
    // or one holding a zero).
    Key* Make(const std::string& path);
    // The key at `path`, or null.
    Key* Find(const std::string& path);
    // Stores a value of any type and data below `path` (created as needed).
    bool Set(const std::string& path, const std::string& name, uint32_t type,
             const std::string& data);

private:
    Key root_;
};
