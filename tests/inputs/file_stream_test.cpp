// The file stream: which paths it opens, its content type and path, peek,
// seek and tell, and rewriting in place (reopen, write, set_length).
#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "file_stream.h"
#include "mpeg_media_support.h"
#include "temp_folder.h"

namespace {
std::wstring lower(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(towlower(c));
    return s;
}

bytes counting_bytes(size_t n) {
    bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 7 + 3);
    return b;
}

using file_stream_ptr = component_ptr<file_stream>;
file_stream_ptr open_stream(const std::wstring& path) {
    file_stream_ptr s(new file_stream());
    if (!s->open(path.c_str())) s.reset();
    return s;
}
}  // namespace

TEST(file_stream, content_type_is_the_lowercase_extension_and_path_is_kept_as_given) {
    temp_folder dir;
    ASSERT_TRUE(write_file(dir / L"Song.MP3", counting_bytes(10)));
    ASSERT_TRUE(write_file(dir / L"README", counting_bytes(10)));
    ASSERT_TRUE(write_file(dir / L"a.b.Wav", counting_bytes(10)));
    struct row {
        std::wstring path;
        std::wstring content_type;
    } rows[] = {
        {dir / L"Song.MP3", L"mp3"},
        {dir / L"a.b.Wav", L"wav"},
        {dir / L"README", lower(dir / L"README")},  // no ".": the whole name
        {L"x|" + (dir / L"Song.MP3"), L"mp3"},      // the last "|" piece is the file
        {L"a|b|" + (dir / L"README"), lower(dir / L"README")},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(narrow(r.path));
        file_stream_ptr s = open_stream(r.path);
        ASSERT_TRUE(s);
        EXPECT_EQ(std::wstring(s->content_type), r.content_type);
        EXPECT_EQ(std::wstring(s->path), r.path);
        EXPECT_FALSE(s->busy);
        EXPECT_EQ(s->length(), 10);
        EXPECT_EQ(s->tell(), 0);
        EXPECT_TRUE(s->is_seekable());
        EXPECT_FALSE(s->at_end());
        EXPECT_EQ(s->buffered(), 0);
        EXPECT_TRUE(s->rebuffer());
        unsigned char b[16];
        EXPECT_EQ(s->read(b, 16), 10);
        EXPECT_EQ(b[1], 10);
        EXPECT_EQ(s->read(b, 16), 0);  // the end of a file: read gives 0, at_end stays false
        EXPECT_FALSE(s->at_end());
    }
}

TEST(file_stream, refuses_what_it_cannot_open) {
    temp_folder dir;
    ASSERT_TRUE(write_file(dir / L"empty.mp3", {}));
    ASSERT_TRUE(write_file(dir / L"a.mp3", counting_bytes(10)));
    const std::wstring rows[] = {
        L"",
        dir / L"missing.mp3",
        dir / L"empty.mp3",          // exists, but has no bytes
        (dir / L"a.mp3") + L"|",     // an empty last piece
        L"|",
        dir.path(),                  // a folder
        L"C:\\" + std::wstring(300, L'x') + L".mp3",
    };
    for (const std::wstring& path : rows) {
        SCOPED_TRACE(narrow(path));
        file_stream s;
        EXPECT_FALSE(s.open(path.c_str()));
        unsigned char b[4];
        EXPECT_EQ(s.read(b, 4), 0);
        EXPECT_EQ(s.peek(b, 4), 0);
        EXPECT_EQ(s.seek(0, 0), -1);
        EXPECT_EQ(s.length(), 0);
        EXPECT_EQ(s.tell(), 0);
    }
    file_stream s;
    EXPECT_FALSE(s.open(nullptr));
}

TEST(file_stream, audio_cd_track_names_pass_without_a_file) {
    for (const wchar_t* path : {L"cdda://01|1234abcd|D.cda", L"CDDA://02|x|E.cda", L"CdDa://03"}) {
        SCOPED_TRACE(narrow(path));
        file_stream s;
        ASSERT_TRUE(s.open(path));
        EXPECT_EQ(std::wstring(s.content_type), L"cda");
        EXPECT_EQ(std::wstring(s.path), path);
        unsigned char b[4];
        EXPECT_EQ(s.read(b, 4), 0);
        EXPECT_EQ(s.peek(b, 4), 0);
        EXPECT_EQ(s.length(), 0);
        EXPECT_EQ(s.tell(), 0);
        EXPECT_EQ(s.seek(0, 0), -1);
        s.reopen(L"r+b");
        EXPECT_FALSE(s.is_writable());
        EXPECT_EQ(s.write(b, 4), 0);
    }
}

