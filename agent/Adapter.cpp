// Adapter handles, NDIS requests and packet I/O: every exchange is one
// device I/O control call on the protocol driver handle.
#include <stdlib.h>
#include <string.h>

#include "CopyBack.h"
#include "DriverPath.h"
#include "Library.h"
#include "SystemCalls.h"
#include "W32N.h"

namespace {

const DWORD kRecordSize = sizeof(NdisRequestRecord);
const DWORD kHeaderSize = sizeof(PacketHeader);

// Sends `code` with `input` and waits for it with a fresh event; 0 or the
// system error. `offsetStatus` receives OVERLAPPED.Offset, where the
// 95-family driver leaves its own status.
DWORD SendAndWait(HANDLE device, DWORD code, const void* input, DWORD inputSize,
                  DWORD* offsetStatus) {
    ScopedHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event.valid())
        return GetLastError();
    OVERLAPPED overlapped;
    ZeroMemory(&overlapped, sizeof overlapped);
    overlapped.hEvent = event.get();
    DWORD returned = 0;
    DWORD error = 0;
    if (!Sys().deviceIoControl(device, code, const_cast<void*>(input), inputSize, nullptr, 0,
                               &returned, &overlapped)) {
        error = GetLastError();
        if (error == ERROR_IO_PENDING)
            error = Sys().getOverlappedResult(device, &overlapped, &returned, TRUE)
                        ? 0
                        : GetLastError();
    }
    if (offsetStatus)
        *offsetStatus = overlapped.Offset;
    return error;
}

HANDLE FailOpen(HANDLE device, DWORD error) {
    SetErrorWord(static_cast<int>(error));
    Sys().closeHandle(device);
    return INVALID_HANDLE_VALUE;
}

DWORD MakeRequest(DWORD code, HANDLE adapter, NdisRequestRecord* request, OVERLAPPED* overlapped) {
    SetErrorWord(0);
    if (adapter == INVALID_HANDLE_VALUE || !overlapped || !request)
        return NX_STATUS_ADAPTER_NOT_OPEN;
    if (!Sys().resetEvent(overlapped->hEvent))
        return StoreSystemError();
    request->status = NX_STATUS_FAILURE;
    DWORD returned = 0;
    if (!Sys().deviceIoControl(adapter, code, request, kRecordSize, request, kRecordSize, &returned,
                               overlapped)) {
        DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            SetErrorWord(static_cast<int>(error));
            if (error != 0)
                return error;
        } else if (!Sys().getOverlappedResult(adapter, overlapped, &returned, TRUE)) {
            return StoreSystemError();
        }
    }
    // The NT-family driver answers in the inline area; the 95-family driver
    // has written the caller's buffer itself. The copy never exceeds the
    // caller's buffer or the inline area, whatever the driver reports.
    if (W32N_IsWindowsNT() && request->buffer != 0) {
        uint32_t n = RequestCopyBackLength(*request);
        if (n > 0)
            memcpy(NxAddressPointer(request->buffer), request->data, n);
    }
    return request->status;
}

void PresetReadHeader(PacketHeader* header) {
    header->status = NX_PACKET_PENDING;
    header->reserved1 = 0;
    header->reserved2 = 0;
}

// Transfer length of a read (header and data); 0 when it does not fit a DWORD.
DWORD ReadLength(const PacketHeader* header) {
    if (header->dataLength > MAXDWORD - kHeaderSize)
        return 0;
    return header->dataLength + kHeaderSize;
}

} // namespace

