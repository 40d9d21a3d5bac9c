// CWinApp: the one application object of the program. It is constructed
// with the program's static objects; the program's entry point hands control
// to AfxWinMain, which runs InitInstance.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // True to run the application's message loop, false to end at once.
    virtual BOOL InitInstance();
    // The program's exit code.
    virtual int ExitInstance();
    // Help requests reach the application here; the default shows nothing.
    virtual void WinHelp(DWORD_PTR data, UINT command);

    // Dialogs have the 3-D look on every system the program runs on; kept
    // so start-up reads as it always has.
    BOOL Enable3dControls() { return TRUE; }

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};

// The application object, null before it is constructed.
CWinApp* AfxGetApp();
// Module whose resources the dialogs, pages and menus come from.
HINSTANCE AfxGetResourceHandle();

// Runs the application object: InitInstance, then its message loop when it
// asked for one; returns ExitInstance's code.
int AfxWinMain(HINSTANCE instance);
