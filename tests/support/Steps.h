// Runs a test's steps inside whatever modal loop is running when each one
// is due: the tray dialog's, the property sheet's, a popup menu's. Each step
// runs from a thread timer, so a step only runs after the messages posted
// before it have been handled (timer messages come last).
//
//   Steps steps;
//   steps.Then([&] { PostMessageA(tray, WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK); })
//        .WaitUntil("the sheet opens", [] { return OpenSheetWindow() != nullptr; })
//        .Then([&] { ... });
//   steps.Run([&] { return dialog.DoModal(); }, [&] { /* end every loop */ });
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class Steps {
public:
    Steps& Then(std::function<void()> action);
    // Waits, checking every 10 ms, until `condition` holds (5 s at most; then
    // the test fails with `what` and the remaining steps are dropped).
    Steps& WaitUntil(const char* what, std::function<bool()> condition);
    // Calls `open` (which runs a modal loop) and the steps once it runs.
    // `abort` must end every loop the steps may have left running; it runs
    // when a wait fails, so that a failing test never hangs.
    INT_PTR Run(const std::function<INT_PTR()>& open, std::function<void()> abort);

private:
    struct Step {
        std::string what;
        std::function<bool()> condition; // null: an action
        std::function<void()> action;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void Next(UINT delay);

    std::vector<Step> steps_;
    size_t next_ = 0;
    DWORD waitingSince_ = 0;
    std::function<void()> abort_;
};
