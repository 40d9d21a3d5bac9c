/* Binary contract between NXLIB32 and its protocol driver NXPROTO: I/O control
 * codes, the NDIS request record, the packet header and the OIDs private to
 * the library and its driver. Shared by the library (C++), the stand-in
 * driver (C) and the tests; no <windows.h>, so it compiles in all of them.
 *
 * All records are little-endian. Address fields hold a user-mode address that
 * only the caller's process can dereference. They are as wide as a pointer:
 * 32 bits in the 32-bit build, whose layout is the one the platform's driver
 * binds, and 64 bits in the 64-bit test build, where an address above 4 GB
 * must travel whole (a naturally aligned field, so that record is larger). */
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

/* A user-mode address as the records carry it. */
#if UINTPTR_MAX > 0xFFFFFFFFu
#define NX_ADDRESS_BITS 64
typedef uint64_t NxUserAddress;
#else
#define NX_ADDRESS_BITS 32
typedef uint32_t NxUserAddress;
#endif
NX_STATIC_ASSERT(sizeof(NxUserAddress) == sizeof(void*), "an address travels whole");

static inline NxUserAddress NxAddressOf(const void* p) {
    return (NxUserAddress)(uintptr_t)p;
}
static inline void* NxAddressPointer(NxUserAddress address) {
    return (void*)(uintptr_t)address;
}

/* Size of the 32-bit request record. A 64-bit driver that receives a record
 * of this size is called by a 32-bit process, whose addresses it would
 * misread: it refuses the request (NX_STATUS_NOT_SUPPORTED). */
#define NX_REQUEST_RECORD_SIZE_32 556u

/* Longest adapter name the library sends with select and open, in bytes
 * including its NUL; a longer name is refused before it reaches the driver. */
#define NX_MAX_ADAPTER_NAME 260u

/* The record passed as both input and output of NX_IOCTL_NDIS_REQUEST and
 * NX_IOCTL_PRIVATE_REQUEST: 556 bytes (568 in the 64-bit build). Offsets are
 * the 32-bit build's, then the 64-bit build's where they differ. */
typedef struct NdisRequestRecord {
    uint32_t status;      /* 0: NDIS status; preset to NX_STATUS_FAILURE by the library */
    uint8_t reserved[16]; /* 4: the driver's own */
    uint32_t requestType; /* 20: NX_REQUEST_* */
    uint32_t oid;         /* 24 */
#if NX_ADDRESS_BITS == 64
    uint32_t alignment; /* 28: puts the address on its 8-byte boundary */
#endif
    NxUserAddress buffer;              /* 28 | 32: caller's information buffer */
    uint32_t bufferLength;             /* 32 | 40: bytes */
    uint32_t bytesWritten;             /* 36 | 44: written (query) or read (set), from the driver */
    uint32_t bytesNeeded;              /* 40 | 48: from the driver when the buffer is too short */
    uint8_t data[NX_INLINE_DATA_SIZE]; /* 44 | 52: query answers on the NT family */
} NdisRequestRecord;

NX_STATIC_ASSERT(offsetof(NdisRequestRecord, status) == 0, "status");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, reserved) == 4, "reserved");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, requestType) == 20, "requestType");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, oid) == 24, "oid");
#if NX_ADDRESS_BITS == 64
NX_STATIC_ASSERT(sizeof(NdisRequestRecord) == 568, "request record size");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, buffer) == 32, "buffer");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, bufferLength) == 40, "bufferLength");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, bytesWritten) == 44, "bytesWritten");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, bytesNeeded) == 48, "bytesNeeded");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, data) == 52, "data");
#else
NX_STATIC_ASSERT(sizeof(NdisRequestRecord) == NX_REQUEST_RECORD_SIZE_32, "request record size");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, buffer) == 28, "buffer");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, bufferLength) == 32, "bufferLength");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, bytesWritten) == 36, "bytesWritten");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, bytesNeeded) == 40, "bytesNeeded");
NX_STATIC_ASSERT(offsetof(NdisRequestRecord, data) == 44, "data");
#endif

/* Header in front of every packet buffer: 56 bytes (64 in the 64-bit
 * build), then dataLength bytes. A read always transfers dataLength plus the
 * header. Offsets: the 32-bit build's, then the 64-bit build's. */
typedef struct PacketHeader {
    uint8_t driverUse1[20]; /* 0 */
#if NX_ADDRESS_BITS == 64
    uint32_t alignment; /* 20: puts the address on its 8-byte boundary */
#endif
    NxUserAddress completionRoutine; /* 20 | 24: 95-family read with completion only */
    uint32_t status;                 /* 24 | 32: preset to NX_PACKET_PENDING by the library */
    uint32_t reserved1;              /* 28 | 36: preset to 0 */
    uint32_t reserved2;              /* 32 | 40: preset to 0 */
    uint8_t driverUse2[16];          /* 36 | 44 */
    uint32_t dataLength;             /* 52 | 60: capacity of the data area, bytes */
} PacketHeader;

#if NX_ADDRESS_BITS == 64
NX_STATIC_ASSERT(sizeof(PacketHeader) == 64, "packet header size");
NX_STATIC_ASSERT(offsetof(PacketHeader, completionRoutine) == 24, "completionRoutine");
NX_STATIC_ASSERT(offsetof(PacketHeader, status) == 32, "status");
NX_STATIC_ASSERT(offsetof(PacketHeader, reserved1) == 36, "reserved1");
NX_STATIC_ASSERT(offsetof(PacketHeader, reserved2) == 40, "reserved2");
NX_STATIC_ASSERT(offsetof(PacketHeader, driverUse2) == 44, "driverUse2");
NX_STATIC_ASSERT(offsetof(PacketHeader, dataLength) == 60, "dataLength");
#else
NX_STATIC_ASSERT(sizeof(PacketHeader) == 56, "packet header size");
NX_STATIC_ASSERT(offsetof(PacketHeader, completionRoutine) == 20, "completionRoutine");
NX_STATIC_ASSERT(offsetof(PacketHeader, status) == 24, "status");
NX_STATIC_ASSERT(offsetof(PacketHeader, reserved1) == 28, "reserved1");
NX_STATIC_ASSERT(offsetof(PacketHeader, reserved2) == 32, "reserved2");
NX_STATIC_ASSERT(offsetof(PacketHeader, driverUse2) == 36, "driverUse2");
NX_STATIC_ASSERT(offsetof(PacketHeader, dataLength) == 52, "dataLength");
#endif

#define NX_PACKET_PENDING 259u
/* The cancel exchange: the packet header and one byte. */
#define NX_CANCEL_READ_LENGTH ((uint32_t)sizeof(PacketHeader) + 1u)
#if NX_ADDRESS_BITS == 32
NX_STATIC_ASSERT(NX_CANCEL_READ_LENGTH == 57, "cancel exchange");
#endif

/* Block sent with NX_OID_LOOPBACK: value, n, then n bytes. In NXPROTO a
 * nonzero value stops the packets a handle sends from being read back on
 * that same handle (other handles bound to the adapter still receive them);
 * zero restores it. The n bytes are not interpreted. */
typedef struct LoopbackControlHeader {
    uint32_t value;
    uint32_t length;
} LoopbackControlHeader;
NX_STATIC_ASSERT(sizeof(LoopbackControlHeader) == 8, "loopback header");
