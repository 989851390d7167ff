// Moves of desktop items, and the quick clean and restore, against the real file
// system, registry and wallpaper, with the stand-in desktop's list view in another process.
#include <doctest/doctest.h>
#include <windows.h>

#include <map>
#include <random>
#include <utility>

#include "WineHarness.h"
#include "closet/CleanRestore.h"
#include "closet/KeyFile.h"
#include "closet/ShellOps.h"
#include "closet/Wallpaper.h"
#include "platform/Text.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/win32/Win32Platform.h"
#include "support/TestDir.h"

using namespace stowly;
namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

namespace {

const std::string kGreek = "\xce\xa3\xcf\x87\xce\xad\xce\xb4\xce\xb9\xce\xbf\xf0\x9f\x93\x81"; // Σχέδιο and one outside the BMP
const std::string kJapanese = "\xe6\x9b\xb8\xe9\xa1\x9e\xe3\x83\xa1\xe3\x83\xa2"; // 書類メモ

// Everything under a folder, hidden entries included: relative path -> bytes ("/" for a folder).
Tree Snapshot(Win32Platform& os, const fs::path& root) {
    Tree tree;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(root, ec))
        tree[Narrow(fs::relative(e.path(), root).generic_wstring())] =
            e.is_directory() ? "/" : os.ReadFile(Narrow(e.path().wstring()), nullptr).value_or("<unreadable>");
    return tree;
}
Tree Snapshot(Win32Platform& os, const std::string& folder) { return Snapshot(os, fs::path(Widen(folder))); }

// Bytes that differ from file to file, so that a swapped content is seen.
std::string Content(int seed, size_t size) {
    std::minstd_rand random(static_cast<unsigned>(seed) + 1);
    std::string s(size, '\0');
    for (auto& c : s) c = static_cast<char>(random() >> 7);
    return s;
}

struct Machine {
    Win32Platform os;
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
    test::TestDir program;
    wine::EmptyDesktops desktops;
    wine::StandinDesktop standin;
    const std::string user = desktops.userText() + "\\", common = desktops.commonText() + "\\";

    Machine() {
        st.ProgramFolder = st.ClosetDirectory = UpperCase(program.path().string()) + "\\";
        st.UserDesktopFolder = desktops.userText();
        st.CommonDesktopFolder = desktops.commonText();
        st.ScreenSizeText = "1024 x 768 x 32";
        st.ClosetKeyFile = "QuickClean.qvr";
    }
    ~Machine() { os.SetWallpaper(""); }
    // Shortly after Wine starts, something holds new desktop files for a moment.
    void Put(const std::string& path, const std::string& bytes) {
        int result = 0;
        guidriver::WaitFor([&] { return (result = os.WriteFile(path, bytes)) != ERROR_SHARING_VIOLATION; }, 500);
        INFO(path);
        REQUIRE(result == 0);
    }
    bool Shows(long n) { return guidriver::WaitFor([&] { return os.DesktopItemCount().value_or(-1) == n; }, 30000); }
    std::map<std::string, std::pair<int32_t, int32_t>> Positions() {
        std::map<std::string, std::pair<int32_t, int32_t>> p;
        for (const auto& item : os.ReadDesktopItems().value_or(std::vector<DesktopItem>{})) p[item.name] = {item.x, item.y};
        return p;
    }
    std::string Style() {
        RegData d;
        os.RegRead(RegRoot::CurrentUser, "Control Panel\\Desktop", "WallpaperStyle", d);
        return std::get_if<std::string>(&d) ? std::get<std::string>(d) : "";
    }
};

} // namespace

TEST_CASE("Items move whole, on one volume and across (a copy at a time), and nothing is replaced") {
    // /dev/shm is another file system than the prefix's drive C:.
    for (bool across : {false, true}) {
        CAPTURE(across);
        Win32Platform os;
        test::TestDir dir;
        const std::string to = dir.path().string() + "\\To",
                          from = across ? "Z:\\dev\\shm\\stowly-move-" + std::to_string(GetCurrentProcessId())
                                        : dir.path().string() + "\\From";
        if (across && !os.Attributes("Z:\\dev\\shm").isFolder) continue;
        fs::remove_all(fs::path(Widen(from))); // Wine reuses process ids: a failed run's leftover
        REQUIRE((os.CreateFolder(from) && os.CreateFolder(to) && os.CreateFolder(from + "\\Tree")));
        REQUIRE(os.WriteFile(from + "\\a.txt", "alpha") + os.WriteFile(from + "\\Tree\\" + kGreek + ".txt", "deep") == 0);
        // A rename alone never crosses volumes, and then changes nothing.
        if (across) CHECK(os.MoveItem(from + "\\a.txt", to + "\\a.txt") == winerr::NotSameDevice);
        CHECK(PerformShellAction(os, from + "\\a.txt", to) == 0);
        CHECK(PerformShellAction(os, from + "\\Tree", to) == 0);
        CHECK(Snapshot(os, from).empty());
        const Tree arrived{{"a.txt", "alpha"}, {"Tree", "/"}, {"Tree/" + kGreek + ".txt", "deep"}};
        CHECK(Snapshot(os, to) == arrived);

        REQUIRE(os.WriteFile(from + "\\b.txt", "new") + os.WriteFile(to + "\\b.txt", "old") == 0);
        REQUIRE((os.CreateFolder(from + "\\Tree") && os.WriteFile(from + "\\Tree\\other.txt", "other") == 0));
        CHECK(os.MoveItem(from + "\\b.txt", to + "\\B.TXT") != 0);
        CHECK(os.MoveItem(from + "\\Tree", to + "\\Tree") != 0);
        CHECK(PerformShellAction(os, from + "\\b.txt", to) == 0);
        CHECK(PerformShellAction(os, from + "\\Tree", to) == 0);
        CHECK(PerformShellAction(os, from + "\\missing", to) != 0);
        CHECK(Snapshot(os, from).empty());
        Tree kept = arrived; // and no working copy left behind
        kept.insert({{"b.txt", "old"}, {"b (2).txt", "new"}, {"Tree (2)", "/"}, {"Tree (2)/other.txt", "other"}});
        CHECK(Snapshot(os, to) == kept);
        fs::remove_all(fs::path(Widen(from)));
    }
}

