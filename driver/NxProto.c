/* NXPROTO.SYS: stand-in for the library's protocol driver and the adapter
 * behind it. Each open file object is one adapter binding: select and open
 * name the adapter, requests are answered by the simulated adapter
 * (NxWorld.c, SimAdapter.c), and packets sent on a binding are looped back
 * to the reads of every binding (the world's adapter names all name the one
 * simulated adapter).
 *
 * One binary serves both names the library uses (NXPROTO, NXPROTO4): the
 * device and link names follow the service name the driver was started as. */
#include "driver/NxDriver.h"

#include "driver/NxCounters.h"
#include "sim/SimWorld.h"

#define NAME_CHARS 64

static WCHAR g_deviceName[NAME_CHARS + 16];
static WCHAR g_linkName[NAME_CHARS + 16];

/* Packet queues, pending reads and the list of bindings. */
static KSPIN_LOCK g_lock;
static LIST_ENTRY g_opens;

/* Bookkeeping for NX_IOCTL_SIM_COUNTERS. The IRP counts change outside the
 * lock; the others under it. */
static volatile LONG g_irpsDispatched;
static volatile LONG g_irpsCompleted;
static ULONG g_bindingsCreated;
static ULONG g_readsPending;
static ULONG g_packetsAllocated;
static volatile LONG g_packetsFreed;
#define NX_COUNT(counter) __atomic_add_fetch(&(counter), 1, __ATOMIC_SEQ_CST)

typedef struct NxOpen {
    LIST_ENTRY link; /* in g_opens */
    LIST_ENTRY packets;
    LIST_ENTRY pendingReads;
    ULONG packetCount;
    BOOLEAN selected;
    BOOLEAN opened;
    BOOLEAN counted; /* counted among the adapter's bindings (NxWorldBindingOpened) */
    uint32_t epoch;  /* the adapter's removal count when it was bound */
    SimHandleState handle;
    char adapterName[SIM_MAX_ADAPTER_NAME + 1];
} NxOpen;

typedef struct NxPacket {
    LIST_ENTRY link;
    ULONG length;
    UCHAR data[1];
} NxPacket;

/* Where a read delivers: kept in the IRP while it waits. */
#define READ_TARGET(irp) ((PUCHAR)(irp)->Tail.Overlay.DriverContext[0])
#define READ_CAPACITY(irp) ((ULONG)(ULONG_PTR)(irp)->Tail.Overlay.DriverContext[1])

/* Every IRP of the driver ends here. */
static void CompleteIrp(PIRP irp) {
    NX_COUNT(g_irpsCompleted);
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    CompleteIrp(irp);
    return status;
}

static NxOpen* OpenOf(PIO_STACK_LOCATION stack) {
    return stack->FileObject ? (NxOpen*)stack->FileObject->FsContext : NULL;
}

/* The output side of a control code: buffered codes share the system buffer;
 * the direct ones (low bits 1 or 2) bring an MDL. */
static PUCHAR OutputBuffer(PIRP irp, ULONG code) {
    if ((code & 3) == METHOD_BUFFERED)
        return (PUCHAR)irp->AssociatedIrp.SystemBuffer;
    if ((code & 3) == METHOD_NEITHER)
        return NULL;
    if (!irp->MdlAddress)
        return NULL;
    return (PUCHAR)MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
}

static BOOLEAN SameName(const char* a, const char* b) {
    return _stricmp(a, b) == 0;
}

/* ---- completing reads ---- */

/* Puts one packet into a read's buffer; a packet longer than the read's
 * capacity is cut, and the header's status says so. */
static void FillRead(PIRP irp, const UCHAR* data, ULONG length) {
    PUCHAR target = READ_TARGET(irp);
    ULONG capacity = READ_CAPACITY(irp);
    PacketHeader* header = (PacketHeader*)target;
    ULONG copied = length < capacity ? length : capacity;
    RtlCopyMemory(target + sizeof(PacketHeader), data, copied);
    header->status = copied == length ? NX_STATUS_SUCCESS : 0x80000005u; /* buffer overflow */
    irp->IoStatus.Status = STATUS_SUCCESS;
    irp->IoStatus.Information = sizeof(PacketHeader) + copied;
}

/* Takes the oldest pending read of `open` that is not being cancelled;
 * called with g_lock held. */
