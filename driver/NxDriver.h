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

/* A binding of adapter `name` opens: counted, and when no other is open the
 * adapter starts (reads its driver parameters). FALSE when the adapter is
 * absent or the name unknown; else *epoch is the removal count the binding
 * lives in (see NxWorldBindingAlive). */
BOOLEAN NxWorldBindingOpened(const char* name, uint32_t* epoch);
void NxWorldBindingClosed(uint32_t epoch);

/* TRUE while a binding opened in `epoch` still reaches the adapter: it is
 * present and has not been removed since. */
BOOLEAN NxWorldBindingAlive(uint32_t epoch);

/* Answers one request record in place, under the world lock, after taking
 * up a changed world. `privateRequest`: NX_IOCTL_PRIVATE_REQUEST. Adapter
 * requests on a binding that is no longer alive answer
 * NX_SIM_STATUS_ADAPTER_REMOVED. */
void NxWorldAnswer(NdisRequestRecord* record, BOOLEAN privateRequest, SimHandleState* handle,
                   const SimSetData* setData, uint32_t epoch);

/* TRUE while the world has the adapter installed and present. */
BOOLEAN NxWorldAdapterPresent(void);

/* The adapter as a plug and play device (NxDevice.c): identity queries, and
 * its NDIS LAN device interface following the adapter's presence. */
void NxDeviceStart(PDEVICE_OBJECT device);
void NxDeviceSync(BOOLEAN present);
void NxDeviceStop(void);
NTSTATUS NTAPI NxDispatchPnp(PDEVICE_OBJECT device, PIRP irp);

/* Reads `length` bytes at a user address of the process that sent `irp`;
 * FALSE when that cannot be done (NxUserMemory.c). */
BOOLEAN NxReadRequestorMemory(PIRP irp, NxUserAddress address, void* out, uint32_t length);
