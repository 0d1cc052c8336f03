#pragma once
// What the launcher keeps between runs in "zel_mtplayer.xml" of the
// player's folder in the application-data folder:
//
//   <ZELPlayer>
//     <position><left/><top/><right/><bottom/></position>   window rectangle
//     <ids><STOREID><device/><autostart/></STOREID>...</ids>  per store row
//   </ZELPlayer>
//
// Element names are matched without regard to case, the first of equal
// names counts. A store id that is not an XML name is written escaped (as
// the player's settings store writes user ids), so every row keeps its
// device and flag. A file that cannot be read behaves as an empty one; when
// it exists but does not parse, the save keeps it aside as
// "zel_mtplayer.xml.bad" before writing a new one.
//
// Also here: the program version from the player's INI file, and the
// account's credentials that the launcher leaves in the registry for the
// player's stored-credentials login.
#include <windows.h>

#include <string>
#include <vector>

#include "credentials.h"

struct launcher_store {
    std::wstring id;
    std::wstring device;
    bool autostart = false;
};

class launcher_settings {
public:
    // The file at path; an empty path means the application-data file.
    explicit launcher_settings(const std::wstring& path = std::wstring());

    // "<application data>\zel_player\zel_mtplayer.xml".
    static std::wstring default_path();

    // Reads the file; false when it could not be read or parsed (the
    // settings are then empty).
    bool load();
    // Whether the last load found a file it could not parse.
    bool corrupt() const { return corrupt_; }

    // The saved window rectangle; false when there is none or it is empty.
    bool saved_rect(RECT& out) const;
    // The saved device and flag of a store id (any case); false when none.
    bool find_store(const std::wstring& id, launcher_store& out) const;

    void set_position(const RECT& rect);
    // Replaces every store element by these, in order.
    void set_stores(const std::vector<launcher_store>& stores);
    // Writes the file (its folder made when missing); false when it could
    // not be written (the old file is then left as it was).
    bool save();

    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
    bool corrupt_;
    bool has_rect_;
    RECT rect_;
    std::vector<launcher_store> stores_;
};

// "ver." and the [app] "version" of the player's INI file (UTF-8) in the
// application-data folder, or "ver.1.0.0.0.0" when it has none. ini_path
// empty: "<application data>\zel_player\zel_player.ini".
std::wstring launcher_version_caption(const std::wstring& ini_path = std::wstring());

// Stores the account id (id true) or password encrypted in the registry as
// the player's login reads them: the ANSI text and one zero byte.
void save_launcher_credential(bool id, const std::wstring& text, const credential_key& key = credential_key());
