// The source side of a drag: the format enumerator, the drop source's
// feedback and the shell's drag image.
#include <cstring>
#include <new>

#include "com_object.h"
#include "drag_drop.h"

namespace {
POINT message_position() {
    const DWORD pos = GetMessagePos();
    POINT p = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    return p;
}

drop_cursor_fn g_cursor = &message_position;

const IID kDragSourceHelper = {0xDE5BF786, 0x477A, 0x11D2, {0x83, 0x9D, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0xD0}};
}  // namespace

drop_cursor_fn set_drop_source_cursor(drop_cursor_fn where) {
    drop_cursor_fn previous = g_cursor;
    g_cursor = where ? where : &message_position;
    return previous;
}

// ---------------------------------------------------------- enum_format_etc

enum_format_etc::enum_format_etc(unsigned long count, const FORMATETC* formats)
    : refs_(1), position_(0), count_(count), formats_(nullptr) {
    if (count && formats) {
        formats_ = new (std::nothrow) FORMATETC[count];
        if (formats_)
            std::memcpy(formats_, formats, count * sizeof(FORMATETC));
        else
            count_ = 0;
    }
}

enum_format_etc::~enum_format_etc() { delete[] formats_; }

STDMETHODIMP enum_format_etc::QueryInterface(REFIID riid, void** object) {
    return com_object::answer(this, riid, IID_IEnumFORMATETC, object);
}
STDMETHODIMP_(ULONG) enum_format_etc::AddRef() { return InterlockedIncrement(&refs_); }
STDMETHODIMP_(ULONG) enum_format_etc::Release() { return com_object::release(this, refs_); }

STDMETHODIMP enum_format_etc::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
    if (!formats_ || (!fetched && count != 1) || !formats || position_ >= count_) return S_FALSE;
    ULONG copied = 0;
    while (copied < count && position_ < count_) formats[copied++] = formats_[position_++];
    if (fetched) *fetched = copied;
    return S_OK;
}

STDMETHODIMP enum_format_etc::Skip(ULONG count) {
    if (!formats_ || position_ + count >= count_) return S_FALSE;
    position_ += count;
    return S_OK;
}

STDMETHODIMP enum_format_etc::Reset() {
    position_ = 0;
    return S_OK;
}

STDMETHODIMP enum_format_etc::Clone(IEnumFORMATETC** copy) {
    if (!copy) return E_POINTER;
    enum_format_etc* twin = new (std::nothrow) enum_format_etc(count_, formats_);
    if (!twin || (count_ && !twin->formats_)) {
        delete twin;
        *copy = nullptr;
        return E_OUTOFMEMORY;
    }
    twin->position_ = position_;
    *copy = twin;
    return S_OK;
}

// -------------------------------------------------------------- drop_source

drop_source::drop_source(HWND source_window) : refs_(1), source_(source_window) {}

drop_source::~drop_source() {}

STDMETHODIMP drop_source::QueryInterface(REFIID riid, void** object) {
    return com_object::answer(this, riid, IID_IDropSource, object);
}
STDMETHODIMP_(ULONG) drop_source::AddRef() { return InterlockedIncrement(&refs_); }
STDMETHODIMP_(ULONG) drop_source::Release() { return com_object::release(this, refs_); }

bool drop_source::over_source() const {
    if (!source_) return false;
    HWND under = WindowFromPoint(g_cursor());
    if (!under) return false;
    return under == source_ || ((GetWindowLongW(under, GWL_STYLE) & WS_CHILD) && GetAncestor(under, GA_PARENT) == source_);
}

STDMETHODIMP drop_source::QueryContinueDrag(BOOL escape_pressed, DWORD key_state) {
    if (escape_pressed || (key_state & MK_RBUTTON)) return DRAGDROP_S_CANCEL;
    if (key_state & MK_LBUTTON) return S_OK;
    if (!source_ || over_source()) return DRAGDROP_S_CANCEL;
    return DRAGDROP_S_DROP;
}

STDMETHODIMP drop_source::GiveFeedback(DWORD) {
    if (over_source()) {
        SetCursor(LoadCursorW(nullptr, IDC_NO));
        return S_OK;
    }
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// -------------------------------------------------------------- drag_helper

drag_helper::drag_helper() : source_helper_(nullptr) {
    void* helper = nullptr;
    if (SUCCEEDED(CoCreateInstance(com_object::drag_drop_helper, nullptr, CLSCTX_INPROC_SERVER, kDragSourceHelper, &helper)))
        source_helper_ = static_cast<IDragSourceHelper*>(helper);
}

drag_helper::~drag_helper() {
    if (source_helper_) source_helper_->Release();
}

HRESULT drag_helper::init_bitmap(HBITMAP bitmap, POINT& cursor, RECT& item, IDataObject* data, COLORREF key_colour) {
    if (!source_helper_) return E_FAIL;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    SHDRAGIMAGE image = {};
    image.sizeDragImage.cx = info.bmWidth;
    image.sizeDragImage.cy = info.bmHeight;
    image.ptOffset.x = cursor.x - item.left;
    image.ptOffset.y = cursor.y - item.top;
    image.hbmpDragImage = bitmap;
    image.crColorKey = key_colour;
    return source_helper_->InitializeFromBitmap(&image, data);
}

HRESULT drag_helper::init_window(HWND window, POINT& cursor, IDataObject* data) {
    if (!source_helper_) return E_FAIL;
    return source_helper_->InitializeFromWindow(window, &cursor, data);
}
