#include <doctest/doctest.h>

#include "core/ReportError.h"
#include "icons/DesktopIcons.h"
#include "support/SimMachine.h"

using namespace stowly;

using Desk = test::SimMachine;

TEST_CASE("EnumDesktopIcons gives the icons in item order; the listing text numbers them from 0") {
    Desk d;
    d.Put(d.os.userDesktop + "\\b.txt", "b");
    REQUIRE(d.os.Icons().size() == 2);
    d.os.SetDesktopItemPosition(0, 10, 5);
    d.os.SetDesktopItemPosition(1, -7, 300);
    const auto icons = EnumDesktopIcons(d.os, d.ui);
    REQUIRE(icons);
    CHECK(IconListingText(*icons) ==
          " 0\tRecycle Bin\r\n\tXPos: 10;    YPos: 5\r\n\r\n"
          " 1\tb.txt\r\n\tXPos: -7;    YPos: 300\r\n\r\n");
    CHECK((CountDesktopIcons(d.os, d.ui) == 2 && d.ui.shown.empty()));
}

TEST_CASE("more than 32767 items is an overflow; an empty desktop has an empty table") {
    Desk d;
    d.os.virtualItems.assign(32768, "v");
    CHECK_FALSE(EnumDesktopIcons(d.os, d.ui));
    CHECK(CountDesktopIcons(d.os, d.ui) == 0);
    CHECK(d.ui.MessageTexts() ==
          std::vector<std::string>{ErrorReportText(6, "EnumDesktopIcons"), ErrorReportText(6, "CountDesktopIcons")});

    d.os.virtualItems.clear();
    const auto icons = EnumDesktopIcons(d.os, d.ui);
    CHECK((icons && icons->empty()));
}

TEST_CASE("RestoreLocations matches trimmed names in any case; the first record wins; namesakes all move") {
    Desk d;
    d.os.virtualItems = {"Recycle Bin", "My Computer"};
    for (const auto& path : {d.os.userDesktop + "\\Report", d.os.commonDesktop + "\\Report", d.os.userDesktop + "\\Unlisted"})
        d.Put(path, "x");
    const test::Places before = d.IconPlaces();
    d.Put("C:\\layout.dpf", "\r\n\r\n\r\n S\r\n\r\n\"  my computer \",100,200\r\nNowhere,1,1\r\nreport,-10,5\r\nREPORT,7,7\r\nRECYCLE BIN,30,40\r\n");
    CHECK(RestoreLocations(d.os, d.ui, "C:\\layout.dpf"));

    const auto& icons = d.os.Icons();
    REQUIRE(icons.size() == 5); // the user's and the common desktop's "Report" both move
    test::Places want = before;
    want["Recycle Bin"] = {30, 40}, want["My Computer"] = {100, 200}, want["Report"] = {-10, 5};
    std::vector<int> moved, calls;
    for (int i = 0; i < 5; ++i) {
        CHECK(std::pair{icons[i].x, icons[i].y} == want[icons[i].name]);
        if (icons[i].name != "Unlisted") moved.push_back(i);
    }
    for (const auto& c : d.os.positionCalls) calls.push_back(c.index);
    CHECK(calls == moved); // one position per matched item, in list order
    CHECK((d.os.positionBatches == 1 && d.ui.shown.empty())); // all through one opening of the view
}
