// Ids of the tool's shared resources: the icon, the bitmaps, the strings and
// the templates of the start-up window, the About box and the module list.
// Module dialog templates keep their ids in headers of their own.
#pragma once

// Icon and bitmaps, used by every window of the tool.
#define IDI_VELMORA 128
#define IDB_LOGO    129
#define IDB_HEADING 130
#define IDB_WAITING 131

// Strings.
#define IDS_ABOUT_ITEM 101
#define IDS_VERSION    102
#define IDS_NOTICE     103

// System menu command of the About box: 16 with its low four bits free,
// which the system keeps for itself.
#define IDM_ABOUTBOX 0x0010

// Template 100: the About box.
#define IDD_ABOUT      100
#define IDC_BUILD_TIME 1001
#define IDC_LOGO       1002
#define IDC_ADDRESS    1003
#define IDC_WEB_NOTICE 1004
#define IDC_VERSION    1031
#define IDC_NOTICE     1104

// Template 132: the module list of the standalone mode.
#define IDD_MODULE_SELECT 132
#define IDC_MODULE_LOGO   302
#define IDC_MODULE_LIST   304

// Template 133: the start-up window.
#define IDD_STARTUP        133
#define IDC_HEADING        206
#define IDC_WAITING_NOTICE 207
#define IDC_STANDALONE     209
#define IDC_CONCEPT_SYNC   211

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
