// Drag and drop through direct COM calls: the target's effect for keys and
// allowed effects, the drop, the source's feedback where the pointer is (put
// there through the source's cursor seam), the three formats, and entries
// from another process.
#include <memory>
#include <string>
#include <vector>

#include "drag_drop.h"
#include "shell_test_support.h"

using namespace shell_test;

namespace {
FORMATETC format_of(UINT format, LONG lindex = -1, DWORD aspect = DVASPECT_CONTENT, DWORD tymed = TYMED_HGLOBAL) {
    FORMATETC f = {static_cast<CLIPFORMAT>(format), nullptr, aspect, lindex, tymed};
    return f;
}

// A target that records its drops and reads them with drop_list.
class recording_target : public drop_target {
public:
    explicit recording_target(HWND hwnd) : drop_target(hwnd) {}
    bool on_drop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect, POINTL*) override {
        ++drops;
        format_seen = format->cfFormat;
        effect_seen = *effect;
        read = drop_list(format->cfFormat, *medium, paths, entries);
        return true;
    }
    void accept_only(UINT format) { accepted_formats_.assign(1, format_of(format)); }

    int drops = 0;
    UINT format_seen = 0;
    DWORD effect_seen = 0;
    bool read = false;
    std::vector<stringx> paths;
    std::vector<list_info*> entries;
};

// COM objects end with Release; these hold one reference each.
struct releaser {
    void operator()(IUnknown* p) const {
        if (p) p->Release();
    }
};
template <class T>
using com = std::unique_ptr<T, releaser>;

std::vector<list_info> korean_entries() {
    std::vector<list_info> entries(3);
    const wchar_t* titles[] = {L"봄날의 노래", L"가을 편지", L"Night & Day"};
    const wchar_t* paths[] = {L"C:\\음악\\봄날.mp3", L"C:\\음악\\가을.mp3", L"D:\\jazz\\night.mp3"};
    for (int i = 0; i < 3; ++i) {
        list_info::set_string(entries[i].title, titles[i]);
        list_info::set_string(entries[i].path, paths[i]);
        list_info::set_string(entries[i].artist, L"가수");
        entries[i].time = 180.5 + i;
    }
    return entries;
}

// Enters and drops with the keys and allowed effects; the effect the target
// reported on entering.
DWORD enter(drop_target& target, IDataObject* data, DWORD keys, DWORD allowed) {
    DWORD effect = allowed;
    EXPECT_EQ(target.DragEnter(data, keys, POINTL{10, 10}, &effect), S_OK);
    return effect;
}

std::wstring text(const stringx& s) { return s.wvalue() ? s.wvalue() : L""; }

POINT g_pointer = {0, 0};
POINT pointer() { return g_pointer; }

class drag_drop : public ::testing::Test {
protected:
    void SetUp() override { previous_ = set_drop_source_cursor(pointer); }
    void TearDown() override { set_drop_source_cursor(previous_); }
    drop_cursor_fn previous_ = nullptr;
};
}  // namespace

