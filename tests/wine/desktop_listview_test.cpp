// The desktop's icon list read and moved from another process: the stand-in desktop
// (tools/standin_desktop) hosts a real comctl32 list view in its own process.
#include <doctest/doctest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "icons/DesktopIcons.h"
#include "icons/PositionList.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"
#include "support/TestDir.h"
#include "WineHarness.h"

using namespace stowly;

namespace {

using wine::EmptyDesktops;
using wine::StandinDesktop;

bool WaitFor(const std::function<bool()>& done, unsigned timeoutMs = 5000) {
    return guidriver::WaitFor(done, timeoutMs);
}

HWND StandinWindow() { return FindWindowW(L"Progman", nullptr); }

void MakeFile(const std::filesystem::path& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

std::vector<std::string> Names(const std::vector<DesktopItem>& items) {
    std::vector<std::string> names;
    for (const auto& i : items) names.push_back(i.name);
    return names;
}

// Adds files one by one, each waited for, so that the view's order is known.
void AddInOrder(Win32Platform& os, const std::vector<std::filesystem::path>& files) {
    for (const auto& f : files) {
        long before = os.DesktopItemCount().value_or(-1);
        MakeFile(f);
        REQUIRE(WaitFor([&] { return os.DesktopItemCount().value_or(-1) == before + 1; }));
    }
}

std::filesystem::path Utf8Path(const std::filesystem::path& folder, const std::string& name) {
    return folder / Widen(name);
}

const std::string kName79 = std::string(75, 'n') + " end"; // 79 bytes
const std::string kName85 = std::string(85, 'l');
const std::string kCommaName = "Budget, final";
const std::string kGreekName = "\xce\xa3\xcf\x87\xce\xad\xce\xb4\xce\xb9\xce\xbf";      // Σχέδιο
const std::string kJapaneseName = "\xe6\x9b\xb8\xe9\xa1\x9e\xe3\x83\xa1\xe3\x83\xa2"; // 書類メモ

} // namespace

TEST_CASE("Without a desktop list view nothing is found, moved or reported") {
    Win32Platform os;
    {
        StandinDesktop desktop;
        REQUIRE(desktop.Start());
        CHECK(os.DesktopViewFound());
    }
    REQUIRE(StandinWindow() == nullptr);
    CHECK_FALSE(os.DesktopViewFound());
    CHECK_FALSE(os.DesktopItemCount().has_value());
    CHECK_FALSE(os.ReadDesktopItems().has_value());
    os.SetDesktopItemPosition(0, 10, 10);

    ScriptedUi ui;
    AppState st;
    st.DesktopIcons = {{"Kept", 3, 4}};
    Context ctx{os, ui, st};
    std::string listing = "before";
    CHECK(CountDesktopIcons(ctx) == 0);
    EnumDesktopIcons(ctx, &listing);
    CHECK(listing == "before");
    REQUIRE(st.DesktopIcons.size() == 1);
    CHECK(st.DesktopIcons[0].Name == "Kept");

    test::TestDir dir;
    const std::string file = (dir.path() / "layout.dpf").string();
    WritePositionFile(os, file, "1024 x 768 x 32", {{"Kept", 50, 60}});
    RestoreLocations(ctx, file);
    CHECK(st.DesktopIcons[0].X == 3);
    CHECK(ui.shown.empty());
}

TEST_CASE("The desktop's items are read from the view's process in the view's order") {
    Win32Platform os;
    EmptyDesktops desktops;
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    REQUIRE(WaitFor([&] { return os.DesktopItemCount() == 1L; }));
    CHECK(os.DesktopViewFound());

    // Hidden entries never show.
    MakeFile(desktops.user() / L"secret");
    SetFileAttributesW((desktops.user() / L"secret").c_str(), FILE_ATTRIBUTE_HIDDEN);

    std::filesystem::create_directory(desktops.user() / L"Projects");
    REQUIRE(WaitFor([&] { return os.DesktopItemCount() == 2L; }));
    AddInOrder(os, {Utf8Path(desktops.user(), kName79), Utf8Path(desktops.common(), kCommaName),
                    Utf8Path(desktops.user(), kGreekName), Utf8Path(desktops.user(), kJapaneseName),
                    Utf8Path(desktops.common(), kName85)});

    auto items = os.ReadDesktopItems();
    REQUIRE(items.has_value());
    // Names outside the code page come whole; long ones are cut to 79 bytes.
    std::vector<std::string> expected = {"Recycle Bin", "Projects",    kName79,
                                         kCommaName,    kGreekName,    kJapaneseName,
                                         kName85.substr(0, 79)};
    CHECK(Names(*items) == expected);
    CHECK(os.DesktopItemCount() == static_cast<long>(items->size()));

    // New items took free slots: no two share a place.
    std::set<std::pair<int32_t, int32_t>> places;
    for (const auto& i : *items) places.insert({i.x, i.y});
    CHECK(places.size() == items->size());
}

TEST_CASE("Positions set from outside are read back, negative ones included") {
    Win32Platform os;
    EmptyDesktops desktops;
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    AddInOrder(os, {desktops.user() / L"a", desktops.user() / L"b", desktops.common() / L"c", desktops.user() / L"d"});
    auto before = os.ReadDesktopItems();
    REQUIRE(before.has_value());
    REQUIRE(before->size() == 5);

    struct Move {
        int index;
        int16_t x, y;
    };
    const Move moves[] = {{1, -10, 5}, {2, 300, -40}, {3, -250, -120}, {4, 900, 700}};
    for (const auto& m : moves) os.SetDesktopItemPosition(m.index, m.x, m.y);

    auto after = os.ReadDesktopItems();
    REQUIRE(after.has_value());
    REQUIRE(Names(*after) == Names(*before));
    CHECK((*after)[0].x == (*before)[0].x); // not moved
    CHECK((*after)[0].y == (*before)[0].y);
    for (const auto& m : moves) {
        CAPTURE(m.index);
        CHECK((*after)[m.index].x == m.x);
        CHECK((*after)[m.index].y == m.y);
    }
}

TEST_CASE("An item whose file leaves goes with it; the others keep their order and place") {
    Win32Platform os;
    EmptyDesktops desktops;
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    AddInOrder(os, {desktops.user() / L"first", desktops.user() / L"second", desktops.user() / L"third"});
    os.SetDesktopItemPosition(3, 400, 200);
    auto before = os.ReadDesktopItems();
    REQUIRE(before.has_value());

    std::filesystem::remove(desktops.user() / L"second");
    REQUIRE(WaitFor([&] { return os.DesktopItemCount() == 3L; }));
    auto after = os.ReadDesktopItems();
    REQUIRE(after.has_value());
    CHECK(Names(*after) == std::vector<std::string>{"Recycle Bin", "first", "third"});
    CHECK((*after)[2].x == 400);
    CHECK((*after)[2].y == 200);

    // A file that comes back is appended at a free slot, not where it was.
    MakeFile(desktops.user() / L"second");
    REQUIRE(WaitFor([&] { return os.DesktopItemCount() == 4L; }));
    after = os.ReadDesktopItems();
    REQUIRE(after.has_value());
    CHECK(Names(*after) == std::vector<std::string>{"Recycle Bin", "first", "third", "second"});

}

TEST_CASE("A saved position file puts every icon back after the icons were scrambled") {
    Win32Platform os;
    EmptyDesktops desktops;
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    AddInOrder(os, {Utf8Path(desktops.user(), kName79), Utf8Path(desktops.common(), kCommaName),
                    Utf8Path(desktops.user(), kGreekName), Utf8Path(desktops.user(), kJapaneseName),
                    desktops.user() / L"Report"});
    struct Place {
        int16_t x, y;
    };
    const std::vector<Place> layout = {{12, 150}, {-40, 20}, {300, -60}, {500, 400}, {-200, -100}, {700, 10}};
    for (size_t i = 0; i < layout.size(); ++i) os.SetDesktopItemPosition(static_cast<int>(i), layout[i].x, layout[i].y);

    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
    EnumDesktopIcons(ctx, nullptr);
    REQUIRE(st.DesktopIcons.size() == layout.size());
    test::TestDir dir;
    const std::string file = (dir.path() / "layout.dpf").string();
    WritePositionFile(os, file, "1024 x 768 x 32", st.DesktopIcons);

    for (size_t i = 0; i < layout.size(); ++i)
        os.SetDesktopItemPosition(static_cast<int>(i), static_cast<int16_t>(20 + 70 * i), 600);
    // An item that came after the save is named by no record and keeps its place.
    AddInOrder(os, {desktops.user() / L"Newcomer"});
    auto scrambled = os.ReadDesktopItems();
    REQUIRE(scrambled.has_value());
    REQUIRE(scrambled->size() == layout.size() + 1);
    CHECK(scrambled->front().x == 20);

    RestoreLocations(ctx, file);
    CHECK(ui.shown.empty());
    auto restored = os.ReadDesktopItems();
    REQUIRE(restored.has_value());
    REQUIRE(Names(*restored) == Names(*scrambled));
    for (size_t i = 0; i < layout.size(); ++i) {
        CAPTURE((*restored)[i].name);
        CHECK((*restored)[i].x == layout[i].x);
        CHECK((*restored)[i].y == layout[i].y);
    }
    CHECK(restored->back().x == scrambled->back().x);
    CHECK(restored->back().y == scrambled->back().y);
}

TEST_CASE("A person can drag an item on the stand-in desktop") {
    Win32Platform os;
    EmptyDesktops desktops;
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    AddInOrder(os, {desktops.user() / L"Drag me"});
    os.SetDesktopItemPosition(1, 200, 200);

    // Mouse input as a person gives it: press on the icon, move, release.
    HWND view = FindWindowExW(StandinWindow(), nullptr, L"SHELLDLL_DefView", nullptr);
    POINT start{200 + 16, 200 + 16};
    ClientToScreen(FindWindowExW(view, nullptr, L"SysListView32", nullptr), &start);
    auto mouse = [](int x, int y, DWORD button) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
        SendInput(1, &in, sizeof(in));
        Sleep(50);
    };
    mouse(start.x, start.y, 0);
    mouse(start.x, start.y, MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 10; ++step) mouse(start.x + 10 * step, start.y + 5 * step, 0);
    mouse(start.x + 100, start.y + 50, MOUSEEVENTF_LEFTUP);

    CHECK(WaitFor([&] {
        auto items = os.ReadDesktopItems();
        return items && items->size() == 2 && (*items)[1].x == 300 && (*items)[1].y == 250;
    }));
}

// Not run by default; measures one enumeration of many items:
//   tools/wine-run.sh --build B B/stowly_wine_tests.exe -tc='*benchmark*' --no-skip
TEST_CASE("benchmark: reading many desktop items from another process" * doctest::skip()) {
    constexpr int kItems = 500;
    Win32Platform os;
    EmptyDesktops desktops;
    for (int i = 0; i < kItems; ++i) MakeFile(desktops.user() / (L"item " + std::to_wstring(i)));
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    REQUIRE(WaitFor([&] { return os.DesktopItemCount() == long{kItems + 1}; }, 30000));
    for (int round = 0; round < 3; ++round) {
        auto start = std::chrono::steady_clock::now();
        auto items = os.ReadDesktopItems();
        auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        REQUIRE(items.has_value());
        CHECK(items->size() == size_t{kItems + 1});
        MESSAGE(items->size() << " items read in " << ms << " ms");
    }
}
