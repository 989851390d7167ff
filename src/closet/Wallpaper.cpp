#include "closet/Wallpaper.h"

#include "platform/Text.h"
#include "settings/Registry.h"

namespace stowly {

namespace {

// Both spellings name the same key; registry key names ignore case.
constexpr const char* kTileKey = "Control Panel\\desktop";
constexpr const char* kStyleKey = "Control Panel\\Desktop";

} // namespace

bool SetWallpaper(Platform& os, const std::string& path, int16_t style) {
    // Each step is tried even when the one before failed.
    WriteRegString(os, RegRoot::CurrentUser, kTileKey, "TileWallpaper", style == 1 ? "1" : "0");
    if (style >= 0 && style <= 2)
        WriteRegString(os, RegRoot::CurrentUser, kStyleKey, "WallpaperStyle", std::to_string(style));
    return os.SetWallpaper(path);
}

WallpaperSetting ReadCurrentWallpaper(Platform& os) {
    RegData style = QueryRegKeyValue(os, RegRoot::CurrentUser, kStyleKey, "WallpaperStyle");
    std::string text;
    if (auto* s = std::get_if<std::string>(&style)) text = *s;
    else if (auto* n = std::get_if<int32_t>(&style)) text = std::to_string(*n);
    return {os.GetWallpaper(), TrimNull(text)};
}

} // namespace stowly
