// Layouts across displays: configuration names, screen size texts and the mapping
// of a layout onto other monitors. Several monitors and DPI changes cannot be
// shown under Wine: this table is their test.
#include <doctest/doctest.h>

#include <algorithm>

#include "icons/LayoutKeeper.h"
#include "icons/Layouts.h"
#include "support/SimMachine.h"

using namespace stowly;

namespace {

MonitorInfo Monitor(int left, int top, int width, int height, bool primary = false, int dpi = 96, int taskbar = 0) {
    return {{left, top, left + width, top + height}, {left, top, left + width, top + height - taskbar}, dpi, primary};
}

} // namespace

TEST_CASE("a display configuration's name; screen size texts written and read") {
    CHECK(DisplayConfigurationName({Monitor(1920, 0, 2560, 1440, false, 144), Monitor(0, 0, 1920, 1080, true)}) ==
          "1920x1080@96_0_0+2560x1440@144_1920_0");
    CHECK(ScreenSizeText({1024, 768, 32}) == " 1024 * 768   32 bit");
    CHECK(ScreenSizeOf(" 1024 * 768   32 bit") == std::pair(1024, 768));
    CHECK(ScreenSizeOf("1280x1024x32") == std::pair(1280, 1024));
    for (const char* none : {"", "S", "1024", "0x768x32"}) CHECK_FALSE(ScreenSizeOf(none));
}

TEST_CASE("a layout mapped onto other monitors keeps each icon's place relative to its monitor, and on a screen") {
    using Places = std::vector<std::pair<int32_t, int32_t>>;
    struct Row {
        const char* what;
        std::vector<MonitorInfo> from, to;
        Places before, after;
    };
    const Row rows[] = {
        {"one monitor to a smaller one; an icon near the edge stays whole on screen",
         {Monitor(0, 0, 1024, 768, true)}, {Monitor(0, 0, 800, 600, true)},
         {{10, 20}, {512, 384}, {1000, 700}}, {{8, 16}, {400, 300}, {725, 525}}},
        {"a taskbar takes the bottom of the new one", {Monitor(0, 0, 1024, 768, true)},
         {Monitor(0, 0, 1024, 768, true, 96, 48)}, {{0, 0}, {0, 693}}, {{0, 0}, {0, 645}}},
        {"two monitors to one: both fitted in as one", {Monitor(0, 0, 1920, 1080, true), Monitor(1920, 0, 1920, 1080)},
         {Monitor(0, 0, 1920, 1080, true)}, {{100, 100}, {2000, 100}}, {{50, 100}, {1000, 100}}},
        {"a monitor left of the main one moved to its right: view coordinates start at the left one",
         {Monitor(0, 0, 1920, 1080, true), Monitor(-1280, 0, 1280, 1024)},
         {Monitor(0, 0, 1920, 1080, true), Monitor(1920, 0, 1280, 1024)},
         {{100, 100}, {1380, 50}}, {{2020, 100}, {100, 50}}},
        {"a higher DPI: larger cells keep an icon off the edge", {Monitor(0, 0, 1920, 1080, true)},
         {Monitor(0, 0, 1920, 1080, true, 144)}, {{1800, 1000}, {960, 540}}, {{1800, 968}, {960, 540}}},
        {"an icon off every screen goes to the nearest one", {Monitor(0, 0, 1024, 768, true)},
         {Monitor(0, 0, 1024, 768, true)}, {{-500, 5000}}, {{0, 693}}},
        {"one monitor to two: the new one stays free", {Monitor(0, 0, 1024, 768, true)},
         {Monitor(0, 0, 1024, 768, true), Monitor(1024, 0, 1024, 768)}, {{900, 10}}, {{900, 10}}},
    };
    for (const Row& r : rows) {
        CAPTURE(std::string(r.what));
        std::vector<IconRecord> icons;
        for (const auto& [x, y] : r.before) icons.push_back({"icon " + std::to_string(icons.size()), x, y});
        Places after;
        for (const IconRecord& icon : MapLayout(icons, r.from, r.to)) after.emplace_back(icon.X, icon.Y);
        CHECK(after == r.after);
    }
}

TEST_CASE("a kept layout: saved once the icons are still and only when they moved, absent icons kept; after a "
          "display change fitted onto the new one, and brought back when the display returns") {
    test::SimMachine m;
    for (const char* name : {"a.txt", "b.txt"}) m.Put(m.os.userDesktop + "\\" + name, name);
    LayoutKeeper keeper(m.os, "C:\\P\\");
    const std::string large = keeper.LayoutPath("1024x768@96_0_0"), small = keeper.LayoutPath("800x600@96_0_0");
    auto look = [&](int times) {
        for (int i = 0; i < times; ++i) keeper.Look(false), m.os.SleepMs(LayoutKeeper::kLookMs);
    };
    auto writes = [&] { return std::count(m.os.changeLog.begin(), m.os.changeLog.end(), "WriteFile " + large); };
    m.os.SetDesktopItemPositions({{0, 10, 10}, {1, 300, 200}, {2, 900, 650}});
    look(2);
    CHECK_FALSE(m.Exists(large)); // not still long enough yet
    look(1);
    REQUIRE(m.Exists(large));
    look(10);
    CHECK(writes() == 1); // nothing moved, nothing written
    m.os.SetDesktopItemPosition(1, 320, 200);
    look(5); // within 10 s of the move
    CHECK(writes() == 2);
    std::filesystem::remove(m.os.HostPath(m.os.userDesktop + "\\b.txt"));
    look(5);
    CHECK(m.Get(large).find("b.txt,900,650") != std::string::npos); // an icon away keeps its record
    m.Put(m.os.userDesktop + "\\b.txt", "b");
    m.os.SetDesktopItemPositions({{0, 10, 10}, {1, 320, 200}, {2, 900, 650}});
    look(5);
    const std::string kept = m.Get(large);

    // The screen shrinks and the shell pushes the icon that no longer fits into a free cell.
    m.os.screen = {800, 600, 32};
    m.os.SetDesktopItemPosition(2, 85, 5);
    keeper.DisplayChanged();
    look(5);
    CHECK(m.IconPlaces() == test::Places{{"Recycle Bin", {8, 8}}, {"a.txt", {250, 156}}, {"b.txt", {703, 508}}});
    CHECK((m.Exists(small) && m.Get(large) == kept)); // the new display's layout saved, the other one kept
    // The screen grows back; the shell moves nothing back, the keeper does.
    m.os.screen = {1024, 768, 32};
    keeper.DisplayChanged();
    look(5);
    CHECK(m.IconPlaces() == test::Places{{"Recycle Bin", {10, 10}}, {"a.txt", {320, 200}}, {"b.txt", {900, 650}}});
    CHECK(m.Get(large) == kept);
}
