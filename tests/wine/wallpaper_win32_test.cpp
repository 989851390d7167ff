// The wallpaper and its style values through the real system, put back afterwards.
#include <doctest/doctest.h>
#include <windows.h>

#include "closet/Wallpaper.h"
#include "platform/win32/Win32Platform.h"
#include "settings/Registry.h"
#include "support/TestDir.h"

using namespace stowly;

TEST_CASE("SetWallpaper and ReadCurrentWallpaper round trip through the system") {
    const RegRoot user = RegRoot::CurrentUser;
    const char* desk = "Control Panel\\Desktop";
    Win32Platform os;
    test::TestDir dir;
    const std::string picture = dir.path().string() + "\\clean.bmp";
    REQUIRE(os.WriteFile(picture, test::OnePixelBitmap(0xE0, 0x80, 0x20)) == 0);
    // What the prefix had, put back at the end.
    const std::string savedPath = os.GetWallpaper();
    const char* names[] = {"TileWallpaper", "WallpaperStyle"};
    RegData saved[2];
    for (int i = 0; i < 2; ++i) os.RegRead(user, desk, names[i], saved[i]);

    // Tiled; stretched, then style 7 leaves that style alone; no picture removes the wallpaper.
    const struct { bool picture; int16_t style; const char* tile; const char* styleText; } cases[] = {
        {true, 1, "1", "1"}, {true, 2, "0", "2"}, {true, 7, "0", "2"}, {false, 0, "0", "0"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.style);
        CHECK(SetWallpaper(os, c.picture ? picture : "", c.style));
        const WallpaperSetting current = ReadCurrentWallpaper(os);
        CHECK(current.path == (c.picture ? picture : ""));
        CHECK(current.style == c.styleText);
        CHECK(QueryRegKeyValue(os, user, desk, "TileWallpaper") == RegData(std::string(c.tile) + '\0'));
    }

    for (int i = 0; i < 2; ++i) {
        if (std::holds_alternative<std::monostate>(saved[i])) os.RegDelete(user, desk, names[i]);
        else os.RegWrite(user, desk, names[i], saved[i], true);
    }
    os.SetWallpaper(savedPath);
}
