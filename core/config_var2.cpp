// Per-user settings through the settings store (see config_var2.h).
#include "config_var2.h"
#include <cstdlib>
#include <cwchar>
#include "core.h"
#include "settings_store.h"

namespace {
// The store singleton, or null when no library registers one. It is never
// released.
settings_store* store() {
    return static_cast<settings_store*>(core::enum_create_component(settings_store::iid, 0));
}

// The store's value as a UNI_CODE string; "" without a store.
stringx raw(const wchar_t* section, const wchar_t* key) {
    settings_store* s = store();
    if (!s) return stringx(L"");
    wchar_t* value = s->read(section, key, nullptr);
    stringx result(value ? value : L"");
    free(value);
    return result;
}
}  // namespace

stringx config_var2::read(const wchar_t* section, const wchar_t* key) { return raw(section, key).trim(); }

int config_var2::read_int(const wchar_t* section, const wchar_t* key) { return raw(section, key).toint(); }

double config_var2::read_float(const wchar_t* section, const wchar_t* key) { return raw(section, key).tofloat(); }

void config_var2::write(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    if (settings_store* s = store()) s->write(section, key, value, nullptr);
}

void config_var2::write_int(const wchar_t* section, const wchar_t* key, int value) {
    wchar_t digits[16];
    _itow(value, digits, 10);
    write(section, key, digits);
}

void config_var2::write_float(const wchar_t* section, const wchar_t* key, double value) {
    wchar_t digits[512];
    _snwprintf(digits, 511, L"%f", value);
    digits[511] = L'\0';
    write(section, key, digits);
}
