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
// Every read loads the file and every write loads, changes and saves it,
// under the file's named mutex (file_lock.h). A file that exists
// but cannot be parsed is moved aside to "<file>.bad" before a write
// replaces it, so that its content is not lost.
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
};
