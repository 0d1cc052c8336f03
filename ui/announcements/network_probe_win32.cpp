// The system's network probe: IsNetworkAlive of sensapi.dll and
// InetIsOffline of url.dll, loaded when first asked.
#include "network_watchdog.h"

namespace {

typedef BOOL(WINAPI* is_network_alive_fn)(LPDWORD flags);
typedef BOOL(WINAPI* inet_is_offline_fn)(DWORD flags);

class system_probe : public network_probe {
public:
    bool is_up() override {
        if (!loaded_) load();
        DWORD flags = 0;
        if (alive_ && !alive_(&flags)) return false;
        if (offline_ && offline_(0)) return false;
        return true;
    }

private:
    void load() {
        loaded_ = true;
        if (HMODULE sens = LoadLibraryW(L"sensapi.dll"))
            alive_ = reinterpret_cast<is_network_alive_fn>(
                reinterpret_cast<void*>(GetProcAddress(sens, "IsNetworkAlive")));
        if (HMODULE url = LoadLibraryW(L"url.dll"))
            offline_ = reinterpret_cast<inet_is_offline_fn>(
                reinterpret_cast<void*>(GetProcAddress(url, "InetIsOffline")));
    }

    bool loaded_ = false;
    is_network_alive_fn alive_ = nullptr;
    inet_is_offline_fn offline_ = nullptr;
};

}  // namespace

network_probe& system_network_probe() {
    static system_probe probe;
    return probe;
}
