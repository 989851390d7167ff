#pragma once
// The wallpaper swap of a clean and a restore: the picture in effect with its
// style, and setting a picture with a style.
#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace stowly {

struct WallpaperSetting {
    std::string path;  // "" when there is no wallpaper
    std::string style; // the "WallpaperStyle" registry text, as stored
};

// The wallpaper in effect, as the system reports it now.
WallpaperSetting ReadCurrentWallpaper(Platform& os);
// Writes the style's registry values (tiled for style 1), then shows the picture
// at `path` as wallpaper. True when the system accepted the wallpaper.
bool SetWallpaper(Platform& os, const std::string& path, int16_t style);

} // namespace stowly
