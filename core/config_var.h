#pragma once
// config_var: section/key access to the Windows user's INI file,
// "zel_player.ini" in the application-data folder (or another file name in
// that folder). The player's options of the Windows user live there, whoever
// logs in to the service: sections "app", "playback", "equalizer",
// "playlist".
//
// File form: a private-profile file without byte-order mark; section and key
// names in the ANSI code page; text values as their UTF-8 bytes; whole
// numbers as decimal text ("-1000"), real numbers as "%f" text ("1.500000").
// The file is created by the first write (with its folder). Every operation
// opens, reads or writes and closes the file; its bytes are kept exactly
// (see ini_file.h for why the platform's profile writer is not used).
//
// Missing files, sections or keys read as "", 0 or 0.0; so does text that
// does not start with a number. Write failures are silent.
#include "stringx.h"
#include "zel_export.h"

class ZEL_CORE_API config_var {
public:
    // path = application-data folder + "\" + file_name ("zel_player.ini"
    // when null or empty).
    config_var(const wchar_t* file_name = nullptr);
    config_var(const config_var& other);
    config_var& operator=(const config_var& other);
    virtual ~config_var();

    // The value decoded from UTF-8, trimmed of blanks and tabs (UNI_CODE).
    stringx read(const wchar_t* section, const wchar_t* key);
    int read_int(const wchar_t* section, const wchar_t* key);
    // Read in single precision and widened.
    double read_float(const wchar_t* section, const wchar_t* key);
    // Stores the UTF-8 bytes of value (null stores an empty value).
    void write(const wchar_t* section, const wchar_t* key, const wchar_t* value);
    void write_int(const wchar_t* section, const wchar_t* key, int value);
    void write_float(const wchar_t* section, const wchar_t* key, double value);

    const stringx& path() const { return path_; }

private:
    stringx path_;  // UNI_CODE
};
