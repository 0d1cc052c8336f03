// What zel_in_std's CD layer reaches outside the machine, replaceable from
// outside the library for tests: the device calls (a test program puts its
// own drives behind the real transport; null puts the Windows calls back,
// and the table that was in use is returned), and the CDDB server that the
// lookup asks first (a null host puts the default back).
#include "cd_device_io.h"
#include "cddb_dialog.h"

extern "C" __declspec(dllexport) const cd_device_io* __cdecl zel_cd_install_device_io(const cd_device_io* table) {
    return cd_device::install(table);
}

extern "C" __declspec(dllexport) void __cdecl zel_cddb_set_server(const wchar_t* host, int port) {
    cddb_dialog::set_default_server(host, port);
}
