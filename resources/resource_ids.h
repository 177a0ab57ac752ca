// Resource numbers of AVex.dll: dialog templates, bitmaps and the controls of
// the dialogs. Shared by the resource script and the dialog code, so it holds
// nothing but numbers.
#pragma once

// Dialog templates.
#define IDD_CONFIGURATION 107
#define IDD_MANUAL_CLASSIFICATIONS 109
#define IDD_USER_SETUP 110
#define IDD_ABOUT 111
#define IDD_CATEGORIES 113
#define IDD_CUSTOM_RESPONSES 118
#define IDD_TEST_URL 120
#define IDD_MISC_SETTINGS 121
#define IDD_LOGGING 122

// Bitmaps: the product picture and the strip of 16-pixel images on pure
// green (0x00FF00) that the navigation tree and the user list draw from.
#define IDB_PRODUCT 116
#define IDB_CONFIGURATION_IMAGES 130

// Configuration dialog (107). The sheet takes over the placeholder control
// and creates its navigation tree in it.
#define IDC_SHEET_PLACEHOLDER 1022
#define IDC_SHEET_TREE 0xffff
#define IDC_CONFIGURATION_OK 1000
#define IDC_CONFIGURATION_CANCEL 1001
#define IDC_CONFIGURATION_HELP 1007

// About page (111).
#define IDC_ABOUT_PRODUCT 1200
#define IDC_ABOUT_PICTURE 1201
#define IDC_ABOUT_COPYRIGHT 1202
#define IDC_ABOUT_TRADEMARK 1203

// Misc settings page (121).
#define IDC_AUTOMATIC_UPDATES 1046
#define IDC_CHECK_EVERY_LABEL 1078
#define IDC_UPDATE_INTERVAL 1071
#define IDC_MINUTES_LABEL 1079
#define IDC_UPDATE_SERVER_LABEL 1080
#define IDC_UPDATE_SERVER 1072

// Logging page (122).
#define IDC_LOGGING_OFF 1165
#define IDC_LOGGING_ON 1166
#define IDC_LOG_BLOCKED 1167
#define IDC_LOG_CONFIGURATION_CHANGES 1168
#define IDC_LOG_ALLOWED 1171

// The controls of the list, user, response and test pages.
#include "resources/page_control_ids.h"
