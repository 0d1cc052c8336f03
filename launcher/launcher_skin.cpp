// Builds the launcher window's skin from its image: the window part moved
// to the origin, the nine pieces of the stretching frame, the two buttons,
// the two captions and the images cut for the store rows.
#include "launcher_skin.h"

#include "launcher_frame_skin.h"
#include "utility.h"

namespace {
const COLORREF kKey = RGB(255, 0, 255);
const RECT kFace = {0, 0, launcher_skin::width, launcher_skin::height};
// Where the image keeps the window part.
const int kStoredX = 3, kStoredY = 3;

skin_button* make_button(const skin_art_button& art, const wchar_t* tooltip) {
    skin_button* b = new skin_button;
    b->id = art.id;
    skin_copy_text(b->tooltip, tooltip);
    b->draw_rect = art.draw;
    b->hit_rect = art.hit;
    b->normal_src = art.normal;
    b->hover_src = art.normal;
    b->pressed_src = art.normal;
    return b;
}

skin_static* make_caption(const skin_art_static& art, int align) {
    skin_static* s = new skin_static;
    s->type = skin_static::type_text;
    s->id = art.id;
    s->rect = art.rect;
    s->align = align;
    s->text_colour = RGB(0, 0, 0);
    s->visible = true;
    int points = 9;
    const LOGFONTW* font = utility::get_default_logfont(&points);
    skin_copy_text(s->face, font ? font->lfFaceName : L"");
    s->point_size = points;
    s->bold = true;
    return s;
}
}  // namespace

launcher_skin::launcher_skin() {}

launcher_skin::~launcher_skin() { release(); }

skin* launcher_skin::build(HWND window) {
    release();
    dib* png = skin::load_png_resource(L"PNG", 103);
    if (!png) return nullptr;
    // The window part to the origin, the key colour where it was.
    {
        dib window_part;
        window_part.create_from_part(*png, RECT{kStoredX, kStoredY, kStoredX + width, kStoredY + height});
        const RECT stored = {kStoredX, kStoredY, kStoredX + width, kStoredY + height};
        dib::fill_solid_rect(png->get_memdc(), &stored, kKey);
        window_part.draw(png->get_memdc(), 0, 0);
    }

    skin_ = std::make_unique<skin>(1);
    skin_->subclassing(window);
    const POINT origin = {0, 0};
    _region* region = skin_->add_region(&origin, &kFace, png);
    for (const skin_art_piece& d : launcher_frame_skin::pieces) {
        auto piece = std::make_unique<_resize_region>();
        piece->kind = d.kind;
        piece->placement = d.rect;
        piece->source = d.rect;
        piece->grip = d.grip;
        skin_->add_resize_region(piece.get());
        pieces_.push_back(std::move(piece));
    }
    skin_->create_resize_skin(kKey, &kFace, nullptr);
    skin_->add_control(region, make_button(launcher_frame_skin::minimise, L"최소화"));
    skin_->add_control(region, make_button(launcher_frame_skin::close, L"닫기"));
    skin_->add_static(region, make_caption(launcher_frame_skin::clock, 0));
    skin_->add_static(region, make_caption(launcher_frame_skin::version, 2));

    thumb_.create_from_part(*png, launcher_frame_skin::scroll_thumb);
    plus_.create_from_part(*png, launcher_frame_skin::scroll_plus);
    minus_.create_from_part(*png, launcher_frame_skin::scroll_minus);
    if (channel_.create(9, 9, 24)) {
        const RECT all = {0, 0, 9, 9};
        const RECT inside = {1, 0, 8, 9};
        dib::fill_solid_rect(channel_.get_memdc(), &all, 0xD8D8D8);
        dib::fill_solid_rect(channel_.get_memdc(), &inside, 0xF1F1F1);
    }
    const struct {
        int id;
        RECT rect;
    } rows[] = {{stop, launcher_frame_skin::stop},
                {start, launcher_frame_skin::start},
                {show, launcher_frame_skin::show},
                {indicator, launcher_frame_skin::indicator},
                {settings_closed, launcher_frame_skin::settings_closed},
                {settings_open, launcher_frame_skin::settings_open}};
    for (const auto& r : rows) {
        auto image = std::make_unique<dib>();
        image->create_from_part(*png, r.rect);
        images_[r.id] = std::move(image);
    }
    skin_->delete_backup_image();
    return skin_.get();
}

void launcher_skin::release() {
    if (skin_) {
        skin_->unsubclass();
        skin_.reset();
    }
    pieces_.clear();
}

dib* launcher_skin::image(int id) const {
    auto it = images_.find(id);
    return it == images_.end() ? nullptr : it->second.get();
}

launcher_skin::scroll_images launcher_skin::vscroll() { return {&channel_, &thumb_, &minus_, &plus_}; }
