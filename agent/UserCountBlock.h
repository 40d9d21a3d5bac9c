/* The block shared by every process that has NXLIB32 loaded: a named,
 * page-file-backed mapping of 8 bytes. */
#pragma once

#include "NdisProtocol.h"

#define NX_USER_COUNT_MAPPING "NXLIB32Mapper"

typedef struct UserCountBlock {
    int32_t users;        /* 0: processes with the library loaded; interlocked only */
    uint8_t removeDriver; /* 4: nonzero: remove the protocol driver at the last unload */
    uint8_t zero[3];      /* 5 */
} UserCountBlock;

NX_STATIC_ASSERT(sizeof(UserCountBlock) == 8, "user count block size");
NX_STATIC_ASSERT(offsetof(UserCountBlock, users) == 0, "users");
NX_STATIC_ASSERT(offsetof(UserCountBlock, removeDriver) == 4, "removeDriver");
NX_STATIC_ASSERT(offsetof(UserCountBlock, zero) == 5, "zero");
