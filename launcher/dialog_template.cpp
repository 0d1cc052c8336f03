// Dialog templates walked by their published layout: a header (18 bytes, or
// 26 for the extended form, told apart by the signature 0xFFFF), the menu,
// class and title (each an ordinal or a NUL-terminated string), the font
// block when the style has DS_SETFONT, then the items, each DWORD-aligned:
// a header of 18 (extended: 24) bytes, class, title and creation data.
#include "dialog_template.h"

#include <cstring>

#include "core.h"

namespace {
const size_t kPlainHeader = 18;
const size_t kExtendedHeader = 26;
const size_t kPlainItem = 18;
const size_t kExtendedItem = 24;

WORD word_at(const BYTE* p) {
    WORD w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

DWORD dword_at(const BYTE* p) {
    DWORD d;
    std::memcpy(&d, p, sizeof d);
    return d;
}

size_t align4(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

// Skips a NUL-terminated UTF-16 string at offset; 0 when it runs past limit.
size_t skip_string(const BYTE* data, size_t offset, size_t limit) {
    while (offset + 2 <= limit) {
        WORD c = word_at(data + offset);
        offset += 2;
        if (c == 0) return offset;
    }
    return 0;
}

// Skips a menu, class or title field: 0x0000 (none), 0xFFFF and an ordinal,
// or a string.
size_t skip_field(const BYTE* data, size_t offset, size_t limit) {
    if (offset + 2 > limit) return 0;
    WORD first = word_at(data + offset);
    if (first == 0xFFFF) return offset + 4 <= limit ? offset + 4 : 0;
    return skip_string(data, offset, limit);
}
}  // namespace

dialog_template::dialog_template() : no_font_(false) {}

dialog_template::~dialog_template() { release(); }

void dialog_template::release() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    no_font_ = false;
}

bool dialog_template::read_layout(const BYTE* data, size_t limit, layout& out) {
    if (!data || limit < kPlainHeader) return false;
    out.extended = word_at(data + 2) == 0xFFFF;
    size_t offset;
    if (out.extended) {
        if (limit < kExtendedHeader) return false;
        out.style_offset = 12;
        out.items = word_at(data + 16);
        offset = kExtendedHeader;
    } else {
        out.style_offset = 0;
        out.items = word_at(data + 8);
        offset = kPlainHeader;
    }
    out.style = dword_at(data + out.style_offset);
    offset = skip_field(data, offset, limit);  // menu
    if (!offset) return false;
    out.class_offset = offset;
    offset = skip_field(data, offset, limit);  // class
    if (!offset) return false;
    offset = skip_field(data, offset, limit);  // title
    if (!offset) return false;
    out.font_offset = offset;
    if (out.style & DS_SETFONT) {
        offset += out.extended ? 6 : 2;  // point size (weight, italic, character set)
        if (offset > limit) return false;
        offset = skip_string(data, offset, limit);
        if (!offset) return false;
    }
    out.font_end = offset;
    out.items_offset = align4(offset);
    offset = out.items_offset;
    for (int i = 0; i < out.items; ++i) {
        offset = align4(offset);
        offset += out.extended ? kExtendedItem : kPlainItem;
        if (offset > limit) return false;
        offset = skip_field(data, offset, limit);  // class
        if (!offset) return false;
        offset = skip_field(data, offset, limit);  // title
        if (!offset || offset + 2 > limit) return false;
        WORD extra = word_at(data + offset);
        offset += 2 + extra;
        if (offset > limit) return false;
    }
    out.end = out.items ? offset : out.font_end;
    return true;
}

size_t dialog_template::size(const void* data, size_t limit) {
    layout l;
    return read_layout(static_cast<const BYTE*>(data), limit, l) ? l.end : 0;
}

bool dialog_template::load(const void* data, size_t size_limit) {
    release();
    const size_t n = size(data, size_limit);
    if (!n) return false;
    const BYTE* p = static_cast<const BYTE*>(data);
    bytes_.assign(p, p + n);
    layout l;
    read_layout(bytes_.data(), bytes_.size(), l);
    no_font_ = (l.style & DS_SETFONT) == 0;
    return true;
}

bool dialog_template::load(unsigned int template_id) {
    HINSTANCE module = core::get_instance();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(template_id & 0xFFFF), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!found) {
        release();
        return false;
    }
    HGLOBAL handle = LoadResource(module, found);
    const void* data = handle ? LockResource(handle) : nullptr;
    return data && load(data, SizeofResource(module, found));
}

