#pragma once
// Shared helpers of the tag tests: the generated fixtures
// (make_tag_fixtures.py, built into ZEL_TAG_FIXTURE_DIR), work copies of them
// in a state folder, streams over those copies, and the independent checker
// tag_check.py run on the Linux side.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "test_file_stream.h"

namespace tag_test {

// The texts that make_tag_fixtures.py writes into the tagged fixtures.
inline const char* const kTitle = "봄날의 노래";
inline const char* const kArtist = "김민수";
inline const char* const kAlbum = "사계절";
inline const char* const kComment = "매장 음악";

// The bytes of a file; "" when it cannot be read.
std::string read_bytes(const std::wstring& path);
bool write_bytes(const std::wstring& path, const std::string& data);
std::string hex(const std::string& bytes);

// A folder of work files for one test, removed at its end.
class work_folder {
public:
    work_folder();
    ~work_folder();
    work_folder(const work_folder&) = delete;
    work_folder& operator=(const work_folder&) = delete;

    bool ok() const { return !m_folder.empty(); }
    // A copy of the fixture under the same name; "" when it failed.
    std::wstring copy(const char* fixture);
    // A new file holding data.
    std::wstring make(const char* name, const std::string& data);

private:
    std::wstring m_folder;
    std::string m_unix_folder;
};

// The generated fixture's bytes.
std::string fixture(const char* name);

// A stream opened on path (read-only, as the file stream opens it).
std::unique_ptr<test_file_stream> open_stream(const std::wstring& path);

// An item that a trailing tag must hold: its UTF-8 value, APE item flags.
struct item {
    std::string name;
    std::string value;
    int flags = 0;
};

// The checker's verdict on the trailing tag of path: "ok\n" or a mismatch
// report. kind: "id3v1", "apev1", "apev2"; items in the order in which the
// tag must hold them.
std::string check_trailing(const std::wstring& path, long long audio_length, const char* kind,
                           const std::vector<item>& items);

// The checker's lines on the ID3v2 tag of path (see tag_check.py).
std::vector<std::string> dump_id3v2(const std::wstring& path);
// The lines that begin with prefix.
std::vector<std::string> lines_with(const std::vector<std::string>& lines, const std::string& prefix);

}  // namespace tag_test
