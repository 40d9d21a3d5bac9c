#include "tests/app/ProcessResources.h"

#include <windows.h>

#include <psapi.h>
#include <stdio.h>

namespace {

typedef BOOL(WINAPI* HandleCountProc)(HANDLE, PDWORD);
typedef DWORD(WINAPI* GuiResourcesProc)(HANDLE, DWORD);
typedef BOOL(WINAPI* MemoryInfoProc)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);

// Looked up once, so that loading psapi.dll is not part of what is measured.
struct Counters {
    Counters() {
        HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
        handleCount = reinterpret_cast<HandleCountProc>(
            reinterpret_cast<void*>(::GetProcAddress(kernel, "GetProcessHandleCount")));
        guiResources = reinterpret_cast<GuiResourcesProc>(reinterpret_cast<void*>(
            ::GetProcAddress(::LoadLibraryA("user32.dll"), "GetGuiResources")));
        HMODULE psapi = ::LoadLibraryA("psapi.dll");
        memoryInfo = psapi ? reinterpret_cast<MemoryInfoProc>(reinterpret_cast<void*>(
                                 ::GetProcAddress(psapi, "GetProcessMemoryInfo")))
                           : nullptr;
        onWine = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    }
    HandleCountProc handleCount;
    GuiResourcesProc guiResources;
    MemoryInfoProc memoryInfo;
    bool onWine;
};

const Counters& System() {
    static Counters counters;
    return counters;
}

// Kernel handles are multiples of 4; a valid one has handle information.
int64_t ProbeHandles() {
    int64_t n = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++n;
    }
    return n;
}

ResourceFigure Handles() {
    ResourceFigure f;
    DWORD count = 0;
    // Wine has the entry point and answers 0.
    if (System().handleCount && System().handleCount(::GetCurrentProcess(), &count) && count) {
        f.value = count;
        f.source = "GetProcessHandleCount";
    } else {
        f.value = ProbeHandles();
        f.source = "handles probed";
    }
    return f;
}

// Wine (7 and later) keeps its GDI handle table where Windows keeps its
// own, behind the process environment block's GdiSharedHandleTable (offset
// 0x94 of the 32-bit block, 0xF8 of the 64-bit one): 65,536 entries of 24
// bytes, the type byte at offset 14 non-zero while the entry is in use.
#ifdef _WIN64
const size_t kGdiSharedHandleTable = 0xF8;
#else
const size_t kGdiSharedHandleTable = 0x94;
#endif
struct WineGdiEntry {
    uint8_t object[8];
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint8_t user[8];
};
static_assert(sizeof(WineGdiEntry) == 24, "Wine's GDI handle entry");

// ProcessBasicInformation: exit status, then the block's address.
const uint8_t* ProcessEnvironmentBlock() {
    typedef LONG(WINAPI * QueryProc)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryProc>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    ULONG_PTR basic[6] = {};
    if (!query || query(::GetCurrentProcess(), 0, basic, sizeof basic, nullptr) != 0)
        return nullptr;
    return reinterpret_cast<const uint8_t*>(basic[1]);
}

int64_t CountWineGdiTable() {
    const uint8_t* peb = ProcessEnvironmentBlock();
    if (!peb)
        return -1;
    const WineGdiEntry* table =
        *reinterpret_cast<const WineGdiEntry* const*>(peb + kGdiSharedHandleTable);
    if (!table)
        return -1;
    int64_t n = 0;
    for (int i = 0; i < 0x10000; ++i)
        n += table[i].type != 0 ? 1 : 0;
    return n;
}

// The table is read only if it counts three new pens as three.
bool WineGdiTableCounts() {
    int64_t before = CountWineGdiTable();
    HPEN pens[3];
    for (HPEN& pen : pens)
        pen = ::CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    int64_t during = CountWineGdiTable();
    for (HPEN pen : pens)
        ::DeleteObject(pen);
    return before >= 0 && during == before + 3 && CountWineGdiTable() == before;
}

ResourceFigure GdiObjects() {
    ResourceFigure f;
    if (System().guiResources) {
        ::SetLastError(0);
        DWORD n = System().guiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
        if (n || ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
            f.value = n;
            f.source = "GetGuiResources";
            return f;
        }
    }
    static const bool tableCounts = System().onWine && WineGdiTableCounts();
    if (tableCounts) {
        f.value = CountWineGdiTable();
        f.source = "Wine's GDI table";
    }
    return f;
}

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++*reinterpret_cast<int64_t*>(param);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == ::GetCurrentProcessId()) {
        ++*reinterpret_cast<int64_t*>(param);
        ::EnumChildWindows(window, &CountChild, param);
    }
    return TRUE;
}

ResourceFigure UserObjects() {
    ResourceFigure f;
    if (System().guiResources) {
        ::SetLastError(0);
        DWORD n = System().guiResources(::GetCurrentProcess(), GR_USEROBJECTS);
        if (n || ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
            f.value = n;
            f.source = "GetGuiResources";
            return f;
        }
    }
    // Wine keeps its USER handle table to itself: the windows are what we
    // can count (with their children).
    int64_t n = 0;
    ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&n));
    f.value = n;
    f.source = "windows counted";
    return f;
}

ResourceFigure PrivateBytes() {
    ResourceFigure f;
    if (!System().memoryInfo)
        return f;
    PROCESS_MEMORY_COUNTERS_EX c;
    ZeroMemory(&c, sizeof c);
    c.cb = sizeof c;
    auto* basic = reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c);
    // Before XP SP2 only the basic record is understood.
    if (!System().memoryInfo(::GetCurrentProcess(), basic, sizeof c)) {
        c.cb = sizeof *basic;
        if (!System().memoryInfo(::GetCurrentProcess(), basic, sizeof *basic))
            return f;
        c.PrivateUsage = 0;
    }
    // The commit charge, which is what PrivateUsage reports where it exists
    // (Wine leaves it 0).
    if (c.PrivateUsage) {
        f.value = c.PrivateUsage;
        f.source = "PrivateUsage";
    } else {
        f.value = c.PagefileUsage;
        f.source = "PagefileUsage";
    }
    return f;
}

std::string Figure(const char* name, const ResourceFigure& f) {
    char text[160];
    if (f.value < 0)
        snprintf(text, sizeof text, "%s n/a", name);
    else
        snprintf(text, sizeof text, "%s %lld (%s)", name, static_cast<long long>(f.value),
                 f.source);
    return text;
}

} // namespace

ProcessResources MeasureProcessResources() {
    System();
    ProcessResources r;
    r.handles = Handles();
    r.gdiObjects = GdiObjects();
    r.userObjects = UserObjects();
    r.privateBytes = PrivateBytes();
    return r;
}

std::string DescribeResources(const ProcessResources& r) {
    return Figure("handles", r.handles) + ", " + Figure("GDI objects", r.gdiObjects) + ", " +
           Figure("USER objects", r.userObjects) + ", " + Figure("private bytes", r.privateBytes);
}
