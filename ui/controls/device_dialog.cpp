// The sound-device chooser: see device_dialog.h.
#include "device_dialog.h"

#include <mmsystem.h>

#include <dsound.h>

#include "small_dialog_ids.h"
#include "timed_message_box.h"

device_dialog::device_dialog() : selection(-1), next_number_(0) {}

int device_dialog::modal(HWND owner) { return dialog::modal(IDD_SOUND_DEVICE, owner); }

BOOL CALLBACK device_dialog::on_device(GUID*, const wchar_t* description, const wchar_t*, void* context) {
    if (context) static_cast<device_dialog*>(context)->add_device(description);
    return TRUE;
}

void device_dialog::enumerate_devices() { DirectSoundEnumerateW(&device_dialog::on_device, this); }

bool device_dialog::device_in_use(int number) { return registry_device_in_use(number); }

// Shown at the next timer tick, so that the dialog stays responsive.
void device_dialog::show_message(const wchar_t* text) { show_timed_message_box(hwnd_, text); }

void device_dialog::add_device(const wchar_t* description) {
    // A device in use still takes its number.
    const int number = next_number_++;
    if (device_in_use(number)) return;
    HWND list = GetDlgItem(hwnd_, IDC_SOUND_DEVICE_LIST);
    const LRESULT item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(description ? description : L""));
    if (item >= 0) SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(item), number);
}

void device_dialog::fill_list() {
    next_number_ = 0;
    SendDlgItemMessageW(hwnd_, IDC_SOUND_DEVICE_LIST, CB_RESETCONTENT, 0, 0);
    enumerate_devices();
    SendDlgItemMessageW(hwnd_, IDC_SOUND_DEVICE_LIST, CB_SETCURSEL, 0, 0);
    read_selection();
}

void device_dialog::read_selection() {
    HWND list = GetDlgItem(hwnd_, IDC_SOUND_DEVICE_LIST);
    const LRESULT item = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (item == CB_ERR) return;
    selection = static_cast<int>(SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
}

LRESULT device_dialog::dialog_proc(UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        fill_list();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_SOUND_DEVICE_LIST:
            if (HIWORD(wparam) == CBN_SELCHANGE) read_selection();
            return TRUE;
        case IDOK:
            if (selection < 0) {
                show_message(L"사운드 장치를 선택하십시오");
            } else {
                EndDialog(hwnd_, 1);
            }
            return TRUE;
        case IDCANCEL:
            EndDialog(hwnd_, 2);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        EndDialog(hwnd_, 2);
        return TRUE;
    default:
        return FALSE;
    }
}
