// Texts of the program's string table.
#pragma once

#include "framework/CString.h"

// The string `id` from the running program's resources; empty if missing.
CString LoadResourceText(unsigned int id);
