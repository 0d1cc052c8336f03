#pragma once
// Resource ids of zel_in_std (cd_resources.rc).
#define IDD_CDDB 103
#define IDC_CDDB_SITE 1000
#define IDC_CDDB_STATUS 1001
