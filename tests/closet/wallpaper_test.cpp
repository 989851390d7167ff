#include <doctest/doctest.h>

#include "closet/Wallpaper.h"
#include "support/SimMachine.h"

using namespace stowly;

namespace {
const RegRoot kUser = RegRoot::CurrentUser;
const char* const kDesk = "Control Panel\\Desktop";
}

TEST_CASE("SetWallpaper writes the style's registry values, then the wallpaper; ReadCurrentWallpaper reads them back") {
    // WallpaperStyle is "9" before each case: styles other than 0 to 2 leave it alone.
    const struct { const char* path; int16_t style; const char* tile; const char* styleText; } rows[] = {
        {"C:\\a.bmp", 0, "0", "0"}, {"C:\\a.bmp", 1, "1", "1"}, {"C:\\a.bmp", 2, "0", "2"},
        {"C:\\a.bmp", 7, "0", "9"}, {"C:\\a.bmp", -1, "0", "9"}, {"C:\\a.bmp", 3, "0", "9"}, {"", 2, "0", "2"},
    };
    for (const auto& r : rows) {
        CAPTURE(r.style);
        test::SimMachine m;
        m.os.wallpaper = "C:\\old.bmp";
        m.os.RegWrite(kUser, kDesk, "WallpaperStyle", std::string("9"), false);
        CHECK(SetWallpaper(m.os, r.path, r.style));
        RegData tile;
        m.os.RegRead(kUser, kDesk, "TileWallpaper", tile);
        CHECK((m.os.wallpaper == r.path && tile == RegData(std::string(r.tile))));
        const WallpaperSetting current = ReadCurrentWallpaper(m.os);
        CHECK((current.style == r.styleText && current.path == r.path));
    }
}

TEST_CASE("ReadCurrentWallpaper gives the style as decimal text, whatever its registry type") {
    const std::pair<RegData, const char*> rows[] = {{std::string("10\0junk", 7), "10"}, {int32_t{-1}, "-1"}, {RegData{}, ""}};
    for (const auto& [stored, text] : rows) {
        CAPTURE(text);
        test::SimMachine m;
        if (text[0]) m.os.RegWrite(kUser, kDesk, "WallpaperStyle", stored, false);
        CHECK(ReadCurrentWallpaper(m.os).style == text);
    }
}
