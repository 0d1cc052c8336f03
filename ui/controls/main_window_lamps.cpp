// The main window's lamps as the other windows reach them: see
// main_window_lamps.h.
#include "main_window_lamps.h"

namespace {
main_window_lamps* g_lamps = nullptr;
}

void set_main_window_lamps(main_window_lamps* lamps) { g_lamps = lamps; }

main_window_lamps* registered_main_window_lamps() { return g_lamps; }

void show_main_window_norm_lamp(bool on) {
    if (g_lamps) g_lamps->show_norm_lamp(on);
}

void show_main_window_eq_lamp(bool on) {
    if (g_lamps) g_lamps->show_eq_lamp(on);
}
