// The instance registry: user ids and sound devices of the running instances.
#include "instance_registry_impl.h"

#include <cwchar>

namespace {

bool usable_name(const wchar_t* name) {
    if (!name || !*name)
        return false;  // an empty id would hold a slot that no login can ever match
    return std::wcslen(name) < static_cast<size_t>(instance_table::name_chars);
}

bool same_name(const std::wstring& a, const std::wstring& b) { return lower_name(a.c_str()) == lower_name(b.c_str()); }

}  // namespace

std::wstring lower_name(const wchar_t* name) {
    std::wstring text = name ? name : L"";
    if (!text.empty())
        CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

instance_registry_impl::instance_registry_impl()
    : table_(default_instance_table_names()), devices_(module_sound_devices()) {}

instance_registry_impl::instance_registry_impl(const instance_table_names& names, sound_device_table& devices)
    : table_(names), devices_(devices) {}

int instance_registry_impl::resolve(int device) { return device == 0 ? devices_.default_device() : device; }

void instance_registry_impl::on_init() {
    // The sound-device list fills at its first use (sound_devices.h).
    table_.open();
}

void instance_registry_impl::on_quit() {
    if (!table_.is_open())
        return;
    if (!own_name_.empty()) {
        const std::wstring own = own_name_;
        table_.update([&own](std::vector<instance_entry>& entries) {
            std::vector<instance_entry> kept;
            for (const instance_entry& entry : entries)
                if (!same_name(entry.name, own))
                    kept.push_back(entry);
            const bool changed = kept.size() != entries.size();
            entries.swap(kept);
            return changed;
        });
    }
    table_.close();
}

bool instance_registry_impl::register_user(const wchar_t* name, int device) {
    if (!usable_name(name) || device < 0)
        return false;
    if (is_registered(name))
        return set_device(device);
    const std::wstring lowered = lower_name(name);
    if (!table_.is_open())
        return true;  // no shared memory: the instance runs as if it were alone
    const int stored = resolve(device);
    bool added = false;
    const bool mapped = table_.update([&](std::vector<instance_entry>& entries) {
        for (const instance_entry& entry : entries)
            if (same_name(entry.name, lowered))
                return false;  // entered meanwhile by another instance
        if (entries.size() >= static_cast<size_t>(instance_table::capacity))
            return false;
        instance_entry entry;
        entry.name = lowered;
        entry.device = stored;
        entry.owner = instance_table::current_owner();
        entries.push_back(entry);
        added = true;
        return true;
    });
    if (!mapped)
        return true;
    if (added)
        own_name_ = lowered;
    return added;
}

bool instance_registry_impl::set_device(int device) {
    if (device < 0 || own_name_.empty() || !table_.is_open())
        return false;
    const int stored = resolve(device);
    const std::wstring own = own_name_;
    table_.update([&](std::vector<instance_entry>& entries) {
        for (instance_entry& entry : entries)
            if (same_name(entry.name, own)) {
                entry.device = stored;
                return true;
            }
        return false;
    });
    return true;
}

bool instance_registry_impl::device_in_use(int device) {
    if (!table_.is_open() || device < 0)
        return false;
    const int wanted = resolve(device);
    bool found = false;
    table_.update([&](std::vector<instance_entry>& entries) {
        for (const instance_entry& entry : entries)
            if (entry.device == wanted)
                found = true;
        return false;
    });
    return found;
}

bool instance_registry_impl::is_registered(const wchar_t* name) {
    if (!table_.is_open() || !name)
        return false;
    const std::wstring wanted = lower_name(name);
    bool found = false;
    table_.update([&](std::vector<instance_entry>& entries) {
        for (const instance_entry& entry : entries)
            if (same_name(entry.name, wanted))
                found = true;
        return false;
    });
    return found;
}