TEST_F(drag_drop, the_effect_follows_the_keys_and_what_the_source_allows) {
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const struct {
        const char* what;
        DWORD keys, allowed, effect;
    } cases[] = {
        {"no key, copy only", 0, DROPEFFECT_COPY, DROPEFFECT_COPY},
        {"Shift, copy only", MK_SHIFT, DROPEFFECT_COPY, DROPEFFECT_NONE},
        {"Ctrl, copy only", MK_CONTROL, DROPEFFECT_COPY, DROPEFFECT_COPY},
        {"Ctrl+Shift, all", MK_CONTROL | MK_SHIFT, all, DROPEFFECT_LINK},
        {"Ctrl+Shift, copy and move", MK_CONTROL | MK_SHIFT, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_NONE},
        {"Shift, all", MK_SHIFT, all, DROPEFFECT_MOVE},
        {"no key, all", 0, all, DROPEFFECT_COPY},
        {"no key, move and link", 0, DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_MOVE},
        {"no key, link only", 0, DROPEFFECT_LINK, DROPEFFECT_LINK},
        {"no key, nothing allowed", 0, DROPEFFECT_NONE, DROPEFFECT_NONE},
        {"left button held, copy only", MK_LBUTTON, DROPEFFECT_COPY, DROPEFFECT_COPY},
    };
    com<data_object> data(new data_object(korean_entries()));
    com<recording_target> target(new recording_target(nullptr));
    for (const auto& c : cases) {
        EXPECT_EQ(enter(*target, data.get(), c.keys, c.allowed), c.effect) << c.what;
        DWORD effect = c.allowed;
        EXPECT_EQ(target->DragOver(c.keys, POINTL{20, 20}, &effect), S_OK);
        EXPECT_EQ(effect, c.effect) << c.what << " (over)";
        EXPECT_EQ(target->DragLeave(), S_OK);
    }
    // A format the target does not take: never a drop.
    com<data_object> pointers(new data_object(std::vector<list_info*>()));
    EXPECT_EQ(enter(*target, pointers.get(), 0, all), static_cast<DWORD>(DROPEFFECT_NONE));
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(nullptr, 0, POINTL{0, 0}, &effect), E_INVALIDARG);
    EXPECT_EQ(target->Drop(nullptr, 0, POINTL{0, 0}, &effect), E_INVALIDARG);
}

