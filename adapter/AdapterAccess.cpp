#include "adapter/AdapterAccess.h"

#include <string.h>

#include "adapter/QueryRule.h"
#include "adapter/StatusText.h"
#include "agent/W32N.h"
#include "platform/Platform.h"
#include "platform/ResourceText.h"
#include "res/resource.h"

namespace {

const DWORD kMaxAdapterInstances = 41; // subkey indices 0..40
const DWORD kSubkeyNameChars = 80;

} // namespace

AdapterAccess::AdapterAccess() : AdapterAccess(CreatePlatform()) {}

AdapterAccess::AdapterAccess(CPlatform* strategy) : strategy_(strategy) {
    if (strategy_)
        strategy_->AttachAccess(this);
}

AdapterAccess::~AdapterAccess() {
    Close();
    delete strategy_;
}

bool AdapterAccess::Open(const char* filter) {
    hardwareIdText_ = LoadResourceText(IDS_HARDWARE_ID);
    // At most 99 characters of the filter are kept.
    lstrcpynA(descriptionFilter_, filter ? filter : "", sizeof descriptionFilter_);
    if (IsOpen())
        return true;

    CString classKey;
    if (strategy_ && strategy_->GetAdapterClassKey(classKey)) {
        CRegReader classHolder;
        if (classHolder.Open(HKEY_LOCAL_MACHINE, classKey.c_str(), KEY_READ) == ERROR_SUCCESS) {
            for (DWORD index = 0; index < kMaxAdapterInstances; ++index) {
                char subkey[kSubkeyNameChars + 1] = {};
                DWORD chars = sizeof subkey;
                if (RegEnumKeyExA(classHolder.Key(), index, subkey, &chars, nullptr, nullptr,
                                  nullptr, nullptr) != ERROR_SUCCESS)
                    break;
                AdapterRegistryInfo info;
                memset(&info, 0, sizeof info);
                if (W32N_GetAdapterRegistryInfo(&info, subkey) != ERROR_SUCCESS)
                    continue;
                // The record's texts are read within their fields, terminated or not.
                CString description = FieldText(info.description, sizeof info.description);
                if (description.Find(descriptionFilter_) < 0)
                    continue;
                CString name = FieldText(info.name, sizeof info.name), deviceName;
                if (!strategy_->MakeDeviceName(name.c_str(), deviceName))
                    continue;
                handle_ = W32N_OpenAdapterA(deviceName.c_str());
                if (!handle_) // the library's answer on a family it does not know
                    handle_ = INVALID_HANDLE_VALUE;
                if (IsOpen()) {
                    strategy_->LoadAdapterData((classKey + "\\" + subkey).c_str());
                    break;
                }
            }
        }
    }
    if (!IsOpen())
        return false;

    memset(&overlapped_, 0, sizeof overlapped_);
    overlapped_.hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!overlapped_.hEvent) {
        Close();
        return false;
    }
    openFlag_ = 1;
    RefreshStatus();
    strategy_->ReadPermanentAddress();
    return true;
}

void AdapterAccess::Close() {
    if (!IsOpen())
        return;
    W32N_CloseAdapter(handle_);
    if (overlapped_.hEvent)
        CloseHandle(overlapped_.hEvent);
    memset(&overlapped_, 0, sizeof overlapped_);
    descriptionFilter_[0] = '\0';
    handle_ = INVALID_HANDLE_VALUE;
    openFlag_ = 0;
    if (strategy_)
        strategy_->ReleaseProfiles();
}

bool AdapterAccess::RefreshStatus() {
    // Into a zeroed scratch copy, committed whole on success only.
    AdapterStatusSnapshot fresh;
    memset(&fresh, 0, sizeof fresh);
    uint32_t length = sizeof fresh;
    if (!Query(NX_OID_ADAPTER_STATUS, &fresh, &length))
        return false;
    snapshot_ = fresh;
    return true;
}

bool AdapterAccess::Query(uint32_t oid, void* buffer, uint32_t* length) {
    if (!IsOpen() || !length)
        return false;
    NdisRequestRecord request;
    memset(&request, 0, sizeof request);
    request.requestType = NX_REQUEST_QUERY_INFORMATION;
    request.oid = oid;
    request.buffer = NxAddressOf(buffer);
    request.bufferLength = *length;
    bool retried = false;
    for (;;) {
        uint32_t status = W32N_MakeNdisRequest(handle_, &request, &overlapped_, 1);
        switch (NextQueryStep(status, request.bytesNeeded, *length, retried)) {
        case QueryStep::Done:
            // Never more than the buffer holds, whatever the driver claims.
            *length = AnswerLength(request.bytesWritten, request.bufferLength);
            return true;
        case QueryStep::Retry:
            // A driver that rejects a buffer larger than the exact size is
            // served with the exact size.
            *length = request.bytesNeeded;
            request.bufferLength = request.bytesNeeded;
            request.bytesWritten = 0;
            request.bytesNeeded = 0;
            retried = true;
            break;
        case QueryStep::Fail:
            return false;
        }
    }
}

bool AdapterAccess::Set(uint32_t oid, const void* buffer, uint32_t length) {
    if (!IsOpen())
        return false;
    NdisRequestRecord request;
    memset(&request, 0, sizeof request);
    request.requestType = NX_REQUEST_SET_INFORMATION;
    request.oid = oid;
    request.buffer = NxAddressOf(buffer);
    request.bufferLength = length;
    return W32N_MakeNdisRequest(handle_, &request, &overlapped_, 1) == NX_STATUS_SUCCESS;
}

bool AdapterAccess::ReadPermanentAddress(uint8_t out[6]) {
    uint8_t address[6] = {};
    uint32_t length = sizeof address;
    if (!Query(NX_OID_PERMANENT_ADDRESS, address, &length))
        return false;
    memcpy(out, address, sizeof address);
    return true;
}

bool AdapterAccess::SetRadio(uint32_t on) {
    return Set(NX_OID_RADIO, &on, sizeof on);
}

void AdapterAccess::FormatRegulatoryDomain(CString& out) const {
    uint32_t code = snapshot_.regulatoryDomain;
    CString format = LoadResourceText(IDS_DOMAIN_FORMAT);
    CString name = LoadResourceText(RegulatoryDomainNameId(code));
    out =
        FormatRegulatoryDomainText(format.IsEmpty() ? nullptr : format.c_str(), code, name.c_str());
}