static PIRP TakePendingRead(NxOpen* open) {
    while (!IsListEmpty(&open->pendingReads)) {
        LIST_ENTRY* entry = RemoveHeadList(&open->pendingReads);
        PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        InitializeListHead(entry); /* the cancel routine may still unlink it */
        --g_readsPending;
        if (IoSetCancelRoutine(irp, NULL))
            return irp;
        /* Its cancel routine owns it now. */
    }
    return NULL;
}

static void NTAPI CancelRead(PDEVICE_OBJECT device, PIRP irp) {
    KIRQL irql;
    (void)device;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&g_lock, &irql);
    if (!IsListEmpty(&irp->Tail.Overlay.ListEntry)) { /* still queued, not taken */
        RemoveEntryList(&irp->Tail.Overlay.ListEntry);
        --g_readsPending;
    }
    InitializeListHead(&irp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&g_lock, irql);
    Complete(irp, STATUS_CANCELLED, 0);
}

/* Completes every pending read of `open` as cancelled. */
static ULONG CancelPendingReads(NxOpen* open) {
    LIST_ENTRY done;
    KIRQL irql;
    ULONG count = 0;
    InitializeListHead(&done);
    KeAcquireSpinLock(&g_lock, &irql);
    for (PIRP irp; (irp = TakePendingRead(open)) != NULL;)
        InsertTailList(&done, &irp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&g_lock, irql);
    while (!IsListEmpty(&done)) {
        LIST_ENTRY* entry = RemoveHeadList(&done);
        Complete(CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry), STATUS_CANCELLED, 0);
        ++count;
    }
    return count;
}

static void FreePackets(NxOpen* open) {
    while (!IsListEmpty(&open->packets)) {
        LIST_ENTRY* entry = RemoveHeadList(&open->packets);
        ExFreePoolWithTag(CONTAINING_RECORD(entry, NxPacket, link), NX_POOL_TAG);
        NX_COUNT(g_packetsFreed);
    }
    open->packetCount = 0;
}

/* ---- packets ---- */

/* Hands a sent packet to every bound handle (all the world's adapter names
 * are names of the one simulated adapter): straight into its oldest pending
 * read, or else into its queue (the oldest queued packet is dropped past
 * SIM_MAX_QUEUED_PACKETS). The sender itself is skipped while its loopback
 * is disabled. */
static NTSTATUS SendPacket(NxOpen* sender, const UCHAR* data, ULONG length) {
    LIST_ENTRY done;
    KIRQL irql;
    if (!sender->opened)
        return STATUS_INVALID_DEVICE_STATE;
    if (length == 0 || length > SIM_MAX_PACKET_DATA)
        return STATUS_INVALID_BUFFER_SIZE;
    if (!data)
        return STATUS_INVALID_PARAMETER;
    /* Bindings from before a removal neither send nor receive. */
    uint32_t epoch = sender->epoch;
    if (!NxWorldBindingAlive(epoch))
        return STATUS_DEVICE_REMOVED;
    InitializeListHead(&done);
    KeAcquireSpinLock(&g_lock, &irql);
    for (LIST_ENTRY* e = g_opens.Flink; e != &g_opens; e = e->Flink) {
        NxOpen* open = CONTAINING_RECORD(e, NxOpen, link);
        if (!open->opened || open->epoch != epoch)
            continue;
        if (open == sender && sender->handle.loopbackDisabled)
            continue;
        PIRP read = TakePendingRead(open);
        if (read) {
            FillRead(read, data, length);
            InsertTailList(&done, &read->Tail.Overlay.ListEntry);
            continue;
        }
        NxPacket* packet =
            ExAllocatePoolWithTag(NonPagedPool, FIELD_OFFSET(NxPacket, data) + length, NX_POOL_TAG);
        if (!packet)
            continue; /* lost, as on a congested link */
        ++g_packetsAllocated;
        packet->length = length;
        RtlCopyMemory(packet->data, data, length);
        InsertTailList(&open->packets, &packet->link);
        if (++open->packetCount > SIM_MAX_QUEUED_PACKETS) {
            LIST_ENTRY* oldest = RemoveHeadList(&open->packets);
            ExFreePoolWithTag(CONTAINING_RECORD(oldest, NxPacket, link), NX_POOL_TAG);
            NX_COUNT(g_packetsFreed);
            --open->packetCount;
        }
    }
    KeReleaseSpinLock(&g_lock, irql);
    while (!IsListEmpty(&done)) {
        LIST_ENTRY* entry = RemoveHeadList(&done);
        CompleteIrp(CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry));
    }
    return STATUS_SUCCESS;
}

/* Starts a read whose target and capacity are set in the IRP: completes it
 * with the oldest queued packet, or leaves it pending (cancellable) until
 * the next send. */
