// The quick clean and restore against the real file system, registry and wallpaper,
// with the stand-in desktop's list view in another process.
#include <doctest/doctest.h>
#include <windows.h>

#include <map>

#include "closet/CleanRestore.h"
#include "closet/KeyFile.h"
#include "platform/Text.h"
#include "platform/Wallpaper.h"
#include "platform/sim/ScriptedUi.h"
#include "support/TestDir.h"
#include "support/WineDesktop.h"

using namespace stowly;
using Tree = std::map<std::string, std::string>;

namespace {

const std::string kGreek = "\xce\xa3\xcf\x87\xce\xad\xce\xb4\xce\xb9\xce\xbf";      // Σχέδιο
const std::string kJapanese = "\xe6\x9b\xb8\xe9\xa1\x9e\xe3\x83\xa1\xe3\x83\xa2"; // 書類メモ

// Everything under a folder, hidden entries included: relative path -> bytes ("/" for a folder).
Tree Snapshot(Win32Platform& os, const std::string& folder) {
    Tree tree;
    std::filesystem::path root(Widen(folder));
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root, ec)) {
        std::string rel = Narrow(std::filesystem::relative(e.path(), root).generic_wstring());
        tree[rel] = e.is_directory() ? "/" : os.ReadFile(Narrow(e.path().wstring()), nullptr).value_or("<unreadable>");
    }
    return tree;
}

// Bytes that differ from file to file, so that a swapped content is seen.
std::string Content(int seed, size_t size) {
    std::string s(size, '\0');
    uint32_t x = 2463534242u + static_cast<uint32_t>(seed) * 7919u;
    for (auto& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return s;
}

std::map<std::string, std::pair<int32_t, int32_t>> Positions(Win32Platform& os) {
    std::map<std::string, std::pair<int32_t, int32_t>> p;
    for (const auto& item : os.ReadDesktopItems().value_or(std::vector<DesktopItem>{})) p[item.name] = {item.x, item.y};
    return p;
}

std::string Style(Win32Platform& os) {
    RegData d;
    os.RegRead(RegRoot::CurrentUser, "Control Panel\\Desktop", "WallpaperStyle", d);
    auto* s = std::get_if<std::string>(&d);
    return s ? *s : "";
}

struct Machine {
    Win32Platform os;
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
    test::TestDir program;
    test::DesktopFolders desktops{os};
    test::StandinProcess standin;

    Machine() {
        st.ProgramFolder = UpperCase(program.path().string()) + "\\";
        st.UserDesktopFolder = desktops.user();
        st.CommonDesktopFolder = desktops.common();
        st.ScreenSizeText = "1024 x 768 x 32";
        st.ClosetDirectory = st.ProgramFolder;
        st.ClosetKeyFile = "QuickClean.qvr";
    }
    ~Machine() { os.SetWallpaper(""); }
    // Shortly after Wine starts, something holds new desktop files for a moment.
    void Put(const std::string& path, const std::string& bytes) {
        int result = os.WriteFile(path, bytes);
        for (int retry = 0; retry < 10 && result == ERROR_SHARING_VIOLATION; ++retry) {
            Sleep(50);
            result = os.WriteFile(path, bytes);
        }
        INFO(path);
        REQUIRE(result == 0);
    }
    long Items() { return os.DesktopItemCount().value_or(-1); }
};

} // namespace