bool dialog_template::set_font(const wchar_t* face, int point_size) {
    if (bytes_.empty() || !face || !*face) return false;
    const size_t face_length = wcslen(face);
    if (face_length >= LF_FACESIZE) return false;
    layout l;
    if (!read_layout(bytes_.data(), bytes_.size(), l)) return false;

    // The block: point size, for the extended form weight, italic and
    // character set (kept from the old block), then the face with its NUL.
    std::vector<BYTE> block;
    const WORD points = static_cast<WORD>(point_size);
    block.insert(block.end(), reinterpret_cast<const BYTE*>(&points), reinterpret_cast<const BYTE*>(&points) + 2);
    if (l.extended) {
        if (l.style & DS_SETFONT) {
            block.insert(block.end(), bytes_.begin() + l.font_offset + 2, bytes_.begin() + l.font_offset + 6);
        } else {
            const WORD weight = FW_NORMAL;
            block.insert(block.end(), reinterpret_cast<const BYTE*>(&weight),
                         reinterpret_cast<const BYTE*>(&weight) + 2);
            block.push_back(0);                // not italic
            block.push_back(DEFAULT_CHARSET);  // the face's own character set
        }
    }
    const BYTE* face_bytes = reinterpret_cast<const BYTE*>(face);
    block.insert(block.end(), face_bytes, face_bytes + (face_length + 1) * sizeof(wchar_t));

    std::vector<BYTE> out(bytes_.begin(), bytes_.begin() + l.font_offset);
    out.insert(out.end(), block.begin(), block.end());
    // The items start on a DWORD boundary as before, so their own padding
    // (relative to the template's start) stays right when copied whole.
    out.resize(align4(out.size()), 0);
    if (l.items) out.insert(out.end(), bytes_.begin() + l.items_offset, bytes_.begin() + l.end);
    DWORD style = l.style | DS_SETFONT;
    std::memcpy(out.data() + l.style_offset, &style, sizeof style);
    bytes_.swap(out);
    no_font_ = false;
    return true;
}

HFONT dialog_template::create_font() {
    NONCLIENTMETRICSW metrics;
    std::memset(&metrics, 0, sizeof metrics);
    // The size without the padded border field, which every version knows.
    metrics.cbSize = 500;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &metrics, 0)) return nullptr;
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

bool dialog_template::apply_message_font(int point_size) {
    HFONT made = create_font();
    HGDIOBJ font = made;
    if (!font) font = GetStockObject(DEFAULT_GUI_FONT);
    if (!font) font = GetStockObject(SYSTEM_FONT);
    LOGFONTW lf;
    bool ok;
    if (!font || GetObjectW(font, sizeof lf, &lf) != sizeof lf) {
        ok = set_font(L"System", point_size ? point_size : 10);
    } else {
        int points = point_size;
        if (!points) {
            HDC screen = GetDC(nullptr);
            const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
            if (screen) ReleaseDC(nullptr, screen);
            points = MulDiv(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight, 72, dpi);
        }
        ok = set_font(lf.lfFaceName, points);
    }
    if (made) DeleteObject(made);
    return ok;
}

const DLGTEMPLATE* dialog_template::get() const {
    return bytes_.empty() ? nullptr : reinterpret_cast<const DLGTEMPLATE*>(bytes_.data());
}

bool dialog_template::extended() const { return bytes_.size() >= 4 && word_at(bytes_.data() + 2) == 0xFFFF; }

std::wstring dialog_template::class_name() const {
    layout l;
    if (!read_layout(bytes_.data(), bytes_.size(), l)) return L"#32770";
    const BYTE* p = bytes_.data() + l.class_offset;
    if (word_at(p) == 0 || word_at(p) == 0xFFFF) return L"#32770";
    std::wstring name;
    for (size_t o = l.class_offset; o + 2 <= bytes_.size(); o += 2) {
        WORD c = word_at(bytes_.data() + o);
        if (!c) break;
        name.push_back(static_cast<wchar_t>(c));
    }
    return name.empty() ? L"#32770" : name;
}

std::wstring dialog_template::font_face() const {
    layout l;
    if (!read_layout(bytes_.data(), bytes_.size(), l) || !(l.style & DS_SETFONT)) return L"";
    std::wstring face;
    for (size_t o = l.font_offset + (l.extended ? 6 : 2); o + 2 <= l.font_end; o += 2) {
        WORD c = word_at(bytes_.data() + o);
        if (!c) break;
        face.push_back(static_cast<wchar_t>(c));
    }
    return face;
}

int dialog_template::font_points() const {
    layout l;
    if (!read_layout(bytes_.data(), bytes_.size(), l) || !(l.style & DS_SETFONT)) return 0;
    return word_at(bytes_.data() + l.font_offset);
}
