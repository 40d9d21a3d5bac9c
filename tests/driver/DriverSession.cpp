#include "tests/driver/DriverSession.h"

#include "sim/SimControl.h"

#include <string.h>

#include "sim/SimWorld.h"

DriverService::DriverService(const char* serviceName, const char* file) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    strcpy(slash + 1, file);
    scm_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!scm_) {
        error_ = GetLastError();
        return;
    }
    service_ = CreateServiceA(scm_, serviceName, serviceName, SERVICE_ALL_ACCESS,
                              SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                              path, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!service_)
        service_ = OpenServiceA(scm_, serviceName, SERVICE_ALL_ACCESS);
    if (!service_) {
        error_ = GetLastError();
        return;
    }
    if (!StartServiceA(service_, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        error_ = GetLastError();
        return;
    }
    ok_ = true;
}

DriverService::~DriverService() {
    if (service_) {
        SERVICE_STATUS status;
        ControlService(service_, SERVICE_CONTROL_STOP, &status);
        // Give the driver the time to unload before the next start.
        for (int i = 0; i < 100; ++i) {
            if (!QueryServiceStatus(service_, &status) || status.dwCurrentState == SERVICE_STOPPED)
                break;
            Sleep(20);
        }
        DeleteService(service_);
        CloseServiceHandle(service_);
    }
    if (scm_)
        CloseServiceHandle(scm_);
}

std::string DefaultAdapterName() {
    return std::string("\\Device\\") + NX_SIM_NET_CFG_INSTANCE_ID;
}

Handle OpenDriver(const char* device) {
    std::string path = std::string("\\\\.\\") + device;
    return Handle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr));
}

DWORD Control(HANDLE h, DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
              DWORD* returned) {
    Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED ov = {};
    ov.hEvent = event.get();
    DWORD got = 0;
    DWORD error = 0;
    if (!DeviceIoControl(h, code, const_cast<void*>(in), inLength, out, outLength, &got, &ov)) {
        error = GetLastError();
        if (error == ERROR_IO_PENDING)
            error = GetOverlappedResult(h, &ov, &got, TRUE) ? 0 : GetLastError();
    }
    if (returned)
        *returned = got;
    return error;
}

DWORD BindAdapter(HANDLE h, const std::string& name) {
    DWORD length = static_cast<DWORD>(name.size() + 1);
    DWORD error = Control(h, NX_IOCTL_SELECT_ADAPTER, name.c_str(), length, nullptr, 0);
    if (error)
        return error;
    return Control(h, NX_IOCTL_OPEN_ADAPTER, name.c_str(), length, nullptr, 0);
}

NdisRequestRecord MakeRecord(uint32_t type, uint32_t oid, uint32_t bufferLength,
                             const void* buffer) {
    NdisRequestRecord record;
    memset(&record, 0, sizeof record);
    record.status = NX_STATUS_FAILURE;
    record.requestType = type;
    record.oid = oid;
    record.buffer = NxAddressOf(buffer);
    record.bufferLength = bufferLength;
    return record;
}

DWORD SendRecord(HANDLE h, NdisRequestRecord& record, DWORD code) {
    return Control(h, code, &record, sizeof record, &record, sizeof record);
}

bool QuerySnapshot(HANDLE h, AdapterStatusSnapshot& out) {
    NdisRequestRecord record =
        MakeRecord(NX_REQUEST_QUERY_INFORMATION, NX_OID_ADAPTER_STATUS, sizeof out);
    if (SendRecord(h, record) != 0 || record.status != NX_STATUS_SUCCESS ||
        record.bytesWritten != sizeof out)
        return false;
    memcpy(&out, record.data, sizeof out);
    return true;
}

void StandInTest::SetUp() {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    service_ = std::make_unique<DriverService>();
    ASSERT_TRUE(service_->ok()) << service_->error();
    handle_ = OpenDriver();
    ASSERT_TRUE(handle_.valid()) << GetLastError();
}

void StandInTest::TearDown() {
    handle_.Reset();
    service_.reset();
    SimRemoveAdapter();
}
