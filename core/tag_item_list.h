#pragma once
// tag_item_list: the tags at the end of an audio file (ID3v1, APE v1 and APE
// v2) as one list of named items, and the writing of such a list back as one
// trailing tag. zel_tag (zel_tag.h) makes one for each reading, update and
// removal of a file's tags.
//
// Items are unique by name ignoring ASCII case. Each has a priority: 10 for
// ID3v1, 19 for APE v1, 20 for APE v2, 0 for an item set by the editor; a
// reader's item replaces an existing one only when its priority is higher, so
// APE v2 beats APE v1 beats ID3v1 whatever their order in the file. Values
// are UTF-8 text (APE v2 items marked binary hold raw bytes); a NUL byte
// inside an APE v2 text value, which separates several values, reads as "; "
// and is written back as a NUL byte.
//
// The stream is not owned. Not locked: one thread at a time.
#include <cstdint>
#include <string>
#include <vector>

#include "zel_export.h"

class stream;

class ZEL_CORE_API tag_item_list {
public:
    enum : int {
        // Kinds of the tag last read, and the kind that write() writes.
        kind_none = 0,
        kind_id3v1 = 1,
        kind_ape_v1 = 2,
        kind_ape_v2 = 3,
        // The result of a failed write() or strip().
        write_error = 2,
        // The item flag of an APE v2 binary value.
        flag_binary = 2,
        // Tags are peeled from this many bytes at the end of the file.
        window_size = 131072,
    };

    tag_item_list();
    ~tag_item_list();
    tag_item_list(const tag_item_list&) = delete;
    tag_item_list& operator=(const tag_item_list&) = delete;

    // Reads the trailing tags of s, which must be positioned at the start of
    // the file. 0 when done (also when there is no tag); -1 when the file
    // begins with a non-empty or malformed ID3v2 tag, whose file's trailing
    // tags are neither read nor written (write() and strip() then fail).
    // Leaves the stream's position anywhere. With past_leading_tag, the
    // trailing tags behind a well-formed leading ID3v2 tag are read too (for
    // removing them).
    int open(stream* s, bool past_leading_tag = false);

    // The value of the item of that name (ignoring case), or null.
    const char* find(const char* name) const;
    // Its value length in bytes (values may hold NUL bytes), -1 when absent.
    int value_length(const char* name) const;
    // Sets the item's value whatever its priority (flags and priority become
    // 0), or appends a new item with flags and priority 0. Null means "".
    void put(const char* name, const char* value);
    // For the readers: replaces an existing item of that name only when its
    // priority is lower than this one (keeping the name), else appends.
    void offer(const char* name, const char* value, int length, int flags, int priority);

    // Writes the list as a tag of kind() in place of the trailing tags that
    // open() found; the file ends right after it. write_error when the file
    // no longer ends where open() left it, when positioning or writing fails,
    // or when a value cannot be converted to the ANSI code page (ID3v1, APE
    // v1); anything else on success. The file may then be partly written.
    int write();
    // Cuts the file at the end of the audio (the start of the trailing
    // tags); write_error on failure, else 0.
    int strip();

    int kind() const;
    void set_kind(int kind);
    int count() const;
    const char* name_at(int index) const;   // null outside 0..count()-1
    const char* value_at(int index) const;
    int flags_at(int index) const;
    int priority_at(int index) const;
    int64_t leading_size() const;  // of an ID3v2 tag at the start, 0 when none
    int64_t audio_end() const;     // where the trailing tags begin
    int64_t file_end() const;      // the file length when the tags were read

private:
    struct item {
        std::string name;
        std::string value;
        int flags;
        int priority;
    };
    struct window {
        const unsigned char* data;
        int64_t length;  // bytes not yet consumed, from data on
    };

    int index_of(const char* name) const;
    void replace_in_values(const std::string& pattern, const std::string& replacement);
    bool read_ape(window& w, uint32_t version);
    bool read_id3v1(window& w);
    bool start_write(bool to_ansi);
    bool finish_write(int64_t end);
    int write_id3v1();
    int write_ape_v1();
    int write_ape_v2();

    stream* m_stream;
    int64_t m_leading_size;
    int64_t m_audio_end;
    int64_t m_file_end;
    int m_kind;
    std::vector<item> m_items;
};
