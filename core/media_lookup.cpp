// Media component lookup: every search walks the providers of one interface
// in registry order and keeps the first that accepts; each provider object
// that does not win is released at once. The playlist loaders are the
// exception: an expansion offers every entry of a list to all of them, so it
// takes them from the registry once and releases them when it ends.
#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <set>
#include <string>
#include "core.h"
#include "file_type.h"
#include "input.h"
#include "list_info.h"
#include "output.h"
#include "path_expander.h"
#include "play_manager.h"
#include "playlist_loader.h"
#include "stream.h"
#include "stringx.h"
#include "tag.h"

namespace {
// Compares paths ignoring case; also against a bare text, so that a look-up
// makes no copy.
struct ignoring_case {
    using is_transparent = void;
    static const wchar_t* text(const std::wstring& s) { return s.c_str(); }
    static const wchar_t* text(const wchar_t* s) { return s; }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
        return _wcsicmp(text(a), text(b)) < 0;
    }
};

// What the playlist expansion of one thread keeps while it runs. It is
// looked up once per outermost add_file and handed down (a thread-local
// look-up per entry of a long list costs more than the entry's own work).
struct expansion_state {
    // The playlists being expanded, outermost first. A playlist already on
    // the chain is not loaded again, and the chain has a depth limit: a
    // playlist that lists itself, or two that list each other, would
    // otherwise recurse until the stack overflows.
    std::vector<std::wstring> chain;
    // The playlists loaded since the outermost add_file began. Each is
    // loaded once per outermost call: playlists that list one another
    // several times over would otherwise be read again for every mention,
    // and the work would grow with the product of the mentions, level by
    // level.
    std::set<std::wstring, ignoring_case> loaded;
    std::vector<size_t> loaded_lengths;  // the lengths of the loaded paths
    // The playlist loaders in registry order, taken on first need.
    std::vector<playlist_loader*> loaders;
    bool loaders_taken = false;
};

const std::vector<playlist_loader*>& loaders_of(expansion_state& state) {
    if (!state.loaders_taken) {
        state.loaders_taken = true;
        for (int i = 0;; ++i) {
            component* c = core::enum_create_component(playlist_loader::iid, i);
            if (!c) break;
            state.loaders.push_back(static_cast<playlist_loader*>(c));
        }
    }
    return state.loaders;
}
thread_local expansion_state g_expansion;

const size_t max_playlist_depth = 8;

// Texts that differ in length never compare equal ignoring case (case
// folding maps one character to one): the length is compared first, which
// spares the locale-aware comparison for nearly every entry of a list.
bool same_ignoring_case(const std::wstring& a, const wchar_t* b, size_t b_length) {
    return a.size() == b_length && _wcsicmp(a.c_str(), b) == 0;
}

bool on_playlist_chain(const expansion_state& state, const wchar_t* path, size_t length) {
    if (state.chain.size() >= max_playlist_depth) return true;
    for (const std::wstring& open : state.chain)
        if (same_ignoring_case(open, path, length)) return true;
    return false;
}

bool already_loaded(const expansion_state& state, const wchar_t* path, size_t length) {
    for (size_t loaded_length : state.loaded_lengths)
        if (loaded_length == length) return state.loaded.count(path) != 0;
    return false;
}

// Held by the outermost add_file: forgets the loaded playlists at its end.
class outermost_call {
public:
    explicit outermost_call(expansion_state& state) : state_(state), outermost_(state.chain.empty()) {}
    ~outermost_call() {
        if (outermost_) {
            for (playlist_loader* l : state_.loaders) l->release();
            // Every block goes back to the heap, the lists' own included: a
            // block kept between calls would sit among the texts of a long
            // list, and keep the heap from returning their memory once they
            // are freed.
            state_ = expansion_state();
        }
    }
    outermost_call(const outermost_call&) = delete;
    outermost_call& operator=(const outermost_call&) = delete;

private:
    expansion_state& state_;
    bool outermost_;
};

// A playlist on the chain while its entries are expanded (also when an
// allocation fails in between, so that later calls start afresh).
class chain_link {
public:
    chain_link(expansion_state& state, const wchar_t* path) : state_(state) { state_.chain.push_back(path); }
    ~chain_link() { state_.chain.pop_back(); }
    chain_link(const chain_link&) = delete;
    chain_link& operator=(const chain_link&) = delete;

private:
    expansion_state& state_;
};

wchar_t* heap_copy(const std::wstring& text) {
    wchar_t* copy = static_cast<wchar_t*>(malloc((text.size() + 1) * sizeof(wchar_t)));
    if (copy) wcscpy(copy, text.c_str());
    return copy;
}

const wchar_t* or_empty(const wchar_t* s) { return s ? s : L""; }

// Whether text starts with prefix, a lower-case ASCII text, ignoring the
// case of ASCII letters (no other character folds to one of its letters).
bool starts_with_ascii(const wchar_t* text, const wchar_t* prefix) {
    for (; *prefix; ++text, ++prefix) {
        wchar_t c = *text;
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != *prefix) return false;
    }
    return true;
}

