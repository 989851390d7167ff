#include <doctest/doctest.h>

#include "platform/Wallpaper.h"
#include "support/SimMachine.h"

using namespace stowly;

namespace {

struct Machine : test::SimMachine {
    std::string Text(const char* name) {
        RegData v;
        if (os.RegRead(RegRoot::CurrentUser, "Control Panel\\Desktop", name, v) != 0) return "(none)";
        return std::get<std::string>(v);
    }
};

} // namespace

TEST_CASE("SetWallpaper writes the style's registry values, then the wallpaper") {
    struct Case {
        int16_t style;
        bool tile;
        const char* tileText;
        const char* styleText;
    };
    const Case cases[] = {
        {0, false, "0", "0"}, {1, true, "1", "1"},  {2, false, "0", "2"},
        {7, false, "0", "9"}, {-1, false, "0", "9"}, {3, false, "0", "9"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.style);
        Machine m;
        m.os.RegWrite(RegRoot::CurrentUser, "Control Panel\\Desktop", "WallpaperStyle", std::string("9"), false);
        bool tile = !c.tile;
        CHECK(SetWallpaper(m.ctx, "C:\\Pictures\\clean.bmp", tile, c.style));
        CHECK(tile == c.tile);
        CHECK(m.Text("TileWallpaper") == c.tileText);
        CHECK(m.Text("WallpaperStyle") == c.styleText);
        CHECK(m.os.wallpaper == "C:\\Pictures\\clean.bmp");
    }
}

TEST_CASE("SetWallpaper with an empty path removes the wallpaper and still writes the style") {
    Machine m;
    m.os.wallpaper = "C:\\old.bmp";
    bool tile = true;
    SetWallpaper(m.ctx, "", tile, 2);
    CHECK(m.os.wallpaper == "");
    CHECK_FALSE(tile);
    CHECK(m.Text("TileWallpaper") == "0");
    CHECK(m.Text("WallpaperStyle") == "2");
}

TEST_CASE("WriteRegString creates the key it writes into") {
    Machine m;
    CHECK(WriteRegString(m.os, RegRoot::CurrentUser, "Software\\New\\Key", "Name", "text"));
    RegData v;
    CHECK(m.os.RegRead(RegRoot::CurrentUser, "Software\\New\\Key", "Name", v) == 0);
    CHECK(v == RegData(std::string("text")));
}

TEST_CASE("ReadCurrentWallpaper notes the wallpaper and the style as decimal text") {
    const std::pair<RegData, const char*> cases[] = {
        {std::string("2"), "2"},
        {std::string("10\0junk", 7), "10"},
        {int32_t{2}, "2"},
        {int32_t{-1}, "-1"},
        {RegData{}, ""},
    };
    for (const auto& [stored, text] : cases) {
        CAPTURE(text);
        Machine m;
        m.os.wallpaper = text[0] ? "C:\\Windows\\web.bmp" : "";
        if (!std::holds_alternative<std::monostate>(stored))
            m.os.RegWrite(RegRoot::CurrentUser, "Control Panel\\Desktop", "WallpaperStyle", stored, false);
        m.st.CurrentWallpaperStyle = "stale";
        m.st.CurrentWallpaper = "stale";
        ReadCurrentWallpaper(m.ctx);
        CHECK(m.st.CurrentWallpaperStyle == text);
        CHECK(m.st.CurrentWallpaper == m.os.wallpaper);
    }
}
