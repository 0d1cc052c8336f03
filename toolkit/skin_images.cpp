// skin: the image loaders. PNG images are decoded and drawn at their natural
// size into a fresh 24-bit dib whose pixels start black.
#include <cstdlib>

#include "core.h"
#include "png_image.h"
#include "skin.h"

namespace {
dib* to_dib(png_image& decoded) {
    if (!decoded.has_image()) return nullptr;
    dib* image = new dib;
    if (!image->create(decoded.width(), decoded.height(), 24)) {
        delete image;
        return nullptr;
    }
    decoded.draw(image->get_memdc(), 0, 0);
    GdiFlush();
    return image;
}
}  // namespace

dib* skin::load_png_resource(const wchar_t* type, unsigned long id) {
    HMODULE module = core::get_instance();
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(LOWORD(id)), type);
    if (!resource) return nullptr;
    png_image decoded(png_image::type_png);
    if (!decoded.load_resource(resource, png_image::type_png, module)) return nullptr;
    return to_dib(decoded);
}

dib* skin::load_png_memory(const unsigned char* bytes, unsigned int length) {
    if (!bytes || !length) return nullptr;
    png_image decoded(png_image::type_png);
    // The decoder reads the buffer in place and does not keep it.
    if (!decoded.decode(const_cast<unsigned char*>(bytes), length, png_image::type_png)) return nullptr;
    return to_dib(decoded);
}

dib* skin::load_png_from_file(const wchar_t* path) {
    if (!path || !*path) return nullptr;
    png_image decoded(png_image::type_png);
    // Opened by its wide name: a path outside the ANSI code page loads too.
    if (!decoded.load(path, png_image::type_png)) return nullptr;
    return to_dib(decoded);
}

dib* skin::load_bitmap_from_file(const wchar_t* path) {
    dib* image = new dib;
    image->create_from_file(path);
    return image;
}

dib* skin::load_bitmap_resource(unsigned long id) {
    dib* image = new dib;
    image->create_from_resource(id);
    return image;
}

dib* skin::load_picture_from_file(const wchar_t* path) {
    dib* image = new dib;
    image->load_from_file(path);
    return image;
}

dib* skin::load_picture_resource(const wchar_t* type, unsigned long id) {
    dib* image = new dib;
    image->load_from_resource(type, MAKEINTRESOURCEW(LOWORD(id)));
    return image;
}
