// The playlist-format services of zel_playlist: four playlist loaders, the
// ".cpl" path expander and five file types. All registrations stand in this
// one file so that their order is fixed: each node goes to the head of the
// library's list, so enumeration meets them in the reverse order (loaders
// ASX, M3U, PLS, WPL; file types ZEL, ASX, M3U, PLS, WPL).
#include <new>
#include "file_type.h"
#include "path_expander.h"
#include "playlist_formats.h"
#include "playlist_loader.h"
#include "service_factory.h"

namespace {

bool load_guarded(playlist_format format, const wchar_t* path, std::vector<list_info>& entries) {
    try {
        return load_playlist(format, path, entries);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

template <playlist_format Format>
class format_loader : public singleton_component<playlist_loader> {
public:
    bool load(const wchar_t* path, std::vector<list_info>& entries) override {
        // Refused before the guarded call: setting up the exception frame
        // costs more than the check, and most paths are no playlist.
        return playlist_path_fits(Format, path) && load_guarded(Format, path, entries);
    }
};

class cpl_expander : public singleton_component<path_expander> {
public:
    bool expand(const wchar_t* path, std::vector<list_info>& entries) override {
        try {
            return read_cpl_playlist(path, entries);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
};

struct file_type_row {
    const wchar_t* description;
    const wchar_t* extensions;
};

const file_type_row file_type_rows[] = {
    {L"WPL Playlist", L"*.wpl"}, {L"PLS Playlist", L"*.pls"}, {L"M3U Playlist", L"*.m3u;*.m3u8"},
    {L"ASX Playlist", L"*.asx"}, {L"ZEL Playlist", L"*.cpl"},
};

template <int Row>
class playlist_file_type : public singleton_component<file_type> {
public:
    const wchar_t* description() override { return file_type_rows[Row].description; }
    const wchar_t* extensions() override { return file_type_rows[Row].extensions; }
};

// Registration order.
singleton_factory<playlist_loader, format_loader<playlist_format::wpl>> wpl_loader_node;
singleton_factory<playlist_loader, format_loader<playlist_format::pls>> pls_loader_node;
singleton_factory<playlist_loader, format_loader<playlist_format::m3u>> m3u_loader_node;
singleton_factory<playlist_loader, format_loader<playlist_format::asx>> asx_loader_node;
singleton_factory<file_type, playlist_file_type<0>> wpl_type_node;
singleton_factory<file_type, playlist_file_type<1>> pls_type_node;
singleton_factory<file_type, playlist_file_type<2>> m3u_type_node;
singleton_factory<file_type, playlist_file_type<3>> asx_type_node;
singleton_factory<file_type, playlist_file_type<4>> cpl_type_node;
singleton_factory<path_expander, cpl_expander> cpl_expander_node;

}  // namespace
