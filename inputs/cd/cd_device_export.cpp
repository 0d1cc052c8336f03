// The device calls of zel_in_std's CD layer, replaceable from outside the
// library: a test program puts its own drives behind the real transport
// with this export (null puts the Windows calls back). Returns the table
// that was in use.
#include "cd_device_io.h"

extern "C" __declspec(dllexport) const cd_device_io* __cdecl zel_cd_install_device_io(const cd_device_io* table) {
    return cd_device::install(table);
}
