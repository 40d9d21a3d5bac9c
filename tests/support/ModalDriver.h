// Drives modal dialogs and property sheets from a test the way a user would:
// the test's steps run inside the modal loop (from a thread timer that loop
// dispatches), send the window its messages and finally close it.
#pragma once

#include <windows.h>

#include <functional>

// Calls `open` (which runs a modal loop) and, once that loop runs, `steps`.
// The steps must end the dialog. Returns what `open` returned.
INT_PTR RunWithSteps(const std::function<INT_PTR()>& open, std::function<void()> steps);

// Dispatches every message waiting for this thread, so that what was posted
// has been handled before a test looks.
void PumpMessages();
