// Resource identifiers of the program's dialogs, strings and icon. Kept as
// plain macros so that both the resource compiler and C++ read them.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_SECUREDOWNLOAD_DIALOG 102
#define IDS_SOCKETS_INIT_FAILED 103
#define IDR_MAINFRAME 128
#define IDD_CONNECTION_DIALOG 129
#define IDD_STARTUP_STATUS_DIALOG 130

// Main dialog (102)
#define IDC_DOWNLOAD_SELECTIONS 1003
#define IDC_DESCRIPTION 1005
#define IDC_NEWS_GROUP 1006
#define IDC_SERVER_LIST 1007
#define IDC_LOCAL_LIST 1008
#define IDC_LOCAL_GROUP 1001
#define IDC_SERVER_GROUP 1002
#define IDC_INTRODUCTION 1010
#define IDC_DESCRIPTION_LABEL 1011
#define IDC_HELP_BUTTON 9

// Start-up status dialog (130)
#define IDC_STATUS_LINE 1008
#define IDC_DETAIL_LINES 1009
// Below the lines, shown only while a file arrives with a known length.
#define IDC_TRANSFER_PROGRESS 1013

// Connection dialog (129)
#define IDC_CONNECTION_TEXT 1012

// System-menu commands: the About box, and the verify of the game files
#define IDM_ABOUTBOX 0x0010
#define IDM_VERIFY_GAME_FILES 0x0020

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
