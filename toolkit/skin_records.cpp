// The records of the skin engine: controls, statics, the item list, the
// detail group and the resize pieces, with the defaults their creators start
// from.
#include <cwchar>

#include "skin.h"
#include "utility.h"

namespace {
// The default GUI font's face, size in points and weight.
void default_font(wchar_t (&face)[260], int& point_size, bool& bold) {
    int points = 0;
    const LOGFONTW* font = utility::get_default_logfont(&points);
    skin_copy_text(face, font ? font->lfFaceName : L"");
    point_size = points;
    bold = font && font->lfWeight >= FW_BOLD;
}
}  // namespace

skin_control::skin_control()
    : type(type_button),
      normal_src(),
      hover_src(),
      hit_rect(),
      disabled_src(),
      draw_rect(),
      visible(true),
      enabled(true),
      tooltip(),
      id(0),
      hot(false),
      initial_draw(),
      initial_hit() {}

skin_control::~skin_control() = default;

skin_button::skin_button()
    : pressed_src(),
      align(0),
      checked(false),
      auto_repeat(false),
      release_command(0),
      text_colour(0),
      caption(),
      face(),
      point_size(0),
      bold(false) {
    default_font(face, point_size, bold);
}

skin_scroll::skin_scroll()
    : quiet(false),
      forward(true),
      dragging(false),
      position(0),
      min(0),
      max(100),
      tile_src(),
      fill_colour(-1),
      fill_rect(),
      initial_fill() {
    type = type_vslider;
}

skin_static::skin_static()
    : type(type_text),
      rect(),
      tooltip(),
      tooltip_shown(false),
      visible(false),
      id(0),
      align(0),
      text_colour(0),
      text(),
      face(),
      point_size(0),
      bold(false) {
    default_font(face, point_size, bold);
}

skin_static::~skin_static() = default;

skin_progress::skin_progress()
    : value(0), min(0), max(100), bar_colour(no_colour), back_colour(no_colour), show_text(false), tile_src() {
    type = type_hprogress;
}

skin_list_item::skin_list_item()
    : first_line(),
      second_line(),
      normal_colour(0),
      hot_colour(0),
      checked_colour(0),
      left_margin(0),
      top_margin(0) {
    type = type_list_item;
}

skin_list_control::skin_list_control() : visible(true) {}

skin_list_control::~skin_list_control() = default;

skin_list_detail::skin_list_detail() : visible(true) {}

skin_list_detail::~skin_list_detail() = default;

_resize_region::_resize_region()
    : grip(), initial_grip(), kind(-1), initial_placement(), placement(), source(), second_source(),
      second_position() {}
