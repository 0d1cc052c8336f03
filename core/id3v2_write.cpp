// Writing the ID3v2 tag through id3lib. id3lib parses the file's tag, the
// frames of the fields are replaced, and id3lib renders the tag and rewrites
// the file (through "<path>.XXXXXX" when the tag's size changes).
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

// id3lib's header defines a table of its own that this file does not use.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-variable"
#include <id3/tag.h>
#pragma GCC diagnostic pop

#include "id3v2_tag.h"
#include "stream.h"
#include "tag_text.h"
#include "utf.h"

namespace {

const char* const kTempSuffix = ".XXXXXX";

// The file's name as id3lib takes it: ANSI, from the last "|"-separated part of the
// stream's path. A name that the ANSI code page cannot hold goes by its short
// form. False when neither works.
bool ansi_path(const stream* s, std::string& out) {
    std::wstring path(s->path);
    const size_t bar = path.rfind(L'|');
    if (bar != std::wstring::npos)
        path.erase(0, bar + 1);
    if (path.empty())
        return false;
    auto convert = [&out](const std::wstring& wide) {
        out = utf::utf16_to_ansi(wide.c_str()).value();
        return !out.empty() && wide == utf::ansi_to_utf16(out.c_str()).wvalue();
    };
    if (convert(path))
        return true;
    wchar_t short_path[MAX_PATH];
    const DWORD n = GetShortPathNameW(path.c_str(), short_path, MAX_PATH);
    return n > 0 && n < MAX_PATH && convert(short_path);
}

// True when the ANSI code page holds text; ansi is then its ANSI form.
bool ansi_holds(const std::wstring& text, std::string& ansi) {
    ansi = utf::utf16_to_ansi(text.c_str()).value();
    return text.empty() || (!ansi.empty() && text == utf::ansi_to_utf16(ansi.c_str()).wvalue());
}

// Sets a text field: in the ANSI code page, or as UTF-16 (id3lib keeps
// UTF-16 text as big-endian bytes).
void set_text(ID3_Frame& frame, ID3_FieldID id, const std::wstring& text, bool utf16) {
    ID3_Field* field = frame.GetField(id);
    if (!field)
        return;
    if (!utf16) {
        std::string ansi;
        ansi_holds(text, ansi);
        field->Set(ansi.c_str());
        return;
    }
    field->SetEncoding(ID3TE_UTF16);
    std::vector<unicode_t> units;
    for (wchar_t c : text)
        units.push_back(static_cast<unicode_t>((c >> 8 & 0xFF) | (c & 0xFF) << 8));
    units.push_back(0);
    field->Set(units.data());
}

void add_frame(ID3_Tag& tag, ID3_FrameID id, const std::wstring& text, const wchar_t* description = nullptr,
               bool language = false) {
    std::string ansi;
    const bool utf16 = !ansi_holds(text, ansi);
    ID3_Frame* frame = new ID3_Frame(id);
    if (ID3_Field* encoding = frame->GetField(ID3FN_TEXTENC))
        encoding->Set(static_cast<uint32>(utf16 ? ID3TE_UTF16 : ID3TE_ISO8859_1));
    if (language)
        if (ID3_Field* field = frame->GetField(ID3FN_LANGUAGE))
            field->Set("eng");
    if (description)
        set_text(*frame, ID3FN_DESCRIPTION, description, utf16);
    set_text(*frame, ID3FN_TEXT, text, utf16);
    tag.AttachFrame(frame);
}

// The description of a TXXX frame as ASCII text, whatever its encoding.
std::string description_of(const ID3_Frame& frame) {
    const ID3_Field* field = frame.GetField(ID3FN_DESCRIPTION);
    if (!field)
        return std::string();
    std::string out;
    if (field->GetEncoding() == ID3TE_UTF16 || field->GetEncoding() == ID3TE_UTF16BE) {
        // id3lib keeps the text as big-endian units, Size() bytes of them
        // (its Get() would copy twice as many). Only ASCII descriptions
        // matter here.
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(field->GetRawUnicodeText());
        const size_t size = bytes ? field->Size() : 0;
        for (size_t i = 0; i + 1 < size && (bytes[i] || bytes[i + 1]); i += 2)
            out += static_cast<char>(bytes[i] ? 0x7F : bytes[i + 1]);
    } else {
        char text[64] = {};
        field->Get(text, 63);
        out = text;
    }
    return out;
}

const wchar_t* const kReplayGain[] = {L"replaygain_album_gain", L"replaygain_album_peak",
                                      L"replaygain_track_gain", L"replaygain_track_peak"};
const id3v2_fields::index kReplayGainField[] = {id3v2_fields::album_gain, id3v2_fields::album_peak,
                                                id3v2_fields::track_gain, id3v2_fields::track_peak};

bool is_replay_gain(const ID3_Frame& frame) {
    const std::string description = description_of(frame);
    for (const wchar_t* name : kReplayGain)
        if (tag_text::iequal(description.c_str(), std::string(name, name + wcslen(name)).c_str()))
            return true;
    return false;
}

// Removes the frames of id (those that match, when match is given; the
// others are attached again after the tag's other frames).
void remove_frames(ID3_Tag& tag, ID3_FrameID id, bool (*match)(const ID3_Frame&) = nullptr) {
    std::vector<ID3_Frame*> kept;
    while (ID3_Frame* found = tag.Find(id)) {
        ID3_Frame* frame = tag.RemoveFrame(found);
        if (!frame)
            break;
        if (!match || match(*frame))
            delete frame;
        else
            kept.push_back(frame);
    }
    for (ID3_Frame* frame : kept)
        tag.AttachFrame(frame);
}

void replace_frames(ID3_Tag& tag, const id3v2_fields& in) {
    const struct {
        ID3_FrameID id;
        id3v2_fields::index field;
        bool language;
    } frames[] = {
        {ID3FID_ALBUM, id3v2_fields::album, false},         {ID3FID_LEADARTIST, id3v2_fields::artist, false},
        {ID3FID_CONTENTTYPE, id3v2_fields::genre, false},   {ID3FID_TITLE, id3v2_fields::title, false},
        {ID3FID_COMMENT, id3v2_fields::comment, true},      {ID3FID_UNSYNCEDLYRICS, id3v2_fields::lyrics, true},
        {ID3FID_TRACKNUM, id3v2_fields::track, false},      {ID3FID_YEAR, id3v2_fields::year, false},
    };
    for (const auto& f : frames) {
        remove_frames(tag, f.id);
        const std::wstring text = in.text[f.field].wvalue();
        if (!text.empty())
            add_frame(tag, f.id, text, f.language ? L"" : nullptr, f.language);
    }
    remove_frames(tag, ID3FID_USERTEXT, is_replay_gain);
    for (int i = 0; i < 4; ++i) {
        const std::wstring text = in.text[kReplayGainField[i]].wvalue();
        if (!text.empty())
            add_frame(tag, ID3FID_USERTEXT, text, kReplayGain[i]);
    }
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// id3lib rewrites a file by writing "<path>.XXXXXX", removing the file and
// renaming. A temporary file still there means that the rename failed: it is
// deleted while the file itself is there (the file keeps its old tag), and
// renamed into its place when the file is gone. True when nothing was left.
bool settle_temp_file(const std::string& path) {
    const std::string temp = path + kTempSuffix;
    if (!exists(temp))
        return true;
    if (exists(path)) {
        SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(temp.c_str());
        return false;
    }
    return MoveFileA(temp.c_str(), path.c_str()) != 0;
}

enum class mode { fields, strip };

bool rewrite(stream* s, const id3v2_fields* in, mode how) {
    std::string path;
    const bool named = ansi_path(s, path);
    bool ok = false;
    try {
        ID3_Tag tag;
        if (named)
            tag.Link(path.c_str(), ID3TT_ID3V2);
        const bool had_tag = named && tag.HasTagType(ID3TT_ID3V2);
        tag.SetPadding(true);
        if (how == mode::fields)
            replace_frames(tag, *in);
        s->close();
        if (!named)
            return false;
        if (how == mode::strip || tag.NumFrames() == 0)
            ok = !had_tag || (tag.Strip(ID3TT_ID3V2) & ID3TT_ID3V2) != 0;
        else
            ok = !tag.HasChanged() || (tag.Update(ID3TT_ID3V2) & ID3TT_ID3V2) != 0;
    } catch (...) {
        s->close();
        ok = false;
    }
    return settle_temp_file(path) && ok;
}

}  // namespace

bool id3v2_write(stream* s, const id3v2_fields* in) {
    if (!s || !in)
        return false;
    return rewrite(s, in, mode::fields);
}

bool id3v2_strip(stream* s) {
    if (!s)
        return false;
    return rewrite(s, nullptr, mode::strip);
}
