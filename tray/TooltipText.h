// The tray icon's tooltip as the shell takes it: at most 127 bytes and a
// terminating zero, cut on a whole character of the ANSI code page.
#pragma once

#include <stddef.h>
#include <stdint.h>

constexpr size_t kTooltipMaxBytes = 127;

// True when `byte` starts a two-byte character of the ANSI code page.
typedef bool (*LeadByteTest)(uint8_t byte);

// Copies the longest prefix of `text` that fits 127 bytes without splitting
// a two-byte character into `out` (128 bytes), terminated. A lead byte that
// ends the text has no trail and counts as one byte. `isLeadByte` may be
// null (single-byte code page); `text` may be null (empty). Returns the
// number of bytes copied.
size_t CutTooltip(const char* text, LeadByteTest isLeadByte, char out[kTooltipMaxBytes + 1]);
