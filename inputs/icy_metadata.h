#pragma once
// Pieces of an ICY reply (HTTP with metadata blocks between the audio bytes)
// that the HTTP stream takes apart: the items of one metadata block, the
// server text of the reply headers and the size of an ID3v2 tag at the start
// of the data. No state, no lock.
#include <string>

namespace icy {

// The items found in one metadata block (the block's text, NUL-padded, as
// received). Only the title is taken when the block has one; the stream URL
// only when it has no "StreamTitle=" at all.
struct block_items {
    bool has_title = false;
    std::string title;  // ANSI bytes, at most max_item bytes
    bool has_url = false;
    std::string url;    // ANSI bytes, at most max_item bytes
};

const int max_item = 256;

// Reads "StreamTitle='...'" (else "StreamUrl='...'") from the first length
// bytes of block, names compared ignoring case. The text ends at the first
// NUL. A value needs its opening and closing quote inside the text; a block
// that ends right after "StreamTitle=" (or whose closing quote is missing)
// yields nothing. Never reads past block[length - 1].
block_items parse_block(const char* block, int length);

// The text reported as "Server": server, or notice2 when server is empty,
// cut before a "<br>" (any case) that does not start it. Null counts as "".
std::string server_text(const char* server, const char* notice2);

// The bytes to drop at the start of the data: an ID3v2 tag (header, body and
// footer) when head (size bytes, 10 or more) begins with a valid tag
// header, else 0.
long long id3_tag_bytes(const unsigned char* head, int size);

}  // namespace icy
