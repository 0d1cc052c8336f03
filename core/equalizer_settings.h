#pragma once
// The equalizer's settings, section "equalizer": "apply" ("on" ignoring case
// switches it on; anything else, or nothing, off) and "bands" (the eleven
// values as "%f" texts, each followed by ","). Loaded from the INI file at
// start-up and from the per-user store at every login, saved to the per-user
// store at the end; nothing writes the INI file's section. Internal to
// zel_core.
#include "equalizer.h"
#include "stringx.h"

class settings_listener;

namespace equalizer_settings {
// The values of a "bands" text: split at every ",", each piece read with
// wcstod in order (no number reads as 0.0); missing values are 0.0, pieces
// past the eleventh are ignored; an empty text gives eleven zeros.
void parse_bands(const wchar_t* text, double values[equalizer::value_count]);
// Each value as "%f" followed by ",".
stringx format_bands(const double* values);
bool parse_apply(const wchar_t* text);

// From the INI file (config_var).
void load_file(equalizer& eq);
// From the current store user (config_var2).
void load_user(equalizer& eq);
void save_user(equalizer& eq);
}  // namespace equalizer_settings

// Reloads the equalizer's settings when the settings store switches user;
// playback_settings and the equalizer's start hook register it with the
// store (the store keeps one entry per listener).
settings_listener* equalizer_user_listener();

// The equalizer singleton of zel_core.
equalizer& zel_core_equalizer();
