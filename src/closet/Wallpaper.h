#pragma once
// The wallpaper swap of a clean and a restore: the picture in effect with its
// style, and setting a picture with a style.
#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace stowly {

struct WallpaperSetting {
    std::string path;  // "" when there is no wallpaper
    // The "WallpaperStyle" registry text, a blank and the "TileWallpaper" one, as
    // stored ("10 0" for Fill, "0 1" for Tile); the first alone when the second is
    // missing, "" when the first is.
    std::string style;
};

// The wallpaper in effect, as the system reports it now.
WallpaperSetting ReadCurrentWallpaper(Platform& os);
// Writes the style's registry values (tiled for style 1), then shows the picture
// at `path` as wallpaper. True when the system accepted the wallpaper.
bool SetWallpaper(Platform& os, const std::string& path, int16_t style);
// Puts back a wallpaper with the style line a key file recorded: two numbers
// ("10 0") are written back exactly as WallpaperStyle and TileWallpaper; a line
// of the older form goes by its leading number as SetWallpaper takes it. Throws
// RuntimeError (overflow) for a leading number past 16 bits.
bool SetRecordedWallpaper(Platform& os, const std::string& path, const std::string& styleLine);

} // namespace stowly