TEST_CASE("clean and restore: items, contents, icon positions and wallpaper come back") {
    Machine m;
    const std::string user = m.desktops.user() + "\\", common = m.desktops.common() + "\\";
    m.Put(user + "Report.docx", Content(1, 5000));
    m.Put(user + "Budget, final.xls", Content(2, 300));
    m.Put(user + kJapanese + ".txt", Content(3, 100));
    REQUIRE(m.os.CreateFolder(user + kGreek));
    REQUIRE(m.os.CreateFolder(user + kGreek + "\\Sub"));
    m.Put(user + kGreek + "\\Sub\\deep.bin", Content(4, 70000));
    m.Put(user + "desktop.ini", "[.ShellClassInfo]");
    REQUIRE(SetFileAttributesW(Widen(user + "desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    m.Put(common + "Shared.lnk", Content(5, 64));
    REQUIRE(m.os.CreateFolder(common + "Tools"));
    m.Put(common + "Tools\\tool.exe", Content(6, 900));
    const Tree userBefore = Snapshot(m.os, m.desktops.user()), commonBefore = Snapshot(m.os, m.desktops.common());

    REQUIRE(m.standin.Start());
    REQUIRE(test::WaitUntil([&] { return m.Items() == 7; }));
    for (int i = 0; i < 7; ++i)
        m.os.SetDesktopItemPosition(i, static_cast<int16_t>(650 - 83 * i), static_cast<int16_t>(17 + 61 * i));
    const auto positions = Positions(m.os);
    REQUIRE(positions.size() == 7);

    const std::string picture = m.st.ProgramFolder + "beach.bmp", clean = m.st.ProgramFolder + "clean.bmp";
    m.Put(picture, Content(7, 4000));
    m.Put(clean, Content(8, 4000));
    bool tile = false;
    SetWallpaper(m.ctx, picture, tile, 2);
    m.st.settings.DefaultWindowsBackground = clean;
    m.st.settings.WallPaperStyle = 1;

    CleanDesktop(m.ctx);
    CHECK(m.ui.MessageTexts().empty());
    CHECK(m.st.wait.message == "Your Desktop has been cleaned.");
    CHECK(m.st.wait.status == "Done");
    CHECK(Snapshot(m.os, m.desktops.user()) == Tree{{"desktop.ini", "[.ShellClassInfo]"}});
    CHECK(Snapshot(m.os, m.desktops.common()).empty());
    CHECK(m.os.GetWallpaper() == clean);
    CHECK(Style(m.os) == "1");
    CHECK(test::WaitUntil([&] { return m.Items() == 1; }));

    m.Put(picture, "the system reused the wallpaper file");
    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts().empty());
    CHECK(m.st.wait.message == "Your Icons have been restored.");
    CHECK(Snapshot(m.os, m.desktops.user()) == userBefore);
    CHECK(Snapshot(m.os, m.desktops.common()) == commonBefore);
    CHECK(Positions(m.os) == positions);
    CHECK(m.os.GetWallpaper() == picture);
    CHECK(Style(m.os) == "2");
    CHECK(m.os.ReadFile(picture, nullptr) == Content(7, 4000));
    const ClosetPlaces places = PlacesOf(m.st);
    CHECK(Snapshot(m.os, places.closetFolder).empty());
    CHECK(Snapshot(m.os, places.commonClosetFolder).empty());
}

TEST_CASE("a desktop of 1,000 items is cleaned and restored with nothing lost") {
    Machine m;
    const std::string user = m.desktops.user() + "\\", common = m.desktops.common() + "\\";
    for (int i = 0; i < 950; ++i) m.Put(user + "item " + std::to_string(i) + ".txt", Content(i, 64 + i % 200));
    for (int i = 0; i < 40; ++i) m.Put(common + "shared " + std::to_string(i) + ".lnk", Content(2000 + i, 50));
    for (int i = 0; i < 10; ++i) {
        REQUIRE(m.os.CreateFolder(user + "folder " + std::to_string(i)));
        m.Put(user + "folder " + std::to_string(i) + "\\inside.txt", Content(3000 + i, 10));
    }
    const Tree userBefore = Snapshot(m.os, m.desktops.user()), commonBefore = Snapshot(m.os, m.desktops.common());
    REQUIRE(m.standin.Start());
    REQUIRE(test::WaitUntil([&] { return m.Items() == 1001; }, 30000));

    CleanDesktop(m.ctx);
    CHECK(m.st.wait.message == "Your Desktop has been cleaned.");
    CHECK(Snapshot(m.os, m.desktops.user()).empty());
    CHECK(ReadKeyFile(m.os, PlacesOf(m.st).keyFile).icons.size() == 1001);
    REQUIRE(test::WaitUntil([&] { return m.Items() == 1; }, 30000));

    RestoreDesktop(m.ctx);
    CHECK(m.st.wait.message == "Your Icons have been restored.");
    CHECK(Snapshot(m.os, m.desktops.user()) == userBefore);
    CHECK(Snapshot(m.os, m.desktops.common()) == commonBefore);
    CHECK(m.os.DesktopItemCount() == 1001L);
}
