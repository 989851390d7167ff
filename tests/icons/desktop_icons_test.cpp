#include <doctest/doctest.h>

#include "app/ReportError.h"
#include "icons/DesktopIcons.h"
#include "icons/PositionList.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/sim/SimPlatform.h"
#include "support/TestDir.h"

using namespace stowly;

namespace {

struct Desk {
    test::TestDir dir;
    SimPlatform os{dir.path()};
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};

    void AddFile(const std::string& folder, const std::string& name) {
        REQUIRE(os.WriteFile(folder + "\\" + name, "x") == 0);
    }
    // Places the item of that name (first of them) at (x, y).
    void Place(const std::string& name, int16_t x, int16_t y) {
        const auto& icons = os.Icons();
        for (size_t i = 0; i < icons.size(); ++i)
            if (icons[i].name == name) {
                os.SetDesktopItemPosition(static_cast<int>(i), x, y);
                os.positionCalls.clear();
                return;
            }
        FAIL("no item " << name);
    }
    std::string WritePositions(const std::string& lines) {
        const std::string path = "C:\\layout.dpf";
        REQUIRE(os.WriteFile(path, "\r\n\r\n\r\n S\r\n\r\n" + lines) == 0);
        return path;
    }
    std::vector<std::pair<int32_t, int32_t>> Positions() {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (const auto& icon : os.Icons()) out.emplace_back(icon.x, icon.y);
        return out;
    }
};

} // namespace

TEST_CASE("EnumDesktopIcons fills the table in item order and writes the listing") {
    Desk d;
    d.AddFile(d.os.userDesktop, "b.txt");
    d.Place("Recycle Bin", 10, 5);
    d.Place("b.txt", -7, 300);
    std::string listing = "old";
    EnumDesktopIcons(d.ctx, &listing);
    CHECK(listing ==
          " 0\tRecycle Bin\r\n\tXPos: 10;    YPos: 5\r\n\r\n"
          " 1\tb.txt\r\n\tXPos: -7;    YPos: 300\r\n\r\n");
    REQUIRE(d.st.DesktopIcons.size() == 2);
    CHECK(d.st.DesktopIcons[1].Name == "b.txt");
    CHECK(d.st.DesktopIcons[1].X == -7);
    CHECK(d.st.DesktopIcons[1].Y == 300);
    CHECK(CountDesktopIcons(d.ctx) == 2);
    CHECK(d.ui.shown.empty());
}

TEST_CASE("an unreachable or empty desktop leaves the listing alone") {
    Desk d;
    d.st.DesktopIcons = {{"kept", 1, 2}};
    std::string listing = "old";

    d.os.desktopRunning = false;
    EnumDesktopIcons(d.ctx, &listing);
    CHECK(listing == "old");
    CHECK(d.st.DesktopIcons.size() == 1); // the table keeps what it held
    CHECK(CountDesktopIcons(d.ctx) == 0);

    d.os.desktopRunning = true;
    d.os.virtualItems.clear();
    EnumDesktopIcons(d.ctx, &listing);
    CHECK(listing == "old");
    CHECK(d.st.DesktopIcons.empty());
    CHECK(d.ui.shown.empty());
}

TEST_CASE("more than 32767 items is an overflow, and the table stays as it was") {
    Desk d;
    d.st.DesktopIcons = {{"kept", 1, 2}};
    d.os.virtualItems.assign(32768, "v");
    EnumDesktopIcons(d.ctx, nullptr);
    CHECK(d.st.DesktopIcons.size() == 1);
    CHECK(CountDesktopIcons(d.ctx) == 0);
    CHECK(d.ui.MessageTexts() ==
          std::vector<std::string>{ErrorReportText(6, "EnumDesktopIcons"), ErrorReportText(6, "CountDesktopIcons")});
}

TEST_CASE("the simulated list view follows the desktop folders") {
    Desk d;
    d.AddFile(d.os.userDesktop, "a.txt");
    d.AddFile(d.os.commonDesktop, "c.txt");
    d.AddFile(d.os.userDesktop, ".hidden");
    std::vector<std::string> names;
    for (const auto& icon : d.os.Icons()) names.push_back(icon.name);
    CHECK(names == std::vector<std::string>{"Recycle Bin", "a.txt", "c.txt"});
    // Column by column from the top left, one grid cell apart.
    CHECK(d.Positions() == std::vector<std::pair<int32_t, int32_t>>{{10, 5}, {10, 80}, {10, 155}});

    SUBCASE("a moved item keeps its place; a new one takes the first free slot") {
        d.Place("Recycle Bin", 400, 400);
        d.AddFile(d.os.userDesktop, "n.txt");
        CHECK(d.Positions() == std::vector<std::pair<int32_t, int32_t>>{{400, 400}, {10, 80}, {10, 155}, {10, 5}});
    }
    SUBCASE("an item goes when its file leaves; the others keep their order") {
        REQUIRE(d.os.RemoveFile(d.os.userDesktop + "\\a.txt") == 0);
        names.clear();
        for (const auto& icon : d.os.Icons()) names.push_back(icon.name);
        CHECK(names == std::vector<std::string>{"Recycle Bin", "c.txt"});
    }
}

