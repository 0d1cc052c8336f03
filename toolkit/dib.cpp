// dib: construction, loading and the plain copies.
#include "dib.h"

#include <olectl.h>

#include <cstdio>
#include <vector>

#include "core.h"

dib::dib()
    : bitmap_(nullptr),
      previous_(nullptr),
      dc_(nullptr),
      bits_(nullptr),
      bytes_scanline_(0),
      picture_(nullptr) {
    ZeroMemory(&info_, sizeof info_);
}

dib::~dib() { clear(); }

bool dib::create(int width, int height, unsigned int bits) {
    clear();
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) return false;
    if (!create_dib(dc_, width, height, bits)) {
        DeleteDC(dc_);
        dc_ = nullptr;
        return false;
    }
    previous_ = SelectObject(dc_, bitmap_);
    return true;
}

HBITMAP dib::create_dib(HDC dc, int width, int height, unsigned int bits) {
    ZeroMemory(&info_, sizeof info_);
    BITMAPINFOHEADER& h = info_.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biCompression = BI_RGB;
    bitmap_ = nullptr;
    bits_ = nullptr;
    // Rows are bottom-up: a negative height would turn the image over.
    if (width <= 0 || height <= 0) return nullptr;
    // Depths with a colour table get a grey ramp rather than whatever lies
    // behind the header.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } table = {};
    table.header = h;
    if (bits <= 8) {
        const int n = 1 << (bits ? bits : 1);
        for (int i = 0; i < n; ++i) {
            const BYTE grey = static_cast<BYTE>(i * 255 / (n - 1));
            table.colours[i] = {grey, grey, grey, 0};
        }
    }
    bitmap_ = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&table), DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (!bitmap_) {
        bits_ = nullptr;
        return nullptr;
    }
    BITMAP bm = {};
    GetObjectW(bitmap_, sizeof bm, &bm);
    bytes_scanline_ = (bm.bmWidthBytes + 3) & ~3;
    return bitmap_;
}

void dib::clear() {
    if (picture_) {
        picture_->Release();
        picture_ = nullptr;
    }
    if (dc_) {
        if (bitmap_) {
            SelectObject(dc_, previous_);
            DeleteObject(bitmap_);
        }
        DeleteDC(dc_);
    } else if (bitmap_) {
        DeleteObject(bitmap_);
    }
    dc_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    bits_ = nullptr;
}

void dib::fill_solid_rect(HDC dc, const RECT* rect, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}

bool dib::copy_loaded_bitmap(HBITMAP loaded, unsigned int bits) {
    BITMAP bm = {};
    GetObjectW(loaded, sizeof bm, &bm);
    bool ok = create(bm.bmWidth, bm.bmHeight, bits);
    if (ok) {
        HDC desktop = GetDC(GetDesktopWindow());
        HDC source = CreateCompatibleDC(desktop);
        ReleaseDC(GetDesktopWindow(), desktop);
        HGDIOBJ old = SelectObject(source, loaded);
        load_picture_blt(source, 0, 0, -1, -1, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
    DeleteObject(loaded);
    return ok;
}

bool dib::create_from_file(const wchar_t* path) {
    clear();
    HANDLE loaded = path && *path ? LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE) : nullptr;
    if (!loaded) return false;
    return copy_loaded_bitmap(static_cast<HBITMAP>(loaded), 24);
}

bool dib::create_from_resource(unsigned int id) {
    const wchar_t* name = MAKEINTRESOURCEW(id & 0xFFFF);
    HANDLE loaded = LoadImageW(core::get_instance(), name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
    if (!loaded) return load_from_resource(L"Bitmap", name);
    // Copied into 24 bits whatever the resource's depth, so that the image
    // keeps its colours without a palette of its own.
    return copy_loaded_bitmap(static_cast<HBITMAP>(loaded), 24);
}

bool dib::load_picture(const void* bytes, size_t size, int width, int height, bool fit, bool stretch) {
    clear();
    if (!bytes || size == 0 || size > 0x7FFFFFFF) return false;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return false;
    void* locked = GlobalLock(memory);
    if (!locked) {
        GlobalFree(memory);
        return false;
    }
    memcpy(locked, bytes, size);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return false;
    }
    HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture_));
    stream->Release();  // frees the block
    if (FAILED(hr) || !picture_) {
        picture_ = nullptr;
        return false;
    }
    OLE_XSIZE_HIMETRIC himetric_width = 0;
    OLE_YSIZE_HIMETRIC himetric_height = 0;
    picture_->get_Width(&himetric_width);
    picture_->get_Height(&himetric_height);
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) {
        clear();
        return false;
    }
    const int natural_width = MulDiv(himetric_width, GetDeviceCaps(dc_, LOGPIXELSX), 2540);
    const int natural_height = MulDiv(himetric_height, GetDeviceCaps(dc_, LOGPIXELSY), 2540);
    if (!fit) {
        width = natural_width;
        height = natural_height;
    }
    if (!create_dib(dc_, width, height, 24)) {
        clear();
        return false;
    }
    previous_ = SelectObject(dc_, bitmap_);
    const int render_width = !fit || stretch ? width : natural_width;
    const int render_height = !fit || stretch ? height : natural_height;
    picture_->Render(dc_, 0, 0, render_width, render_height, 0, himetric_height, himetric_width,
                     -himetric_height, nullptr);
    picture_->Release();
    picture_ = nullptr;
    return true;
}

namespace {
bool read_whole_file(const wchar_t* path, std::vector<unsigned char>& bytes) {
    if (!path || !*path) return false;
    FILE* f = _wfopen(path, L"rb");
    if (!f) return false;
    unsigned char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return true;
}
}  // namespace

bool dib::load_from_file(const wchar_t* path) {
    clear();
    std::vector<unsigned char> bytes;
    return read_whole_file(path, bytes) && load_picture(bytes.data(), bytes.size(), 0, 0, false, false);
}

bool dib::load_from_file(const wchar_t* path, int width, int height, bool stretch) {
    clear();
    std::vector<unsigned char> bytes;
    return read_whole_file(path, bytes) &&
           load_picture(bytes.data(), bytes.size(), width, height, true, stretch);
}

bool dib::get_resource(const wchar_t* name, const wchar_t* type, void* buffer, int& size) {
    HINSTANCE module = core::get_instance();
    HRSRC found = FindResourceW(module, name, type);
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return false;
    const int length = static_cast<int>(SizeofResource(module, found));
    if (!buffer) {
        size = length;
        return true;
    }
    if (size < length) return false;
    memcpy(buffer, bytes, length);
    return true;
}

bool dib::load_from_resource(const wchar_t* type, const wchar_t* name) {
    clear();
    int size = 0;
    if (!get_resource(name, type, nullptr, size) || size <= 0) return false;
    std::vector<unsigned char> bytes(size);
    return get_resource(name, type, bytes.data(), size) &&
           load_picture(bytes.data(), size, 0, 0, false, false);
}

bool dib::load_from_resource(const wchar_t* type, const wchar_t* name, int width, int height, bool stretch) {
    clear();
    int size = 0;
    if (!get_resource(name, type, nullptr, size) || size <= 0) return false;
    std::vector<unsigned char> bytes(size);
    return get_resource(name, type, bytes.data(), size) &&
           load_picture(bytes.data(), size, width, height, true, stretch);
}
