/* The device-change records the system hands a window with WM_DEVICECHANGE
 * (lParam), as far as the adapter's arrival and removal need them: the
 * common header, the device-interface record (Windows 2000/XP) and the
 * device-node record (Windows 95/98/Me). i686 layouts, little-endian. */
#pragma once

#include <stddef.h>
#include <stdint.h>

/* Event codes (wParam). */
#define WD_DBT_DEVICEARRIVAL 0x8000u
#define WD_DBT_DEVICEREMOVECOMPLETE 0x8004u

/* Record types (header.deviceType). */
#define WD_DBT_DEVTYP_DEVNODE 1u
#define WD_DBT_DEVTYP_DEVICEINTERFACE 5u

/* DEV_BROADCAST_HDR */
typedef struct DeviceBroadcastHeader {
    uint32_t size;       /* 0: bytes of the whole record */
    uint32_t deviceType; /* 4 */
    uint32_t reserved;   /* 8 */
} DeviceBroadcastHeader;

/* DEV_BROADCAST_DEVICEINTERFACE_A: the interface name runs from offset 28 to
 * the record's end, NUL-terminated. The registration filter is this record
 * with an empty name: 32 bytes. */
typedef struct DeviceBroadcastInterface {
    DeviceBroadcastHeader header; /* 0 */
    uint8_t classGuid[16];        /* 12: GUID in memory order */
    char name[4];                 /* 28: first bytes of the name */
} DeviceBroadcastInterface;

/* DEV_BROADCAST_DEVNODE */
typedef struct DeviceBroadcastDevnode {
    DeviceBroadcastHeader header; /* 0 */
    uint32_t devnode;             /* 12: Configuration Manager device node */
} DeviceBroadcastDevnode;

static_assert(sizeof(DeviceBroadcastHeader) == 12, "header size");
static_assert(offsetof(DeviceBroadcastHeader, deviceType) == 4, "deviceType");
static_assert(sizeof(DeviceBroadcastInterface) == 32, "interface record size");
static_assert(offsetof(DeviceBroadcastInterface, classGuid) == 12, "classGuid");
static_assert(offsetof(DeviceBroadcastInterface, name) == 28, "name");
static_assert(sizeof(DeviceBroadcastDevnode) == 16, "devnode record size");
static_assert(offsetof(DeviceBroadcastDevnode, devnode) == 12, "devnode");

/* GUID_NDIS_LAN_CLASS {AD498944-762F-11D0-8DCB-00C04FC3358C} in memory order. */
static const uint8_t kNdisLanClassGuid[16] = {0x44, 0x89, 0x49, 0xAD, 0x2F, 0x76, 0xD0, 0x11,
                                              0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C};
