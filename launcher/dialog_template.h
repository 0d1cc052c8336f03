#pragma once
// A copy of a dialog template (DLGTEMPLATE or DLGTEMPLATEEX) whose font can
// be replaced, so that a dialog comes up in the system's message font
// whatever font, or none, its resource names.
//
// The copy is sized to what it holds: a font block that is added or grows
// makes the copy larger, and the items behind it keep their DWORD alignment.
#include <windows.h>

#include <string>
#include <vector>

class dialog_template {
public:
    dialog_template();
    ~dialog_template();
    dialog_template(const dialog_template&) = delete;
    dialog_template& operator=(const dialog_template&) = delete;

    // Copies the RT_DIALOG resource of the module of core::get_instance.
    bool load(unsigned int template_id);
    // Copies size bytes of a template held in memory; false when they are
    // not a whole template.
    bool load(const void* data, size_t size);

    // The byte size of the template at data, walked from its header, menu,
    // class, title, font block and items; 0 when it does not fit in limit
    // bytes.
    static size_t size(const void* data, size_t limit);

    // Writes face and point size into the font block (DS_SETFONT set, the
    // block added when the template had none). The weight, italic and
    // character-set fields of an extended template stay as they were (a
    // new block gets normal weight and the default character set). False
    // when there is no copy or the face is empty or too long.
    bool set_font(const wchar_t* face, int point_size);
    // The message font's face, at point_size or, when 0, at its own size;
    // "System" at 10 points when no font can be read.
    bool apply_message_font(int point_size);
    // The system's message font (caller deletes), or null.
    static HFONT create_font();

    const DLGTEMPLATE* get() const;
    size_t byte_size() const { return bytes_.size(); }
    bool extended() const;
    bool had_no_font() const { return no_font_; }
    // The class name the template gives ("#32770" for none, an empty one or
    // an ordinal).
    std::wstring class_name() const;
    // The font block's face and point size; empty when there is none.
    std::wstring font_face() const;
    int font_points() const;

    void release();

private:
    struct layout {
        bool extended = false;
        DWORD style = 0;
        size_t style_offset = 0;
        size_t class_offset = 0;
        size_t font_offset = 0;  // where the font block starts (or would)
        size_t font_end = 0;     // end of the font block (= font_offset without one)
        size_t items_offset = 0;
        size_t end = 0;
        int items = 0;
    };
    static bool read_layout(const BYTE* data, size_t limit, layout& out);

    std::vector<BYTE> bytes_;
    bool no_font_;
};
