#pragma once
// Resources of the toolkit's test programs.
#define IDD_PROBE 101
#define IDD_KOREAN 102
#define IDD_CHILD_PROBE 103
#define IDC_NAME 1001
#define IDC_MESSAGE 1002
#define IDB_PROBE 201
#define IDR_PROBE_GIF 202
#define IDR_PROBE_PNG 203
