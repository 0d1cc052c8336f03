#pragma once
// device_dialog: "사운드 장치 선택", the chooser of a free DirectSound
// device for a player instance whose stored device another instance uses.
//
// The list shows every DirectSound device in enumeration order (the first is
// the default-device entry) except those the instance registry reports in
// use; each item keeps the device's number, its position in the enumeration,
// counted from 0 at every filling. modal(owner) answers 1 with the chosen
// number in `selection`, or 2 when the user cancelled.
//
// The enumeration, the in-use question and the message box are virtual so
// that tests can stand in for them.
#include <windows.h>

#include "dialog.h"

class device_dialog : public dialog {
public:
    device_dialog();

    // 1 (chosen) or 2 (cancelled).
    int modal(HWND owner);
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // The chosen device's number; -1 until one is chosen.
    int selection;

    // DirectSound's enumeration callback; context is the dialog.
    static BOOL CALLBACK on_device(GUID* guid, const wchar_t* description, const wchar_t* module, void* context);

protected:
    // Calls on_device once per device (DirectSoundEnumerateW).
    virtual void enumerate_devices();
    // True when another instance plays on the device (instance registry).
    virtual bool device_in_use(int number);
    // The one place that shows a message to the user.
    virtual void show_message(const wchar_t* text);

    // The next device of the enumeration.
    void add_device(const wchar_t* description);

private:
    void fill_list();
    void read_selection();

    int next_number_;
};

// The instance registry's answer for the device; false without a registry.
bool registry_device_in_use(int number);
