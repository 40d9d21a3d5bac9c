// The utility's one way to its adapter: finds the adapter in the registry by
// its description, opens it through NXLIB32, carries NDIS queries and sets,
// and keeps the latest status snapshot that the tray and the pages read.
// User-interface thread only; every request is waited for.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "adapter/AdapterRecords.h"
#include "framework/CString.h"

class CPlatform;

class AdapterAccess {
public:
    // The strategy for the running Windows family (may be none).
    AdapterAccess();
    // Takes ownership of `strategy` (may be null).
    explicit AdapterAccess(CPlatform* strategy);
    ~AdapterAccess();
    AdapterAccess(const AdapterAccess&) = delete;
    AdapterAccess& operator=(const AdapterAccess&) = delete;

    // Opens the first adapter whose registry description contains `filter`
    // (case-sensitive) and that the library opens. True at once when open.
    bool Open(const char* filter);
    void Close();
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    // Queries the status snapshot. A failed query leaves the snapshot as it
    // was; a short answer leaves the rest of it zero.
    bool RefreshStatus();
    // On entry *length is the buffer's size; on success the bytes written.
    // One retry with the driver's size on NDIS_STATUS_INVALID_LENGTH when
    // that size fits the buffer.
    bool Query(uint32_t oid, void* buffer, uint32_t* length);
    bool Set(uint32_t oid, const void* buffer, uint32_t length);
    bool ReadPermanentAddress(uint8_t out[6]);
    bool SetRadio(uint32_t on);
    // "0x31 Spain": the snapshot's regulatory domain with its name.
    void FormatRegulatoryDomain(CString& out) const;

    const AdapterStatusSnapshot& Snapshot() const { return snapshot_; }
    HANDLE Handle() const { return handle_; }
    uint16_t OpenFlag() const { return openFlag_; }
    const char* DescriptionFilter() const { return descriptionFilter_; }
    const CString& HardwareIdText() const { return hardwareIdText_; }
    CPlatform* Strategy() const { return strategy_; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped_ = {};
    char descriptionFilter_[100] = {};
    CString hardwareIdText_;
    uint16_t openFlag_ = 0;
    AdapterStatusSnapshot snapshot_ = {};
    CPlatform* strategy_ = nullptr;
};

// The process-wide instance, constructed at program load.
AdapterAccess& GetAdapterAccess();
