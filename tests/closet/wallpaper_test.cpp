#include <doctest/doctest.h>

#include "closet/Wallpaper.h"
#include "support/SimMachine.h"

using namespace stowly;

namespace {
const RegRoot kUser = RegRoot::CurrentUser;
const char* const kDesk = "Control Panel\\Desktop";
}

TEST_CASE("SetWallpaper writes the style's registry values, then the wallpaper") {
    // WallpaperStyle is "9" before each case: styles other than 0 to 2 leave it alone.
    const struct { const char* path; int16_t style; const char* tile; const char* styleText; } cases[] = {
        {"C:\\a.bmp", 0, "0", "0"}, {"C:\\a.bmp", 1, "1", "1"}, {"C:\\a.bmp", 2, "0", "2"},
        {"C:\\a.bmp", 7, "0", "9"}, {"C:\\a.bmp", -1, "0", "9"}, {"C:\\a.bmp", 3, "0", "9"}, {"", 2, "0", "2"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.style);
        test::SimMachine m;
        m.os.wallpaper = "C:\\old.bmp";
        m.os.RegWrite(kUser, kDesk, "WallpaperStyle", std::string("9"), false);
        CHECK(SetWallpaper(m.os, c.path, c.style));
        CHECK(m.os.wallpaper == c.path);
        auto value = [&](const char* name) { RegData v; m.os.RegRead(kUser, kDesk, name, v); return v; };
        CHECK(value("TileWallpaper") == RegData(std::string(c.tile)));
        CHECK(value("WallpaperStyle") == RegData(std::string(c.styleText)));
    }
}

TEST_CASE("ReadCurrentWallpaper gives the wallpaper and the style as decimal text") {
    const std::pair<RegData, const char*> cases[] = {
        {std::string("2"), "2"}, {std::string("10\0junk", 7), "10"}, {int32_t{-1}, "-1"}, {RegData{}, ""},
    };
    for (const auto& [stored, text] : cases) {
        CAPTURE(text);
        test::SimMachine m;
        m.os.wallpaper = text[0] ? "C:\\Windows\\web.bmp" : "";
        if (text[0]) m.os.RegWrite(kUser, kDesk, "WallpaperStyle", stored, false);
        const WallpaperSetting current = ReadCurrentWallpaper(m.os);
        CHECK(current.style == text);
        CHECK(current.path == m.os.wallpaper);
    }
}
