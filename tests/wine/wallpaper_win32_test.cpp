// The wallpaper and its style values through the real system, put back afterwards.
#include <doctest/doctest.h>
#include <windows.h>

#include "app/AppState.h"
#include "platform/Wallpaper.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/win32/Win32Platform.h"
#include "settings/Registry.h"
#include "support/TestDir.h"

using namespace stowly;

namespace {

constexpr const char* kDesk = "Control Panel\\Desktop";

// A 1x1 24-bit BMP.
std::string TinyBitmap() {
    std::string b = "BM";
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto put16 = [&](uint16_t v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>(v >> 8);
    };
    put32(58), put32(0), put32(54);                       // file size, reserved, pixel offset
    put32(40), put32(1), put32(1), put16(1), put16(24);   // header, width, height, planes, bits
    put32(0), put32(4), put32(2835), put32(2835), put32(0), put32(0);
    b += std::string("\x20\x80\xE0\x00", 4);               // one pixel and row padding
    return b;
}

// What the prefix had before the test, put back when it ends.
struct SavedWallpaper {
    Win32Platform& os;
    std::string path;
    RegData tile, style;
    explicit SavedWallpaper(Win32Platform& platform) : os(platform), path(platform.GetWallpaper()) {
        os.RegRead(RegRoot::CurrentUser, kDesk, "TileWallpaper", tile);
        os.RegRead(RegRoot::CurrentUser, kDesk, "WallpaperStyle", style);
    }
    void Restore(const char* name, const RegData& value) {
        if (std::holds_alternative<std::monostate>(value)) os.RegDelete(RegRoot::CurrentUser, kDesk, name);
        else os.RegWrite(RegRoot::CurrentUser, kDesk, name, value, true);
    }
    ~SavedWallpaper() {
        Restore("TileWallpaper", tile);
        Restore("WallpaperStyle", style);
        os.SetWallpaper(path);
    }
};

} // namespace

TEST_CASE("SetWallpaper and ReadCurrentWallpaper round trip through the system") {
    Win32Platform os;
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
    SavedWallpaper saved(os);
    test::TestDir dir;
    const std::string picture = dir.path().string() + "\\clean.bmp";
    REQUIRE(os.WriteFile(picture, TinyBitmap()) == 0);

    struct Case {
        int16_t style;
        bool tile;
        const char* tileText;
        const char* styleText; // what ReadCurrentWallpaper then finds
    };
    const Case cases[] = {
        {2, false, "0", "2"}, {1, true, "1", "1"}, {0, false, "0", "0"}, {7, false, "0", "0"}, {2, false, "0", "2"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.style);
        bool tile = !c.tile;
        CHECK(SetWallpaper(ctx, picture, tile, c.style));
        CHECK(tile == c.tile);
        ReadCurrentWallpaper(ctx);
        CHECK(st.CurrentWallpaper == picture);
        CHECK(st.CurrentWallpaperStyle == c.styleText);
        RegData tileValue = QueryRegKeyValue(os, RegRoot::CurrentUser, kDesk, "TileWallpaper");
        REQUIRE(std::holds_alternative<std::string>(tileValue));
        CHECK(std::get<std::string>(tileValue) == std::string(c.tileText) + '\0');
    }

    // A style stored as a number reads as its decimal text; a missing one as empty.
    os.RegWrite(RegRoot::CurrentUser, kDesk, "WallpaperStyle", int32_t{10}, true);
    ReadCurrentWallpaper(ctx);
    CHECK(st.CurrentWallpaperStyle == "10");
    os.RegDelete(RegRoot::CurrentUser, kDesk, "WallpaperStyle");
    ReadCurrentWallpaper(ctx);
    CHECK(st.CurrentWallpaperStyle == "");

    // An empty path removes the wallpaper and still writes the style.
    bool tile = true;
    SetWallpaper(ctx, "", tile, 2);
    ReadCurrentWallpaper(ctx);
    CHECK(st.CurrentWallpaper == "");
    CHECK(st.CurrentWallpaperStyle == "2");
}
