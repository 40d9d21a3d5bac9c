/* Resource identifiers of wavedesk, each named once. Plain #defines: read by
 * the resource compiler as well as by C++ (pure code included). */
#pragma once
/* The columns stay aligned, as in resource headers. */
/* clang-format off */

/* Dialog templates, menu, icons, bitmaps. */
#define IDD_TRAY 102       /* the hidden tray dialog */
#define IDD_PAGE_STATUS 107
#define IDD_PAGE_ABOUT 108
#define IDD_PAGE_STATISTICS 112
#define IDD_PAGE_CONFIG 113
#define IDR_TRAY_MENU 107  /* first popup: "Open...", "Exit" */
#define IDI_APP 128        /* big icon of the tray dialog (16 x 16 and 32 x 32) */
#define IDI_LINK_NONE 131  /* tray: not connected */
#define IDI_LINK_GOOD 152  /* tray: connected, good signal */
#define IDI_LINK_WEAK 154  /* tray: connected, weak signal */
#define IDB_BANNER 130     /* Status page banner, 342 x 64 */
#define IDB_METER 139      /* level meter, 22 x 123 */
#define IDB_COVER 140      /* the meter's grey cover, 22 x 123 */

/* Tray menu commands. */
#define ID_TRAY_OPEN 40003
#define ID_TRAY_EXIT 40004

/* String table. */
#define IDS_APP_TITLE 1          /* window title and the sheet's caption */
#define IDS_TOOLTIP_PREFIX 2     /* tray tooltip prefix, ends with a blank */
#define IDS_CONFIG_SETTINGS 19   /* caption of the Configuration page's messages */
#define IDS_CORRECT_ERRORS 29    /* first line of the validation message */
#define IDS_SHARED_KEY_LENGTH 31 /* key name, then digit count */
#define IDS_UNIQUE_KEY_LENGTH 32 /* digit count */
#define IDS_NO_DEFAULT_KEY 33
#define IDS_NO_SHARED_KEYS 34
#define IDS_SECURITY 35          /* appended to string 19 in parentheses */
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
/* clang-format on */
