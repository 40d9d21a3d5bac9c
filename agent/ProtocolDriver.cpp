// Installing, starting, opening and removing the protocol driver: a kernel
// service on the NT family, a dynamically loaded VxD on the 95 family.
#include <string.h>

#include "DriverPath.h"
#include "Library.h"
#include "SystemCalls.h"
#include "W32N.h"

namespace {

const char kDisplayName[] = "NXPROTO Protocol Driver";
const DWORD kNtDeviceFlags = FILE_FLAG_OVERLAPPED | FILE_FLAG_NO_BUFFERING | FILE_ATTRIBUTE_NORMAL;
const DWORD k95DeviceFlags = FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL;
const DWORD k95DriverFileFlags =
    FILE_FLAG_OVERLAPPED | FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_NORMAL;
const DWORD kRemoveAccess = DELETE | SERVICE_STOP | SERVICE_INTERROGATE;

void DevicePath(char (&path)[MAX_PATH]) {
    strcpy(path, "\\\\.\\");
    strncat(path, ProtocolDriverName(), sizeof path - 1 - strlen(path));
}

// The driver file beside the library, in short form.
bool DriverFilePath(const char* ext, const char* prefix, char (&path)[MAX_PATH]) {
    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(LibraryModule(), module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        SetErrorWord(n == 0 ? static_cast<int>(GetLastError()) : ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    char shortName[MAX_PATH];
    DWORD s = GetShortPathNameA(module, shortName, MAX_PATH);
    const char* source = (s > 0 && s < MAX_PATH) ? shortName : module;
    if (!ComposeDriverFilePath(source, ProtocolDriverName(), ext, prefix, path, sizeof path)) {
        SetErrorWord(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return true;
}

// The service database lock, retried every 100 ms: for at most `attempts`
// tries, or without limit when `attempts` is 0.
class DatabaseLock {
public:
    DatabaseLock(SC_HANDLE scm, int attempts) {
        for (int i = 0; (lock_ = Sys().lockServiceDatabase(scm)) == nullptr; ++i) {
            if (attempts > 0 && i + 1 >= attempts)
                break;
            Sys().sleep(100);
        }
    }
    ~DatabaseLock() {
        if (lock_)
            Sys().unlockServiceDatabase(lock_);
    }
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;
    bool held() const { return lock_ != nullptr; }

private:
    SC_LOCK lock_;
};

// Removal runs at the last detach, inside the library's entry point, where a
// lock held elsewhere must not hang the process on its way out: after this
// many tries (3 s) the service stays registered for the next user, whose
// open starts it again.
const int kRemoveLockAttempts = 30;

// Opens the device with share mode 0 and closes it again: is the driver up?
bool ProbeDriver() {
    char device[MAX_PATH];
    DevicePath(device);
    HANDLE h = Sys().createFile(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                kNtDeviceFlags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        StoreSystemError();
        return false;
    }
    Sys().closeHandle(h);
    return true;
}

bool RegisterService(const char* driverPath) {
    ScopedServiceHandle scm(Sys().openSCManager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!scm.get()) {
        StoreSystemError();
        return false;
    }
    SC_HANDLE service;
    DWORD error;
    {
        DatabaseLock lock(scm.get(), 0);
        service = Sys().openService(scm.get(), ProtocolDriverName(), GENERIC_EXECUTE);
        if (!service)
            service = Sys().createService(scm.get(), ProtocolDriverName(), kDisplayName,
                                          GENERIC_EXECUTE, SERVICE_KERNEL_DRIVER,
                                          SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, driverPath,
                                          nullptr, nullptr, nullptr, nullptr, nullptr);
        error = GetLastError();
    }
    if (service) {
        Sys().closeServiceHandle(service);
        return true;
    }
    if (error == ERROR_SERVICE_EXISTS)
        return true;
    SetErrorWord(static_cast<int>(error));
    return false;
}

// True when the service's registered driver file is gone. Wine reports a
// kernel driver that cannot be loaded as 1114 whatever the cause, where
// Windows says 2; asking the file system gives the same answer on both.
bool RegisteredFileMissing(SC_HANDLE service) {
    DWORD needed = 0;
    QueryServiceConfigA(service, nullptr, 0, &needed);
    if (needed == 0)
        return false;
    HANDLE heap = GetProcessHeap();
    auto* config = static_cast<QUERY_SERVICE_CONFIGA*>(HeapAlloc(heap, 0, needed));
    if (!config)
        return false;
    bool missing = false;
    if (QueryServiceConfigA(service, config, needed, &needed) && config->lpBinaryPathName) {
        const char* path = config->lpBinaryPathName;
        if (strncmp(path, "\\??\\", 4) == 0)
            path += 4;
        // Only a plain drive path is judged here; other forms keep the system's error.
        if (path[0] != '\0' && path[1] == ':' && path[2] == '\\')
            missing =
                GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES &&
                (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
    }
    HeapFree(heap, 0, config);
    return missing;
}

bool StartDriverService() {
    ScopedServiceHandle scm(Sys().openSCManager(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!scm.get()) {
        StoreSystemError();
        return false;
    }
    ScopedServiceHandle service(
        Sys().openService(scm.get(), ProtocolDriverName(), SERVICE_ALL_ACCESS));
    if (service.get() && !Sys().startService(service.get(), 0, nullptr)) {
        DWORD error = GetLastError();
        if (error != ERROR_SERVICE_ALREADY_RUNNING) {
            if (error != ERROR_FILE_NOT_FOUND && RegisteredFileMissing(service.get()))
                error = ERROR_FILE_NOT_FOUND;
            SetErrorWord(static_cast<int>(error));
            return false;
        }
    }
    return ProbeDriver();
}

bool InstallAndStartOnce(const char* driverPath) {
    if (ProbeDriver())
        return true;
    return RegisterService(driverPath) && StartDriverService();
}

// A service left registered with a driver path that no longer exists (the
// library's folder was moved) is removed and registered again, once.
bool InstallAndStart(const char* driverPath) {
    if (InstallAndStartOnce(driverPath))
        return true;
    if (PeekErrorWord() != ERROR_FILE_NOT_FOUND)
        return false;
    RemoveProtocolDriver();
    return InstallAndStartOnce(driverPath);
}

HANDLE OpenNt(bool installAllowed) {
    SetErrorWord(0);
    char device[MAX_PATH];
    DevicePath(device);
    HANDLE h = Sys().createFile(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                kNtDeviceFlags, nullptr);
    if (h == INVALID_HANDLE_VALUE && !installAllowed) {
        StoreSystemError();
        return INVALID_HANDLE_VALUE;
    }
    char driverPath[MAX_PATH];
    if (!DriverFilePath(".SYS", "", driverPath) || !InstallAndStart(driverPath)) {
        if (h != INVALID_HANDLE_VALUE)
            Sys().closeHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    if (h != INVALID_HANDLE_VALUE)
        return h;
    h = Sys().createFile(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, kNtDeviceFlags, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        StoreSystemError();
    return h;
}

HANDLE Open95(bool installAllowed) {
    SetErrorWord(0);
    char device[MAX_PATH];
    DevicePath(device);
    HANDLE probe =
        Sys().createFile(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, k95DeviceFlags, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        StoreSystemError();
        if (!installAllowed)
            return INVALID_HANDLE_VALUE;
    } else {
        Sys().closeHandle(probe);
    }
    char driverPath[MAX_PATH];
    if (!DriverFilePath(".VXD", "\\\\.\\", driverPath))
        return INVALID_HANDLE_VALUE;
    // Delete-on-close: the system unloads the VxD when its last handle goes.
    HANDLE h = Sys().createFile(driverPath, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                k95DriverFileFlags, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        StoreSystemError();
    else
        SetErrorWord(0);
    return h;
}

} // namespace

const char* ProtocolDriverName() {
    if (W32N_IsWindowsNT())
        return W32N_IsWindows2000() ? "NXPROTO" : "NXPROTO4";
    return "NXPROTO";
}

HANDLE OpenProtocolDriver(bool installAllowed) {
    if (W32N_IsWindowsNT())
        return OpenNt(installAllowed);
    if (W32N_IsWindows95())
        return Open95(installAllowed);
    return INVALID_HANDLE_VALUE;
}

// Stops and deletes the NT service; the VxD needs nothing. False when the
// service cannot be reached, or when the database lock was not had in time
// (the service is then left stopped but registered).
bool RemoveProtocolDriver() {
    if (!W32N_IsWindowsNT())
        return W32N_IsWindows95() != FALSE;
    ScopedServiceHandle scm(Sys().openSCManager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!scm.get())
        return false;
    ScopedServiceHandle service(Sys().openService(scm.get(), ProtocolDriverName(), kRemoveAccess));
    if (!service.get())
        return false;
    SERVICE_STATUS status;
    Sys().controlService(service.get(), SERVICE_CONTROL_STOP, &status);
    {
        DatabaseLock lock(scm.get(), kRemoveLockAttempts);
        if (!lock.held())
            return false;
        Sys().deleteService(service.get());
    }
    Sys().controlService(service.get(), SERVICE_CONTROL_INTERROGATE, &status);
    return true;
}

// Opens the protocol driver without installing it: -1 when it is not
// present, with the open error in the error word.
W32N_API HANDLE WINAPI W32N_OpenProtocolDriver(void) {
    return OpenProtocolDriver(false);
}
