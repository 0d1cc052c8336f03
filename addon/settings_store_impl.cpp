// The per-user XML settings store (see settings_store_impl.h).
#include "settings_store_impl.h"
#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include "core.h"
#include "settings_document.h"
#include "file_lock.h"
#include "xml_name.h"

namespace {
const wchar_t k_file_name[] = L"zel_player.xml";
const wchar_t k_local_user[] = L"Local";

wchar_t* heap_copy(const std::wstring& text) {
    wchar_t* copy = static_cast<wchar_t*>(malloc((text.size() + 1) * sizeof(wchar_t)));
    if (copy) wmemcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

std::wstring appdata_folder() {
    wchar_t* folder = core::get_appdata_path();
    std::wstring result = folder ? folder : L"";
    free(folder);
    return result;
}

// True when the file is out of the way (or empty, so nothing is lost).
bool move_aside_unreadable(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return true;
    if (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0) return true;  // nothing to keep
    return MoveFileExW(path.c_str(), (path + L".bad").c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}
}  // namespace

void settings_store_impl::add_listener(settings_listener* listener) {
    if (!listener) return;
    auto_sync lock(listener_lock_);
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void settings_store_impl::set_user(const wchar_t* name) {
    const std::wstring user = name ? name : L"";
    // The cache folders; the application-data folder itself first, which a
    // fresh installation may not have yet.
    const std::wstring base = appdata_folder();
    const std::wstring temp = base + L"\\temp";
    const std::wstring music = temp + L"\\music";
    const std::wstring info = temp + L"\\info";
    CreateDirectoryW(base.c_str(), nullptr);
    CreateDirectoryW(temp.c_str(), nullptr);
    CreateDirectoryW(music.c_str(), nullptr);
    CreateDirectoryW(info.c_str(), nullptr);
    {
        auto_sync lock(state_lock_);
        user_ = user;
        music_folder_ = music;
        info_folder_ = info;
    }
    auto_sync lock(listener_lock_);
    for (settings_listener* listener : listeners_) listener->on_user_changed(user.c_str());
}

const wchar_t* settings_store_impl::music_cache_folder() {
    auto_sync lock(state_lock_);
    return music_folder_.c_str();
}

const wchar_t* settings_store_impl::info_cache_folder() {
    auto_sync lock(state_lock_);
    return info_folder_.c_str();
}

std::wstring settings_store_impl::user_element(const wchar_t* user) {
    std::wstring name;
    if (user) {
        name = user;
    } else {
        auto_sync lock(state_lock_);
        name = user_;
    }
    if (name.empty()) name = k_local_user;
    return encode_xml_name(name);
}

bool settings_store_impl::file_stamp::operator==(const file_stamp& o) const {
    return present == o.present && size_high == o.size_high && size_low == o.size_low &&
           CompareFileTime(&written, &o.written) == 0 && CompareFileTime(&created, &o.created) == 0;
}

// One query of the file's attributes: every save writes a new file that
// replaces the old one, so its times change with every save.
settings_store_impl::file_stamp settings_store_impl::stamp_of(const std::wstring& path) {
    file_stamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return stamp;
    stamp.present = true;
    stamp.size_high = data.nFileSizeHigh;
    stamp.size_low = data.nFileSizeLow;
    stamp.written = data.ftLastWriteTime;
    stamp.created = data.ftCreationTime;
    return stamp;
}

void settings_store_impl::keep_values(const std::wstring& path, const file_stamp& stamp,
                                      std::map<std::wstring, std::wstring>& values) {
    auto_sync lock(cache_lock_);
    cache_valid_ = stamp.present;
    cache_path_ = path;
    cache_stamp_ = stamp;
    cache_.swap(values);
}

std::wstring settings_store_impl::cached_value(const std::wstring& path, const std::wstring& value_key) {
    file_stamp stamp = stamp_of(path);
    if (!stamp.present) return std::wstring();  // no file (or none that can be queried)
    {
        auto_sync lock(cache_lock_);
        if (cache_valid_ && cache_path_ == path && cache_stamp_ == stamp) {
            auto found = cache_.find(value_key);
            return found == cache_.end() ? std::wstring() : found->second;
        }
    }
    // The file changed: load it while no writer can change it.
    std::map<std::wstring, std::wstring> values;
    {
        file_lock guard(path.c_str());
        stamp = stamp_of(path);
        settings_document doc;
        if (!stamp.present || !doc.load(path) || doc.state() != settings_document::loaded) return std::wstring();
        doc.collect(values);
    }
    auto found = values.find(value_key);
    std::wstring value = found == values.end() ? std::wstring() : found->second;
    keep_values(path, stamp, values);
    return value;
}

wchar_t* settings_store_impl::read(const wchar_t* section, const wchar_t* key, const wchar_t* user) {
    if (!section || !key) return heap_copy(std::wstring());
    const std::wstring section_name = encode_xml_name(section);
    const std::wstring key_name = encode_xml_name(key);
    const std::wstring user_name = user_element(user);
    const std::wstring path = file_path();
    if (section_name.empty() || key_name.empty() || path.empty()) return heap_copy(std::wstring());
    return heap_copy(cached_value(path, settings_document::value_key(user_name, section_name, key_name)));
}

void settings_store_impl::write(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                const wchar_t* user) {
    if (!section || !key || !value) return;
    const std::wstring section_name = encode_xml_name(section);
    const std::wstring key_name = encode_xml_name(key);
    const std::wstring user_name = user_element(user);
    const std::wstring path = file_path();
    if (section_name.empty() || key_name.empty() || path.empty()) return;

    file_lock guard(path.c_str());
    settings_document doc;
    com_ptr<IXMLDOMNode> user_node, section_node, key_node;
    // A file that cannot be opened (held by another program) is left alone.
    if (!doc.open_user(path, user_name, user_node)) return;
    if (!doc.find_child(user_node.get(), section_name, section_node) &&
        !doc.add_child(user_node.get(), section_name, section_node))
        return;
    if (doc.find_child(section_node.get(), key_name, key_node)) {
        if (!settings_document::set_text(key_node.get(), value)) return;
    } else {
        if (!doc.add_child(section_node.get(), key_name, key_node)) return;
        if (*value && !settings_document::set_text(key_node.get(), value)) return;
    }
    // A file that does not parse is kept as "<file>.bad"; while it cannot be
    // moved aside it is not overwritten.
    if (doc.state() == settings_document::unreadable && !move_aside_unreadable(path)) return;
    if (!doc.save(path)) return;
    std::map<std::wstring, std::wstring> values;
    doc.collect(values);
    keep_values(path, stamp_of(path), values);
}

void settings_store_impl::on_init() { set_file_path(appdata_folder() + L"\\" + k_file_name); }

void settings_store_impl::set_file_path(const std::wstring& path) {
    auto_sync lock(state_lock_);
    path_ = path;
}

std::wstring settings_store_impl::file_path() {
    auto_sync lock(state_lock_);
    return path_;
}
