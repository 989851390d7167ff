// The desktop's icon list read and moved from another process: the stand-in desktop
// (tools/standin_desktop) hosts a real list view in its own process.
#include <set>

#include "WineHarness.h"
#include "platform/win32/Win32Platform.h"

using namespace stowly;
using namespace stowly::wine;

TEST_CASE("A desktop of more items than one request block holds, names outside the code page among them, is read "
          "and placed whole; its arranging is seen and turned off") {
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
    const auto names = os.ReadDesktopItemNames();
    REQUIRE(names);
    const std::set<std::string> unique(names->begin(), names->end());
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
        CHECK((*items)[i].name == (*names)[i]);
        CHECK_MESSAGE(((*items)[i].x == places[i].x && (*items)[i].y == places[i].y), i);
    }
    // The list view's own arranging, seen and turned off from this process.
    const HWND list = FindWindowExW(FindWindowExW(FindWindowW(L"Progman", nullptr), nullptr, L"SHELLDLL_DefView", nullptr),
                                    nullptr, L"SysListView32", nullptr);
    CHECK_FALSE(os.DesktopArranges());
    SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_AUTOARRANGE);
    CHECK(os.DesktopArranges());
    CHECK((os.StopDesktopArranging() && !os.DesktopArranges()));
}
