#pragma once
// Small functions of the user interface on the Windows registry and the
// file system: the Windows event sounds silenced while the player runs, the
// player's entry in the Run key (start with Windows), the multi-instance
// values of the player's own key, a file deleted whatever its attributes,
// and a walk over the registered objects of one interface. No state; the
// user-interface thread only.
//
// Keys are opened with plain full access (no 32- or 64-bit view is chosen).
#include <windows.h>
#include "component.h"

// HKEY_CURRENT_USER "AppEvents\Schemes\Apps": one key per application and
// event, whose default value names the sound file.
extern const wchar_t k_sound_scheme_key[];
// HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows\CurrentVersion\Run" and the
// player's value there, "VOLQUIN 플레이어" = the host program's path.
extern const wchar_t k_run_key[];
extern const wchar_t k_run_value_name[];
// HKEY_CURRENT_USER "Software\ZEL Player"; its values named with
// "multi_id_" belong to the launcher link.
extern const wchar_t k_player_key[];

// restore false parks the event sounds: the default value of every scheme
// key that names a ".wav" file (any case) moves to the value "_ZEL"; true
// moves every such "_ZEL" value back to the default value. A key or value
// that cannot be read or written stays as it is; nothing is reported.
void set_system_sounds(bool restore);
// The same walk from path under root (tests use a throw-away key).
void set_system_sounds(HKEY root, const wchar_t* path, bool restore);
// The start of a run: first gives back what a run that ended without closing
// (a crash, a killed process) left parked, then parks the sounds, so that no
// stale "_ZEL" value survives and the closing gives the user's sounds back.
void park_system_sounds();
void park_system_sounds(HKEY root, const wchar_t* path);

// Deletes every value of the key whose name contains text (case counts).
// 0 done, -1 the key does not open, -2 a value could not be read or deleted. An empty text
// deletes nothing (it would be contained in every name). Pending window
// messages are dispatched while it works.
int delete_values_containing(HKEY root, const wchar_t* subkey, const wchar_t* text);
// delete_values_containing (HKEY_CURRENT_USER, "Software\ZEL Player", "multi_id_").
int delete_multi_id_values();

// Writes text as a REG_SZ value (with its terminating null). 0 done, -1 the
// key does not open, -2 the key refused the value.
int set_string_value(HKEY root, const wchar_t* subkey, const wchar_t* name, const wchar_t* text);

// Where the Run value and the multi-instance values live; tests point both
// at a throw-away key.
struct run_keys {
    HKEY run_root = HKEY_LOCAL_MACHINE;
    const wchar_t* run_path = k_run_key;
    HKEY player_root = HKEY_CURRENT_USER;
    const wchar_t* player_path = k_player_key;
};
// The Run value follows the auto_start option: on writes the program path;
// off deletes the value and, when that succeeded, the multi-instance values.
// The result of the Run value's write or deletion (0 done, negative failed);
// the multi-instance values' deletion is not reported.
int apply_auto_start(bool on, const wchar_t* program_path, const run_keys& keys = run_keys());

// Clears the file's attributes and deletes it; true when it was deleted.
bool remove_file(const wchar_t* path);

// The registered objects of one interface, one per call of next(): null
// past the last. The caller releases each object (component::release).
class interface_enumerator {
public:
    explicit interface_enumerator(const GUID& iid) : iid_(iid) {}
    component* next();
    template <class Interface>
    Interface* next_as() {
        return static_cast<Interface*>(next());
    }

private:
    int index_ = 0;
    GUID iid_;
};
