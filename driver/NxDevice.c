/* The simulated adapter as a device the system knows: the stand-in's device
 * object answers the plug and play identity queries with the adapter's PCI
 * identifiers (the device node the simulated installation writes), and
 * registers the adapter's NDIS LAN device interface. The interface is
 * enabled while the adapter is present and disabled while it is out, so
 * the system announces its arrival and removal (WM_DEVICECHANGE with a
 * device-interface record) to windows registered for that class. */
#include "driver/NxDriver.h"

#include "sim/SimWorld.h"

/* GUID_NDIS_LAN_CLASS */
static const GUID kNdisLanClass = {
    0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};

typedef struct NxDeviceState {
    KEVENT lock; /* a synchronisation event: the interface calls want PASSIVE_LEVEL */
    PDEVICE_OBJECT device;
    UNICODE_STRING link; /* from IoRegisterDeviceInterface; Buffer NULL before */
    BOOLEAN registered;
    BOOLEAN enabled;
    BOOLEAN wanted; /* the presence last acted on: a failure is not retried until it changes */
} NxDeviceState;

static NxDeviceState g_device;

/* A copy in paged pool, as the identity queries hand back (the caller frees
 * it), ended by two NULs so that it also serves as a one-entry multi-string. */
static PWCHAR PoolText(const WCHAR* text) {
    SIZE_T n = 0;
    while (text[n])
        ++n;
    SIZE_T bytes = (n + 2) * sizeof(WCHAR);
    PWCHAR copy = (PWCHAR)ExAllocatePoolWithTag(PagedPool, bytes, NX_POOL_TAG);
    if (!copy)
        return NULL;
    RtlZeroMemory(copy, bytes);
    RtlCopyMemory(copy, text, n * sizeof(WCHAR));
    return copy;
}

NTSTATUS NTAPI NxDispatchPnp(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status = irp->IoStatus.Status;
    ULONG_PTR information = irp->IoStatus.Information;
    (void)device;
    if (stack->MinorFunction == IRP_MN_QUERY_ID) {
        const WCHAR* text = NULL;
        switch (stack->Parameters.QueryId.IdType) {
        case BusQueryDeviceID:
        case BusQueryHardwareIDs:
            text = NX_SIM_DEVICE_ID_W;
            break;
        case BusQueryInstanceID:
            text = NX_SIM_DEVICE_INSTANCE_W;
            break;
        default:
            break;
        }
        if (text) {
            PWCHAR answer = PoolText(text);
            status = answer ? STATUS_SUCCESS : STATUS_INSUFFICIENT_RESOURCES;
            information = (ULONG_PTR)answer;
        }
    }
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

void NxDeviceStart(PDEVICE_OBJECT device) {
    RtlZeroMemory(&g_device, sizeof g_device);
    KeInitializeEvent(&g_device.lock, SynchronizationEvent, TRUE);
    g_device.device = device;
}

/* Enables or disables the adapter's interface to match `present`. Enabling
 * registers it first every time: registering is idempotent and makes the
 * system's records of it again should they have been removed meanwhile (a
 * reinstall of the simulated adapter removes them). */
void NxDeviceSync(BOOLEAN present) {
    if (!g_device.device)
        return;
    /* Most calls change nothing: look without the lock first. */
    if (present == g_device.wanted)
        return;
    KeWaitForSingleObject(&g_device.lock, Executive, KernelMode, FALSE, NULL);
    if (present != g_device.wanted) {
        g_device.wanted = present;
        if (present) {
            if (g_device.registered)
                RtlFreeUnicodeString(&g_device.link);
            g_device.registered = NT_SUCCESS(
                IoRegisterDeviceInterface(g_device.device, &kNdisLanClass, NULL, &g_device.link));
        }
        if (g_device.registered && present != g_device.enabled &&
            NT_SUCCESS(IoSetDeviceInterfaceState(&g_device.link, present)))
            g_device.enabled = present;
    }
    KeSetEvent(&g_device.lock, IO_NO_INCREMENT, FALSE);
}

void NxDeviceStop(void) {
    if (!g_device.device)
        return;
    NxDeviceSync(FALSE);
    if (g_device.enabled) /* the system's records were gone; try once more */
        IoSetDeviceInterfaceState(&g_device.link, FALSE);
    if (g_device.registered)
        RtlFreeUnicodeString(&g_device.link);
    g_device.registered = FALSE;
    g_device.device = NULL;
}
