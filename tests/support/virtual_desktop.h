#pragma once
// A desktop of the test's own, which Wine shows as a virtual desktop of a
// fixed size: windows there have a known screen and work area, and no other
// test's windows, activation or foreground can reach them.
#include <windows.h>

namespace window_rig {

// Moves the calling thread (which must not own a window or hook yet) to a
// new desktop named after the process, width x height pixels. False when
// the desktop cannot be made or entered.
bool enter_virtual_desktop(int width, int height);

}  // namespace window_rig
