// CWaitCursor: the hourglass while an object of this class lives (a network
// scan, an adapter restart); the previous cursor comes back after.
#pragma once

#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor() : previous_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(previous_); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR previous_;
};
