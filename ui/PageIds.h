/* Control identifiers of the property sheet and its four pages (templates
 * 107, 113, 112, 108 in res/pages.rc). Plain #defines: read by the resource
 * compiler as well as by C++. */
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Sheet buttons the sheet rearranges (Help is IDHELP, 9). */
#define IDC_SHEET_APPLY 12321

/* Status (107). */
#define IDC_STATUS_BANNER 1016
#define IDC_STATUS_GENERAL 1001
#define IDC_STATUS_CONNECT_LABEL 1004 /* "Connect to:", set by the page */
#define IDC_STATUS_NETWORK_NAME 1010
#define IDC_STATUS_AP_LABEL 1006
#define IDC_STATUS_AP_ADDRESS 1011
#define IDC_STATUS_MODE_LABEL 1005
#define IDC_STATUS_MODE 1012
#define IDC_STATUS_CHANNEL_LABEL 1008
#define IDC_STATUS_CHANNEL 1013
#define IDC_STATUS_TX_RATE_LABEL 1007
#define IDC_STATUS_TX_RATE 1014
#define IDC_STATUS_RX_RATE_LABEL 1018
#define IDC_STATUS_RX_RATE 1022
#define IDC_STATUS_ENCRYPTION_LABEL 1009
#define IDC_STATUS_ENCRYPTION 1015
#define IDC_STATUS_OWN_MAC_LABEL 1017 /* hidden */
#define IDC_STATUS_OWN_MAC 1020       /* hidden, filled */
#define IDC_STATUS_SIGNAL_GROUP 1074
#define IDC_STATUS_METER 1019
#define IDC_STATUS_COVER 1021
#define IDC_STATUS_SCALE_TOP 1002
#define IDC_STATUS_SCALE_BOTTOM 1003
#define IDC_STATUS_SIGNAL 1134

/* Configuration (113). */
#define IDC_CFG_INFRASTRUCTURE 1023 /* mode radio group: value 0 */
#define IDC_CFG_ADHOC 1025          /* value 1 */
#define IDC_CFG_NETWORK_NAME 1032
#define IDC_CFG_TURBO 1020
#define IDC_CFG_POWER_SAVING 1019
#define IDC_CFG_SECURITY 1013
#define IDC_CFG_DEFAULT_UNIQUE 1030 /* default key radio group: value 0 (hidden) */
#define IDC_CFG_DEFAULT_KEY1 1012   /* values 1 to 4 */
#define IDC_CFG_DEFAULT_KEY2 1015
#define IDC_CFG_DEFAULT_KEY3 1014
#define IDC_CFG_DEFAULT_KEY4 1016
#define IDC_CFG_UNIQUE_KEY 1021 /* hidden */
#define IDC_CFG_SHARED_KEY1 1011
#define IDC_CFG_SHARED_KEY2 1002
#define IDC_CFG_SHARED_KEY3 1017
#define IDC_CFG_SHARED_KEY4 1018
#define IDC_CFG_UNIQUE_SIZE 1022 /* hidden */
#define IDC_CFG_SHARED_SIZE1 1024
#define IDC_CFG_SHARED_SIZE2 1026
#define IDC_CFG_SHARED_SIZE3 1028
#define IDC_CFG_SHARED_SIZE4 1029

/* Statistics (112). */
#define IDC_STATS_TX_GRAPH 1086
#define IDC_STATS_RX_GRAPH 1087
#define IDC_STATS_TX_PACKETS 1012
#define IDC_STATS_RX_PACKETS 1021
#define IDC_STATS_TX_BYTES 1084  /* hidden, never filled */
#define IDC_STATS_RX_BYTES 1085  /* hidden, never filled */
#define IDC_STATS_TX_ERRORS 1020 /* hidden, filled */
#define IDC_STATS_RX_ERRORS 1022 /* hidden, filled */

/* About (108). */
#define IDC_ABOUT_DEVICE_NAME 1089
#define IDC_ABOUT_DOMAIN 1091
#define IDC_ABOUT_DRIVER_VERSION 1092
#define IDC_ABOUT_DRIVER_DATE 1090
#define IDC_ABOUT_MAC 1093
#define IDC_ABOUT_VERSION 1095
#define IDC_ABOUT_DATE 1097

/* The hex key edit's caret-movement notice to its parent (WM_APP + 10). */
#define WM_HEXKEY_CARET 0x800A
