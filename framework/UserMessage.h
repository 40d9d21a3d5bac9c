// Every message box the store, the platform strategies and the pages show,
// and every error beep, goes through these seams, so that tests can answer
// and count them instead of a user.
#pragma once

struct HWND__; // HWND without <windows.h>

typedef int (*UserMessageHandler)(const char* text, const char* caption, unsigned int type);

// Shows a modal message box with no owner window (MessageBoxA types and results).
int ShowUserMessage(const char* text, const char* caption, unsigned int type);

// The same, owned by `owner` (disabled while the box is up) when the real
// message box is shown; a replacement handler is called as above.
int ShowUserMessageFor(HWND__* owner, const char* text, const char* caption, unsigned int type);

// Replaces the handler; null restores the real message box. Returns the previous one.
UserMessageHandler SetUserMessageHandler(UserMessageHandler handler);

typedef void (*UserBeepHandler)(unsigned int type);

// MessageBeep of `type` (MB_ICONHAND for the error beep).
void UserBeep(unsigned int type);

// Replaces the beep; null restores MessageBeep. Returns the previous one.
UserBeepHandler SetUserBeepHandler(UserBeepHandler handler);
