// Every message box the store and the platform strategies show goes through
// ShowUserMessage, so that tests can answer it instead of a user.
#pragma once

typedef int (*UserMessageHandler)(const char* text, const char* caption, unsigned int type);

// Shows a modal message box with no owner window (MessageBoxA types and results).
int ShowUserMessage(const char* text, const char* caption, unsigned int type);

// Replaces the handler; null restores the real message box. Returns the previous one.
UserMessageHandler SetUserMessageHandler(UserMessageHandler handler);
