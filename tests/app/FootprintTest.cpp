// What the idle tray carries: the common controls library (a fifth of the
// idle program's private memory under Wine) is loaded only when the
// property sheet first runs, neither by wavedesk.exe's import table nor by
// the tray dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "app/TrayDialog.h"
#include "res/resource.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TrayFakes.h"

namespace {

std::string BinDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\'));
}

// The DLLs an executable imports at load time, from its import directory.
std::vector<std::string> ImportedDlls(const std::string& path) {
    std::vector<std::string> names;
    HMODULE image = ::LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!image)
        return names;
    const BYTE* base = reinterpret_cast<const BYTE*>(image);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress) {
        for (const auto* d =
                 reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
             d->Name; ++d)
            names.push_back(reinterpret_cast<const char*>(base + d->Name));
    }
    ::FreeLibrary(image);
    return names;
}

bool CommonControlsLoaded() {
    return ::GetModuleHandleA("comctl32.dll") != nullptr;
}

} // namespace

TEST(Footprint, WavedeskImportsNoCommonControlsAtLoad) {
    std::vector<std::string> dlls = ImportedDlls(BinDir() + "\\wavedesk.exe");
    ASSERT_FALSE(dlls.empty()) << "wavedesk.exe beside the test";
    for (const std::string& dll : dlls)
        EXPECT_NE(0, _stricmp(dll.c_str(), "comctl32.dll")) << dll;
}

TEST(Footprint, TheCommonControlsLoadWhenTheSheetFirstRuns) {
    ShellLog shell;
    NotificationLog notifications;
    FakeTrayAdapter adapter;
    CTrayDlg dialog(adapter);
    ASSERT_FALSE(CommonControlsLoaded()) << "this test program must not import comctl32";
    bool loadedWhileIdle = true, loadedInSheet = false;
    RunWithSteps([&] { return dialog.DoModal(); },
                 [&] {
                     // Let a few ticks run, as an idle tray does.
                     for (int i = 0; i < 3; ++i)
                         ::SendMessageA(dialog.m_hWnd, WM_TIMER, kPollTimerId, 0);
                     loadedWhileIdle = CommonControlsLoaded();
                     // The steps of the sheet run inside its loop.
                     RunWithSteps(
                         [] {
                             OpenSheet();
                             return INT_PTR(0);
                         },
                         [&] {
                             loadedInSheet = OpenSheetWindow() && CommonControlsLoaded();
                             CloseSheet();
                             // The sheet's loop ends at the next message it takes.
                             ::PostMessageA(dialog.m_hWnd, WM_NULL, 0, 0);
                         });
                     ::PostMessageA(dialog.m_hWnd, WM_COMMAND, ID_TRAY_EXIT, 0);
                 });
    EXPECT_FALSE(loadedWhileIdle);
    EXPECT_TRUE(loadedInSheet);
}
