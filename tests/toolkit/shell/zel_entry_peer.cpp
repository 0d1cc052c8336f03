// Another process that drags playlist entries: it makes a data object of
// entries (and one of entry pointers), asks it for its private formats as a
// drop target in another process would receive them, and writes each
// block's bytes in hex to standard output, one line per format:
//   ENTRIES <hex>
//   ENTRIES2 <hex>
// It ends only when its standard input closes, so that its entries are
// still alive while the test reads them (a stale address would be the
// harmless case).
#include <cstdio>
#include <vector>

#include "drag_drop.h"

namespace {
void write_block(const char* name, IDataObject* data, UINT format) {
    FORMATETC f = {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    std::printf("%s ", name);
    if (data->GetData(&f, &medium) == S_OK) {
        const unsigned char* p = static_cast<const unsigned char*>(GlobalLock(medium.hGlobal));
        const SIZE_T size = GlobalSize(medium.hGlobal);
        for (SIZE_T i = 0; p && i < size; ++i) std::printf("%02x", p[i]);
        GlobalUnlock(medium.hGlobal);
        ReleaseStgMedium(&medium);
    }
    std::printf("\n");
}
}  // namespace

int main() {
    std::vector<list_info> entries(2);
    list_info::set_string(entries[0].path, L"C:\\music\\peer_one.mp3");
    list_info::set_string(entries[0].title, L"다른 프로그램의 노래");
    list_info::set_string(entries[1].path, L"C:\\music\\peer_two.mp3");
    std::vector<list_info*> pointers = {&entries[0], &entries[1]};

    data_object* copies = new data_object(entries);
    data_object* pointed = new data_object(pointers);
    write_block("ENTRIES", copies, entries_clipboard_format());
    write_block("ENTRIES2", pointed, entry_pointers_clipboard_format());
    std::fflush(stdout);

    char buffer[16];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    copies->Release();
    pointed->Release();
    return 0;
}
