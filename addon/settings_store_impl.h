#pragma once
// The settings store of zel_addv2 (interface: core/settings_store.h).
//
// File: <application data>\zel_player.xml, set by on_init. Shape: the
// document element ("ZELPlayer" when the store makes it; another name in an
// existing file is kept), one element per user ("Local" before any login),
// in it one element per section, in that one element per key whose text is
// the value. Names match ignoring case; created elements keep the case they
// were given. Names that are no XML names are stored escaped (xml_name.h).
//
// Every write loads, changes and saves the file under the file's named mutex
// (file_lock.h). Reads are answered from the values of the last load, which
// are kept while the file stays the same (its size and times of creation
// and last change); any change, by this process or another, makes the next read
// load the file again. A login reads a thousand favourite keys, which would
// otherwise parse the file a thousand times.
//
// Stored data is never lost: a file that exists but cannot be parsed is
// moved aside to "<file>.bad" before a write replaces it (when it cannot be
// moved, nothing is written), and a file that cannot be opened at all (held
// by another program) is neither read nor written.
#include <map>
#include <string>
#include <vector>
#include "critsec.h"
#include "settings_store.h"

class settings_store_impl : public singleton_component<settings_store> {
public:
    void add_listener(settings_listener* listener) override;
    void set_user(const wchar_t* name) override;
    const wchar_t* music_cache_folder() override;
    const wchar_t* info_cache_folder() override;
    wchar_t* read(const wchar_t* section, const wchar_t* key, const wchar_t* user) override;
    void write(const wchar_t* section, const wchar_t* key, const wchar_t* value, const wchar_t* user) override;

    // The init hook: the file becomes <application data>\zel_player.xml.
    void on_init();
    // Uses another file (on_init's choice otherwise).
    void set_file_path(const std::wstring& path);
    std::wstring file_path();

private:
    // Size, time of last change and time of creation of the file; not
    // present when it cannot be queried.
    struct file_stamp {
        bool present = false;
        DWORD size_high = 0, size_low = 0;
        FILETIME written = {0, 0};
        FILETIME created = {0, 0};
        bool operator==(const file_stamp& o) const;
    };
    static file_stamp stamp_of(const std::wstring& path);
    // The value from the kept values, loading the file when it changed.
    std::wstring cached_value(const std::wstring& path, const std::wstring& value_key);
    void keep_values(const std::wstring& path, const file_stamp& stamp, std::map<std::wstring, std::wstring>& values);

    // The element name of the user a call addresses (see settings_store.h).
    std::wstring user_element(const wchar_t* user);

    critsec listener_lock_;  // the listener list; held while listeners run
    std::vector<settings_listener*> listeners_;

    // The fields below are read by read and write on any thread, so they are
    // copied under their own lock, which is never held while calling out.
    critsec state_lock_;
    std::wstring path_;
    std::wstring user_;
    std::wstring music_folder_;
    std::wstring info_folder_;

    // The values of the last load or save (see the top of this file).
    critsec cache_lock_;
    bool cache_valid_ = false;
    std::wstring cache_path_;
    file_stamp cache_stamp_;
    std::map<std::wstring, std::wstring> cache_;
};
