/* Resource identifiers of wavedesk, each named once. Plain #defines: read by
 * the resource compiler as well as by C++ (pure code included). */
#pragma once

/* String table. */
#define IDS_APP_TITLE 1          /* window title and the sheet's caption */
#define IDS_TOOLTIP_PREFIX 2     /* tray tooltip prefix, ends with a blank */
#define IDS_DOMAIN_FCC 58200     /* regulatory domain 0x10 */
#define IDS_DOMAIN_DOC 58201     /* 0x20 */
#define IDS_DOMAIN_ETSI 58202    /* 0x30 */
#define IDS_DOMAIN_SPAIN 58203   /* 0x31 */
#define IDS_DOMAIN_FRANCE 58204  /* 0x32 */
#define IDS_DOMAIN_MKK 58205     /* 0x40 */
#define IDS_DOMAIN_UNKNOWN 58249 /* any other code */
#define IDS_DOMAIN_FORMAT 58250  /* code, then name */
#define IDS_ADAPTER_DESCRIPTION 58251
#define IDS_HARDWARE_ID 58252
#define IDS_REBOOT_NOTICE 58257
