// The real stowly.exe killed half way through a clean and a restore of 200 items,
// then started next: it offers to finish, and nothing is lost or doubled.
#include "WineHarness.h"
#include "support/TestDir.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

Tree Union(const Tree& a, const Tree& b) {
    Tree all = a;
    for (const auto& [path, content] : b) CHECK_MESSAGE(all.emplace(path, content).second, "twice: " << Narrow(path));
    return all;
}

void MoveAll(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(from, ec)) fs::rename(e.path(), to / e.path().filename());
}

} // namespace

TEST_CASE("A clean or restore ended by killing the program is offered and finished at the next start") {
    EmptyDesktops desktops;
    for (int i = 0; i < 190; ++i)
        test::WriteHostFile(desktops.user() / (L"file " + std::to_wstring(i) + L".txt"),
                            "content " + std::to_string(i) + std::string(static_cast<size_t>(i) * 7, 'x'));
    for (int i = 0; i < 5; ++i) {
        test::WriteHostFile(desktops.user() / (L"folder " + std::to_wstring(i)) / L"inside.txt", std::to_string(i));
        test::WriteHostFile(desktops.common() / (L"shared " + std::to_wstring(i) + L".lnk"), "s" + std::to_string(i));
    }
    const Tree user = Contents(desktops.user()), shared = Contents(desktops.common());
    const fs::path closet = kProgramFolder / L"QuickClean", allUsers = kProgramFolder / L"AllUsers";
    InstalledCopy copy(kProgramFolder);
    StandinDesktop standin;
    REQUIRE(standin.Start());
    int offered = 0;
    for (const bool clean : {true, false})
        for (const int after : {15, 100, 185}) { // the kill comes once `after` items have moved
            INFO(clean << " " << after); // from a whole desktop (clean) or a cleaned one (restore)
            MoveAll(clean ? closet : desktops.user(), clean ? desktops.user() : closet);
            MoveAll(clean ? allUsers : desktops.common(), clean ? desktops.common() : allUsers);
            {
                Program stowly;
                REQUIRE(stowly.Start(copy.exe));
                HWND main = WaitMainWindow(stowly, true);
                REQUIRE(Click(FindChild(main, clean ? L"Clean Desktop" : L"Restore Desktop")));
                std::error_code ec;
                const fs::path dir = clean ? closet : desktops.user();
                REQUIRE(WaitFor([&] { return std::distance(fs::directory_iterator(dir, ec), {}) >= after; }, 30000));
            } // killed, without a word
            CHECK(Union(Contents(desktops.user()), Contents(closet)) == user);
            CHECK(Union(Contents(desktops.common()), Contents(allUsers)) == shared);

            Program next;
            REQUIRE(next.Start(copy.exe));
            HWND main = nullptr;
            REQUIRE(WaitFor([&] {
                return MessageBoxes(next.pid()).size() ||
                       (main = FindWindowByTitle(next.pid(), kMainWindowTitle, true)) != nullptr;
            }, 30000));
            if (!main) {
                ++offered;
                const std::wstring what = clean ? L"cleaning" : L"restoring";
                Answer(next.pid(), L"Stowly was stopped before it finished " + what +
                                        L" your desktop.  Would you like to finish it now?", IDYES);
                Answer(next.pid(), clean ? L"Your Desktop has been cleaned." : L"Your Icons have been restored.");
                REQUIRE((main = WaitMainWindow(next, true)));
            }
            CHECK(Contents(desktops.user()) == (clean ? Tree{} : user));
            CHECK(Contents(closet) == (clean ? user : Tree{}));
            CHECK(Contents(desktops.common()) == (clean ? Tree{} : shared));
            CHECK_FALSE(fs::exists(kProgramFolder / L"stowly.journal"));
            REQUIRE(Click(FindChild(main, L"Exit")));
            CHECK(next.WaitEnd(10000));
        }
    CHECK(offered >= 4); // of 6: a kill may come when all has moved
}
