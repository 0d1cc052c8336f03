// launcher_quick_player.exe: a player that the launcher's rows can start
// (it takes the argument "multi" like the real one) and that ends by itself
// after two seconds without joining the launcher, for the tests of the
// process watch.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Sleep(2000);
    return 0;
}
