// Platform strategies: what differs between Windows 95/98/Me, NT 4.0 and
// 2000/XP - where the adapter's registry keys and driver file live, how its
// device name is formed, and how a changed configuration takes effect.
// One strategy is created at program load and owned by the adapter access
// object. User-interface thread only.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "config/ConfigRecord.h"
#include "framework/CString.h"

class AdapterAccess;

// Holds at most one open registry key; closes it on destruction.
class CRegReader {
public:
    CRegReader() = default;
    ~CRegReader() { Close(); }
    CRegReader(const CRegReader&) = delete;
    CRegReader& operator=(const CRegReader&) = delete;

    // Opens root\subKey; on success replaces (and closes) the key held
    // before. Returns the registry error code, 0 on success.
    LONG Open(HKEY root, const char* subKey, REGSAM access);
    // Empties `out`, then reads the text value `valueName` of the held key.
    // A value stored without a terminating zero is still read within its
    // size. Returns the registry error code.
    LONG QueryString(CString& out, const char* valueName);
    void Close();
    HKEY Key() const { return key_; }

private:
    HKEY key_ = nullptr;
};

class CPlatform {
public:
    CPlatform() = default;
    CPlatform(const CPlatform&) = delete;
    CPlatform& operator=(const CPlatform&) = delete;

    virtual ~CPlatform();
    // Registry path (under HKEY_LOCAL_MACHINE) of the network adapter class key.
    virtual bool GetAdapterClassKey(CString& path);
    // Turns an adapter's open name from the registry into the device name
    // the agent library opens.
    virtual bool MakeDeviceName(const char* serviceName, CString& deviceName);
    // Told the registry path of the adapter instance that opened: reads the
    // driver file's data and loads the profile store.
    virtual bool LoadAdapterData(const char* adapterKeyPath);
    // Told that the adapter was closed: forgets the profiles.
    virtual void ReleaseProfiles() final;
    // Told that the adapter was opened: reads its own MAC address.
    virtual bool ReadPermanentAddress() final;
    // Stores an edited profile over the stored one of the same name and puts
    // it into effect. 0 when nothing was stored (or not put into effect).
    virtual int ApplyConfiguration(const CConfigRecord& edited);

    // The adapter access object this strategy asks for the permanent address.
    void AttachAccess(AdapterAccess* access) { access_ = access; }

    const uint8_t* PermanentAddress() const { return permanentAddress_; }
    const CString& DriverPath() const { return driverPath_; }
    const CString& DriverVersion() const { return driverVersion_; }
    const CString& DriverDate() const { return driverDate_; }

protected:
    // Steps shared by every variant's apply: find the stored profile of the
    // edited one's name, copy the edited settings in, mark it and save.
    // False (nothing changed) when no stored profile has that name.
    bool StoreConfiguration(const CConfigRecord& edited);
    // Tells the user to reboot so that the driver takes the change up.
    void ShowRebootNotice();
    // Sets the driver path and reads the file's version and date.
    void SetDriverFile(const CString& path);

private:
    AdapterAccess* access_ = nullptr;
    uint8_t permanentAddress_[6] = {};
    CString driverPath_;
    CString driverVersion_;
    CString driverDate_;
};

class CPlatform9x : public CPlatform {
public:
    bool GetAdapterClassKey(CString& path) override;
    bool MakeDeviceName(const char* serviceName, CString& deviceName) override;
    bool LoadAdapterData(const char* adapterKeyPath) override;
    int ApplyConfiguration(const CConfigRecord& edited) override;
};

class CPlatformNT4 : public CPlatform {
public:
    bool GetAdapterClassKey(CString& path) override;
    bool MakeDeviceName(const char* serviceName, CString& deviceName) override;
    bool LoadAdapterData(const char* adapterKeyPath) override;
    int ApplyConfiguration(const CConfigRecord& edited) override;
};

class CPlatformNT5 : public CPlatformNT4 {
public:
    bool GetAdapterClassKey(CString& path) override;
    bool LoadAdapterData(const char* adapterKeyPath) override;
    int ApplyConfiguration(const CConfigRecord& edited) override;
};

// The strategy for the running Windows family, or null (after telling the
// user) on a platform the utility does not support.
CPlatform* CreatePlatform();

// Windows directory without a trailing backslash; empty if unavailable.
CString WindowsDirectory();
