#include <vector>

#include "seek_table.h"
#include "stream.h"
#include "utility.h"

seek_table_cache& seek_table_cache::instance() {
    static seek_table_cache cache;
    return cache;
}

seek_table_cache::~seek_table_cache() {
    auto_sync guard(lock_);
    for (seek_table* t : tables_) delete t;
    tables_.clear();
    keys_.clear();
}

stringx seek_table_cache::key_of(stream* source) {
    std::vector<stringx> pieces;
    if (source) utility::string_tokenizer(source->path, L"|", pieces);
    return pieces.empty() ? stringx(L"") : pieces.back();
}

int seek_table_cache::index_of(const stringx& key) {
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i].equals_ignore_case(key)) return int(i);
    return -1;
}

void seek_table_cache::remove_at(int index) {
    delete tables_[index];
    tables_.erase(tables_.begin() + index);
    keys_.erase(keys_.begin() + index);
}

int64_t seek_table_cache::lookup(stream* source, double seconds) {
    seek_table::seek_point point;
    return locate(source, seconds, &point) ? point.offset : -1;
}

bool seek_table_cache::locate(stream* source, double seconds, seek_table::seek_point* point) {
    auto_sync guard(lock_);
    const int at = index_of(key_of(source));
    if (at < 0) return false;
    *point = tables_[at]->locate(source, seconds);
    return true;
}

void seek_table_cache::add(stream* source, int64_t data_start, int64_t file_length) {
    auto_sync guard(lock_);
    const stringx key = key_of(source);
    const int at = index_of(key);
    if (at >= 0) {
        const seek_table* t = tables_[at];
        if (t->data_start() == data_start && t->file_length == file_length) return;
        // The file was rewritten (a tag edit moves the audio): its offsets are stale.
        remove_at(at);
    }
    if (int(tables_.size()) >= max_tables) remove_at(0);
    seek_table* t = new (std::nothrow) seek_table();
    if (!t) return;
    t->reset(data_start);
    t->file_length = file_length;
    tables_.push_back(t);
    keys_.push_back(key);
}

int seek_table_cache::count() {
    auto_sync guard(lock_);
    return int(tables_.size());
}

bool seek_table_cache::holds(const wchar_t* key) {
    auto_sync guard(lock_);
    return index_of(stringx(key ? key : L"")) >= 0;
}

void seek_table_cache::clear() {
    auto_sync guard(lock_);
    while (!tables_.empty()) remove_at(0);
}
