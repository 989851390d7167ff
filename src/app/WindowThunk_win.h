#pragma once
// The window procedure of a class with one object per window: binds the object
// (passed as the creation parameter) at WM_NCCREATE, forwards every message to
// its WndProc and lets go of the handle after WM_NCDESTROY. The class declares
// it a friend and has `HWND hwnd_` and `LRESULT WndProc(UINT, WPARAM, LPARAM) noexcept`.
#include <windows.h>

namespace stowly {

template <typename Window>
LRESULT CALLBACK WindowThunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    const LRESULT r = self->WndProc(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return r;
}

} // namespace stowly
