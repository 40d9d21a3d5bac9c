// Version and date texts of a program or driver file.
#pragma once

#include "framework/CString.h"

// True when the file carries a version resource with a fixed file-information
// block; `version` is then "%d.%d.%d.%d", otherwise left unchanged. `date` is
// the file's last-modified local time ("07 Mar 2002 14:05:09"), or empty when
// the file cannot be found. Paths longer than 259 characters (or holding
// wildcards) name no file this function reads: false, date empty.
bool GetFileVersionAndDate(const CString& path, CString& version, CString& date);