static NTSTATUS StartRead(NxOpen* open, PIRP irp) {
    KIRQL irql;
    KeAcquireSpinLock(&g_lock, &irql);
    if (!IsListEmpty(&open->packets)) {
        LIST_ENTRY* entry = RemoveHeadList(&open->packets);
        --open->packetCount;
        KeReleaseSpinLock(&g_lock, irql);
        NxPacket* packet = CONTAINING_RECORD(entry, NxPacket, link);
        FillRead(irp, packet->data, packet->length);
        ExFreePoolWithTag(packet, NX_POOL_TAG);
        NX_COUNT(g_packetsFreed);
        CompleteIrp(irp);
        return STATUS_SUCCESS;
    }
    IoSetCancelRoutine(irp, CancelRead);
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) {
        KeReleaseSpinLock(&g_lock, irql);
        return Complete(irp, STATUS_CANCELLED, 0);
    }
    IoMarkIrpPending(irp);
    InsertTailList(&open->pendingReads, &irp->Tail.Overlay.ListEntry);
    ++g_readsPending;
    KeReleaseSpinLock(&g_lock, irql);
    return STATUS_PENDING;
}

/* ---- control codes ---- */

/* Select and open take the adapter name (with or without its NUL). Select
 * records it when the world knows it (and the adapter is present); open
 * binds the recorded name and must repeat it. A binding's open counts it
 * among the adapter's bindings, which starts the adapter when it is the
 * only one (NxWorldBindingOpened); opening a live binding again changes
 * nothing. */
static NTSTATUS SelectOrOpen(NxOpen* open, PIRP irp, const char* input, ULONG length,
                             BOOLEAN bind) {
    char name[SIM_MAX_ADAPTER_NAME + 1];
    KIRQL irql;
    if (!input || length == 0)
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    ULONG n = 0;
    while (n < length && input[n])
        ++n;
    if (n == 0 || n > SIM_MAX_ADAPTER_NAME)
        return Complete(irp, STATUS_OBJECT_NAME_INVALID, 0);
    RtlCopyMemory(name, input, n);
    name[n] = '\0';
    if (bind && (!open->selected || !SameName(name, open->adapterName)))
        return Complete(irp, STATUS_INVALID_DEVICE_STATE, 0);
    if (!NxWorldHasAdapterName(name, n))
        return Complete(irp, STATUS_OBJECT_NAME_NOT_FOUND, 0);
    if (bind) {
        KeAcquireSpinLock(&g_lock, &irql);
        BOOLEAN counted = open->counted;
        uint32_t epoch = open->epoch;
        KeReleaseSpinLock(&g_lock, irql);
        if (counted && NxWorldBindingAlive(epoch))
            return Complete(irp, STATUS_SUCCESS, 0);
        if (!NxWorldBindingOpened(name, &epoch))
            return Complete(irp, STATUS_OBJECT_NAME_NOT_FOUND, 0);
        KeAcquireSpinLock(&g_lock, &irql);
        open->opened = TRUE;
        open->counted = TRUE;
        open->epoch = epoch;
        KeReleaseSpinLock(&g_lock, irql);
        return Complete(irp, STATUS_SUCCESS, 0);
    }
    KeAcquireSpinLock(&g_lock, &irql);
    if (!open->opened || SameName(name, open->adapterName)) {
        RtlCopyMemory(open->adapterName, name, n + 1);
        open->selected = TRUE;
    } else {
        KeReleaseSpinLock(&g_lock, irql);
        /* A bound handle stays with its adapter. */
        return Complete(irp, STATUS_INVALID_DEVICE_STATE, 0);
    }
    KeReleaseSpinLock(&g_lock, irql);
    return Complete(irp, STATUS_SUCCESS, 0);
}

/* NDIS and private requests: the request record both ways (556 bytes; 568
 * in the 64-bit build). The record's status carries the answer; the I/O
 * itself fails only for a malformed call. Set data is read from the caller
 * when the OID needs it. */
