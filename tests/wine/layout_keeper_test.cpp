// The program keeping a layout for each display, running with the option on beside
// the stand-in desktop, which pushes icons that a smaller screen cuts off onto free
// cells and moves nothing back when it grows, as the shell does.
#include "WineHarness.h"
#include "platform/win32/Win32Platform.h"

using namespace stowly;
using namespace stowly::wine;

TEST_CASE("with layouts kept, a layout arranged on the screen comes back when the screen shrinks and grows again") {
    Win32Platform os;
    EmptyDesktops desktops;
    for (int i = 0; i < 5; ++i) std::ofstream{desktops.user() / (L"Item " + std::to_wstring(i) + L".txt")};
    StandinDesktop desktop;
    REQUIRE(desktop.Start());
    REQUIRE(WaitFor([&] { return os.DesktopItemCount() == 6; }));
    const ViewPlaces arranged{{20, 20}, {400, 120}, {600, 300}, {900, 650}, {940, 40}, {150, 600}};
    PlaceInOrder(os, arranged);
    const auto places = [&] { return PlacesInOrder(os); };
    REQUIRE(places() == arranged);

    InstalledCopy copy{kProgramFolder, "[PREFS]\r\nKeepLayouts= 1\r\n"};
    Program program;
    REQUIRE((program.Start(copy.exe) && WaitMainWindow(program, true)));
    const fs::path layouts = kProgramFolder / L"Layouts";
    REQUIRE(WaitFor([&] { return fs::exists(layouts / L"1024x768@96_0_0.dpf"); }, 20000)); // saved once still
    {
        ScreenSize small(800, 600);
        REQUIRE(small.changed);
        // Every icon on the smaller screen, each in the same order as before across and down.
        ViewPlaces shrunk;
        const bool fitted = WaitFor([&] {
            shrunk = places();
            return fs::exists(layouts / L"800x600@96_0_0.dpf") && shrunk.size() == 6 &&
                   std::all_of(shrunk.begin(), shrunk.end(), [](auto p) {
                       return p.first >= 0 && p.second >= 0 && p.first + 75 <= 800 && p.second + 75 <= 600;
                   });
        }, 30000);
        CHECK(fitted);
        for (size_t a = 0; a < 6; ++a)
            for (size_t b = 0; b < 6; ++b) {
                CHECK((arranged[a].first < arranged[b].first) == (shrunk[a].first < shrunk[b].first));
                CHECK((arranged[a].second < arranged[b].second) == (shrunk[a].second < shrunk[b].second));
            }
    }
    // The screen is back at 1024 x 768: the stand-in moved nothing back, the program does.
    const auto grown = std::chrono::steady_clock::now();
    CHECK(WaitFor([&] { return places() == arranged; }, 30000));
    MESSAGE("back in place after " << std::chrono::duration<double>(std::chrono::steady_clock::now() - grown).count()
                                   << " s");
    CHECK(MessageBoxes(program.pid()).empty());
    program.Stop(nullptr);
}
