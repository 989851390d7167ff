#include "closet/Wallpaper.h"

#include <optional>
#include <sstream>
#include <utility>

#include "core/Error.h"
#include "platform/Text.h"
#include "settings/Registry.h"

namespace stowly {

namespace {

// Both spellings name the same key; registry key names ignore case.
constexpr const char* kTileKey = "Control Panel\\desktop";
constexpr const char* kStyleKey = "Control Panel\\Desktop";

// The number at the start of a style text ("2", " 1x"); 0 when there is none.
int16_t LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 32768) throw RuntimeError(err::Overflow);
    }
    if (negative) value = -value;
    if (value > 32767) throw RuntimeError(err::Overflow);
    return static_cast<int16_t>(value);
}

// A style line of two whole numbers and nothing else ("10 0"): WallpaperStyle and
// TileWallpaper as Windows stores them. nullopt for any other line.
std::optional<std::pair<std::string, std::string>> TwoNumbers(const std::string& line) {
    std::istringstream in(line);
    std::string style, tile, rest;
    in >> style >> tile;
    const auto number = [](const std::string& s) {
        return !s.empty() && s.size() <= 5 && s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!number(style) || !number(tile) || (in >> rest)) return std::nullopt;
    return std::pair{style, tile};
}

std::string RegText(Platform& os, const char* key, const char* name) {
    RegData value = QueryRegKeyValue(os, RegRoot::CurrentUser, key, name);
    if (auto* s = std::get_if<std::string>(&value)) return TrimNull(*s);
    if (auto* n = std::get_if<int32_t>(&value)) return std::to_string(*n);
    return {};
}

} // namespace

bool SetRecordedWallpaper(Platform& os, const std::string& path, const std::string& styleLine) {
    const auto both = TwoNumbers(styleLine);
    if (!both) return SetWallpaper(os, path, LeadingNumber(styleLine));
    WriteRegString(os, RegRoot::CurrentUser, kTileKey, "TileWallpaper", both->second);
    WriteRegString(os, RegRoot::CurrentUser, kStyleKey, "WallpaperStyle", both->first);
    return os.SetWallpaper(path);
}

bool SetWallpaper(Platform& os, const std::string& path, int16_t style) {
    // Each step is tried even when the one before failed.
    WriteRegString(os, RegRoot::CurrentUser, kTileKey, "TileWallpaper", style == 1 ? "1" : "0");
    if (style >= 0 && style <= 2)
        WriteRegString(os, RegRoot::CurrentUser, kStyleKey, "WallpaperStyle", std::to_string(style));
    return os.SetWallpaper(path);
}

WallpaperSetting ReadCurrentWallpaper(Platform& os) {
    const std::string style = RegText(os, kStyleKey, "WallpaperStyle"), tile = RegText(os, kTileKey, "TileWallpaper");
    return {os.GetWallpaper(), style.empty() || tile.empty() ? style : style + " " + tile};
}

} // namespace stowly
