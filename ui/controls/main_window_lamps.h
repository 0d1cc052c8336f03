#pragma once
// main_window_lamps: the main window's normalisation and equalizer lamps, as
// the settings dialog and the equalizer window switch them. The main window
// registers its lamps while its window lives; with none registered (no main
// window, or one of the tests' stand-ins) the calls do nothing.
//
// User-interface thread only.
class main_window_lamps {
public:
    virtual ~main_window_lamps() = default;
    virtual void show_norm_lamp(bool on) = 0;
    virtual void show_eq_lamp(bool on) = 0;
};

// Registers the lamps (not owned); null takes them away again.
void set_main_window_lamps(main_window_lamps* lamps);
main_window_lamps* registered_main_window_lamps();

// The registered lamps, when there are any.
void show_main_window_norm_lamp(bool on);
void show_main_window_eq_lamp(bool on);
