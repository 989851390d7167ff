// The desktop's icon list read and moved from another process: the stand-in desktop
// (tools/standin_desktop) hosts a real list view in its own process.
#include <set>

#include "WineHarness.h"
#include "icons/DesktopIcons.h"
#include "icons/PositionList.h"
#include "platform/FileText.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/win32/Win32Platform.h"
#include "support/TestDir.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

std::vector<std::string> Names(const std::optional<std::vector<DesktopItem>>& items) {
    REQUIRE(items.has_value());
    std::vector<std::string> names;
    for (const auto& i : *items) names.push_back(i.name);
    return names;
}

// Adds files one by one, each waited for, so that the view's order is known.
void AddInOrder(Win32Platform& os, const std::vector<fs::path>& files) {
    for (const auto& f : files) {
        const long before = os.DesktopItemCount().value_or(-1);
        std::ofstream{f};
        REQUIRE(WaitFor([&] { return os.DesktopItemCount().value_or(-1) == before + 1; }));
    }
}

} // namespace

TEST_CASE("Without a desktop list view nothing is counted, moved or reported; position files use the code page") {
    REQUIRE(WaitFor([] { return FindWindowW(L"Progman", nullptr) == nullptr; }));
    Win32Platform os;
    ScriptedUi ui;
    test::TestDir dir;
    const std::string file = (dir.path() / "layout.dpf").string(), cafe = "Caf\xC3\xA9 \xE2\x82\xAC"; // Café €
    WritePositionFile(os, file, " S", {{cafe, 50, 60}});
    if (GetACP() == 1252) CHECK(*os.ReadFile(file, nullptr) == "\r\n\r\n\r\n S\r\n\r\nCaf\xE9 \x80,50,60\r\n");
    CHECK(ReadPositionFile(os, file).at(0).Name == cafe);
    CHECK_FALSE(os.DesktopViewFound());
    CHECK(CountDesktopIcons(os, ui) == 0);
    CHECK_FALSE(EnumDesktopIcons(os, ui));
    CHECK_FALSE(RestoreLocations(os, ui, file));
    CHECK(ui.shown.empty());
}

TEST_CASE("Icons read from the view's process, saved to a position file and scrambled all come back") {
    Win32Platform os;
    EmptyDesktops desktops;
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    const std::string name79 = std::string(75, 'n') + " end", comma = "Budget, final", long85(85, 'l');
    const std::string greek = "\xce\xa3\xcf\x87\xce\xad\xce\xb4\xce\xb9\xce\xbf";       // Σχέδιο
    const std::string japanese = "\xe6\x9b\xb8\xe9\xa1\x9e\xe3\x83\xa1\xe3\x83\xa2"; // 書類メモ
    AddInOrder(os, {desktops.user() / Widen(name79), desktops.common() / Widen(comma), desktops.user() / Widen(greek),
                    desktops.user() / Widen(japanese), desktops.common() / Widen(long85)});
    // Names outside the code page come whole; long ones are cut to 79 bytes.
    CHECK(Names(os.ReadDesktopItems()) ==
          std::vector<std::string>{"Recycle Bin", name79, comma, greek, japanese, long85.substr(0, 79)});
    const std::vector<ItemPosition> layout = {{0, 12, 150}, {1, -40, 20}, {2, 300, -60}, {3, 500, 400}, {4, -200, -100}, {5, 700, 10}};
    os.SetDesktopItemPositions(layout);
    ScriptedUi ui;
    const auto icons = EnumDesktopIcons(os, ui);
    REQUIRE(icons);
    REQUIRE(icons->size() == layout.size());
    for (size_t i = 0; i < layout.size(); ++i) CHECK(((*icons)[i].X == layout[i].x && (*icons)[i].Y == layout[i].y));
    test::TestDir dir;
    const std::string file = (dir.path() / "layout.dpf").string();
    WritePositionFile(os, file, " S", *icons);
    CHECK(os.ReadFile(file, nullptr)->starts_with(kUtf8Bom));

    for (size_t i = 0; i < layout.size(); ++i) os.SetDesktopItemPosition(static_cast<int>(i), static_cast<int16_t>(20 + 70 * i), 600);
    AddInOrder(os, {desktops.user() / L"Newcomer"}); // named by no record: it keeps its place
    const auto scrambled = os.ReadDesktopItems();
    CHECK(RestoreLocations(os, ui, file));
    CHECK(ui.shown.empty());
    const auto restored = os.ReadDesktopItems();
    REQUIRE(Names(restored) == Names(scrambled));
    for (size_t i = 0; i < layout.size(); ++i)
        CHECK_MESSAGE(((*restored)[i].x == layout[i].x && (*restored)[i].y == layout[i].y), (*restored)[i].name);
    CHECK((restored->back().x == scrambled->back().x && restored->back().y == scrambled->back().y));
}

TEST_CASE("A desktop of more items than one request block holds is read and placed whole, names alone or with places") {
    Win32Platform os;
    EmptyDesktops desktops;
    constexpr int kFiles = 600;
    for (int i = 0; i < kFiles; ++i) std::ofstream{desktops.user() / (L"file " + std::to_wstring(i))};
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    REQUIRE(WaitFor([&] { return os.DesktopItemCount() == kFiles + 1; }, 60000));
    const auto names = os.ReadDesktopItemNames();
    REQUIRE(names);
    std::vector<ItemPosition> places;
    for (int i = 0; i <= kFiles; ++i)
        places.push_back({i, static_cast<int16_t>(5 + 37 * (i % 25)), static_cast<int16_t>(-300 + 29 * (i / 25))});
    os.SetDesktopItemPositions(places);
    const auto items = os.ReadDesktopItems();
    CHECK(Names(items) == *names);
    CHECK(std::set<std::string>(names->begin(), names->end()).size() == kFiles + 1);
    for (int i = 0; i <= kFiles; ++i) CHECK_MESSAGE(((*items)[i].x == places[i].x && (*items)[i].y == places[i].y), i);
}