TEST_CASE("clean and restore: items, contents, icon positions and wallpaper come back") {
    Machine m;
    m.Put(m.user + "Report.docx", Content(1, 5000));
    m.Put(m.user + "Budget, final.xls", Content(2, 300));
    m.Put(m.user + kJapanese + ".txt", Content(3, 100));
    REQUIRE((m.os.CreateFolder(m.user + kGreek) && m.os.CreateFolder(m.user + kGreek + "\\Sub")));
    m.Put(m.user + kGreek + "\\Sub\\deep.bin", Content(4, 70000));
    m.Put(m.user + "desktop.ini", "hidden");
    REQUIRE(SetFileAttributesW(Widen(m.user + "desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    m.Put(m.common + "Shared.lnk", Content(5, 64));
    REQUIRE(m.os.CreateFolder(m.common + "Tools"));
    m.Put(m.common + "Tools\\tool.exe", Content(6, 900));
    const Tree userBefore = Snapshot(m.os, m.desktops.user()), commonBefore = Snapshot(m.os, m.desktops.common());

    REQUIRE((m.standin.Start() && m.Shows(7)));
    for (int i = 0; i < 7; ++i)
        m.os.SetDesktopItemPosition(i, static_cast<int16_t>(650 - 83 * i), static_cast<int16_t>(17 + 61 * i));
    const auto positions = m.Positions();
    REQUIRE(positions.size() == 7);

    const std::string picture = m.st.ProgramFolder + "beach.bmp", clean = m.st.ProgramFolder + "clean.bmp";
    const std::string beach = test::OnePixelBitmap(0x30, 0x90, 0xD0);
    m.Put(picture, beach);
    m.Put(clean, test::OnePixelBitmap(0xF0, 0xF0, 0xF0));
    SetWallpaper(m.os, picture, 2);
    m.st.settings.DefaultWindowsBackground = clean;
    m.st.settings.WallPaperStyle = 1;
    CleanDesktop(m.ctx);
    CHECK((m.ui.MessageTexts().empty() && m.ui.progressMessage == "Your Desktop has been cleaned."));
    CHECK((Snapshot(m.os, m.desktops.user()) == Tree{{"desktop.ini", "hidden"}} && Snapshot(m.os, m.desktops.common()).empty()));
    CHECK((m.os.GetWallpaper() == clean && m.Style() == "1"));
    CHECK(m.Shows(1));

    REQUIRE(DeleteFileW(Widen(picture).c_str())); // gone meanwhile: the backup brings it back
    RestoreDesktop(m.ctx);
    CHECK((m.ui.MessageTexts().empty() && m.ui.progressMessage == "Your Icons have been restored."));
    CHECK((Snapshot(m.os, m.desktops.user()) == userBefore && Snapshot(m.os, m.desktops.common()) == commonBefore));
    CHECK(m.Positions() == positions);
    CHECK((m.os.GetWallpaper() == picture && m.Style() == "2" && m.os.ReadFile(picture, nullptr) == beach));
}

TEST_CASE("1,000 items are cleaned and restored with nothing lost, also onto names taken meanwhile") {
    Machine m;
    for (int i = 0; i < 949; ++i) m.Put(m.user + "item " + std::to_string(i) + ".txt", Content(i, 64 + i % 200));
    m.Put(m.user + kJapanese + ".txt", "before");
    for (int i = 0; i < 40; ++i) m.Put(m.common + "shared " + std::to_string(i) + ".lnk", Content(2000 + i, 50));
    for (int i = 0; i < 10; ++i) {
        REQUIRE(m.os.CreateFolder(m.user + "folder " + std::to_string(i)));
        m.Put(m.user + "folder " + std::to_string(i) + "\\inside.txt", Content(3000 + i, 10));
    }
    const Tree commonBefore = Snapshot(m.os, m.desktops.common());
    Tree user = Snapshot(m.os, m.desktops.user());
    REQUIRE((m.standin.Start() && m.Shows(1001)));

    CleanDesktop(m.ctx);
    CHECK((m.ui.progressMessage == "Your Desktop has been cleaned." && Snapshot(m.os, m.desktops.user()).empty()));
    CHECK(ReadKeyFile(m.os, PlacesOf(m.st).keyFile).icons.size() == 1001);
    REQUIRE(m.Shows(1));
    m.Put(m.user + kJapanese + ".txt", "meanwhile");
    REQUIRE(m.os.CreateFolder(m.user + "folder 0"));
    m.Put(m.user + "folder 0\\inside.txt", "meanwhile");

    RestoreDesktop(m.ctx);
    CHECK(m.ui.progressMessage == "Your Icons have been restored.");
    user[kJapanese + " (2).txt"] = "before";
    user[kJapanese + ".txt"] = "meanwhile";
    user["folder 0 (2)"] = "/";
    user["folder 0 (2)/inside.txt"] = std::exchange(user["folder 0/inside.txt"], "meanwhile");
    CHECK(Snapshot(m.os, m.desktops.user()) == user);
    CHECK(Snapshot(m.os, m.desktops.common()) == commonBefore);
    CHECK(m.Shows(1003));
}
