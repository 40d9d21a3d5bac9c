#include "platform/ResourceText.h"

#include <windows.h>

CString LoadResourceText(unsigned int id) {
    // String table entries hold at most 4097 characters; ours are far shorter.
    char text[1024] = {};
    int n = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return n > 0 ? CString(text, static_cast<size_t>(n)) : CString();
}
