// The decisions of the platform strategies that need no system call: which
// strategy a Windows version gets, how a driver's image path becomes a file
// path, what an applied configuration copies, and the driver file texts.
#pragma once

#include <stdint.h>

#include "config/ConfigRecord.h"
#include "framework/CString.h"

enum class PlatformKind { Unsupported, Win9x, NT4, NT5 };

// platformId as GetVersionEx reports it (1 the 95 family, 2 the NT family).
PlatformKind SelectPlatformKind(uint32_t platformId, uint32_t majorVersion);

// NT 4.0 image paths often start with "\SystemRoot\": the part after
// "SystemRoot" and one character (the separator), or the whole value.
CString StripSystemRoot(const CString& imagePath);

// Copies what the Configuration page edits into the stored record. Keys are
// copied only when the edited record has security on; the name and the
// address override are never copied. Does not mark the record changed.
void CopyEditedConfiguration(const CConfigRecord& edited, CConfigRecord& stored);

// "%d.%d.%d.%d" of the high and low halves of the two version words.
CString FormatFileVersion(uint32_t versionMS, uint32_t versionLS);

struct FileDateParts {
    int year;
    int month; // 1..12
    int day;
    int hour;
    int minute;
    int second;
};

// "07 Mar 2002 14:05:09"; empty when the month is out of range.
CString FormatFileDate(const FileDateParts& date);
