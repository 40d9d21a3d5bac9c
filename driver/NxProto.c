/* NXPROTO.SYS: stand-in for the library's protocol driver and the adapter
 * behind it. */
#include <ntddk.h>

static const WCHAR kDeviceName[] = L"\\Device\\NXPROTO";
static const WCHAR kLinkName[] = L"\\DosDevices\\NXPROTO";

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI DispatchCreateClose(PDEVICE_OBJECT device, PIRP irp) {
    (void)device;
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI DispatchDeviceControl(PDEVICE_OBJECT device, PIRP irp) {
    (void)device;
    return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
}

static void NTAPI DriverUnload(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, kLinkName);
    IoDeleteSymbolicLink(&link);
    if (driver->DeviceObject)
        IoDeleteDevice(driver->DeviceObject);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    UNICODE_STRING name, link;
    PDEVICE_OBJECT device = NULL;
    NTSTATUS status;
    (void)registryPath;

    RtlInitUnicodeString(&name, kDeviceName);
    RtlInitUnicodeString(&link, kLinkName);
    status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_NETWORK, 0, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    device->Flags |= DO_BUFFERED_IO;
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchDeviceControl;
    driver->DriverUnload = DriverUnload;
    return STATUS_SUCCESS;
}
