#include "UserMessage.h"

#include <windows.h>

namespace {

int SystemMessageBox(const char* text, const char* caption, unsigned int type) {
    return MessageBoxA(nullptr, text, caption, type);
}

void SystemBeep(unsigned int type) {
    MessageBeep(type);
}

UserMessageHandler g_handler = SystemMessageBox;
UserBeepHandler g_beep = SystemBeep;

} // namespace

int ShowUserMessage(const char* text, const char* caption, unsigned int type) {
    return g_handler(text, caption, type);
}

int ShowUserMessageFor(HWND owner, const char* text, const char* caption, unsigned int type) {
    if (g_handler != SystemMessageBox)
        return g_handler(text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}

UserMessageHandler SetUserMessageHandler(UserMessageHandler handler) {
    UserMessageHandler previous = g_handler;
    g_handler = handler ? handler : SystemMessageBox;
    return previous;
}

void UserBeep(unsigned int type) {
    g_beep(type);
}

UserBeepHandler SetUserBeepHandler(UserBeepHandler handler) {
    UserBeepHandler previous = g_beep;
    g_beep = handler ? handler : SystemBeep;
    return previous;
}
