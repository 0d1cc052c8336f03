// The reservation list's looks: its header, the "즉시 편성" button's face,
// its own images and the cells.
#include <cwchar>

#include "anne_cells.h"
#include "reservation_list.h"

namespace {

const COLORREF own_day_colour = 0xC8781E;

// The face of "즉시 편성", shared by every list of the run and redrawn when
// a list makes its button.
dib& apply_face() {
    static dib face;
    return face;
}

void draw_apply_face() {
    dib& face = apply_face();
    if (!face.get_memdc() && !face.create(60, 20, 24)) return;
    HDC dc = face.get_memdc();
    RECT all = {0, 0, 60, 20};
    dib::fill_solid_rect(dc, &all, 0x2E2E2E);
    RECT inner = {1, 1, 59, 19};
    dib::fill_solid_rect(dc, &inner, 0xFFFFFF);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0x2E2E2E);
    DrawTextW(dc, L"즉시 편성", -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP |
                                              DT_END_ELLIPSIS);
    SelectObject(dc, old);
}

void fill(dib& image, int w, int h, COLORREF colour) {
    if (!image.get_memdc()) image.create(w, h, 24);
    RECT r = {0, 0, w, h};
    dib::fill_solid_rect(image.get_memdc(), &r, colour);
}

}  // namespace

void reservation_list::day_header::draw_item(unsigned int index, HDC dc, RECT& rect, const wchar_t* text) {
    // The weekday columns are narrow: their names (and "자동MUTE") use the
    // whole item rather than the base's margins and ellipsis.
    header_ctrl2::draw_item(index, dc, rect, L"");
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, get_text_color());
    HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT inner = {rect.left + 1, rect.top, rect.right - 1, rect.bottom};
    DrawTextW(dc, text ? text : L"", -1, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old_font);
    if (index < 2 || index > 7) return;
    // The separators between the weekday columns.
    HPEN pen = CreatePen(PS_SOLID, 1, get_line_color());
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, rect.right - 1, 1, nullptr);
    LineTo(dc, rect.right - 1, rect.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void reservation_list::draw_own_images() {
    // On the list's background, which the cells leave out when they draw
    // them: a filled square for a reserved day, a frame for another day, a
    // small triangle to listen.
    if (!images_.day_set) {
        fill(own_day_set_, 9, 9, 0xFFFFFF);
        RECT r = {0, 0, 9, 9};
        dib::fill_solid_rect(own_day_set_.get_memdc(), &r, own_day_colour);
        images_.day_set = &own_day_set_;
    }
    if (!images_.day_unset) {
        fill(own_day_unset_, 9, 9, 0xFFFFFF);
        HDC dc = own_day_unset_.get_memdc();
        RECT r = {0, 0, 9, 9};
        HBRUSH frame = CreateSolidBrush(0xC0C0C0);
        FrameRect(dc, &r, frame);
        DeleteObject(frame);
        images_.day_unset = &own_day_unset_;
    }
    if (!images_.listen) {
        fill(own_listen_, 8, 9, 0xFF00FF);
        HDC dc = own_listen_.get_memdc();
        for (int x = 0; x < 5; ++x) {
            RECT r = {1 + x, x, 2 + x, 9 - x};
            dib::fill_solid_rect(dc, &r, 0xB05A1E);
        }
        images_.listen = &own_listen_;
    }
}

void reservation_list::on_subclass() {
    list_view::on_subclass();
    // The own header in place of the base's.
    if (HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0))) {
        header_.deinit();
        day_header_.init(header);
    }
    if (!rights_) return;
    draw_apply_face();
    RECT list = {};
    GetWindowRect(hwnd_, &list);
    MapWindowPoints(nullptr, get_container(), reinterpret_cast<POINT*>(&list), 2);
    RECT place = {10, list.bottom + 10, 70, list.bottom + 30};
    button_.init(get_container(), apply_button, place, &apply_face(), nullptr, nullptr);
}

void reservation_list::draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) {
    const bool selected = flags & 1;
    HPEN pen = CreatePen(PS_SOLID, 1, grid_);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    MoveToEx(dc, rect->left, rect->bottom - 1, nullptr);
    LineTo(dc, rect->right, rect->bottom - 1);
    RECT cell = *rect;
    cell.top += 1;
    RECT body = cell;
    body.bottom -= 1;
    dib::fill_solid_rect(dc, &body, selected ? selected_background_ : background_);
    MoveToEx(dc, cell.right - 1, cell.top, nullptr);
    LineTo(dc, cell.right - 1, cell.bottom);
    if (column == title_column || column == first_day_column || column == listen_column ||
        column == length_column || column == mute_column) {
        MoveToEx(dc, cell.left, cell.top, nullptr);
        LineTo(dc, cell.left, cell.bottom);
    }
    SelectObject(dc, old_pen);
    DeleteObject(pen);
    if (get_column_width(column) <= 0 || row < 0 || static_cast<size_t>(row) >= records_.size()) return;
    anne_schedule_record& r = records_[static_cast<size_t>(row)];
    RECT inner = cell;
    inner.left += 5;
    inner.right -= 5;
    const int height = inner.bottom - inner.top;
    if (column == title_column) {
        static const wchar_t* const kinds[3] = {L"□", L"▥", L"▤"};
        const wchar_t* symbol = kinds[r.number_a >= 0 && r.number_a <= 2 ? r.number_a : 0];
        HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, selected ? selected_text_ : text_);
        SIZE size = {};
        GetTextExtentPoint32W(dc, symbol, 1, &size);
        RECT area = inner;
        DrawTextW(dc, symbol, 1, &area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old_font);
        inner.left += size.cx + 4;
        // A volume above 100 stands for the player's announcement volume.
        if (r.volume > 100) r.volume = services_.info_volume() / 10;
        dib& icon = volume_icons_[anne_cells::volume_level(r.volume)];
        if (icon.get_memdc()) {
            icon.draw_trans(dc, inner.left, inner.top + (height - icon.get_height()) / 2, background_);
            inner.left += icon.get_width() + 4;
        }
        draw_cell_text(row, column, dc, &inner, flags, 0, r.title.wvalue());
    } else if (column >= first_day_column && column < first_day_column + 7) {
        dib* image = (r.weekdays >> (column - first_day_column)) & 1 ? images_.day_set : images_.day_unset;
        if (image && image->get_memdc()) {
            const int x = cell.left + (column == first_day_column ? 3 : 0) + 3;
            image->draw_trans(dc, x, inner.top + (height - image->get_height()) / 2, background_);
        }
    } else {
        const stringx text = get_item_text(row, column);
        draw_cell_text(row, column, dc, &inner, flags, get_column_value(column), text.wvalue());
    }
    draw_cell_images(dc, &cell, row, column, flags);
}
