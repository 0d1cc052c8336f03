// A program that only waits: the process that the kill_process tests end.
#include <windows.h>

int main() {
    Sleep(60000);
    return 0;
}
