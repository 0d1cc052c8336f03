#pragma once
#define IDD_PROBE 101
#define IDC_NAME 1001
