// Layouts across displays: configuration names, screen size texts and the mapping
// of a layout onto other monitors. Several monitors and DPI changes cannot be
// shown under Wine: this table is their test.
#include <doctest/doctest.h>

#include "icons/Layouts.h"

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
