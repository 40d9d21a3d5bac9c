/* Reading a set request's data from the caller's process.
 *
 * Why this file exists: set requests carry their data only by a pointer into
 * the caller's address space. A real kernel driver reads it directly while it
 * runs in the caller's context. This stand-in runs inside winedevice.exe, a
 * separate user-mode process, where that pointer means nothing, and Wine's
 * ntoskrnl offers no working way across (MmCopyVirtualMemory is not
 * implemented, NtReadVirtualMemory is not exported, and importing ntdll.dll
 * directly stops the driver from loading). ntdll.dll is loaded in
 * winedevice.exe all the same, so the stand-in finds it through the process
 * environment block's loader list, resolves NtReadVirtualMemory from its
 * export table and reads the caller's memory through a handle from
 * ZwOpenProcess on the requestor's process id. This only makes sense under Wine; when anything
 * along the way is missing the read simply fails and callers fall back. */
#include "driver/NxDriver.h"

#include <ntimage.h>

/* Declared in ntifs.h, which does not mix with ntddk.h. (Wine 8 has
 * IoGetRequestorProcess, but IoGetRequestorProcessId is only a stub there.) */
NTKERNELAPI PEPROCESS NTAPI IoGetRequestorProcess(PIRP irp);

#ifndef PROCESS_VM_READ
#define PROCESS_VM_READ 0x0010
#endif

typedef NTSTATUS(NTAPI* ReadVirtualMemoryFn)(HANDLE process, PVOID address, PVOID buffer,
                                             SIZE_T size, SIZE_T* done);

/* Layouts of the loader structures walked below, per architecture. */
#ifdef _WIN64
#define PEB_LDR_OFFSET 0x18
#define LDR_LOAD_ORDER_LIST_OFFSET 0x10
#define ENTRY_DLL_BASE_OFFSET 0x30
#define ENTRY_BASE_NAME_OFFSET 0x58
#else
#define PEB_LDR_OFFSET 0x0C
#define LDR_LOAD_ORDER_LIST_OFFSET 0x0C
#define ENTRY_DLL_BASE_OFFSET 0x18
#define ENTRY_BASE_NAME_OFFSET 0x2C
#endif
#define MAX_MODULES 512

static ReadVirtualMemoryFn g_read;
static BOOLEAN g_resolved;

static BOOLEAN SameNameIgnoringCase(const UNICODE_STRING* name, const WCHAR* wanted) {
    USHORT chars = name->Length / sizeof(WCHAR);
    USHORT i = 0;
    for (; i < chars && wanted[i]; ++i) {
        WCHAR a = name->Buffer[i], b = wanted[i];
        if (a >= L'A' && a <= L'Z')
            a = (WCHAR)(a - L'A' + L'a');
        if (a != b)
            return FALSE;
    }
    return i == chars && wanted[i] == 0;
}

static PUCHAR FindNtdll(void) {
    PUCHAR peb;
    /* The process environment block in user mode: gs:[0x60] on x64,
     * fs:[0x30] on i686. */
#ifdef _WIN64
    __asm__ volatile("movq %%gs:0x60, %0" : "=r"(peb));
#else
    __asm__ volatile("movl %%fs:0x30, %0" : "=r"(peb));
#endif
    if (!peb)
        return NULL;
    PUCHAR ldr = *(PUCHAR*)(peb + PEB_LDR_OFFSET);
    if (!ldr)
        return NULL;
    LIST_ENTRY* head = (LIST_ENTRY*)(ldr + LDR_LOAD_ORDER_LIST_OFFSET);
    LIST_ENTRY* entry = head->Flink;
    for (int n = 0; entry && entry != head && n < MAX_MODULES; ++n, entry = entry->Flink) {
        PUCHAR module = (PUCHAR)entry;
        const UNICODE_STRING* name = (const UNICODE_STRING*)(module + ENTRY_BASE_NAME_OFFSET);
        if (name->Buffer && SameNameIgnoringCase(name, L"ntdll.dll"))
            return *(PUCHAR*)(module + ENTRY_DLL_BASE_OFFSET);
    }
    return NULL;
}

static PVOID FindExport(PUCHAR base, const char* wanted) {
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return NULL;
    /* ntdll.dll has the driver's own bitness. */
    const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_EXPORT)
        return NULL;
    const IMAGE_DATA_DIRECTORY* dir =
        &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (!dir->VirtualAddress)
        return NULL;
    const IMAGE_EXPORT_DIRECTORY* exports =
        (const IMAGE_EXPORT_DIRECTORY*)(base + dir->VirtualAddress);
    const ULONG* names = (const ULONG*)(base + exports->AddressOfNames);
    const USHORT* ordinals = (const USHORT*)(base + exports->AddressOfNameOrdinals);
    const ULONG* functions = (const ULONG*)(base + exports->AddressOfFunctions);
    for (ULONG i = 0; i < exports->NumberOfNames; ++i) {
        if (strcmp((const char*)(base + names[i]), wanted) != 0)
            continue;
        if (ordinals[i] >= exports->NumberOfFunctions)
            return NULL;
        ULONG rva = functions[ordinals[i]];
        /* An address inside the export directory is a forwarder, not code. */
        if (rva >= dir->VirtualAddress && rva < dir->VirtualAddress + dir->Size)
            return NULL;
        return base + rva;
    }
    return NULL;
}

static ReadVirtualMemoryFn Resolve(void) {
    if (!g_resolved) {
        PUCHAR ntdll = FindNtdll();
        g_read = ntdll ? (ReadVirtualMemoryFn)FindExport(ntdll, "NtReadVirtualMemory") : NULL;
        g_resolved = TRUE;
    }
    return g_read;
}

BOOLEAN NxReadRequestorMemory(PIRP irp, NxUserAddress address, void* out, uint32_t length) {
    if (address == 0 || length == 0 || length > SIM_MAX_SET_DATA)
        return FALSE;
    ReadVirtualMemoryFn read = Resolve();
    if (!read)
        return FALSE;
    CLIENT_ID client;
    OBJECT_ATTRIBUTES attributes;
    HANDLE process;
    PEPROCESS requestor = IoGetRequestorProcess(irp);
    if (!requestor)
        return FALSE;
    client.UniqueProcess = PsGetProcessId(requestor);
    client.UniqueThread = NULL;
    InitializeObjectAttributes(&attributes, NULL, OBJ_KERNEL_HANDLE, NULL, NULL);
    if (!NT_SUCCESS(ZwOpenProcess(&process, PROCESS_VM_READ, &attributes, &client)))
        return FALSE;
    SIZE_T done = 0;
    NTSTATUS status = read(process, NxAddressPointer(address), out, length, &done);
    ZwClose(process);
    return NT_SUCCESS(status) && done == length;
}
