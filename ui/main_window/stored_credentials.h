#pragma once
// The login's id and password kept for the next start, encrypted, as the
// binary values "id" and "password" of HKEY_CURRENT_USER "Software\ZEL
// Player" (tests name a key of their own).
#include <windows.h>

#include "stringx.h"

struct credential_key {
    HKEY root = HKEY_CURRENT_USER;
    const wchar_t* path = L"Software\\ZEL Player";
};

// Stores the text (as ANSI, encrypted) under the value "id" (id true) or
// "password"; nothing when the key cannot be opened or made.
void write_credential(bool id, const wchar_t* text, const credential_key& key = credential_key());
// The stored text; "" when it is missing, not binary or does not decrypt.
stringx read_credential(bool id, const credential_key& key = credential_key());
// Deletes the stored id and password (and the caption value "VOLQUIN
// 플레이어" kept beside them), so that nothing of the login stays behind.
void forget_credentials(const credential_key& key = credential_key());
