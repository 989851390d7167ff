#pragma once
// Pictures of the program's resources (PNG, rendered for 96, 144 and 192 dpi),
// decoded once per DPI into premultiplied 32-bit bitmaps for AlphaBlend.
#include <windows.h>

#include "platform/win32/Handle.h"

namespace stowly {

class Picture {
public:
    // The picture `baseId` (resources baseId to baseId+2) at exactly width x height
    // pixels: the render made for `dpi` when there is one, otherwise the nearest
    // larger render scaled down (or the largest scaled up).
    bool Load(HINSTANCE instance, int baseId, UINT dpi, int width, int height);
    // Draws at (x, y) over what is there; alpha 255 is opaque.
    void Draw(HDC dc, int x, int y, BYTE alpha = 255) const;
    explicit operator bool() const { return static_cast<bool>(bitmap_); }

private:
    GdiObject bitmap_;
    int width_ = 0, height_ = 0;
};

} // namespace stowly
