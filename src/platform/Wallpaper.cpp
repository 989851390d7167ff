#include "platform/Wallpaper.h"

namespace stowly {

void ReadCurrentWallpaper(Context&) {}
bool SetWallpaper(Context&, const std::string&, bool& tile, int16_t style) {
    tile = style == 1;
    return false;
}

} // namespace stowly
