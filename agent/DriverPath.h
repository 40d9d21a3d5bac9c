// Where the protocol driver's file is: beside the library, with the driver's
// base name and extension.
#pragma once

#include <stddef.h>

#include "NdisProtocol.h"

// From the library's own (short) file name, keeps drive and directory and
// puts `base` and `ext` after them: drive letter and colon, the directory
// with a backslash appended when it lacks one, the base name, the extension
// with a dot inserted when it lacks one. `prefix` (may be "") goes in front.
// False, with `out` empty, when the result would not fit in `outSize` bytes.
bool ComposeDriverFilePath(const char* modulePath, const char* base, const char* ext,
                           const char* prefix, char* out, size_t outSize);

// The longest adapter name (bytes including its NUL) the library sends to the
// driver with the select and open steps.
enum { kMaxAdapterNameInput = NX_MAX_ADAPTER_NAME };

// The number of bytes of `name` the select and open steps send on the NT
// family (its length plus the NUL), or 0 when there is no name or it is too
// long to send whole.
size_t AdapterNameInputLength(const char* name);
