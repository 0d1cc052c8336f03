#pragma once
// The store logo in the launcher window: the picture file the player keeps
// after its login ("<application data>\zel_player\logo.png"), scaled to fit
// the control with its proportions kept, centred on white. Attached to the
// window's logo control; it deletes itself when that control is destroyed.
#include <string>

#include "dib.h"
#include "window_base.h"

namespace Gdiplus {
class Image;
}

class logo_view : public window_base {
public:
    // The file is read on attach; empty: the player's logo file.
    explicit logo_view(const std::wstring& path = std::wstring());
    ~logo_view() override;

    void on_init() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

    const dib& back_buffer() const { return back_; }
    bool has_image() const { return image_ != nullptr; }
    // Where the picture lies in a control of width x height for a picture
    // of image_w x image_h.
    static RECT placement(int image_w, int image_h, int width, int height);

    static std::wstring default_path();

private:
    void redraw();

    std::wstring path_;
    Gdiplus::Image* image_;
    dib back_;
};
