// What the benchmark programs share: a clock, running again as Windows XP,
// and the bare status request the library's cost is measured against.
#pragma once

#include <windows.h>

#include <string.h>

#include <string>

#include "adapter/AdapterRecords.h"

// Seconds on the performance counter.
inline double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Makes Wine present itself as Windows XP to `program` (a file name).
inline bool SetWindowsXp(const char* program) {
    std::string path = std::string("Software\\Wine\\AppDefaults\\") + program;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
    RegCloseKey(key);
    return true;
}

// The agent library reads adapter records as Windows 2000/XP keeps them:
// `program` (this one) runs again, with its command line, as Windows XP.
// Its exit code; 2 when it could not run.
inline int RerunAsWindowsXp(const char* program) {
    if (!SetWindowsXp(program))
        return 2;
    std::string line = GetCommandLineA();
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return 2;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 2;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

// The record of a status query into `out`.
inline NdisRequestRecord StatusQueryRecord(AdapterStatusSnapshot* out) {
    NdisRequestRecord request;
    memset(&request, 0, sizeof request);
    request.requestType = NX_REQUEST_QUERY_INFORMATION;
    request.oid = NX_OID_ADAPTER_STATUS;
    request.buffer = NxAddressOf(out);
    request.bufferLength = sizeof *out;
    return request;
}

// The status request as the library sends it, without the library.
inline bool BareStatusRequest(HANDLE device, HANDLE event, AdapterStatusSnapshot* out) {
    NdisRequestRecord request = StatusQueryRecord(out);
    request.status = NX_STATUS_FAILURE;
    OVERLAPPED ov = {};
    ov.hEvent = event;
    ResetEvent(event);
    DWORD got = 0;
    BOOL ok = DeviceIoControl(device, NX_IOCTL_NDIS_REQUEST, &request, sizeof request, &request,
                              sizeof request, &got, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING)
        ok = GetOverlappedResult(device, &ov, &got, TRUE);
    if (!ok || request.status != NX_STATUS_SUCCESS)
        return false;
    memcpy(out, request.data, sizeof *out); // what the library's copy-back does
    return true;
}