static NTSTATUS Request(NxOpen* open, PIRP irp, ULONG inLength, ULONG outLength,
                        BOOLEAN privateRequest) {
    NdisRequestRecord* record = (NdisRequestRecord*)irp->AssociatedIrp.SystemBuffer;
    KIRQL irql;
#if NX_ADDRESS_BITS == 64
    /* A 32-bit process's record: its buffer address and counts lie where
     * this build's do not. Only the status word is common; it says no. */
    if (record && inLength == NX_REQUEST_RECORD_SIZE_32 && outLength == NX_REQUEST_RECORD_SIZE_32) {
        record->status = NX_STATUS_NOT_SUPPORTED;
        return Complete(irp, STATUS_SUCCESS, NX_REQUEST_RECORD_SIZE_32);
    }
#endif
    if (!record || inLength < sizeof(NdisRequestRecord) || outLength < sizeof(NdisRequestRecord))
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    if (!privateRequest && !open->opened) {
        record->status = NX_STATUS_ADAPTER_NOT_OPEN;
        record->bytesWritten = 0;
        record->bytesNeeded = 0;
        return Complete(irp, STATUS_SUCCESS, sizeof *record);
    }
    UCHAR data[SIM_MAX_SET_DATA];
    SimSetData set = {NULL, 0};
    uint32_t wanted = SimSetDataWanted(record, privateRequest);
    if (wanted && NxReadRequestorMemory(irp, record->buffer, data, wanted)) {
        set.data = data;
        set.length = wanted;
    }
    SimHandleState handle;
    KeAcquireSpinLock(&g_lock, &irql);
    handle = open->handle;
    KeReleaseSpinLock(&g_lock, irql);
    NxWorldAnswer(record, privateRequest, &handle, &set, open->epoch);
    KeAcquireSpinLock(&g_lock, &irql);
    open->handle = handle;
    KeReleaseSpinLock(&g_lock, irql);
    return Complete(irp, STATUS_SUCCESS, sizeof *record);
}

/* Read through the control code: the packet header and data area come in,
 * the same buffer goes out with the oldest packet. */
static NTSTATUS ReadControl(NxOpen* open, PIRP irp, ULONG code, ULONG inLength, ULONG outLength) {
    const PacketHeader* in = (const PacketHeader*)irp->AssociatedIrp.SystemBuffer;
    PUCHAR out = OutputBuffer(irp, code);
    if (!open->opened)
        return Complete(irp, STATUS_INVALID_DEVICE_STATE, 0);
    if (!in || !out || inLength < sizeof(PacketHeader) || outLength < sizeof(PacketHeader))
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    if (!NxWorldBindingAlive(open->epoch))
        return Complete(irp, STATUS_DEVICE_REMOVED, 0);
    if (in->dataLength > outLength - sizeof(PacketHeader))
        return Complete(irp, STATUS_INVALID_BUFFER_SIZE, 0);
    ULONG capacity = in->dataLength;
    if (out != (PUCHAR)in)
        RtlCopyMemory(out, in, sizeof(PacketHeader));
    ((PacketHeader*)out)->status = NX_PACKET_PENDING;
    irp->Tail.Overlay.DriverContext[0] = out;
    irp->Tail.Overlay.DriverContext[1] = (PVOID)(ULONG_PTR)capacity;
    return StartRead(open, irp);
}

/* Cancel: completes every pending read of this handle as cancelled and
 * hands the 57 bytes back, with the count of reads cancelled in the
 * header's first reserved word. */
static NTSTATUS CancelControl(NxOpen* open, PIRP irp, ULONG code, ULONG inLength, ULONG outLength) {
    const UCHAR* in = (const UCHAR*)irp->AssociatedIrp.SystemBuffer;
    PUCHAR out = OutputBuffer(irp, code);
    if (!in || !out || inLength < NX_CANCEL_READ_LENGTH || outLength < NX_CANCEL_READ_LENGTH)
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    ULONG cancelled = CancelPendingReads(open);
    if (out != in)
        RtlCopyMemory(out, in, NX_CANCEL_READ_LENGTH);
    ((PacketHeader*)out)->reserved1 = cancelled;
    return Complete(irp, STATUS_SUCCESS, NX_CANCEL_READ_LENGTH);
}

/* The driver's own bookkeeping (driver/NxCounters.h), for leak tests. */
static NTSTATUS CountersControl(PIRP irp, ULONG outLength) {
    NxDriverCounters* out = (NxDriverCounters*)irp->AssociatedIrp.SystemBuffer;
    KIRQL irql;
    if (!out || outLength < sizeof *out)
        return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
    RtlZeroMemory(out, sizeof *out);
    KeAcquireSpinLock(&g_lock, &irql);
    for (LIST_ENTRY* e = g_opens.Flink; e != &g_opens; e = e->Flink) {
        ++out->bindingsOpen;
        out->packetsQueued += CONTAINING_RECORD(e, NxOpen, link)->packetCount;
    }
    out->bindingsCreated = g_bindingsCreated;
    out->readsPending = g_readsPending;
    out->packetsAllocated = g_packetsAllocated;
    KeReleaseSpinLock(&g_lock, irql);
    out->packetsFreed = (uint32_t)g_packetsFreed;
    out->irpsDispatched = (uint32_t)g_irpsDispatched;
    out->irpsOutstanding = (uint32_t)(g_irpsDispatched - g_irpsCompleted - 1);
    return Complete(irp, STATUS_SUCCESS, sizeof *out);
}

