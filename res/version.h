/* Version and publisher of what ships, in one place: the version resources
 * of wavedesk.exe and NXLIB32.dll read it, and so will the installer. Plain
 * #defines of numbers and strings only, so that any preprocessor reads it. */
#pragma once

#define WD_VERSION_MAJOR 1
#define WD_VERSION_MINOR 0
#define WD_VERSION_PATCH 0
#define WD_VERSION_BUILD 1

#define WD_COMPANY_NAME "VELNORA"
#define WD_PRODUCT_NAME "VELNORA KX750 802.11a Configuration Utility"
#define WD_APP_DESCRIPTION "VELNORA KX750 802.11a Configuration Utility"
#define WD_LIBRARY_DESCRIPTION "NXLIB32 NDIS Agent Library"
