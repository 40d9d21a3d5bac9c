// Test helpers that talk to NXPROTO.SYS directly: the service installed and
// started from beside the test program through the service manager, and raw
// DeviceIoControl calls on \\.\NXPROTO handles.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <stdint.h>

#include <memory>
#include <string>

#include "adapter/AdapterRecords.h"
#include "agent/NdisProtocol.h"

// Owns a Win32 handle (files, events).
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(other.h_) { other.h_ = INVALID_HANDLE_VALUE; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset(other.h_);
            other.h_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void Reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (valid())
            CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Installs (if needed) and starts the NXPROTO service; stops and deletes it
// in the destructor. `ok` tells whether it runs.
class DriverService {
public:
    explicit DriverService(const char* serviceName = "NXPROTO", const char* file = "NXPROTO.SYS");
    ~DriverService();
    bool ok() const { return ok_; }
    DWORD error() const { return error_; }

private:
    SC_HANDLE scm_ = nullptr;
    SC_HANDLE service_ = nullptr;
    bool ok_ = false;
    DWORD error_ = 0;
};

// The device name to open for the default adapter (Windows 2000/XP form).
std::string DefaultAdapterName();

// A fresh handle on \\.\<device> (overlapped).
Handle OpenDriver(const char* device = "NXPROTO");

// One control call waited for; returns the Win32 error (0 = success).
DWORD Control(HANDLE h, DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
              DWORD* returned = nullptr);

// Select then open; returns the first failing Win32 error or 0.
DWORD BindAdapter(HANDLE h, const std::string& name);

// A request record for `oid` with `bufferLength`; sent with `code`.
NdisRequestRecord MakeRecord(uint32_t type, uint32_t oid, uint32_t bufferLength,
                             const void* buffer = nullptr);
DWORD SendRecord(HANDLE h, NdisRequestRecord& record, DWORD code = NX_IOCTL_NDIS_REQUEST);

// Queries the status snapshot; false when the request failed.
bool QuerySnapshot(HANDLE h, AdapterStatusSnapshot& out);

// A fixture with the simulated adapter installed, the driver's service
// started and one driver handle open (not yet bound to an adapter).
class StandInTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<DriverService> service_;
    Handle handle_;
};
