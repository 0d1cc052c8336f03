// Reports utility::get_os_version as its exit code (offset by 100 so that -1
// stays positive), for tests that run it under different Windows versions.
#include "utility.h"

int main() { return utility::get_os_version() + 100; }
