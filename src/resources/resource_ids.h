// Identifiers of the player's own resources (player.rc), shared by the code and the .rc file.
#pragma once

#define IDD_PLAYER 102
#define IDI_PLAYER 128
#define IDD_WARNING 570
#define IDC_WARNING_DONT_SHOW 1007
#define IDC_WARNING_TEXT 1008
#define IDC_WARNING_ICON 1009

// The About box (dialog 129) and its controls; its Close button is IDOK.
#define IDD_ABOUT 129
#define IDC_ABOUT_PRODUCT 1000
#define IDC_ABOUT_NOTICE 1001
#define IDC_ABOUT_WEB_LINK 1002
#define IDC_ABOUT_MAIL_LINK 1003
#define IDC_ABOUT_PICTURE 1004

// The player's string table.
#define IDS_TRAY_TIP 9
#define IDS_ABOUT_ENTRY 10
#define IDS_ABOUT_CAPTION 11
#define IDS_WARN_COLOUR_DEPTH 12
#define IDS_WARN_NO_LAYERED 14

// The resource library's string table (CommonResources.dll).
#define IDS_LOG_COMMAND 1
#define IDS_LOG_FOUND_IN 2
#define IDS_LOG_RESULT 3
#define IDS_LOG_NOT_FOUND 4
#define IDS_MENU_FIRST_WORD 14  /* "Low"; the context-menu words run from 14 to 30 */
#define IDS_MENU_LAST_WORD 30   /* "100%" */
#define IDS_FLASH_MISSING 560
