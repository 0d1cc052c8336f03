#pragma once
// config_var2: the operations of config_var over the per-user XML settings
// of the store user who is logged in (settings_store, zel_addv2).
//
// Each operation looks the store up anew. Without a registered store, reads
// give "" (UNI_CODE), 0 or 0.0 and writes do nothing. Values are text in the
// store: whole numbers as decimal text, real numbers as "%f" text. The
// store's own lock and file guard make any thread safe to call.
#include "stringx.h"
#include "zel_export.h"

class ZEL_CORE_API config_var2 {
public:
    // The value, trimmed of blanks and tabs.
    stringx read(const wchar_t* section, const wchar_t* key);
    // The leading number of the (untrimmed) value; 0 when there is none.
    int read_int(const wchar_t* section, const wchar_t* key);
    // In single precision, widened.
    double read_float(const wchar_t* section, const wchar_t* key);
    void write(const wchar_t* section, const wchar_t* key, const wchar_t* value);
    void write_int(const wchar_t* section, const wchar_t* key, int value);
    void write_float(const wchar_t* section, const wchar_t* key, double value);
};
