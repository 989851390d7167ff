// The desktop's icon list read and moved from another process: the stand-in desktop
// (tools/standin_desktop) hosts a real list view in its own process.
#include <set>

#include "WineHarness.h"
#include "icons/DesktopIcons.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/win32/Win32Platform.h"
#include "support/TestDir.h"

using namespace stowly;
using namespace stowly::wine;

TEST_CASE("A desktop of more items than one request block holds, names outside the code page among them, is read "
          "and placed whole") {
    Win32Platform os;
    EmptyDesktops desktops;
    constexpr int kFiles = 600, kItems = kFiles + 5; // and the Recycle Bin
    for (int i = 0; i < kFiles; ++i) std::ofstream{desktops.user() / (L"file " + std::to_wstring(i))};
    const std::string name79 = std::string(75, 'n') + " end", long85(85, 'l');
    const std::string greek = "\xce\xa3\xcf\x87\xce\xad\xce\xb4\xce\xb9\xce\xbf";       // Σχέδιο
    const std::string japanese = "\xe6\x9b\xb8\xe9\xa1\x9e\xe3\x83\xa1\xe3\x83\xa2"; // 書類メモ
    for (const std::string& name : {name79, long85, greek, japanese})
        std::ofstream{desktops.common() / Widen(name)};
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    REQUIRE(WaitFor([&] { return os.DesktopItemCount() == kItems; }, 60000));
    std::vector<std::string> names;
    for (const DesktopItem& item : os.ReadDesktopItems().value_or(std::vector<DesktopItem>{})) names.push_back(item.name);
    const std::set<std::string> unique(names.begin(), names.end());
    CHECK(unique.size() == kItems);
    for (const std::string& name : {name79, long85.substr(0, 79), greek, japanese}) // long ones cut to 79 bytes
        CHECK_MESSAGE(unique.count(name), name);
    std::vector<ItemPosition> places;
    for (int i = 0; i < kItems; ++i)
        places.push_back({i, static_cast<int16_t>(-200 + 37 * (i % 25)), static_cast<int16_t>(-300 + 29 * (i / 25))});
    const PlacingResult placing = os.SetDesktopItemPositions(places); // a stand-in keeps list-view places
    CHECK((placing.road == PlacingResult::Road::ListView && placing.placed == kItems));
    const auto items = os.ReadDesktopItems();
    REQUIRE((items && items->size() == size_t(kItems)));
    for (int i = 0; i < kItems; ++i) {
        CHECK((*items)[i].name == names[i]);
        CHECK_MESSAGE(((*items)[i].x == places[i].x && (*items)[i].y == places[i].y), i);
    }
}

// The user's "hide extensions for known file types" while a test runs, shown again after it
// (tools/wine-run.sh starts every run with it off).
struct HiddenExtensions {
    HiddenExtensions() { Set(1); }
    ~HiddenExtensions() { Set(0); }
    static void Set(DWORD hide) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                        L"HideFileExt", REG_DWORD, &hide, sizeof hide);
    }
};

TEST_CASE("Items that share a label go back each to its own place; a desktop that arranges its icons is asked "
          "about once: No leaves them where they are and counts them, Yes stops the arranging and places them; "
          "icons that a smaller screen cuts off are pushed onto free cells of it and stay there when it grows") {
    Win32Platform os;
    EmptyDesktops desktops;
    HiddenExtensions hidden;
    for (const wchar_t* name : {L"Report.docx", L"Report.pdf", L"Notes.txt"}) std::ofstream{desktops.user() / name};
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    REQUIRE(WaitFor([&] { return os.DesktopItemCount() == 4; }));
    // Places off the stand-in's grid and far from where an arranging list view puts items. The
    // view shows the Recycle Bin, then the files by name: with `swap` 1 the two "Report" items
    // trade places (and so do the other two).
    using Places = ViewPlaces;
    const auto layout = [](int swap) {
        Places at;
        for (int i = 0; i < 4; ++i) at.emplace_back(300 + 110 * (i ^ swap), 250 + 50 * (i ^ swap));
        return at;
    };
    const auto place = [&](const Places& at) { PlaceInOrder(os, at); };
    const auto places = [&] { return PlacesInOrder(os); };
    place(layout(0));
    test::TestDir dir;
    const std::string file = Narrow((dir.path() / L"Layout.dpf").wstring());
    ScriptedUi ui;
    const auto saved = EnumDesktopIcons(os, ui);
    REQUIRE(saved);
    std::multiset<std::string> labels;
    for (const IconRecord& icon : *saved) labels.insert(icon.Name);
    CHECK(labels == std::multiset<std::string>{"Recycle Bin", "Report", "Report", "Notes"});
    WritePositionFile(os, file, "1024 x 768", *saved);
    place(layout(1));
    CHECK(RestoreLocations(os, ui, file) == 0);
    CHECK(places() == layout(0));
    CHECK(ui.shown.empty());

    const std::string question = "The desktop arranges its icons by itself, so they cannot go back to their places.  "
                                 "Turn off \"Auto arrange icons\" and place them?";
    const HWND list = FindWindowExW(FindWindowExW(FindWindowW(L"Progman", nullptr), nullptr, L"SHELLDLL_DefView", nullptr),
                                    nullptr, L"SysListView32", nullptr);
    CHECK_FALSE(os.DesktopArranges());
    place(layout(1));
    SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_AUTOARRANGE);
    REQUIRE(os.DesktopArranges());
    const auto arranged = places();
    ScriptedUi no, yes;
    no.Push(Answer::No);
    CHECK(RestoreLocations(os, no, file) == 4);
    CHECK(no.MessageTexts() == std::vector<std::string>{question});
    CHECK((os.DesktopArranges() && places() == arranged));
    yes.Push(Answer::Yes);
    CHECK(RestoreLocations(os, yes, file) == 0);
    CHECK(yes.MessageTexts() == std::vector<std::string>{question});
    CHECK((!os.DesktopArranges() && places() == layout(0)));

    // Two icons that still fit on 800 x 600, one across the first free cells and one near the
    // corner, and two that it cuts off.
    constexpr int kCell = 75; // the stand-in's grid step
    const Places before{{40, 30}, {705, 500}, {900, 650}, {700, 560}};
    place(before);
    REQUIRE(places() == before);
    const auto fits = [&](std::pair<int, int> at, int width, int height) {
        return at.first >= 0 && at.second >= 0 && at.first + kCell <= width && at.second + kCell <= height;
    };
    const auto sized = [&](int width, int height) {
        RECT rc{};
        return GetClientRect(list, &rc) && rc.right == width && rc.bottom == height;
    };
    Places shrunk;
    {
        ScreenSize small(800, 600);
        REQUIRE(small.changed);
        CHECK(WaitFor([&] {
            shrunk = places();
            return sized(800, 600) && shrunk.size() == 4 &&
                   std::all_of(shrunk.begin(), shrunk.end(), [&](auto at) { return fits(at, 800, 600); });
        }));
        for (size_t i = 0; i < before.size(); ++i)
            if (fits(before[i], 800, 600)) CHECK_MESSAGE(shrunk[i] == before[i], i);
        for (size_t i = 0; i < shrunk.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                CHECK_MESSAGE((std::abs(shrunk[i].first - shrunk[j].first) >= kCell ||
                               std::abs(shrunk[i].second - shrunk[j].second) >= kCell),
                              i << " and " << j);
    }
    CHECK(WaitFor([&] { return sized(1024, 768); }));
    CHECK(places() == shrunk);
}
