#include "platform/Platform.h"

#include "adapter/AdapterAccess.h"
#include "config/ProfileStore.h"
#include "device/AdapterRestart.h"
#include "framework/UserMessage.h"
#include "platform/FileVersion.h"
#include "platform/PlatformRules.h"
#include "platform/ResourceText.h"
#include "res/resource.h"

LONG CRegReader::Open(HKEY root, const char* subKey, REGSAM access) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(root, subKey, 0, access, &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    Close();
    key_ = key;
    return rc;
}

LONG CRegReader::QueryString(CString& out, const char* valueName) {
    out.Empty();
    if (!key_)
        return ERROR_INVALID_HANDLE;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key_, valueName, nullptr, nullptr, nullptr, &size);
    if (rc != ERROR_SUCCESS)
        return rc;
    // One byte more than the value, zero-filled: a value stored without its
    // terminating zero still ends inside the buffer.
    char* buffer = out.GetBuffer(static_cast<int>(size) + 1);
    ZeroMemory(buffer, size + 1);
    DWORD got = size;
    rc = RegQueryValueExA(key_, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &got);
    if (rc != ERROR_SUCCESS) {
        out.ReleaseBuffer(0);
        return rc;
    }
    out.ReleaseBuffer();
    return rc;
}

void CRegReader::Close() {
    if (key_) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

CString WindowsDirectory() {
    char dir[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return CString();
    if (n > 3 && dir[n - 1] == '\\') // only a root directory keeps its backslash
        dir[n - 1] = '\0';
    return CString(dir);
}

// ---- CPlatform ----

CPlatform::~CPlatform() = default;

bool CPlatform::GetAdapterClassKey(CString&) {
    return false;
}

bool CPlatform::MakeDeviceName(const char*, CString&) {
    return false;
}

bool CPlatform::LoadAdapterData(const char* adapterKeyPath) {
    return LoadConfigurations(adapterKeyPath);
}

void CPlatform::ReleaseProfiles() {
    ClearConfigurations();
}

bool CPlatform::ReadPermanentAddress() {
    uint8_t address[6] = {};
    if (!access_ || !access_->ReadPermanentAddress(address))
        return false;
    CopyMemory(permanentAddress_, address, sizeof permanentAddress_);
    return true;
}

int CPlatform::ApplyConfiguration(const CConfigRecord&) {
    return 0;
}

bool CPlatform::StoreConfiguration(const CConfigRecord& edited) {
    CConfigRecord* stored = FindConfiguration(edited.name.c_str());
    if (!stored)
        return false;
    CopyEditedConfiguration(edited, *stored);
    stored->dirty = 1;
    SaveConfigurations(nullptr);
    return true;
}

void CPlatform::ShowRebootNotice() {
    CString text = LoadResourceText(IDS_REBOOT_NOTICE);
    ShowUserMessage(text.c_str(), "Warning", MB_OK);
}

void CPlatform::SetDriverFile(const CString& path) {
    driverPath_ = path;
    // A file without a version resource shows no version, not the previous one.
    CString version;
    GetFileVersionAndDate(path, version, driverDate_);
    driverVersion_ = version;
}

// ---- Windows 95/98/Me ----

bool CPlatform9x::GetAdapterClassKey(CString& path) {
    path = "System\\CurrentControlSet\\Services\\Class\\Net";
    return true;
}

bool CPlatform9x::MakeDeviceName(const char* serviceName, CString& deviceName) {
    deviceName = serviceName;
    return true;
}

bool CPlatform9x::LoadAdapterData(const char* adapterKeyPath) {
    CRegReader reg;
    if (reg.Open(HKEY_LOCAL_MACHINE, adapterKeyPath, KEY_ALL_ACCESS) == ERROR_SUCCESS) {
        CString vxd;
        if (reg.QueryString(vxd, "DeviceVxDs") == ERROR_SUCCESS)
            SetDriverFile(WindowsDirectory() + "\\system32\\Drivers\\" + vxd);
        reg.Close();
    }
    return CPlatform::LoadAdapterData(adapterKeyPath);
}

int CPlatform9x::ApplyConfiguration(const CConfigRecord& edited) {
    if (!StoreConfiguration(edited))
        return 0;
    ShowRebootNotice();
    return 1;
}

// ---- Windows NT 4.0 ----

bool CPlatformNT4::GetAdapterClassKey(CString& path) {
    path = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
    return true;
}

bool CPlatformNT4::MakeDeviceName(const char* serviceName, CString& deviceName) {
    deviceName = CString("\\Device\\") + serviceName;
    return true;
}

bool CPlatformNT4::LoadAdapterData(const char* adapterKeyPath) {
    CRegReader reg;
    if (reg.Open(HKEY_LOCAL_MACHINE, adapterKeyPath, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return false;
    CString serviceName, productName;
    reg.QueryString(serviceName, "ServiceName");
    reg.QueryString(productName, "ProductName");
    reg.Close();

    // On NT 4.0 the profiles live under the adapter service's Parameters key.
    CString services = "SYSTEM\\CurrentControlSet\\Services\\";
    if (!LoadConfigurations((services + serviceName + "\\Parameters").c_str()))
        return false;

    if (reg.Open(HKEY_LOCAL_MACHINE, (services + productName).c_str(), KEY_ALL_ACCESS) ==
        ERROR_SUCCESS) {
        CString imagePath;
        if (reg.QueryString(imagePath, "ImagePath") == ERROR_SUCCESS)
            SetDriverFile(WindowsDirectory() + "\\" + StripSystemRoot(imagePath));
        reg.Close();
    }
    return true;
}

int CPlatformNT4::ApplyConfiguration(const CConfigRecord& edited) {
    if (!StoreConfiguration(edited))
        return 0;
    ShowRebootNotice();
    return 1;
}

// ---- Windows 2000/XP ----

bool CPlatformNT5::GetAdapterClassKey(CString& path) {
    path = "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
    return true;
}

bool CPlatformNT5::LoadAdapterData(const char* adapterKeyPath) {
    CRegReader reg;
    if (reg.Open(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\DOVIZ",
                 KEY_ALL_ACCESS) == ERROR_SUCCESS) {
        CString imagePath;
        if (reg.QueryString(imagePath, "ImagePath") == ERROR_SUCCESS)
            SetDriverFile(WindowsDirectory() + "\\" + imagePath);
        reg.Close();
    }
    return CPlatform::LoadAdapterData(adapterKeyPath);
}

int CPlatformNT5::ApplyConfiguration(const CConfigRecord& edited) {
    if (!StoreConfiguration(edited))
        return 0;
    // The driver reads its parameters when it starts: restart it now. A
    // device the installer could not stop takes them up at the next boot,
    // which the user is told as on the families that always reboot.
    int result = RestartAdapter();
    if (result != kRestartNeedsReboot)
        return result;
    ShowRebootNotice();
    return 1;
}

// ---- factory ----

CPlatform* CreatePlatform() {
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA size");
    if (!GetVersionExA(&info))
        info.dwPlatformId = 0xFFFFFFFF; // unknown: refused below
    switch (SelectPlatformKind(info.dwPlatformId, info.dwMajorVersion)) {
    case PlatformKind::NT5:
        return new CPlatformNT5;
    case PlatformKind::NT4:
        return new CPlatformNT4;
    case PlatformKind::Win9x:
        return new CPlatform9x;
    case PlatformKind::Unsupported:
        break;
    }
    // Captioned with the program's title, as the framework's message box is.
    ShowUserMessage("Unsupport OS platform", LoadResourceText(IDS_APP_TITLE).c_str(), MB_OK);
    return nullptr;
}
