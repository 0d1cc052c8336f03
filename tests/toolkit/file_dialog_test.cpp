// The file dialog's filter and the walk through a selection, on selection
// buffers prepared as the dialog leaves them (no dialog is shown here).
#include "file_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit_test_support.h"

namespace {
// A file dialog whose buffers the test fills.
class prepared_dialog : public file_dialog {
public:
    explicit prepared_dialog(unsigned long flags, const wchar_t* filter = nullptr)
        : file_dialog(true, nullptr, nullptr, flags, filter, nullptr) {}
    // The buffer's content (NULs included, as written) and the flags the
    // dialog would have left.
    void fill(const std::wstring& content, unsigned long flags) {
        wmemset(file_, 0, file_size);
        wmemcpy(file_, content.data(), std::min<size_t>(content.size(), file_size));
        ofn_.Flags = flags;
    }
    void set_title(const wchar_t* title, WORD extension_offset) {
        lstrcpynW(title_, title, title_size);
        ofn_.nFileExtension = extension_offset;
    }
    std::wstring filter() const {
        const wchar_t* p = ofn_.lpstrFilter;
        if (!p) return L"<none>";
        std::wstring out;
        while (*p) {  // up to the double NUL
            out += p;
            out += L'|';
            p += wcslen(p) + 1;
        }
        return out;
    }
    unsigned long flags() const { return ofn_.Flags; }
    std::wstring file() const { return std::wstring(file_); }

    std::vector<std::wstring> walk() {
        std::vector<std::wstring> paths;
        void* cursor = get_start_position();
        while (cursor && paths.size() < 10000) paths.push_back(get_next_path(cursor).wvalue());
        return paths;
    }
};

std::wstring with_nuls(const wchar_t* text, size_t length) { return std::wstring(text, length); }
#define BUFFER(literal) with_nuls(literal, sizeof(literal) / sizeof(wchar_t) - 1)

const unsigned long kExplorerMulti = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
}  // namespace

TEST(file_dialog, walks_every_form_of_selection) {
    struct {
        const char* name;
        std::wstring buffer;
        unsigned long flags;
        std::vector<std::wstring> paths;
    } cases[] = {
        {"single file in a multiple-selection dialog", BUFFER(L"C:\\Music\\a.mp3\0\0"), kExplorerMulti,
         {L"C:\\Music\\a.mp3"}},
        {"three files in a drive root", BUFFER(L"C:\\\0a.mp3\0b.mp3\0c.wav\0\0"), kExplorerMulti,
         {L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\c.wav"}},
        {"three files in a folder", BUFFER(L"C:\\Music\0a.mp3\0b.mp3\0c.wav\0\0"), kExplorerMulti,
         {L"C:\\Music\\a.mp3", L"C:\\Music\\b.mp3", L"C:\\Music\\c.wav"}},
        {"Korean names", BUFFER(L"D:\\\xC74C\xC545\0\xB178\xB798 1.mp3\0\xB178\xB798 2.mp3\0\0"), kExplorerMulti,
         {L"D:\\\xC74C\xC545\\\xB178\xB798 1.mp3", L"D:\\\xC74C\xC545\\\xB178\xB798 2.mp3"}},
        {"old space-separated form", BUFFER(L"C:\\MUSIC A.MP3 B.MP3 C.WAV\0"), OFN_ALLOWMULTISELECT,
         {L"C:\\MUSIC\\A.MP3", L"C:\\MUSIC\\B.MP3", L"C:\\MUSIC\\C.WAV"}},
        {"old form in a root", BUFFER(L"A:\\ X.MP3 Y.MP3\0"), OFN_ALLOWMULTISELECT, {L"A:\\X.MP3", L"A:\\Y.MP3"}},
        {"old form, one file", BUFFER(L"C:\\MUSIC\\A.MP3\0"), OFN_ALLOWMULTISELECT, {L"C:\\MUSIC\\A.MP3"}},
        {"no multiple selection: the whole text", BUFFER(L"C:\\My Music\\a b.mp3\0"), OFN_EXPLORER,
         {L"C:\\My Music\\a b.mp3"}},
        {"nothing chosen", BUFFER(L"\0"), kExplorerMulti, {L""}},
    };
    for (auto& c : cases) {
        prepared_dialog d(0);
        d.fill(c.buffer, c.flags);
        EXPECT_EQ(d.walk(), c.paths) << c.name;
    }
}

// The dialog may leave a buffer without its closing NULs; the walk stops at
// the buffer's end instead of reading past it.
TEST(file_dialog, a_buffer_without_its_closing_nuls_is_walked_to_its_end_only) {
    prepared_dialog d(0);
    std::wstring full(L"C:\\x");
    full += L'\0';
    while (full.size() < file_dialog::file_size) full += L"name.mp3" + std::wstring(1, L'\0');
    full.resize(file_dialog::file_size, L'n');
    d.fill(full, kExplorerMulti);
    const auto paths = d.walk();
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(paths.front(), L"C:\\x\\name.mp3");
    EXPECT_LT(paths.size(), file_dialog::file_size / 2u);

    std::wstring spaces(file_dialog::file_size, L'a');
    spaces[3] = L' ';
    d.fill(spaces, OFN_ALLOWMULTISELECT);
    EXPECT_EQ(d.walk().size(), 1u);
}

TEST(file_dialog, the_filter_becomes_nul_separated_pairs_ending_in_two_nuls) {
    EXPECT_EQ(prepared_dialog(0, L"\xC74C\xC545|*.mp3;*.wav|All|*.*|").filter(), L"\xC74C\xC545|*.mp3;*.wav|All|*.*|");
    EXPECT_EQ(prepared_dialog(0, L"Audio|*.mp3").filter(), L"Audio|*.mp3|");  // the last "|" left out
    EXPECT_EQ(prepared_dialog(0).filter(), L"<none>");
}

TEST(file_dialog, explorer_style_and_sizing_are_always_on) {
    prepared_dialog d(OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY);
    EXPECT_EQ(d.flags(), static_cast<unsigned long>(OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_EXPLORER |
                                                    OFN_ENABLESIZING));
}

TEST(file_dialog, an_initial_name_longer_than_the_buffer_is_cut) {
    const std::wstring name(file_dialog::file_size + 500, L'q');
    file_dialog d(false, L"cpl", name.c_str(), 0, nullptr, nullptr);
    EXPECT_EQ(std::wstring(d.get_path().wvalue()), std::wstring(file_dialog::file_size - 1, L'q'));
}

TEST(file_dialog, name_extension_and_title_of_the_chosen_file) {
    prepared_dialog d(0);
    d.fill(BUFFER(L"C:\\Music\\my.song.mp3\0"), OFN_EXPLORER);
    d.set_title(L"my.song.mp3", 17);
    EXPECT_STREQ(d.get_path().wvalue(), L"C:\\Music\\my.song.mp3");
    EXPECT_STREQ(d.get_file().wvalue(), L"my.song.mp3");
    EXPECT_STREQ(d.get_extension().wvalue(), L"mp3");
    EXPECT_STREQ(d.get_title().wvalue(), L"my.song");
    d.set_title(L"README", 0);
    EXPECT_STREQ(d.get_extension().wvalue(), L"");
    EXPECT_STREQ(d.get_title().wvalue(), L"README");
}
