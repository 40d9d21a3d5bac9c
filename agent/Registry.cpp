// Adapter registry enumeration: description, title and open name of each
// network adapter the system records, from the family's own layout.
#include "Library.h"
#include "RegistryRecord.h"
#include "W32N.h"

namespace {

const REGSAM kRead = KEY_READ; // 0x20019
const UINT kNotImplemented = ERROR_CALL_NOT_IMPLEMENTED;
UINT g_cursor = 0;

// One string value of at most 260 bytes; false when absent, too long or not REG_SZ.
class RegText {
public:
    RegText(HKEY key, const char* name) {
        DWORD type = 0;
        DWORD size = sizeof(text_) - 1;
        found_ = key &&
                 RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text_),
                                  &size) == ERROR_SUCCESS &&
                 type == REG_SZ;
        // A value stored without its NUL still ends inside the buffer.
        text_[found_ ? size : 0] = '\0';
    }
    const char* get() const { return found_ ? text_ : nullptr; }

private:
    char text_[NX_REGISTRY_TEXT_SIZE + 1];
    bool found_;
};

enum class Layout { Win95, Nt4, Win2000, None };

Layout CurrentLayout() {
    if (W32N_IsWindowsNT()) {
        UINT major = W32N_OSGetPlatformVersion(VER_PLATFORM_WIN32_NT);
        if (major == 3 || major == 4)
            return Layout::Nt4;
        if (major == 5)
            return Layout::Win2000;
        return Layout::None;
    }
    if (W32N_IsWindows95())
        return Layout::Win95;
    return Layout::None;
}

DWORD FillFromSubkey(AdapterRegistryInfo* info, const char* subkey) {
    if (!info || !subkey)
        return ERROR_INVALID_PARAMETER;
    CopyRegistryText(info->name, subkey);
    Layout layout = CurrentLayout();
    if (layout == Layout::None)
        return kNotImplemented;

    ScopedRegKey classKey;
    LONG error =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, W32N_GetNetCardRegistryPath(), 0, kRead, classKey.out());
    if (error != ERROR_SUCCESS)
        return static_cast<DWORD>(error);
    ScopedRegKey key;
    bool opened = RegOpenKeyExA(classKey.get(), subkey, 0, kRead, key.out()) == ERROR_SUCCESS;
    HKEY k = opened ? key.get() : nullptr;

    switch (layout) {
    case Layout::Win95: {
        RegText driverDesc(k, "DriverDesc");
        Fill95Record(*info, subkey, Values95{opened, driverDesc.get()});
        break;
    }
    case Layout::Nt4: {
        RegText serviceName(k, "ServiceName"), description(k, "Description"), title(k, "Title");
        FillNt4Record(*info, ValuesNt4{opened, serviceName.get(), description.get(), title.get()});
        break;
    }
    case Layout::Win2000: {
        RegText id(k, "NetCfgInstanceID"), driverDesc(k, "DriverDesc"),
            description(k, "Description");
        Fill2000Record(*info, Values2000{opened, id.get(), driverDesc.get(), description.get()});
        break;
    }
    case Layout::None:
        break;
    }
    return ERROR_SUCCESS;
}

} // namespace

// The network class key of the running family (a constant string).
W32N_API const char* WINAPI W32N_GetNetCardRegistryPath(void) {
    if (W32N_IsWindows95())
        return "System\\CurrentControlSet\\Services\\Class\\Net";
    if (W32N_IsWindows2000())
        return "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
    if (W32N_IsWindowsNT())
        return "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
    return "Unknown";
}

// Fills `info` from one subkey of the class key: 0 or a Win32 error (120 on
// a version whose layout is not known). A missing value is not an error.
W32N_API DWORD WINAPI W32N_GetAdapterRegistryInfoBySubkey(W32N_ADAPTER_INFO* info,
                                                          const char* subkey) {
    return FillFromSubkey(info, subkey);
}

W32N_API DWORD WINAPI W32N_GetAdapterRegistryInfo(W32N_ADAPTER_INFO* info, const char* subkey) {
    return FillFromSubkey(info, subkey);
}

// Fills `info` from subkey number `index`; 259 after the last one.
W32N_API DWORD WINAPI W32N_GetAdapterRegistryInfoBySubkeyIndex(W32N_ADAPTER_INFO* info,
                                                               UINT index) {
    if (!info)
        return ERROR_INVALID_PARAMETER;
    char name[16];
    {
        ScopedRegKey classKey;
        LONG error = RegOpenKeyExA(HKEY_LOCAL_MACHINE, W32N_GetNetCardRegistryPath(), 0, kRead,
                                   classKey.out());
        if (error != ERROR_SUCCESS)
            return static_cast<DWORD>(error);
        DWORD size = sizeof name;
        error =
            RegEnumKeyExA(classKey.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (error != ERROR_SUCCESS)
            return static_cast<DWORD>(error);
    }
    return FillFromSubkey(info, name);
}

// Restarts the enumeration at subkey 0.
W32N_API DWORD WINAPI W32N_GetFirstAdapterRegistryInfo(W32N_ADAPTER_INFO* info) {
    g_cursor = 0;
    return W32N_GetNextAdapterRegistryInfo(info);
}

// The subkey at the cursor; the cursor advances whatever the result.
W32N_API DWORD WINAPI W32N_GetNextAdapterRegistryInfo(W32N_ADAPTER_INFO* info) {
    UINT index = g_cursor++;
    return W32N_GetAdapterRegistryInfoBySubkeyIndex(info, index);
}
