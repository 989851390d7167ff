#include "platform/Wallpaper.h"

#include "platform/Text.h"
#include "settings/Registry.h"

namespace stowly {

namespace {

// Both spellings name the same key; registry key names ignore case.
constexpr const char* kTileKey = "Control Panel\\desktop";
constexpr const char* kStyleKey = "Control Panel\\Desktop";

} // namespace

bool WriteRegString(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name,
                    const std::string& text) {
    return os.RegWrite(root, keyPath, name, text, true) == 0;
}

bool SetWallpaper(Context& ctx, const std::string& path, bool& tile, int16_t style) {
    tile = style == 1;
    // Each step is tried even when the one before failed.
    WriteRegString(ctx.os, RegRoot::CurrentUser, kTileKey, "TileWallpaper", tile ? "1" : "0");
    if (style >= 0 && style <= 2)
        WriteRegString(ctx.os, RegRoot::CurrentUser, kStyleKey, "WallpaperStyle", std::to_string(style));
    return ctx.os.SetWallpaper(path);
}

void ReadCurrentWallpaper(Context& ctx) {
    ctx.st.CurrentWallpaper = ctx.os.GetWallpaper();
    RegData style = QueryRegKeyValue(ctx.os, RegRoot::CurrentUser, kStyleKey, "WallpaperStyle");
    std::string text;
    if (auto* s = std::get_if<std::string>(&style)) text = *s;
    else if (auto* n = std::get_if<int32_t>(&style)) text = std::to_string(*n);
    ctx.st.CurrentWallpaperStyle = TrimNull(text);
}

} // namespace stowly
