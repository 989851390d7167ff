// The real stowly.exe ended half way through a clean and a restore of 200 items,
// then started again: it offers to finish, and nothing is lost or doubled.
#include <doctest/doctest.h>
#include <windows.h>

#include <fstream>
#include <map>

#include "WineHarness.h"
#include "platform/win32/WinText.h"

using namespace stowly;
using namespace stowly::wine;
using namespace guidriver;
namespace fs = std::filesystem;

namespace {

const fs::path kProgramFolder = L"C:\\Program Files\\Stowly (stopped)";
using Tree = std::map<std::wstring, std::string>; // relative path -> content, "/" for a folder

Tree Contents(const fs::path& folder) {
    Tree tree;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(folder, ec)) {
        std::string content = "/";
        if (!e.is_directory()) {
            std::ifstream in(e.path(), std::ios::binary);
            content.assign(std::istreambuf_iterator<char>(in), {});
        }
        tree[fs::relative(e.path(), folder).wstring()] = content;
    }
    return tree;
}

size_t Count(const fs::path& folder) {
    std::error_code ec;
    size_t n = 0;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) ++n;
    return n;
}

// Both trees together, each path once.
Tree Union(const Tree& a, const Tree& b) {
    Tree all = a;
    for (const auto& [path, content] : b) CHECK_MESSAGE(all.emplace(path, content).second, "twice: " << Narrow(path));
    return all;
}

// Moves everything of `from` into `to` from the test's side, to set up the next round.
void MoveAll(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(from, ec)) fs::rename(e.path(), to / e.path().filename());
}

HWND MainWindow(const Program& p) { return FindWindowByTitle(p.pid(), kMainWindowTitle, true); }

} // namespace

TEST_CASE("A clean or restore ended by killing the program is offered and finished at the next start") {
    EmptyDesktops desktops;
    for (int i = 0; i < 190; ++i)
        std::ofstream(desktops.user() / (L"file " + std::to_wstring(i) + L".txt"), std::ios::binary)
            << "content " << i << std::string(static_cast<size_t>(i) * 7, 'x');
    for (int i = 0; i < 5; ++i) {
        fs::create_directories(desktops.user() / (L"folder " + std::to_wstring(i)));
        std::ofstream(desktops.user() / (L"folder " + std::to_wstring(i)) / L"inside.txt", std::ios::binary) << i;
    }
    for (int i = 0; i < 5; ++i)
        std::ofstream(desktops.common() / (L"shared " + std::to_wstring(i) + L".lnk"), std::ios::binary) << "s" << i;
    const Tree user = Contents(desktops.user()), shared = Contents(desktops.common());
    fs::remove_all(kProgramFolder);
    fs::create_directories(kProgramFolder);
    fs::copy_file(BuildPath("stowly.exe"), kProgramFolder / L"stowly.exe");
    const fs::path exe = kProgramFolder / L"stowly.exe", closet = kProgramFolder / L"QuickClean",
                   allUsers = kProgramFolder / L"AllUsers";
    StandinDesktop standin;
    REQUIRE(standin.Start());

    struct Stop { bool clean; size_t after; }; // the kill comes once `after` items have moved
    int offered = 0;
    for (const Stop& stop : {Stop{true, 15}, Stop{true, 100}, Stop{true, 185}, Stop{false, 15}, Stop{false, 100},
                             Stop{false, 185}}) {
        CAPTURE(stop.clean);
        CAPTURE(stop.after);
        // Each round starts from a whole desktop (clean) or a cleaned one (restore, with
        // the key file of an earlier round).
        if (stop.clean) {
            MoveAll(closet, desktops.user());
            MoveAll(allUsers, desktops.common());
        } else {
            MoveAll(desktops.user(), closet);
            MoveAll(desktops.common(), allUsers);
        }
        {
            Program stowly;
            REQUIRE(stowly.Start(exe));
            HWND main = nullptr;
            REQUIRE(WaitFor([&] { return (main = MainWindow(stowly)) != nullptr; }, 30000));
            REQUIRE(Click(FindChild(main, stop.clean ? L"Clean Desktop" : L"Restore Desktop")));
            const fs::path watched = stop.clean ? closet : desktops.user();
            REQUIRE(WaitFor([&] { return Count(watched) >= stop.after; }, 30000));
            stowly.Stop(); // killed, without a word
        }
        CHECK(Union(Contents(desktops.user()), Contents(closet)) == user);
        CHECK(Union(Contents(desktops.common()), Contents(allUsers)) == shared);

        Program again;
        REQUIRE(again.Start(exe));
        std::vector<MessageBoxInfo> boxes;
        HWND main = nullptr;
        REQUIRE(WaitFor([&] { return !(boxes = MessageBoxes(again.pid())).empty() || (main = MainWindow(again)); },
                        30000));
        if (!boxes.empty()) {
            ++offered;
            CHECK(boxes[0].text == std::wstring(L"Stowly was stopped before it finished ") +
                                       (stop.clean ? L"cleaning" : L"restoring") +
                                       L" your desktop.  Would you like to finish it now?");
            REQUIRE(Click(GetDlgItem(boxes[0].hwnd, IDYES)));
            const std::wstring done = stop.clean ? L"Your Desktop has been cleaned." : L"Your Icons have been restored.";
            REQUIRE(WaitFor([&] {
                boxes = MessageBoxes(again.pid());
                return !boxes.empty() && boxes[0].text == done;
            }, 30000));
            REQUIRE(Click(GetDlgItem(boxes[0].hwnd, IDOK)));
            REQUIRE(WaitFor([&] { return (main = MainWindow(again)) != nullptr; }, 30000));
        }
        CHECK(Contents(desktops.user()) == (stop.clean ? Tree{} : user));
        CHECK(Contents(closet) == (stop.clean ? user : Tree{}));
        CHECK(Contents(desktops.common()) == (stop.clean ? Tree{} : shared));
        CHECK_FALSE(fs::exists(kProgramFolder / L"stowly.journal"));
        REQUIRE(Click(FindChild(main, L"Exit")));
        CHECK(again.WaitEnd(10000));
    }
    MESSAGE("stops that were offered to finish: " << offered << " of 6");
    CHECK(offered >= 4);
    standin.Stop();
    std::error_code ec;
    fs::remove_all(kProgramFolder, ec);
}
