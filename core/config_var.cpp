// The Windows user's INI file (see config_var.h).
#include "config_var.h"
#include <cstdlib>
#include <cwchar>
#include <string>
#include "core.h"
#include "ini_file.h"
#include "utf.h"

namespace {
std::wstring text(const wchar_t* s) { return s ? s : L""; }

// The raw value bytes of a key; "" when absent.
std::string raw(const stringx& path, const wchar_t* section, const wchar_t* key) {
    std::string value;
    if (section && key) ini_file::read(path.wvalue(), section, key, value);
    return value;
}

stringx number_text(const wchar_t* section, const wchar_t* key, const stringx& path) {
    return utf::utf8_to_utf16(raw(path, section, key).c_str()).trim();
}
}  // namespace

config_var::config_var(const wchar_t* file_name) {
    wchar_t* folder = core::get_appdata_path();
    std::wstring path = text(folder) + L"\\" + (file_name && *file_name ? file_name : L"zel_player.ini");
    free(folder);
    path_ = path.c_str();
}

config_var::config_var(const config_var& other) : path_(other.path_) {}

config_var& config_var::operator=(const config_var& other) {
    if (this != &other) path_ = other.path_;
    return *this;
}

config_var::~config_var() = default;

stringx config_var::read(const wchar_t* section, const wchar_t* key) {
    return utf::utf8_to_utf16(raw(path_, section, key).c_str()).trim();
}

int config_var::read_int(const wchar_t* section, const wchar_t* key) {
    return number_text(section, key, path_).toint();
}

double config_var::read_float(const wchar_t* section, const wchar_t* key) {
    return number_text(section, key, path_).tofloat();
}

void config_var::write(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    if (!section || !key) return;
    ini_file::write(path_.wvalue(), section, key, utf::utf16_to_utf8(value).value());
}

void config_var::write_int(const wchar_t* section, const wchar_t* key, int value) {
    char digits[16];
    _snprintf(digits, sizeof digits - 1, "%d", value);
    digits[sizeof digits - 1] = '\0';
    if (section && key) ini_file::write(path_.wvalue(), section, key, digits);
}

void config_var::write_float(const wchar_t* section, const wchar_t* key, double value) {
    char digits[512];
    _snprintf(digits, sizeof digits - 1, "%f", value);
    digits[sizeof digits - 1] = '\0';
    if (section && key) ini_file::write(path_.wvalue(), section, key, digits);
}