// Opens the protocol driver (installing it when needed) and binds it to the
// adapter `name`. The handle, or -1 with the reason in the error word; 0 on
// a system of neither family.
W32N_API HANDLE WINAPI W32N_OpenAdapterA(const char* name) {
    SetErrorWord(0);
    bool nt = W32N_IsWindowsNT() != FALSE;
    if (!nt && !W32N_IsWindows95())
        return nullptr;
    if (!name) {
        SetErrorWord(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // NT: the whole name with its NUL, never a truncated one. 95: the
    // four-character instance key, padded when the caller's text is shorter.
    char key95[4] = {};
    const void* input = name;
    DWORD inputSize;
    if (nt) {
        inputSize = static_cast<DWORD>(AdapterNameInputLength(name));
        if (inputSize == 0) {
            SetErrorWord(ERROR_BAD_LENGTH);
            return INVALID_HANDLE_VALUE;
        }
    } else {
        for (size_t i = 0; i < sizeof key95 && name[i] != '\0'; ++i)
            key95[i] = name[i];
        input = key95;
        inputSize = sizeof key95;
    }

    HANDLE device = OpenProtocolDriver(true);
    if (device == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;

    DWORD driverStatus = 0;
    DWORD error = SendAndWait(device, NX_IOCTL_SELECT_ADAPTER, input, inputSize, &driverStatus);
    if (error != 0)
        return FailOpen(device, error);
    if (!nt && driverStatus != 0)
        return FailOpen(device, driverStatus);
    error = SendAndWait(device, NX_IOCTL_OPEN_ADAPTER, input, inputSize, nullptr);
    if (error != 0)
        return FailOpen(device, error);
    return device;
}

// Wide-character names are not supported.
W32N_API HANDLE WINAPI W32N_OpenAdapterW(const wchar_t*) {
    SetErrorWord(0);
    return nullptr;
}

// Closes an adapter handle. On the NT family the driver is first asked
// whether it wants to be removed when the last user unloads the library;
// the latest close decides.
W32N_API BOOL WINAPI W32N_CloseAdapter(HANDLE adapter) {
    if (adapter == INVALID_HANDLE_VALUE)
        return FALSE;
    if (W32N_IsWindowsNT()) {
        bool remove = false;
        ScopedHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (event.valid()) {
            uint32_t state = 0;
            NdisRequestRecord request;
            ZeroMemory(&request, sizeof request);
            request.requestType = NX_REQUEST_QUERY_INFORMATION;
            request.oid = NX_OID_UNLOAD_STATE;
            request.buffer = NxAddressOf(&state);
            request.bufferLength = sizeof state;
            OVERLAPPED overlapped;
            ZeroMemory(&overlapped, sizeof overlapped);
            overlapped.hEvent = event.get();
            DWORD status = MakeRequest(NX_IOCTL_PRIVATE_REQUEST, adapter, &request, &overlapped);
            remove = status == NX_STATUS_SUCCESS && (state & NX_UNLOAD_STILL_NEEDED) == 0 &&
                     (state & NX_UNLOAD_REMOVE_ME) != 0;
        }
        if (UserCountBlock* block = SharedBlock())
            block->removeDriver = remove ? 1 : 0;
    } else if (!W32N_IsWindows95()) {
        return FALSE;
    }
    if (!Sys().closeHandle(adapter)) {
        StoreSystemError();
        return FALSE;
    }
    return TRUE;
}

// An NDIS query or set through the driver; the NDIS status, a Win32 error
// when the device I/O failed, or 0xC0010012 for a missing argument.
W32N_API DWORD WINAPI W32N_MakeNdisRequest(HANDLE adapter, W32N_REQUEST* request,
                                           OVERLAPPED* overlapped, UINT) {
    return MakeRequest(NX_IOCTL_NDIS_REQUEST, adapter, request, overlapped);
}

// The same for the OIDs private to the library and its driver.
W32N_API DWORD WINAPI W32N_MakePrivateRequest(HANDLE adapter, W32N_REQUEST* request,
                                              OVERLAPPED* overlapped, UINT) {
    return MakeRequest(NX_IOCTL_PRIVATE_REQUEST, adapter, request, overlapped);
}

// Sends the loopback control block (value, length, data) as a private set.
W32N_API BOOL WINAPI W32N_DisableLoopback(HANDLE adapter, DWORD value, DWORD length,
                                          const void* data) {
    if ((length > 0 && !data) || length > MAXDWORD - sizeof(LoopbackControlHeader)) {
        SetErrorWord(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    ScopedHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event.valid())
        return FALSE;
    DWORD size = length + sizeof(LoopbackControlHeader);
    auto* block = static_cast<uint8_t*>(malloc(size));
    if (!block)
        return FALSE;
    LoopbackControlHeader header = {value, length};
    memcpy(block, &header, sizeof header);
    if (length > 0)
        memcpy(block + sizeof header, data, length);
    NdisRequestRecord request;
    ZeroMemory(&request, sizeof request);
    request.requestType = NX_REQUEST_SET_INFORMATION;
    request.oid = NX_OID_LOOPBACK;
    request.buffer = NxAddressOf(block);
    request.bufferLength = size;
    OVERLAPPED overlapped;
    ZeroMemory(&overlapped, sizeof overlapped);
    overlapped.hEvent = event.get();
    DWORD status = MakeRequest(NX_IOCTL_PRIVATE_REQUEST, adapter, &request, &overlapped);
    free(block);
    return status == NX_STATUS_SUCCESS;
}

// Reads one packet. With `wait` the read is completed before returning (0
// or the error); without it the caller completes it and the result is 0.
// Leaves the error word clear.
W32N_API DWORD WINAPI W32N_PacketRead(HANDLE adapter, void* packet, DWORD* bytesReturned,
                                      OVERLAPPED* overlapped, BOOL wait) {
    SetErrorWord(0);
    if (adapter == INVALID_HANDLE_VALUE || !packet || !bytesReturned || !overlapped)
        return NX_STATUS_ADAPTER_NOT_OPEN;
    auto* header = static_cast<PacketHeader*>(packet);
    DWORD length = ReadLength(header);
    if (length == 0)
        return ERROR_INVALID_USER_BUFFER;
    PresetReadHeader(header);
    BOOL ok = Sys().deviceIoControl(adapter, NX_IOCTL_READ_PACKET, packet, length, packet, length,
                                    bytesReturned, overlapped);
    if (!wait || ok)
        return 0;
    DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING)
        return error;
    if (!Sys().getOverlappedResult(adapter, overlapped, bytesReturned, TRUE))
        return GetLastError();
    return 0;
}

// Starts a read that completes through `completion`.
W32N_API DWORD WINAPI W32N_PacketReadEx(HANDLE adapter, void* packet, DWORD* bytesReturned,
                                        OVERLAPPED* overlapped,
                                        LPOVERLAPPED_COMPLETION_ROUTINE completion) {
    SetErrorWord(0);
    if (adapter == INVALID_HANDLE_VALUE || !packet || !bytesReturned || !overlapped)
        return NX_STATUS_ADAPTER_NOT_OPEN;
    auto* header = static_cast<PacketHeader*>(packet);
    DWORD length = ReadLength(header);
    if (length == 0) {
        SetErrorWord(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    BOOL ok;
    if (W32N_IsWindowsNT()) {
        ok = Sys().readFileEx(adapter, packet, length, overlapped, completion);
    } else if (W32N_IsWindows95()) {
        header->completionRoutine = NxAddressOf(reinterpret_cast<const void*>(completion));
        PresetReadHeader(header);
        ok = Sys().deviceIoControl(adapter, NX_IOCTL_READ_PACKET_EX, packet, length, packet, length,
                                   bytesReturned, overlapped);
    } else {
        return FALSE;
    }
    if (!ok)
        StoreSystemError();
    return ok ? TRUE : FALSE;
}

// Cancels the pending reads: 0 or the error (also stored). The driver
// exchanges the header and one byte; a packet with no data area holds only
// its header, so the exchange goes through a zero-padded copy and only what the
// packet holds is read from it and written back.
W32N_API DWORD WINAPI W32N_CancelPacketRead(HANDLE adapter, void* packet) {
    SetErrorWord(0);
    if (adapter == INVALID_HANDLE_VALUE || !packet)
        return NX_STATUS_ADAPTER_NOT_OPEN;
    uint32_t held = CancelExchangeLength(static_cast<const PacketHeader*>(packet)->dataLength);
    uint8_t exchange[NX_CANCEL_READ_LENGTH] = {};
    memcpy(exchange, packet, held);
    DWORD returned = 0;
    if (!Sys().deviceIoControl(adapter, NX_IOCTL_CANCEL_READ, exchange, sizeof exchange, exchange,
                               sizeof exchange, &returned, nullptr))
        return StoreSystemError();
    memcpy(packet, exchange, held);
    return 0;
}

namespace {

bool CheckSend(HANDLE adapter, const void* data) {
    SetErrorWord(0);
    if (adapter == INVALID_HANDLE_VALUE) {
        SetErrorWord(ERROR_INVALID_HANDLE);
        return false;
    }
    if (!data) {
        SetErrorWord(ERROR_INVALID_USER_BUFFER);
        return false;
    }
    return true;
}

} // namespace

// Sends one packet; overlapped completion is the caller's.
W32N_API BOOL WINAPI W32N_PacketSend(HANDLE adapter, const void* data, DWORD length,
                                     DWORD* bytesReturned, OVERLAPPED* overlapped) {
    if (!CheckSend(adapter, data))
        return FALSE;
    DWORD ignored = 0;
    if (!Sys().deviceIoControl(adapter, NX_IOCTL_SEND_PACKET, const_cast<void*>(data), length,
                               nullptr, 0, bytesReturned ? bytesReturned : &ignored, overlapped)) {
        StoreSystemError();
        return FALSE;
    }
    return TRUE;
}

// Sends one packet that completes through `completion`.
W32N_API BOOL WINAPI W32N_PacketSendEx(HANDLE adapter, const void* data, DWORD length,
                                       DWORD* bytesReturned, OVERLAPPED* overlapped,
                                       LPOVERLAPPED_COMPLETION_ROUTINE completion) {
    if (!CheckSend(adapter, data))
        return FALSE;
    if (!overlapped) {
        SetErrorWord(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BOOL ok;
    if (W32N_IsWindowsNT()) {
        ok = Sys().writeFileEx(adapter, data, length, overlapped, completion);
    } else if (W32N_IsWindows95()) {
        // The 95-family driver finds the routine in the OVERLAPPED (in its
        // Offset field, which the pointer member overlays whole).
        overlapped->Pointer = reinterpret_cast<void*>(completion);
        DWORD ignored = 0;
        ok =
            Sys().deviceIoControl(adapter, NX_IOCTL_SEND_PACKET_EX, const_cast<void*>(data), length,
                                  nullptr, 0, bytesReturned ? bytesReturned : &ignored, overlapped);
    } else {
        return FALSE;
    }
    if (!ok)
        StoreSystemError();
    return ok ? TRUE : FALSE;
}
