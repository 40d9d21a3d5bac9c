#include "UserMessage.h"

#include <windows.h>

namespace {

int SystemMessageBox(const char* text, const char* caption, unsigned int type) {
    return MessageBoxA(nullptr, text, caption, type);
}

UserMessageHandler g_handler = SystemMessageBox;

} // namespace

int ShowUserMessage(const char* text, const char* caption, unsigned int type) {
    return g_handler(text, caption, type);
}

UserMessageHandler SetUserMessageHandler(UserMessageHandler handler) {
    UserMessageHandler previous = g_handler;
    g_handler = handler ? handler : SystemMessageBox;
    return previous;
}