bool is_url(const wchar_t* path) {
    static const wchar_t* const prefixes[] = {L"http://", L"zel://", L"mms://", L"mmsh://", L"mmst://", L"mmsu://"};
    for (const wchar_t* prefix : prefixes)
        if (starts_with_ascii(path, prefix)) return true;
    return false;
}

// Walks the providers of Interface until `try_one` returns true for one of
// them; that one is kept (returned), every other is released.
template <class Interface, class Try>
Interface* first_accepting(Try try_one) {
    for (int i = 0;; ++i) {
        component* c = core::enum_create_component(Interface::iid, i);
        if (!c) return nullptr;
        Interface* provider = static_cast<Interface*>(c);
        if (try_one(provider)) return provider;
        c->release();
    }
}

// A replay-gain text such as "-6.5 dB": the trailing " db" (any case) is cut.
double gain_value(const wchar_t* text) {
    stringx s(or_empty(text));
    if (s.ends_with(stringx(L" db"), true)) s = s.left(s.length() - 3);
    return s.todouble();
}

void copy_field(tag* t, const wchar_t* name, wchar_t*& field) {
    list_info::set_string(field, or_empty(t->get_field(name)));
}

bool add_single_file(const wchar_t* path, std::vector<list_info>& entries) {
    stream* s = core::create_stream(path);
    if (!s) return false;
    list_info entry;
    list_info::set_string(entry.path, path);
    tag* t = core::create_tag(s, &entry);
    if (!t) {
        s->release();
        return false;
    }
    if (const audio_format* f = t->info()) {
        entry.time = f->length;
        entry.channel = f->channels;
        entry.samplerate = f->sample_rate;
        entry.bitrate = static_cast<int>(f->bitrate);
    }
    entry.track_gain = gain_value(t->get_field(L"replaygain_track_gain"));
    entry.album_gain = gain_value(t->get_field(L"replaygain_album_gain"));
    entry.track_peak = stringx(or_empty(t->get_field(L"replaygain_track_peak"))).todouble();
    entry.album_peak = stringx(or_empty(t->get_field(L"replaygain_album_peak"))).todouble();
    copy_field(t, L"ARTIST", entry.artist);
    copy_field(t, L"ALBUM", entry.album);
    copy_field(t, L"GENRE", entry.genre);
    copy_field(t, L"TITLE", entry.title);
    copy_field(t, L"YEAR", entry.date);
    entry.track = stringx(or_empty(t->get_field(L"TRACK"))).toint();
    entries.push_back(std::move(entry));
    t->release();
    s->release();
    return true;
}

// Dispatches the calling thread's pending window messages between the
// entries of a playlist, so that the user interface stays responsive during
// a long import: after the first entry, then whenever a few milliseconds
// have passed. Looking at the queue after every entry would cost more than
// the entry itself in a long list.
class message_pacer {
public:
    void step() {
        const DWORD now = GetTickCount();
        if (pumped_ && now - last_ < interval_ms) return;
        pumped_ = true;
        last_ = now;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

private:
    static const DWORD interval_ms = 15;
    bool pumped_ = false;
    DWORD last_ = 0;
};
}  // namespace

stream* core::create_stream(const wchar_t* path) {
    return first_accepting<stream>([&](stream* s) { return s->open(path); });
}

input* core::create_input(stream* source, list_info* info) {
    if (source) {
        input* in = first_accepting<input>([&](input* i) {
            return i->accepts_content_type(source->content_type) && i->open(source, info);
        });
        if (in) return in;
    }
    input* made = nullptr;
    first_accepting<input_tag_factory>([&](input_tag_factory* f) {
        made = f->create_input(source, info);
        return false;  // singletons: release does nothing either way
    });
    if (made) return made;
    const wchar_t* path = info ? or_empty(info->path) : L"";
    return first_accepting<input>([&](input* i) { return i->accepts(source, path) && i->open(source, info); });
}

tag* core::create_tag(stream* source, list_info* info) {
    tag* made = nullptr;
    for (int i = 0; !made; ++i) {
        component* c = core::enum_create_component(input_tag_factory::iid, i);
        if (!c) break;
        made = static_cast<input_tag_factory*>(c)->create_tag(source, info);
        c->release();
    }
    if (made) return made;
    const wchar_t* path = info ? or_empty(info->path) : L"";
    return first_accepting<tag>([&](tag* t) { return t->accepts(source, path) && t->open(source, info); });
}

output* core::create_output(const wchar_t* name) {
    return first_accepting<output>([&](output* o) { return _wcsicmp(or_empty(o->name()), or_empty(name)) == 0; });
}

play_manager* core::get_player(bool music) {
    return first_accepting<play_manager>([&](play_manager* p) { return p->index() == (music ? 0 : 1); });
}

