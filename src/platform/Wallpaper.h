#pragma once
#include <cstdint>
#include <string>

#include "app/AppState.h"

namespace stowly {

// Fills st.CurrentWallpaper and st.CurrentWallpaperStyle from the system.
void ReadCurrentWallpaper(Context& ctx);
// Writes the style's registry values, then shows the picture at `path` as wallpaper.
// `tile` is set to style == 1. True when the system accepted the wallpaper.
bool SetWallpaper(Context& ctx, const std::string& path, bool& tile, int16_t style);
// Writes a REG_SZ value, creating the key when missing. True when it was written.
bool WriteRegString(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name,
                    const std::string& text);

} // namespace stowly
