#pragma once
// The stored credentials of the player (the user id and password of the last
// login with password saving on), the recursive folder emptying that clears
// the track cache, and the sound-device check of the start.
//
// The credentials lie in HKEY_CURRENT_USER "Software\ZEL Player" as two
// REG_BINARY values, "id" and "password": the ANSI text with its zero byte,
// encrypted in place with utility::encrypt. Tests point credential_key at a
// throw-away key. User-interface thread.
#include <windows.h>
#include "stringx.h"
#include "system_registry.h"

struct credential_key {
    HKEY root = HKEY_CURRENT_USER;
    const wchar_t* path = k_player_key;
};

// The stored id (true) or password (false); "" on any failure.
stringx read_credential(bool id, const credential_key& key = credential_key());
// Stores the id (true) or password (false), creating the key when needed.
void write_credential(bool id, const wchar_t* text, const credential_key& key = credential_key());
// Password saving was turned off: deletes the value named after the window
// caption, "VOLQUIN 플레이어", and the stored id and password, so that no
// password stays behind that the user chose not to keep.
void delete_caption_value(const credential_key& key = credential_key());

// Deletes everything inside the folder (read-only files too); the folder
// stays. False when the folder cannot be searched (it is missing); single
// entries that cannot be deleted are passed over.
bool delete_tree(const wchar_t* path);

// The number of entries DirectSound's enumeration reports (its default-
// device entry included); -1 when the enumeration fails.
int count_sound_devices();
// At least two entries: the default entry and one device.
bool check_sound_devices();