wchar_t* core::build_openfile_mask() {
    std::wstring all, filters;
    for_each_component<file_type>([&](file_type* t) {
        std::wstring d = or_empty(t->description()), e = or_empty(t->extensions());
        if (d.empty() || e.empty() || d.find(L'|') != std::wstring::npos || e.find(L'|') != std::wstring::npos)
            return;
        filters += d + L"|" + e + L"|";
        if (!all.empty() && all.back() != L';') all += L";";
        all += e;
    });
    std::wstring result;
    if (!all.empty()) result = L"지원하는 모든 파일|" + all + L"|";
    return heap_copy(result + filters);
}

wchar_t* core::build_openfolder_mask() {
    std::wstring mask;
    for_each_component<file_type>([&](file_type* t) {
        std::wstring e = or_empty(t->extensions());
        if (e.empty()) return;
        mask += e;
        if (mask.back() != L';') mask += L";";
    });
    for (size_t at; (at = mask.find(L"*.")) != std::wstring::npos;) mask.erase(at, 2);
    return heap_copy(mask);
}

namespace {
// core::add_file; owned, when not null, is the caller's heap copy of path, which
// an entry appended with the path alone takes over (an entry of a long
// playlist then costs no second copy of its text).
bool add_path(expansion_state& state, const wchar_t* path, wchar_t** owned, std::vector<list_info>& entries) {
    outermost_call call(state);
    const size_t length = wcslen(or_empty(path));
    if (already_loaded(state, or_empty(path), length)) return true;  // its entries are in already
    if (!on_playlist_chain(state, or_empty(path), length)) {
        std::vector<list_info> loaded;
        playlist_loader* loader = nullptr;
        for (playlist_loader* l : loaders_of(state)) {
            loaded.clear();
            if (l->load(or_empty(path), loaded)) {
                loader = l;
                break;
            }
        }
        if (loader) {
            bool remote = path && is_url(path);
            if (state.loaded.insert(or_empty(path)).second) state.loaded_lengths.push_back(length);
            chain_link link(state, or_empty(path));
            // While every item so far gave exactly one entry (an address
            // or file that is no playlist, the common case), the entries are
            // kept in the list's own vector, in place of the items, and take
            // the place of the caller's list at the end when that was
            // empty: a long list then costs no second vector of entries.
            size_t done = 0;  // loaded[0, done) are finished entries
            bool in_place = true;
            std::vector<list_info> one;  // the entries of one item, while in place
            message_pacer pacer;
            for (size_t i = 0; i < loaded.size(); ++i) {
                list_info& item = loaded[i];
                std::vector<list_info>& out = in_place ? one : entries;
                if (remote && item.title && *item.title) {
                    list_info entry;
                    list_info::set_string(entry.path, item.path);
                    out.push_back(std::move(entry));
                } else if (item.path) {
                    add_path(state, item.path, &item.path, out);
                } else {
                    add_path(state, L"", nullptr, out);
                }
                if (in_place && one.size() == 1) {
                    // Items before i are spent, so the slot is free.
                    loaded[done++] = std::move(one[0]);
                    one.clear();
                } else if (in_place && !one.empty()) {
                    // Room for a long list at once, still growing by doubling
                    // when many short lists are appended one after the other.
                    const size_t needed = entries.size() + done + one.size() + (loaded.size() - i - 1);
                    if (entries.capacity() < needed) entries.reserve(std::max(needed, 2 * entries.capacity()));
                    for (size_t k = 0; k < done; ++k) entries.push_back(std::move(loaded[k]));
                    for (list_info& e : one) entries.push_back(std::move(e));
                    one.clear();
                    in_place = false;
                }
                pacer.step();
            }
            if (in_place) {
                loaded.erase(loaded.begin() + static_cast<std::ptrdiff_t>(done), loaded.end());
                if (entries.empty()) {
                    entries.swap(loaded);
                } else {
                    const size_t needed = entries.size() + done;
                    if (entries.capacity() < needed) entries.reserve(std::max(needed, 2 * entries.capacity()));
                    for (list_info& e : loaded) entries.push_back(std::move(e));
                }
            }
            return true;
        }
    }
    if (!path || !*path) return false;
    if (is_url(path)) {
        list_info entry;
        if (owned && *owned == path) {
            entry.path = *owned;
            *owned = nullptr;
        } else {
            list_info::set_string(entry.path, path);
        }
        entries.push_back(std::move(entry));
        return true;
    }
    std::vector<list_info> expanded;
    path_expander* expander = first_accepting<path_expander>([&](path_expander* x) {
        expanded.clear();
        return x->expand(path, expanded);
    });
    if (expander) {
        entries.insert(entries.end(), std::make_move_iterator(expanded.begin()),
                       std::make_move_iterator(expanded.end()));
        expander->release();
        return true;
    }
    return add_single_file(path, entries);
}
}  // namespace

bool core::add_file(const wchar_t* path, std::vector<list_info>& entries) {
    return add_path(g_expansion, path, nullptr, entries);
}