/* IRP_MJ_DEVICE_CONTROL: the library's control codes on one binding. Each
 * handler validates its lengths and state first and completes the IRP once
 * (or leaves a read pending). */
static NTSTATUS DeviceControl(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NxOpen* open = OpenOf(stack);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    const char* input = (const char*)irp->AssociatedIrp.SystemBuffer;
    (void)device;
    NX_COUNT(g_irpsDispatched);
    if (!open)
        return Complete(irp, STATUS_INVALID_DEVICE_STATE, 0);
    switch (code) {
    case NX_IOCTL_SIM_COUNTERS:
        return CountersControl(irp, outLength);
    case NX_IOCTL_SELECT_ADAPTER:
        return SelectOrOpen(open, irp, input, inLength, FALSE);
    case NX_IOCTL_OPEN_ADAPTER:
        return SelectOrOpen(open, irp, input, inLength, TRUE);
    case NX_IOCTL_NDIS_REQUEST:
        return Request(open, irp, inLength, outLength, FALSE);
    case NX_IOCTL_PRIVATE_REQUEST:
        return Request(open, irp, inLength, outLength, TRUE);
    case NX_IOCTL_SEND_PACKET:
        return Complete(irp, SendPacket(open, (const UCHAR*)input, inLength), 0);
    case NX_IOCTL_READ_PACKET:
        return ReadControl(open, irp, code, inLength, outLength);
    case NX_IOCTL_CANCEL_READ:
        return CancelControl(open, irp, code, inLength, outLength);
    default:
        /* The completion-routine codes belong to the 95-family driver. */
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

/* IRP_MJ_DEVICE_CONTROL. Afterwards the adapter's device interface follows
 * the presence the world had for the request (so a tool that changed it
 * makes the system announce the change with any request). */
static NTSTATUS NTAPI DispatchDeviceControl(PDEVICE_OBJECT device, PIRP irp) {
    NTSTATUS status = DeviceControl(device, irp);
    NxDeviceSync(NxWorldAdapterPresent());
    return status;
}

/* IRP_MJ_WRITE (WriteFileEx): the buffer is one packet to send. */
static NTSTATUS NTAPI DispatchWrite(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NxOpen* open = OpenOf(stack);
    (void)device;
    NX_COUNT(g_irpsDispatched);
    if (!open)
        return Complete(irp, STATUS_INVALID_DEVICE_STATE, 0);
    ULONG length = stack->Parameters.Write.Length;
    NTSTATUS status = SendPacket(open, (const UCHAR*)irp->AssociatedIrp.SystemBuffer, length);
    return Complete(irp, status, NT_SUCCESS(status) ? length : 0);
}

/* IRP_MJ_READ (ReadFileEx): the buffer is a packet header and data area of
 * the read's length; nothing comes in, so the capacity is that length less
 * the header. */
static NTSTATUS NTAPI DispatchRead(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NxOpen* open = OpenOf(stack);
    PUCHAR out = (PUCHAR)irp->AssociatedIrp.SystemBuffer;
    ULONG length = stack->Parameters.Read.Length;
    (void)device;
    NX_COUNT(g_irpsDispatched);
    if (!open || !open->opened)
        return Complete(irp, STATUS_INVALID_DEVICE_STATE, 0);
    if (!out || length < sizeof(PacketHeader))
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    if (!NxWorldBindingAlive(open->epoch))
        return Complete(irp, STATUS_DEVICE_REMOVED, 0);
    RtlZeroMemory(out, sizeof(PacketHeader));
    ((PacketHeader*)out)->dataLength = length - sizeof(PacketHeader);
    ((PacketHeader*)out)->status = NX_PACKET_PENDING;
    irp->Tail.Overlay.DriverContext[0] = out;
    irp->Tail.Overlay.DriverContext[1] = (PVOID)(ULONG_PTR)(length - sizeof(PacketHeader));
    return StartRead(open, irp);
}

/* IRP_MJ_CREATE: a new, unbound binding for the file object. */
static NTSTATUS NTAPI DispatchCreate(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    KIRQL irql;
    (void)device;
    NX_COUNT(g_irpsDispatched);
    if (!stack->FileObject)
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    NxOpen* open = ExAllocatePoolWithTag(NonPagedPool, sizeof *open, NX_POOL_TAG);
    if (!open)
        return Complete(irp, STATUS_INSUFFICIENT_RESOURCES, 0);
    RtlZeroMemory(open, sizeof *open);
    InitializeListHead(&open->packets);
    InitializeListHead(&open->pendingReads);
    KeAcquireSpinLock(&g_lock, &irql);
    InsertTailList(&g_opens, &open->link);
    ++g_bindingsCreated;
    KeReleaseSpinLock(&g_lock, irql);
    stack->FileObject->FsContext = open;
    return Complete(irp, STATUS_SUCCESS, 0);
}

/* IRP_MJ_CLEANUP: the last handle is going; its waiting reads end. */
static NTSTATUS NTAPI DispatchCleanup(PDEVICE_OBJECT device, PIRP irp) {
    NxOpen* open = OpenOf(IoGetCurrentIrpStackLocation(irp));
    (void)device;
    NX_COUNT(g_irpsDispatched);
    if (open)
        CancelPendingReads(open);
    return Complete(irp, STATUS_SUCCESS, 0);
}

/* IRP_MJ_CLOSE: the binding goes, with its queue (and any read still
 * waiting, should cleanup not have come). */
static NTSTATUS NTAPI DispatchClose(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NxOpen* open = OpenOf(stack);
    KIRQL irql;
    (void)device;
    NX_COUNT(g_irpsDispatched);
    if (open) {
        CancelPendingReads(open);
        KeAcquireSpinLock(&g_lock, &irql);
        RemoveEntryList(&open->link);
        FreePackets(open);
        KeReleaseSpinLock(&g_lock, irql);
        if (open->counted)
            NxWorldBindingClosed(open->epoch);
        stack->FileObject->FsContext = NULL;
        ExFreePoolWithTag(open, NX_POOL_TAG);
    }
    return Complete(irp, STATUS_SUCCESS, 0);
}

static void NTAPI DriverUnload(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, g_linkName);
    IoDeleteSymbolicLink(&link);
    NxDeviceStop();
    if (driver->DeviceObject)
        IoDeleteDevice(driver->DeviceObject);
    NxWorldStop();
}

/* "<prefix><last component of the service key>", e.g. \Device\NXPROTO4. */
static void MakeName(WCHAR* out, const WCHAR* prefix, PCUNICODE_STRING registryPath) {
    USHORT chars = registryPath ? registryPath->Length / sizeof(WCHAR) : 0;
    USHORT start = chars;
    while (start > 0 && registryPath->Buffer[start - 1] != L'\\')
        --start;
    ULONG n = 0;
    while (prefix[n]) {
        out[n] = prefix[n];
        ++n;
    }
    ULONG base = n;
    for (USHORT i = start; i < chars && n - base < NAME_CHARS; ++i)
        out[n++] = registryPath->Buffer[i];
    if (n == base) { /* no service name: the library's usual one */
        static const WCHAR fallback[] = L"NXPROTO";
        for (ULONG i = 0; fallback[i]; ++i)
            out[n++] = fallback[i];
    }
    out[n] = 0;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    UNICODE_STRING name, link;
    PDEVICE_OBJECT device = NULL;
    NTSTATUS status;

    MakeName(g_deviceName, L"\\Device\\", registryPath);
    MakeName(g_linkName, L"\\DosDevices\\", registryPath);
    KeInitializeSpinLock(&g_lock);
    InitializeListHead(&g_opens);
    status = NxWorldStart();
    if (!NT_SUCCESS(status))
        return status;
    RtlInitUnicodeString(&name, g_deviceName);
    RtlInitUnicodeString(&link, g_linkName);
    status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_NETWORK, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        NxWorldStop();
        return status;
    }
    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        NxWorldStop();
        return status;
    }
    device->Flags |= DO_BUFFERED_IO;
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCleanup;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchClose;
    driver->MajorFunction[IRP_MJ_READ] = DispatchRead;
    driver->MajorFunction[IRP_MJ_WRITE] = DispatchWrite;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchDeviceControl;
    driver->MajorFunction[IRP_MJ_PNP] = NxDispatchPnp;
    driver->DriverUnload = DriverUnload;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    NxDeviceStart(device);
    NxDeviceSync(NxWorldAdapterPresent());
    return STATUS_SUCCESS;
}
