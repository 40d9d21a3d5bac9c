#include "config/KeyProtection.h"

#include <windows.h>
#include <rpc.h>

#include "config/ProfileStore.h"
#include "config/RegistryKey.h"
#include "config/RegistryNames.h"

namespace {

// Used when the system cannot format a UUID.
const char kFallbackCardConfigId[] = "9B3D2E70-4A1C-47e5-8C2F-6D0B9E51A3C8";

bool OpenAdapterKey(CRegistryKey& key) {
    const char* path = GetAdapterKeyPath();
    if (!path || !*path)
        return false;
    return key.Open(HKEY_LOCAL_MACHINE, path) == 1;
}

bool ReadCardConfigId(char (&buffer)[kKeyBufferSize], size_t& length) {
    CRegistryKey key;
    if (!OpenAdapterKey(key))
        return false;
    CString text;
    if (!key.QueryString(RegistryName(kRegCardCfgId), text))
        return false;
    length = CopyCipherKeyText(text.c_str(), buffer);
    int n = text.GetLength();
    SecureZeroMemory(text.GetBuffer(n), static_cast<SIZE_T>(n));
    text.ReleaseBuffer(0);
    return true;
}

// The cipher key text, wiped when the operation ends.
struct CipherKey {
    char text[kKeyBufferSize] = {};
    size_t length = 0;
    CipherKey() { length = GetCipherKey(text); }
    ~CipherKey() { SecureZeroMemory(text, sizeof text); }
    const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(text); }
};

} // namespace

void EnsureCardConfigId() {
    {
        CRegistryKey key;
        if (!OpenAdapterKey(key))
            return;
        CString existing;
        if (key.QueryString(RegistryName(kRegCardCfgId), existing))
            return;
    }
    UUID uuid;
    UuidCreate(&uuid); // a local-only UUID serves as well
    RPC_CSTR formatted = nullptr;
    CString text;
    if (UuidToStringA(&uuid, &formatted) == RPC_S_OK && formatted)
        text = reinterpret_cast<const char*>(formatted);
    else
        text = kFallbackCardConfigId;
    if (formatted)
        RpcStringFreeA(&formatted);

    CRegistryKey key;
    if (OpenAdapterKey(key))
        key.SetString(RegistryName(kRegCardCfgId), text);
}

size_t GetCipherKey(char (&buffer)[kKeyBufferSize]) {
    size_t length = 0;
    if (ReadCardConfigId(buffer, length))
        return length;
    EnsureCardConfigId();
    if (ReadCardConfigId(buffer, length))
        return length;
    buffer[0] = '\0';
    return 0;
}

CString EncryptKeyText(const char* plain, int32_t bits) {
    if (!plain || !*plain)
        return CString();
    CipherKey key;
    return EncipherKeyText(key.Bytes(), key.length, plain, bits);
}

void DecryptKeyText(const char* cipher, CString& plain, int32_t byteCount) {
    if (!cipher || !*cipher) {
        plain.Empty();
        return;
    }
    CipherKey key;
    plain = DecipherKeyText(key.Bytes(), key.length, cipher, byteCount);
}
