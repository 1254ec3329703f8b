// Resource identifiers of the screen saver, shared by its resource script and the
// settings dialog.
#pragma once

#define IDS_SAVER_NAME 1
#define IDI_SAVER 1
#define IDD_SAVER_SETTINGS 100

#define IDC_SAVER_MODE 1001
#define IDC_SAVER_SECONDS 1002
#define IDC_SAVER_SECONDS_SPIN 1003
#define IDC_SAVER_PALETTE 1004
#define IDC_SAVER_NEW_PALETTE 1005
#define IDC_SAVER_SPEED 1006
#define IDC_SAVER_SPEED_SPIN 1007
#define IDC_SAVER_STEP 1008
#define IDC_SAVER_SAME 1009
#define IDC_SAVER_SPAN 1010
#define IDC_SAVER_PRIMARY 1011
#define IDC_SAVER_STATUS 1012
#define IDC_SAVER_DEFAULTS 1013