TEST_CASE("the simulated list view shows at most 79 bytes of a name in the code page") {
    Desk d;
    const std::string e = "\xC3\xA9"; // é: one byte in the code page
    const std::string ja = "\xE6\x97\xA5"; // 日: outside it, three bytes of UTF-8
    std::string latin, japanese;
    for (int i = 0; i < 90; ++i) latin += e;
    for (int i = 0; i < 30; ++i) japanese += ja;
    d.os.virtualItems = {std::string(79, 'a'), std::string(80, 'b'), latin, japanese};
    EnumDesktopIcons(d.ctx, nullptr);
    REQUIRE(d.st.DesktopIcons.size() == 4);
    CHECK(d.st.DesktopIcons[0].Name == std::string(79, 'a'));
    CHECK(d.st.DesktopIcons[1].Name == std::string(79, 'b'));
    CHECK(d.st.DesktopIcons[2].Name == latin.substr(0, 79 * 2));
    CHECK(d.st.DesktopIcons[3].Name == japanese.substr(0, 26 * 3));
}

TEST_CASE("RestoreLocations matches trimmed names in any case; the first record wins") {
    Desk d;
    d.os.virtualItems = {"Recycle Bin", "My Computer"};
    d.AddFile(d.os.userDesktop, "Report");
    d.AddFile(d.os.commonDesktop, "Report");
    d.AddFile(d.os.userDesktop, "Unlisted");
    auto before = d.Positions();
    auto path = d.WritePositions("  my computer  ,100,200\r\n"
                                 "Nowhere,1,1\r\n"
                                 "report,-10,5\r\n"
                                 "REPORT,7,7\r\n"
                                 "RECYCLE BIN,30,40\r\n");
    RestoreLocations(d.ctx, path);

    // Calls go out in list order, one per matched item.
    const auto& icons = d.os.Icons();
    REQUIRE(icons.size() == 5);
    std::vector<int> expectedIndices;
    for (size_t i = 0; i < icons.size(); ++i) {
        CAPTURE(icons[i].name);
        std::pair<int32_t, int32_t> at{icons[i].x, icons[i].y};
        if (icons[i].name == "Recycle Bin") CHECK(at == std::pair<int32_t, int32_t>{30, 40});
        if (icons[i].name == "My Computer") CHECK(at == std::pair<int32_t, int32_t>{100, 200});
        if (icons[i].name == "Report") CHECK(at == std::pair<int32_t, int32_t>{-10, 5});
        if (icons[i].name == "Unlisted") CHECK(at == before[i]);
        if (icons[i].name != "Unlisted") expectedIndices.push_back(static_cast<int>(i));
    }
    std::vector<int> indices;
    for (const auto& c : d.os.positionCalls) indices.push_back(c.index);
    CHECK(indices == expectedIndices);
    CHECK(d.st.DesktopIcons.size() == 5); // the table was refreshed
    CHECK(d.ui.shown.empty());
}

TEST_CASE("RestoreLocations moves nothing when it cannot") {
    Desk d;
    d.AddFile(d.os.userDesktop, "a.txt");

    SUBCASE("no list view: nothing moves and nothing is reported") {
        auto path = d.WritePositions("a.txt,1,1\r\n");
        d.os.desktopRunning = false;
        RestoreLocations(d.ctx, path);
        CHECK(d.os.positionCalls.empty());
        CHECK(d.ui.shown.empty());
    }
    struct Bad {
        const char* what;
        std::string lines;
        int error;
    };
    const Bad bad[] = {
        {"header only", "", 62},
        {"overflow on a later line", "a.txt,1,1\r\nRecycle Bin,40000,1\r\n", 6},
        {"a record cut short", "a.txt,1,1\r\nRecycle Bin\r\n", 62},
    };
    for (const auto& b : bad) {
        CAPTURE(b.what);
        Desk e;
        e.AddFile(e.os.userDesktop, "a.txt");
        RestoreLocations(e.ctx, e.WritePositions(b.lines));
        CHECK(e.os.positionCalls.empty());
        CHECK(e.ui.MessageTexts() == std::vector<std::string>{ErrorReportText(b.error, "RestoreLocations")});
    }
    SUBCASE("a missing file is reported") {
        RestoreLocations(d.ctx, "C:\\none.dpf");
        CHECK(d.os.positionCalls.empty());
        CHECK(d.ui.MessageTexts() == std::vector<std::string>{ErrorReportText(53, "RestoreLocations")});
    }
}

TEST_CASE("a layout saved to a position file and applied again puts every icon back") {
    Desk d;
    d.AddFile(d.os.userDesktop, "Taxes, 2024.xls");
    d.AddFile(d.os.userDesktop, "\xE6\x97\xA5\xE6\x9C\xAC.txt");
    d.AddFile(d.os.commonDesktop, "Caf\xC3\xA9.lnk");
    d.Place("Recycle Bin", -20, 600);
    d.Place("Caf\xC3\xA9.lnk", 300, 12);
    auto saved = d.Positions();
    EnumDesktopIcons(d.ctx, nullptr);
    WritePositionFile(d.os, "C:\\home.dpf", " S", d.st.DesktopIcons);

    for (size_t i = 0; i < saved.size(); ++i) d.os.SetDesktopItemPosition(static_cast<int>(i), 999, 999);
    RestoreLocations(d.ctx, "C:\\home.dpf");
    CHECK(d.Positions() == saved);
    CHECK(d.ui.shown.empty());
}
