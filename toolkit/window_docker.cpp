// The window docker: the registered windows' procedure, snapping, the group
// that follows the main window, and always-on-top.
#include "window_docker.h"

#include <algorithm>

#include "core.h"
#include "docker_geometry.h"
#include "service_factory.h"
#include "system_tray.h"
#include "ui_main_window.h"

namespace {
window_docker* g_constructed = nullptr;

RECT window_rect(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

bool contains(const std::vector<HWND>& list, HWND hwnd) {
    return std::find(list.begin(), list.end(), hwnd) != list.end();
}

const UINT kNoChange = SWP_NOMOVE | SWP_NOSIZE;
}  // namespace

window_docker::window_docker()
    : main_window_(nullptr), always_on_top_(false), last_main_position_(), group_() {
    g_constructed = this;
}

window_docker::~window_docker() {
    auto_sync lock(lock_);
    for (const auto& entry : procedures_)
        if (IsWindow(entry.first)) restore_procedure(entry.first);
    procedures_.clear();
    registered_.clear();
    if (g_constructed == this) g_constructed = nullptr;
}

// Puts the window's previous procedure back when the docker's is the current
// one. Otherwise another hook was installed after the docker and calls it:
// restoring would drop that hook, so the docker stays in the chain and only
// passes messages on (retired). False in that case.
bool window_docker::restore_procedure(HWND window) {
    auto it = procedures_.find(window);
    if (it == procedures_.end()) return true;
    if (GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&window_docker::window_proc)) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second));
        return true;
    }
    retired_[window] = it->second;
    return false;
}

void window_docker::add_window(HWND window) {
    auto_sync lock(lock_);
    if (procedures_.count(window) || !IsWindow(window)) return;
    if (window == ui_main_window()) {
        main_window_ = window;
        const RECT r = window_rect(window);
        last_main_position_ = {r.left, r.top};
    }
    auto retired = retired_.find(window);
    if (retired != retired_.end()) {
        // The docker's procedure is still in this window's chain.
        procedures_[window] = retired->second;
        retired_.erase(retired);
    } else {
        procedures_[window] = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&window_docker::window_proc)));
    }
    registered_[window] = true;
    if (always_on_top_) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kNoChange);
}

void window_docker::remove_window(HWND window) {
    auto_sync lock(lock_);
    if (procedures_.count(window)) {
        restore_procedure(window);
        procedures_.erase(window);
    }
    registered_.erase(window);
    group_.erase(std::remove(group_.begin(), group_.end(), window), group_.end());
    if (window == main_window_) main_window_ = nullptr;
}

void window_docker::reserved() {}

void window_docker::raise_group() {
    std::vector<HWND> windows;
    HWND main;
    {
        auto_sync lock(lock_);
        for (const auto& entry : registered_) windows.push_back(entry.first);
        main = main_window_;
    }
    const UINT flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    for (HWND hwnd : windows)
        if (hwnd != main) SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags);
    if (main) SetWindowPos(main, HWND_TOP, 0, 0, 0, 0, flags);
}

void window_docker::set_always_on_top(bool on) {
    std::vector<HWND> windows;
    {
        auto_sync lock(lock_);
        always_on_top_ = on;
        for (const auto& entry : registered_) windows.push_back(entry.first);
    }
    for (HWND hwnd : windows) SetWindowPos(hwnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kNoChange);
}

void window_docker::find_attached(std::vector<HWND>& windows, std::vector<int>& sides) {
    auto_sync lock(lock_);
    if (!main_window_ || !IsWindow(main_window_)) return;
    const RECT m = window_rect(main_window_);
    for (const auto& entry : registered_) {
        HWND hwnd = entry.first;
        if (hwnd == main_window_ || !IsWindow(hwnd)) continue;
        const RECT r = window_rect(hwnd);
        int side = 0;
        if (r.bottom == m.top) side = side_above;
        if (r.top == m.bottom) side = side_below;
        if (r.left == m.right) side = side_right;
        if (r.right == m.left) side = side_left;
        if (side) {
            windows.push_back(hwnd);
            sides.push_back(side);
        }
    }
}

void window_docker::move_attached(std::vector<HWND>& windows, std::vector<int>& sides) {
    HWND main;
    {
        auto_sync lock(lock_);
        main = main_window_;
    }
    if (!main || !IsWindow(main)) return;
    const RECT m = window_rect(main);
    for (size_t i = 0; i < windows.size() && i < sides.size(); ++i) {
        if (!IsWindow(windows[i])) continue;
        const RECT r = window_rect(windows[i]);
        const int w = r.right - r.left, h = r.bottom - r.top;
        int x = r.left, y = r.top;
        switch (sides[i]) {
        case side_left: x = m.left - w; break;
        case side_right: x = m.right; break;
        case side_above: y = m.top - h; break;
        case side_below: y = m.bottom; break;
        default: continue;
        }
        MoveWindow(windows[i], x, y, w, h, TRUE);
    }
}

// ------------------------------------------------------------------ messages

LRESULT CALLBACK window_docker::window_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    static window_docker* docker = nullptr;
    if (!docker) {
        docker = static_cast<window_docker*>(core::enum_create_component(iid, 0));
        if (!docker) docker = g_constructed;
    }
    if (!docker) return DefWindowProcW(window, msg, wparam, lparam);
    return docker->handle(window, msg, wparam, lparam);
}