TEST_F(drag_drop, a_drop_hands_over_the_entries_and_tells_the_source_none) {
    const std::vector<list_info> entries = korean_entries();
    com<data_object> data(new data_object(entries));
    com<recording_target> target(new recording_target(nullptr));

    enter(*target, data.get(), 0, DROPEFFECT_COPY);
    DWORD effect = DROPEFFECT_COPY;
    ASSERT_EQ(target->Drop(data.get(), 0, POINTL{5, 5}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << "the source never deletes what it dragged";
    ASSERT_EQ(target->drops, 1);
    EXPECT_EQ(target->effect_seen, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target->format_seen, entries_clipboard_format());
    EXPECT_EQ(data->given_format(), entries_clipboard_format());
    ASSERT_TRUE(target->read);
    ASSERT_EQ(target->entries.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_STREQ(target->entries[i]->title, entries[i].title);
        EXPECT_STREQ(target->entries[i]->path, entries[i].path);
        EXPECT_STREQ(target->entries[i]->artist, L"가수");
        EXPECT_EQ(target->entries[i]->time, entries[i].time);
        EXPECT_NE(target->entries[i]->title, entries[i].title) << "the data object's own copies";
    }

    // Shift over a copy-only source: no drop, and still none reported.
    effect = DROPEFFECT_COPY;
    enter(*target, data.get(), MK_SHIFT, DROPEFFECT_COPY);
    ASSERT_EQ(target->Drop(data.get(), MK_SHIFT, POINTL{5, 5}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(target->drops, 1);
    // A drop without an enter first finds no format.
    effect = DROPEFFECT_COPY;
    ASSERT_EQ(target->Drop(data.get(), 0, POINTL{5, 5}, &effect), S_OK);
    EXPECT_EQ(target->drops, 1);
}

TEST_F(drag_drop, entry_pointers_reach_a_target_that_takes_them) {
    std::vector<list_info> entries = korean_entries();
    std::vector<list_info*> pointers = {&entries[2], &entries[0]};
    com<data_object> data(new data_object(pointers));
    com<recording_target> target(new recording_target(nullptr));
    target->accept_only(entry_pointers_clipboard_format());
    enter(*target, data.get(), MK_CONTROL, DROPEFFECT_COPY);
    DWORD effect = DROPEFFECT_COPY;
    target->Drop(data.get(), MK_CONTROL, POINTL{1, 1}, &effect);
    ASSERT_EQ(target->drops, 1);
    ASSERT_EQ(target->entries.size(), 2u);
    EXPECT_EQ(target->entries[0], &entries[2]);
    EXPECT_EQ(target->entries[1], &entries[0]);
    EXPECT_STREQ(target->entries[1]->title, L"봄날의 노래");
}

TEST_F(drag_drop, dropped_files_give_their_paths_in_order) {
    const std::wstring long_path = L"C:\\" + std::wstring(300, L'a') + L"\\끝.mp3";
    const std::vector<stringx> paths = {stringx(L"C:\\음악\\첫째.mp3"), stringx(long_path.c_str()),
                                        stringx(L"E:\\three.wav")};
    com<data_object> data(new data_object(paths));
    com<recording_target> target(new recording_target(nullptr));
    enter(*target, data.get(), 0, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->Drop(data.get(), 0, POINTL{1, 1}, &effect);
    ASSERT_EQ(target->drops, 1);
    EXPECT_EQ(target->format_seen, static_cast<UINT>(CF_HDROP));
    ASSERT_EQ(target->paths.size(), 3u);
    EXPECT_EQ(text(target->paths[0]), L"C:\\음악\\첫째.mp3");
    EXPECT_EQ(text(target->paths[1]), long_path) << "a path longer than 260 characters stays whole";
    EXPECT_EQ(text(target->paths[2]), L"E:\\three.wav");
    EXPECT_TRUE(target->entries.empty());
}

TEST_F(drag_drop, the_data_object_answers_as_a_data_object) {
    com<data_object> data(new data_object(korean_entries()));
    const UINT own = entries_clipboard_format();
    FORMATETC f = format_of(own, 0);
    EXPECT_EQ(data->QueryGetData(&f), DV_E_LINDEX);
    f = format_of(own, -1, DVASPECT_ICON);
    EXPECT_EQ(data->QueryGetData(&f), DV_E_DVASPECT);
    f = format_of(own, -1, DVASPECT_CONTENT, TYMED_ISTREAM);
    EXPECT_EQ(data->QueryGetData(&f), DV_E_FORMATETC);
    f = format_of(CF_HDROP);
    EXPECT_EQ(data->QueryGetData(&f), DV_E_FORMATETC);
    f = format_of(own);
    EXPECT_EQ(data->QueryGetData(&f), S_OK);

    STGMEDIUM medium = {};
    ASSERT_EQ(data->GetData(&f, &medium), S_OK);
    EXPECT_EQ(data->given_format(), own);
    ReleaseStgMedium(&medium);
    f = format_of(own, 2);
    EXPECT_EQ(data->GetData(&f, &medium), DV_E_LINDEX);
    EXPECT_EQ(data->given_format(), 0u) << "a failed GetData clears the given format";
    EXPECT_EQ(data->GetDataHere(&f, &medium), DV_E_LINDEX);
    f = format_of(own);
    EXPECT_EQ(data->GetDataHere(&f, &medium), DV_E_FORMATETC);
    EXPECT_EQ(data->SetData(&f, &medium, FALSE), E_NOTIMPL);
    EXPECT_EQ(data->DAdvise(&f, 0, nullptr, nullptr), OLE_E_ADVISENOTSUPPORTED);

    IEnumFORMATETC* formats = nullptr;
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &formats), E_NOTIMPL);
    EXPECT_EQ(formats, nullptr);
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    com<IEnumFORMATETC> list(formats);
    FORMATETC got[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(list->Next(2, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(got[0].cfFormat, own);
    EXPECT_EQ(got[0].lindex, -1);
    EXPECT_EQ(list->Next(1, got, nullptr), S_FALSE) << "at the end";

    IUnknown* unknown = nullptr;
    EXPECT_EQ(data->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    void* none = &unknown;
    EXPECT_EQ(data->QueryInterface(IID_IDropTarget, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

TEST_F(drag_drop, the_format_enumerator_skips_resets_and_clones) {
    FORMATETC three[3] = {format_of(CF_HDROP), format_of(CF_TEXT), format_of(CF_UNICODETEXT)};
    com<enum_format_etc> list(new enum_format_etc(3, three));
    FORMATETC got[3] = {};
    EXPECT_EQ(list->Next(2, got, nullptr), S_FALSE) << "more than one needs a count";
    EXPECT_EQ(list->Skip(1), S_OK);
    EXPECT_EQ(list->Skip(2), S_FALSE) << "reaching the end counts as past it";
    IEnumFORMATETC* twin = nullptr;
    ASSERT_EQ(list->Clone(&twin), S_OK);
    com<IEnumFORMATETC> copy(twin);
    ULONG fetched = 0;
    EXPECT_EQ(copy->Next(3, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u) << "the clone starts where the original stands";
    EXPECT_EQ(got[0].cfFormat, CF_TEXT);
    EXPECT_EQ(got[1].cfFormat, CF_UNICODETEXT);
    EXPECT_EQ(list->Reset(), S_OK);
    EXPECT_EQ(list->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0].cfFormat, CF_HDROP);

    com<enum_format_etc> empty(new enum_format_etc(0, nullptr));
    EXPECT_EQ(empty->Next(1, got, nullptr), S_FALSE);
    EXPECT_EQ(empty->Skip(0), S_FALSE);
}

// The source ends the drag where the button comes up: over its own list (or
// a child of it) the drag is cancelled and the cursor says "no".
TEST_F(drag_drop, a_release_over_the_source_cancels) {
    plain_window source(100, 100, 300, 200);
    HWND child = source.add_child(100, 50);
    plain_window elsewhere(500, 100, 200, 200);
    com<drop_source> drag(new drop_source(source.hwnd()));
    const struct {
        const char* what;
        POINT pointer;
        BOOL escape;
        DWORD keys;
        HRESULT result;
    } cases[] = {
        {"released over the source", {300, 250}, FALSE, 0, DRAGDROP_S_CANCEL},
        {"released over its child", {120, 120}, FALSE, 0, DRAGDROP_S_CANCEL},
        {"released over another window", {600, 200}, FALSE, 0, DRAGDROP_S_DROP},
        {"released over the desktop", {900, 700}, FALSE, 0, DRAGDROP_S_DROP},
        {"button still down", {600, 200}, FALSE, MK_LBUTTON, S_OK},
        {"escape", {600, 200}, TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {"right button", {600, 200}, FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
    };
    for (const auto& c : cases) {
        g_pointer = c.pointer;
        EXPECT_EQ(drag->QueryContinueDrag(c.escape, c.keys), c.result) << c.what;
    }
    (void)child;

    g_pointer = {300, 250};
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(drag->GiveFeedback(DROPEFFECT_COPY), S_OK);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_NO));
    g_pointer = {600, 200};
    EXPECT_EQ(drag->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);

    com<drop_source> sourceless(new drop_source(nullptr));
    EXPECT_EQ(sourceless->QueryContinueDrag(FALSE, 0), DRAGDROP_S_CANCEL);
    EXPECT_EQ(sourceless->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

namespace {
// What a target in this process receives when the drag comes from another
// process: the other process's block, copied (as OLE copies a global block
// between processes).
class foreign_data : public IDataObject {
public:
    foreign_data(UINT format, const std::string& bytes) : format_(format), bytes_(bytes) {}
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetData(FORMATETC* f, STGMEDIUM* medium) override {
        if (f->cfFormat != format_) return DV_E_FORMATETC;
        HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
        memcpy(GlobalLock(global), bytes_.data(), bytes_.size());
        GlobalUnlock(global);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* f) override { return f->cfFormat == format_ ? S_OK : DV_E_FORMATETC; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    UINT format_;
    std::string bytes_;
};

std::string unhex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

// Runs zel_entry_peer.exe (beside the test) and reads its two blocks; the
// peer lives until its input closes.
struct peer_blocks {
    std::string entries, pointers;
};

bool run_peer(peer_blocks& blocks) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out_read, out_write, in_read, in_write;
    if (!CreatePipe(&out_read, &out_write, &inherit, 0)) return false;
    if (!CreatePipe(&in_read, &in_write, &inherit, 0)) return false;
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path);
    exe = exe.substr(0, exe.rfind(L'\\') + 1) + L"zel_entry_peer.exe";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in_read;
    si.hStdOutput = out_write;
    si.hStdError = out_write;
    PROCESS_INFORMATION pi = {};
    std::wstring command = L"\"" + exe + L"\"";
    const bool started = CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &si, &pi) != FALSE;
    CloseHandle(out_write);
    CloseHandle(in_read);
    std::string output;
    if (started) {
        char buffer[512];
        DWORD n = 0;
        // Both lines, or the end of the output.
        while (output.find("ENTRIES2 ") == std::string::npos || output.find('\n', output.find("ENTRIES2 ")) == std::string::npos) {
            if (!ReadFile(out_read, buffer, sizeof buffer, &n, nullptr) || n == 0) break;
            output.append(buffer, n);
        }
    }
    CloseHandle(in_write);  // the peer may end now
    CloseHandle(out_read);
    if (started) {
        WaitForSingleObject(pi.hProcess, 30000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    auto line = [&](const char* name) {
        const std::string key = std::string(name) + " ";
        size_t at = output.find(key);
        while (at != std::string::npos && at != 0 && output[at - 1] != '\n') at = output.find(key, at + 1);
        if (at == std::string::npos) return std::string();
        size_t end = output.find_first_of("\r\n", at);
        return unhex(output.substr(at + key.size(), end - at - key.size()));
    };
    blocks.entries = line("ENTRIES");
    blocks.pointers = line("ENTRIES2");
    return started;
}
}  // namespace

// Another player instance drags entries onto this one: the private formats'
// blocks name that process's memory, which means nothing here. The drop is
// refused and nothing is read.
TEST_F(drag_drop, entries_from_another_process_are_refused) {
    peer_blocks blocks;
    ASSERT_TRUE(run_peer(blocks));
    ASSERT_FALSE(blocks.entries.empty()) << "the peer produced no entry block";
    ASSERT_FALSE(blocks.pointers.empty()) << "the peer produced no pointer block";

    const struct {
        const char* what;
        UINT format;
        const std::string* bytes;
    } cases[] = {
        {"entries", entries_clipboard_format(), &blocks.entries},
        {"entry pointers", entry_pointers_clipboard_format(), &blocks.pointers},
    };
    for (const auto& c : cases) {
        foreign_data data(c.format, *c.bytes);
        com<recording_target> target(new recording_target(nullptr));
        target->accept_only(c.format);
        enter(*target, &data, 0, DROPEFFECT_COPY);
        DWORD effect = DROPEFFECT_COPY;
        ASSERT_EQ(target->Drop(&data, 0, POINTL{1, 1}, &effect), S_OK) << c.what;
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << c.what;
        EXPECT_EQ(target->drops, 1) << c.what;
        EXPECT_FALSE(target->read) << c.what << ": refused";
        EXPECT_TRUE(target->entries.empty()) << c.what;
    }
}

TEST_F(drag_drop, an_entry_block_outlived_by_its_drag_or_too_short_is_refused) {
    std::vector<list_info> entries = korean_entries();
    data_object* data = new data_object(entries);
    FORMATETC f = format_of(entries_clipboard_format());
    STGMEDIUM kept = {};
    ASSERT_EQ(data->GetData(&f, &kept), S_OK);
    std::vector<stringx> paths;
    std::vector<list_info*> got;
    EXPECT_TRUE(drop_target::drop_list(f.cfFormat, kept, paths, got));
    EXPECT_EQ(got.size(), 3u) << "while the drag lives";
    data->Release();
    got.clear();
    EXPECT_FALSE(drop_target::drop_list(f.cfFormat, kept, paths, got)) << "after the drag ended";
    EXPECT_TRUE(got.empty());
    ReleaseStgMedium(&kept);

    STGMEDIUM tiny = {};
    tiny.tymed = TYMED_HGLOBAL;
    tiny.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 2);
    EXPECT_FALSE(drop_target::drop_list(entries_clipboard_format(), tiny, paths, got));
    EXPECT_FALSE(drop_target::drop_list(CF_TEXT, tiny, paths, got)) << "another format";
    EXPECT_TRUE(got.empty());
    ReleaseStgMedium(&tiny);
}