TEST(file_stream, peek_returns_what_the_next_read_returns_and_keeps_the_position) {
    temp_folder dir;
    const bytes data = counting_bytes(1000);
    ASSERT_TRUE(write_file(dir / L"a.mp3", data));
    file_stream_ptr s = open_stream(dir / L"a.mp3");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->seek(100, 0), 0);
    unsigned char peeked[10], got[10];
    EXPECT_EQ(s->peek(peeked, 10), 10);
    EXPECT_EQ(s->tell(), 100);
    EXPECT_EQ(s->read(got, 10), 10);
    EXPECT_EQ(memcmp(peeked, got, 10), 0);
    EXPECT_EQ(memcmp(got, data.data() + 100, 10), 0);
    EXPECT_EQ(s->tell(), 110);

    // Near the end a peek returns what is left and the position stays.
    ASSERT_EQ(s->seek(-4, 2), 0);
    EXPECT_EQ(s->peek(peeked, 10), 4);
    EXPECT_EQ(s->tell(), 996);
    ASSERT_EQ(s->seek(-6, 1), 0);
    EXPECT_EQ(s->tell(), 990);
    // Counts of 0 or less and null buffers read nothing.
    EXPECT_EQ(s->read(got, 0), 0);
    EXPECT_EQ(s->read(got, -5), 0);
    EXPECT_EQ(s->read(nullptr, 5), 0);
    EXPECT_EQ(s->peek(got, -1), 0);
    EXPECT_EQ(s->tell(), 990);
    // Offsets beyond the runtime's 32-bit file offsets are refused, not cut.
    EXPECT_EQ(s->seek(int64_t(1) << 32, 0), -1);
    EXPECT_EQ(s->tell(), 990);
}

TEST(file_stream, set_length_cuts_the_file_and_keeps_the_position_within_it) {
    temp_folder dir;
    struct row {
        int position;
        int expected;
    } rows[] = {{80, 50}, {20, 20}, {50, 50}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.position);
        ASSERT_TRUE(write_file(dir / L"a.mp3", counting_bytes(100)));
        file_stream_ptr s = open_stream(dir / L"a.mp3");
        ASSERT_TRUE(s);
        ASSERT_EQ(s->seek(r.position, 0), 0);
        s->set_length(50);  // read-only: nothing happens
        EXPECT_EQ(s->length(), 100);
        s->reopen(L"r+b");
        ASSERT_TRUE(s->is_writable());
        EXPECT_EQ(s->tell(), r.position);
        s->set_length(50);
        EXPECT_EQ(s->tell(), r.expected);
        EXPECT_EQ(s->length(), 50);
        s->reopen(L"rb");
        EXPECT_FALSE(s->is_writable());
        EXPECT_EQ(s->tell(), r.expected);
        s.reset();
        EXPECT_EQ(read_file(dir / L"a.mp3").size(), 50u);
    }
}

TEST(file_stream, rewrites_in_place_only_while_open_for_update) {
    temp_folder dir;
    const std::wstring name = dir / L"a.mp3";
    ASSERT_TRUE(write_file(name, counting_bytes(100)));
    for (const std::wstring& path : {name, L"prefix|" + name}) {
        SCOPED_TRACE(narrow(path));
        file_stream_ptr s = open_stream(path);
        ASSERT_TRUE(s);
        const unsigned char text[3] = {'a', 'b', 'c'};
        EXPECT_EQ(s->write(text, 3), 0);  // read-only
        s->reopen(L"rb");                 // already read-only: nothing changes
        EXPECT_FALSE(s->is_writable());
        ASSERT_EQ(s->seek(10, 0), 0);
        s->reopen(L"R+B");
        ASSERT_TRUE(s->is_writable());
        EXPECT_EQ(s->tell(), 10);
        EXPECT_EQ(s->write(text, 3), 3);
        // Still buffered in the stream: a second reopen for update must not
        // close and reopen the file (which would write the bytes out).
        EXPECT_EQ(read_file(name)[10], counting_bytes(100)[10]);
        s->reopen(L"r+b");
        EXPECT_EQ(read_file(name)[10], counting_bytes(100)[10]);
        EXPECT_EQ(s->tell(), 13);
        s->reopen(L"rb");  // back to read-only: the file is reopened, the bytes are written
        EXPECT_FALSE(s->is_writable());
        EXPECT_EQ(s->tell(), 13);
        bytes on_disk = read_file(name);
        ASSERT_EQ(on_disk.size(), 100u);
        EXPECT_EQ(on_disk[10], 'a');
        EXPECT_EQ(on_disk[12], 'c');
        unsigned char b[1];
        EXPECT_EQ(s->read(b, 1), 1);  // the stream reads on after the reopen
        EXPECT_EQ(b[0], on_disk[13]);
        s->reopen(L"w+b");  // not a mode it switches to
        EXPECT_FALSE(s->is_writable());
        ASSERT_TRUE(write_file(name, counting_bytes(100)));
    }
}

TEST(file_stream, close_may_be_called_again_and_ends_reading) {
    temp_folder dir;
    ASSERT_TRUE(write_file(dir / L"a.mp3", counting_bytes(10)));
    file_stream_ptr s = open_stream(dir / L"a.mp3");
    ASSERT_TRUE(s);
    s->close();
    s->close();
    unsigned char b[4];
    EXPECT_EQ(s->read(b, 4), 0);
    EXPECT_EQ(s->length(), 0);
    EXPECT_EQ(s->seek(0, 0), -1);
    // And it opens again.
    EXPECT_TRUE(s->open((dir / L"a.mp3").c_str()));
    EXPECT_EQ(s->read(b, 4), 4);
}
