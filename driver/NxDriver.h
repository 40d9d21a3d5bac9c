/* Internal interface between the parts of NXPROTO.SYS. */
#pragma once

#include <ntddk.h>

#include "driver/SimAdapter.h"

#define NX_POOL_TAG 0x5078584Eu /* "NXxP" in pool dumps */

/* World and adapter state (NxWorld.c). */
NTSTATUS NxWorldStart(void);
void NxWorldStop(void);

/* True when `name` is one of the world's adapter names. */
BOOLEAN NxWorldHasAdapterName(const char* name, size_t length);

/* Answers one request record in place, under the world lock, after taking
 * up a changed world. `privateRequest`: NX_IOCTL_PRIVATE_REQUEST. */
void NxWorldAnswer(NdisRequestRecord* record, BOOLEAN privateRequest, SimHandleState* handle,
                   const SimSetData* setData);

/* Reads `length` bytes at a user address of the process that sent `irp`;
 * FALSE when that cannot be done (NxUserMemory.c). */
BOOLEAN NxReadRequestorMemory(PIRP irp, uint32_t address, void* out, uint32_t length);
