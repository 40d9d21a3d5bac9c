/* Binary contract between NXLIB32 and its protocol driver NXPROTO: I/O control
 * codes, the NDIS request record, the packet header and the OIDs private to
 * the library and its driver. Shared by the library (C++), the stand-in
 * driver (C) and the tests; no <windows.h>, so it compiles in all of them.
 *
 * All records are little-endian. Pointer fields are 32 bits wide: the records
 * travel between 32-bit user mode and the driver, and the library stores a
 * user-mode address there that only the caller's process can dereference. */
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define NX_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define NX_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* Device I/O control codes (the same values on every Windows family). */
#define NX_IOCTL_SELECT_ADAPTER 0x80000000u  /* input: adapter name incl. NUL */
#define NX_IOCTL_OPEN_ADAPTER 0x80000008u    /* input: adapter name incl. NUL */
#define NX_IOCTL_NDIS_REQUEST 0x80000010u    /* in/out: NdisRequestRecord */
#define NX_IOCTL_SEND_PACKET 0x80000015u     /* input: the packet bytes */
#define NX_IOCTL_SEND_PACKET_EX 0x80000019u  /* 95 family, completion routine */
#define NX_IOCTL_READ_PACKET 0x8000001Du     /* in/out: PacketHeader + data */
#define NX_IOCTL_READ_PACKET_EX 0x80000021u  /* 95 family, completion routine */
#define NX_IOCTL_CANCEL_READ 0x80000025u     /* in/out: first 57 bytes of a packet */
#define NX_IOCTL_PRIVATE_REQUEST 0x80000028u /* in/out: NdisRequestRecord */

/* NDIS request types. */
#define NX_REQUEST_QUERY_INFORMATION 0u
#define NX_REQUEST_SET_INFORMATION 1u
#define NX_REQUEST_QUERY_STATISTICS 2u

/* NDIS status values the library, its driver and callers look at. */
#define NX_STATUS_SUCCESS 0x00000000u
#define NX_STATUS_PENDING 0x00000103u
#define NX_STATUS_FAILURE 0xC0000001u
#define NX_STATUS_NOT_SUPPORTED 0xC00000BBu
#define NX_STATUS_ADAPTER_NOT_OPEN 0xC0010012u
#define NX_STATUS_INVALID_LENGTH 0xC0010014u
#define NX_STATUS_INVALID_DATA 0xC0010015u
#define NX_STATUS_INVALID_OID 0xC0010017u

/* OIDs spoken between the library and its driver (NX_IOCTL_PRIVATE_REQUEST). */
#define NX_OID_UNLOAD_STATE 0xF0020106u /* query, u32 */
#define NX_OID_LOOPBACK 0xF0020107u     /* set: u32 value, u32 n, n bytes */

/* Bits of the unload-state word. */
#define NX_UNLOAD_STILL_NEEDED 0x1u
#define NX_UNLOAD_REMOVE_ME 0x2u

#define NX_INLINE_DATA_SIZE 512u

/* Longest adapter name the library sends with select and open, in bytes
 * including its NUL; a longer name is refused before it reaches the driver. */
#define NX_MAX_ADAPTER_NAME 260u

/* The record passed as both input and output of NX_IOCTL_NDIS_REQUEST and
 * NX_IOCTL_PRIVATE_REQUEST: 556 bytes. */
typedef struct NdisRequestRecord {
    uint32_t status;       /* 0: NDIS status; preset to NX_STATUS_FAILURE by the library */
    uint8_t reserved[16];  /* 4: the driver's own */
    uint32_t requestType;  /* 20: NX_REQUEST_* */
    uint32_t oid;          /* 24 */
    uint32_t buffer;       /* 28: caller's information buffer (32-bit user address) */
    uint32_t bufferLength; /* 32: bytes */
    uint32_t bytesWritten; /* 36: written (query) or read (set), from the driver */
    uint32_t bytesNeeded;  /* 40: from the driver when the buffer is too short */
    uint8_t data[NX_INLINE_DATA_SIZE]; /* 44: query answers on the NT family */
} NdisRequestRecord;

NX_STATIC_ASSERT(sizeof(NdisRequestRecord) == 556, "request record size");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, status) == 0, "status");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, reserved) == 4, "reserved");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, requestType) == 20, "requestType");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, oid) == 24, "oid");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, buffer) == 28, "buffer");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, bufferLength) == 32, "bufferLength");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, bytesWritten) == 36, "bytesWritten");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, bytesNeeded) == 40, "bytesNeeded");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, data) == 44, "data");

/* Header in front of every packet buffer: 56 bytes, then dataLength bytes.
 * A read always transfers dataLength + 56 bytes. */
typedef struct PacketHeader {
    uint8_t driverUse1[20];     /* 0 */
    uint32_t completionRoutine; /* 20: 95-family read with completion only */
    uint32_t status;            /* 24: preset to NX_PACKET_PENDING by the library */
    uint32_t reserved1;         /* 28: preset to 0 */
    uint32_t reserved2;         /* 32: preset to 0 */
    uint8_t driverUse2[16];     /* 36 */
    uint32_t dataLength;        /* 52: capacity of the data area, bytes */
} PacketHeader;

NX_STATIC_ASSERT(sizeof(PacketHeader) == 56, "packet header size");
NX_STATIC_ASSERT(offsetof(PacketHeader, completionRoutine) == 20, "completionRoutine");
NX_STATIC_ASSERT(offsetof(PacketHeader, status) == 24, "status");
NX_STATIC_ASSERT(offsetof(PacketHeader, reserved1) == 28, "reserved1");
NX_STATIC_ASSERT(offsetof(PacketHeader, reserved2) == 32, "reserved2");
NX_STATIC_ASSERT(offsetof(PacketHeader, driverUse2) == 36, "driverUse2");
NX_STATIC_ASSERT(offsetof(PacketHeader, dataLength) == 52, "dataLength");

#define NX_PACKET_PENDING 259u
#define NX_CANCEL_READ_LENGTH 57u

/* Block sent with NX_OID_LOOPBACK: value, n, then n bytes. In NXPROTO a
 * nonzero value stops the packets a handle sends from being read back on
 * that same handle (other handles bound to the adapter still receive them);
 * zero restores it. The n bytes are not interpreted. */
typedef struct LoopbackControlHeader {
    uint32_t value;
    uint32_t length;
} LoopbackControlHeader;
NX_STATIC_ASSERT(sizeof(LoopbackControlHeader) == 8, "loopback header");
