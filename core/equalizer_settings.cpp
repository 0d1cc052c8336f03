// The equalizer's settings and its start and stop hooks (see
// equalizer_settings.h).
#include "equalizer_settings.h"
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>
#include "config_var.h"
#include "config_var2.h"
#include "core.h"
#include "init_quit.h"
#include "service_factory.h"
#include "settings_store.h"
#include "utility.h"

namespace {
const wchar_t k_section[] = L"equalizer";
const wchar_t k_apply[] = L"apply";
const wchar_t k_bands[] = L"bands";

template <class Settings>
void load_from(Settings& settings, equalizer& eq) {
    bool enabled = equalizer_settings::parse_apply(settings.read(k_section, k_apply).wvalue());
    double values[equalizer::value_count];
    equalizer_settings::parse_bands(settings.read(k_section, k_bands).wvalue(), values);
    eq.set_enabled(enabled);
    eq.set_bands(values);
}

class user_listener : public settings_listener {
public:
    void on_user_changed(const wchar_t*) override { equalizer_settings::load_user(zel_core_equalizer()); }
};
user_listener g_user_listener;

settings_store* store() {
    return static_cast<settings_store*>(core::enum_create_component(settings_store::iid, 0));
}

class equalizer_hooks : public init_quit_hooks {
public:
    void on_init() override {
        if (settings_store* s = store()) s->add_listener(&g_user_listener);
        equalizer_settings::load_file(zel_core_equalizer());
    }
    void on_quit() override { equalizer_settings::save_user(zel_core_equalizer()); }
};
singleton_factory<init_quit, equalizer_hooks> g_equalizer_hooks_node;
}  // namespace

void equalizer_settings::parse_bands(const wchar_t* text, double values[equalizer::value_count]) {
    for (int v = 0; v < equalizer::value_count; ++v) values[v] = 0.0;
    std::vector<stringx> pieces;
    utility::string_tokenizer(text, L",", pieces);
    for (size_t v = 0; v < pieces.size() && v < static_cast<size_t>(equalizer::value_count); ++v)
        values[v] = wcstod(pieces[v].wvalue(), nullptr);
}

stringx equalizer_settings::format_bands(const double* values) {
    std::wstring text;
    for (int v = 0; v < equalizer::value_count; ++v) {
        wchar_t number[512];
        _snwprintf(number, 511, L"%f", values[v]);
        number[511] = L'\0';
        text += number;
        text += L',';
    }
    return stringx(text.c_str());
}

bool equalizer_settings::parse_apply(const wchar_t* text) { return text && _wcsicmp(text, L"on") == 0; }

void equalizer_settings::load_file(equalizer& eq) {
    config_var file;
    load_from(file, eq);
}

void equalizer_settings::load_user(equalizer& eq) {
    config_var2 user;
    load_from(user, eq);
}

void equalizer_settings::save_user(equalizer& eq) {
    const double* values = nullptr;
    eq.bands(&values);
    config_var2 user;
    user.write(k_section, k_apply, eq.enabled() ? L"on" : L"off");
    if (values) user.write(k_section, k_bands, format_bands(values).wvalue());
}

settings_listener* equalizer_user_listener() { return &g_user_listener; }
