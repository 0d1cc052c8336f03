#pragma once
// The steps that follow a successful login, shared by the start-up's direct
// login and the login dialog: the two logo files and the music cache.
#include "stringx.h"

class login_manager;

// For the login's logo address with "\logo.png" and then its main-logo
// address with "\main_logo.png" in the application-data folder, each when
// the address is not empty: a missing file is downloaded; an existing one
// is downloaded again only when the server announces a length above 0 that
// differs from the file's size. A download that brings no bytes leaves the
// old file.
void refresh_logo_files(login_manager& login, const stringx& app_data);
// When the login's first play setting (the music cache switch) is 0, the
// folder "temp\music" of the application-data folder is emptied.
void clear_music_cache_when_off(login_manager& login, const stringx& app_data);