LRESULT window_docker::handle(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    WNDPROC previous = nullptr;
    bool main = false;
    {
        auto_sync lock(lock_);
        auto it = procedures_.find(window);
        if (it == procedures_.end()) {
            // A window that left while another hook sat on top: pass on only.
            auto retired = retired_.find(window);
            if (retired == retired_.end()) return DefWindowProcW(window, msg, wparam, lparam);
            WNDPROC proc = retired->second;
            if (msg == WM_NCDESTROY) retired_.erase(retired);
            return CallWindowProcW(proc, window, msg, wparam, lparam);
        }
        previous = it->second;
        main = window == main_window_;
    }
    switch (msg) {
    case WM_DESTROY:
        remove_window(window);
        return CallWindowProcW(previous, window, msg, wparam, lparam);
    case WM_ACTIVATE:
        if (main && (LOWORD(wparam) == WA_ACTIVE || LOWORD(wparam) == WA_CLICKACTIVE || HIWORD(wparam) == 0))
            raise_group();
        break;
    case WM_SHOWWINDOW:
        if (keep_visible(window, wparam != 0)) return 0;
        break;
    case WM_WINDOWPOSCHANGING:
        snap(window, reinterpret_cast<WINDOWPOS*>(lparam));
        break;
    case WM_WINDOWPOSCHANGED:
        follow_main(window);
        break;
    default:
        if (msg == msg_core_raise_main && main && wparam == 0) raise_group();
        break;
    }
    return CallWindowProcW(previous, window, msg, wparam, lparam);
}

// ------------------------------------------------------------------ geometry

void window_docker::snap(HWND window, WINDOWPOS* pos) {
    // A change of Z order or size only proposes no position.
    if (!pos || (pos->flags & SWP_NOMOVE)) return;
    auto_sync lock(lock_);
    const RECT now = window_rect(window);
    const int w = (pos->flags & SWP_NOSIZE) ? now.right - now.left : pos->cx;
    const int h = (pos->flags & SWP_NOSIZE) ? now.bottom - now.top : pos->cy;
    std::vector<HWND> others;
    for (const auto& entry : registered_)
        if (entry.first != window && IsWindow(entry.first)) others.push_back(entry.first);

    if (window != main_window_) {
        docker_geometry::moving m = {pos->x, pos->y, w, h};
        for (HWND other : others) docker_geometry::snap_to_window(m, window_rect(other));
        pos->x = m.x;
        pos->y = m.y;
        return;
    }
    // The main window moves with its group: the bounding rectangle of both
    // snaps, the main window keeping its place inside it.
    RECT bounds = now;
    for (HWND member : group_) {
        if (member == window || !IsWindow(member)) continue;
        const RECT r = window_rect(member);
        UnionRect(&bounds, &bounds, &r);
    }
    const int dx = now.left - bounds.left, dy = now.top - bounds.top;
    docker_geometry::moving m = {pos->x - dx, pos->y - dy, bounds.right - bounds.left, bounds.bottom - bounds.top};
    RECT work;
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) docker_geometry::snap_to_work_area(m, work);
    for (HWND other : others)
        if (!contains(group_, other)) docker_geometry::snap_to_window(m, window_rect(other));
    pos->x = m.x + dx;
    pos->y = m.y + dy;
}

void window_docker::follow_main(HWND window) {
    auto_sync lock(lock_);
    if (!main_window_ || window != main_window_) return;
    const RECT main_rect = window_rect(window);
    // The offset from where the main window stood at the last notification,
    // whatever this notification says of itself: a move that activates the
    // main window (SetWindowPos without SWP_NOACTIVATE while another window,
    // such as a modal dialog, is active) raises the group from WM_ACTIVATE
    // before its own WM_WINDOWPOSCHANGED arrives, so the first notice of the
    // new position is a Z-order change flagged SWP_NOMOVE. A change that
    // really moved nothing finds the offset zero.
    const POINT offset = {main_rect.left - last_main_position_.x, main_rect.top - last_main_position_.y};

    std::vector<HWND> candidates;
    for (const auto& entry : registered_)
        if (entry.first != window && IsWindow(entry.first)) candidates.push_back(entry.first);
    std::vector<HWND> group(1, window);
    for (size_t i = 0; i < group.size(); ++i) {
        const RECT g = window_rect(group[i]);
        for (HWND candidate : candidates) {
            if (contains(group, candidate)) continue;
            RECT r = window_rect(candidate);
            if (group[i] == window) OffsetRect(&r, offset.x, offset.y);
            if (docker_geometry::touches(r, g)) group.push_back(candidate);
        }
    }
    group_ = group;
    if (offset.x || offset.y) {
        const UINT flags = SWP_NOSENDCHANGING | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE;
        for (size_t i = 1; i < group.size(); ++i) {
            const RECT r = window_rect(group[i]);
            SetWindowPos(group[i], nullptr, r.left + offset.x, r.top + offset.y, 0, 0, flags);
        }
    }
    last_main_position_ = {main_rect.left, main_rect.top};
}

bool window_docker::keep_visible(HWND window, bool shown) {
    if (!shown) return false;
    RECT r, work;
    int x, y;
    {
        auto_sync lock(lock_);
        if (window == main_window_) return false;
        r = window_rect(window);
        if (main_window_ && IsWindow(main_window_)) {
            const RECT m = window_rect(main_window_);
            if (r.right == m.left || r.bottom == m.top || r.top == m.bottom || r.left == m.right) return false;
        }
    }
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return false;
    if (!docker_geometry::into_work_area(r, work, x, y)) return false;
    MoveWindow(window, x, y, r.right - r.left, r.bottom - r.top, TRUE);
    return true;
}

namespace {
singleton_factory<window_docker, window_docker> g_docker_node;
}  // namespace
