#include "tests/support/Steps.h"

#include <gtest/gtest.h>

namespace {
Steps* g_running = nullptr;
const DWORD kWaitLimitMs = 5000;
} // namespace

Steps& Steps::Then(std::function<void()> action) {
    steps_.push_back(Step{std::string(), nullptr, std::move(action)});
    return *this;
}

Steps& Steps::WaitUntil(const char* what, std::function<bool()> condition) {
    steps_.push_back(Step{what, std::move(condition), nullptr});
    return *this;
}

INT_PTR Steps::Run(const std::function<INT_PTR()>& open, std::function<void()> abort) {
    abort_ = std::move(abort);
    next_ = 0;
    waitingSince_ = 0;
    g_running = this;
    Next(1);
    INT_PTR result = open();
    g_running = nullptr;
    EXPECT_EQ(steps_.size(), next_) << "steps left when the loop ended";
    return result;
}

void Steps::Next(UINT delay) {
    if (next_ < steps_.size())
        ::SetTimer(nullptr, 0, delay, &Steps::Tick);
}

void CALLBACK Steps::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    Steps* self = g_running;
    if (!self || self->next_ >= self->steps_.size())
        return;
    Step& step = self->steps_[self->next_];
    if (step.condition) {
        if (!step.condition()) {
            if (self->waitingSince_ == 0)
                self->waitingSince_ = ::GetTickCount();
            if (::GetTickCount() - self->waitingSince_ > kWaitLimitMs) {
                ADD_FAILURE() << "waited in vain until " << step.what;
                self->next_ = self->steps_.size();
                if (self->abort_)
                    self->abort_();
                return;
            }
            self->Next(10);
            return;
        }
        self->waitingSince_ = 0;
        ++self->next_;
        self->Next(1);
        return;
    }
    ++self->next_;
    // Scheduled before the action: an action that enters a modal loop of
    // its own (a menu, a sheet) finds the next step waiting inside it.
    self->Next(1);
    step.action();
}
