#pragma once
// Templates and controls of the small dialogs (small_dialogs.rc).
#define IDD_SOUND_DEVICE 233
#define IDC_SOUND_DEVICE_LIST 1017
// The track-adding progress dialog and its invisible blocking companion.
#define IDD_TRACK_SEARCH 140
#define IDC_TRACK_PROGRESS 1033
#define IDC_TRACK_CANCEL 1034
