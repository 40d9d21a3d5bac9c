// NXLIB32: the NDIS agent library's exported interface.
//
// Every export is a WINAPI (stdcall) function with an undecorated name (see
// NXLIB32.def). Handles are -1 (INVALID_HANDLE_VALUE) when invalid. The error
// word holds the Win32 error of the last failing system call;
// W32N_GetLastError returns it and clears it.
#pragma once

#include <windows.h>

#include "AdapterRegistryInfo.h"
#include "NdisProtocol.h"

#ifdef NXLIB32_BUILD
#define W32N_API extern "C"
#else
#define W32N_API extern "C" __declspec(dllimport)
#endif

typedef NdisRequestRecord W32N_REQUEST;
typedef AdapterRegistryInfo W32N_ADAPTER_INFO;

// Platform detection and the error word.
W32N_API int WINAPI W32N_GetLastError(void);
W32N_API UINT WINAPI W32N_OSGetPlatformVersion(int platformId);
W32N_API BOOL WINAPI W32N_IsWindowsNT(void);
W32N_API BOOL WINAPI W32N_IsWindows95(void);
W32N_API BOOL WINAPI W32N_IsWindows2000(void);

// Protocol driver.
W32N_API HANDLE WINAPI W32N_OpenProtocolDriver(void);

// Adapter handles, NDIS requests and packets.
W32N_API HANDLE WINAPI W32N_OpenAdapterA(const char* name);
W32N_API HANDLE WINAPI W32N_OpenAdapterW(const wchar_t* name);
W32N_API BOOL WINAPI W32N_CloseAdapter(HANDLE adapter);
W32N_API DWORD WINAPI W32N_MakeNdisRequest(HANDLE adapter, W32N_REQUEST* request,
                                           OVERLAPPED* overlapped, UINT reserved);
W32N_API DWORD WINAPI W32N_MakePrivateRequest(HANDLE adapter, W32N_REQUEST* request,
                                              OVERLAPPED* overlapped, UINT reserved);
W32N_API DWORD WINAPI W32N_PacketRead(HANDLE adapter, void* packet, DWORD* bytesReturned,
                                      OVERLAPPED* overlapped, BOOL wait);
W32N_API DWORD WINAPI W32N_PacketReadEx(HANDLE adapter, void* packet, DWORD* bytesReturned,
                                        OVERLAPPED* overlapped,
                                        LPOVERLAPPED_COMPLETION_ROUTINE completion);
W32N_API DWORD WINAPI W32N_CancelPacketRead(HANDLE adapter, void* packet);
W32N_API BOOL WINAPI W32N_PacketSend(HANDLE adapter, const void* data, DWORD length,
                                     DWORD* bytesReturned, OVERLAPPED* overlapped);
W32N_API BOOL WINAPI W32N_PacketSendEx(HANDLE adapter, const void* data, DWORD length,
                                       DWORD* bytesReturned, OVERLAPPED* overlapped,
                                       LPOVERLAPPED_COMPLETION_ROUTINE completion);
W32N_API BOOL WINAPI W32N_DisableLoopback(HANDLE adapter, DWORD value, DWORD length,
                                          const void* data);

// Adapter registry enumeration; results are Win32 error codes.
W32N_API const char* WINAPI W32N_GetNetCardRegistryPath(void);
W32N_API DWORD WINAPI W32N_GetAdapterRegistryInfo(W32N_ADAPTER_INFO* info, const char* subkey);
W32N_API DWORD WINAPI W32N_GetAdapterRegistryInfoBySubkey(W32N_ADAPTER_INFO* info,
                                                          const char* subkey);
W32N_API DWORD WINAPI W32N_GetAdapterRegistryInfoBySubkeyIndex(W32N_ADAPTER_INFO* info, UINT index);
W32N_API DWORD WINAPI W32N_GetFirstAdapterRegistryInfo(W32N_ADAPTER_INFO* info);
W32N_API DWORD WINAPI W32N_GetNextAdapterRegistryInfo(W32N_ADAPTER_INFO* info);
