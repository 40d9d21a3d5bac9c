#include "tests/support/ModalDriver.h"

#include <utility>

namespace {

std::function<void()> g_steps;

void CALLBACK RunSteps(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    std::function<void()> steps = std::move(g_steps);
    g_steps = nullptr;
    if (steps)
        steps();
}

} // namespace

INT_PTR RunWithSteps(const std::function<INT_PTR()>& open, std::function<void()> steps) {
    g_steps = std::move(steps);
    ::SetTimer(nullptr, 0, 1, &RunSteps);
    return open();
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
