#include "fuzz/MemoryRegistry.h"

#include <string.h>

namespace {

const size_t kTextLimit = 1024; // CRegistryKey's text buffer
const size_t kNameLimit = 255;  // the longest key name the system takes

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Walks `path` from `key`; creates missing keys when `create` is set.
// `created` tells whether the last one was made here.
MemoryRegistry::Key* Walk(MemoryRegistry::Key* key, const std::string& path, bool create,
                          bool* created) {
    if (created)
        *created = false;
    if (path.empty())
        return key;
    size_t start = 0;
    for (;;) {
        size_t end = path.find('\\', start);
        std::string name = path.substr(start, end == std::string::npos ? end : end - start);
        if (name.empty() || name.size() > kNameLimit || name.find('\0') != std::string::npos)
            return nullptr;
        auto it = key->children.find(name);
        if (it == key->children.end()) {
            if (!create)
                return nullptr;
            it = key->children.emplace(name, new MemoryRegistry::Key).first;
            if (created)
                *created = end == std::string::npos;
        } else if (created) {
            *created = false;
        }
        key = it->second.get();
        if (end == std::string::npos)
            return key;
        start = end + 1;
    }
}

class MemoryKey : public RegistryKeyAccess {
public:
    explicit MemoryKey(MemoryRegistry::Key* key) : key_(key) {}

    bool QueryDword(const char* name, uint32_t& value) override {
        const MemoryRegistry::Value* v = Find(name);
        if (!v || v->type != MemoryRegistry::kDword || v->data.size() != 4)
            return false;
        memcpy(&value, v->data.data(), 4);
        return true;
    }
    bool QueryString(const char* name, CString& text) override {
        const MemoryRegistry::Value* v = Find(name);
        if (!v || v->type != MemoryRegistry::kText || v->data.size() > kTextLimit)
            return false;
        text = CString(v->data.data(), strnlen(v->data.data(), v->data.size()));
        return true;
    }
    bool SetDword(const char* name, uint32_t value) override {
        if (!name)
            return false;
        key_->values[name] = {MemoryRegistry::kDword,
                              std::string(reinterpret_cast<const char*>(&value), 4)};
        return true;
    }
    bool SetString(const char* name, const char* text) override {
        if (!name)
            return false;
        key_->values[name] = {MemoryRegistry::kText, text ? text : ""};
        return true;
    }
    bool DeleteValue(const char* name) override {
        return name && *name && key_->values.erase(name) == 1;
    }
    bool EnumChild(uint32_t index, CString& name) override {
        if (index >= key_->children.size())
            return false;
        auto it = key_->children.begin();
        std::advance(it, index);
        name = it->first.c_str();
        return true;
    }
    std::unique_ptr<RegistryKeyAccess> OpenChild(const char* subPath) override {
        MemoryRegistry::Key* k = Walk(key_, subPath ? subPath : "", false, nullptr);
        return k ? std::unique_ptr<RegistryKeyAccess>(new MemoryKey(k)) : nullptr;
    }
    std::unique_ptr<RegistryKeyAccess> CreateChild(const char* subPath, bool* created) override {
        MemoryRegistry::Key* k = Walk(key_, subPath ? subPath : "", true, created);
        return k ? std::unique_ptr<RegistryKeyAccess>(new MemoryKey(k)) : nullptr;
    }

private:
    const MemoryRegistry::Value* Find(const char* name) const {
        if (!name)
            return nullptr;
        auto it = key_->values.find(name);
        return it == key_->values.end() ? nullptr : &it->second;
    }

    MemoryRegistry::Key* key_;
};

} // namespace

bool MemoryRegistry::NoCase::operator()(const std::string& a, const std::string& b) const {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        char x = Lower(a[i]), y = Lower(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    return a.size() < b.size();
}

std::unique_ptr<RegistryKeyAccess> MemoryRegistry::Root() {
    return std::unique_ptr<RegistryKeyAccess>(new MemoryKey(&root_));
}

MemoryRegistry::Key* MemoryRegistry::Make(const std::string& path) {
    return Walk(&root_, path, true, nullptr);
}

MemoryRegistry::Key* MemoryRegistry::Find(const std::string& path) {
    return Walk(&root_, path, false, nullptr);
}

bool MemoryRegistry::Set(const std::string& path, const std::string& name, uint32_t type,
                         const std::string& data) {
    Key* key = Make(path);
    if (!key)
        return false;
    key->values[name] = {type, data};
    return true;
}
