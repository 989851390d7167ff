#include <doctest/doctest.h>

#include "closet/CleanRestore.h"
#include "closet/KeyFile.h"
#include "ClosetMachine.h"

using namespace stowly;
using stowly::test::ClosetMachine;
using Tree = std::map<std::string, std::string>;

namespace {

const std::string kDesk = ClosetMachine::kDesk;
const std::string kPublic = ClosetMachine::kPublic;
const std::string kCloset = ClosetMachine::kCloset;
const std::string kAllUsers = ClosetMachine::kAllUsers;
constexpr const char* kCleaned = "Your Desktop has been cleaned.";
constexpr const char* kRestored = "Your Icons have been restored.";
constexpr const char* kAlreadyEmpty = "No icons to restore. Your closet is already empty.";

using Positions = std::map<std::string, std::pair<int32_t, int32_t>>;

Positions IconPositions(ClosetMachine& m) {
    Positions p;
    for (const auto& icon : m.os.Icons()) p[icon.name] = {icon.x, icon.y};
    return p;
}

// Puts every icon somewhere no grid would put it.
void ScatterIcons(ClosetMachine& m) {
    int n = static_cast<int>(m.os.Icons().size());
    for (int i = 0; i < n; ++i) m.os.SetDesktopItemPosition(i, static_cast<int16_t>(600 - 37 * i), static_cast<int16_t>(13 + 41 * i));
}

void SetStyle(ClosetMachine& m, const std::string& style) {
    m.os.RegWrite(RegRoot::CurrentUser, "Control Panel\\Desktop", "WallpaperStyle", style, true);
}

std::string Style(ClosetMachine& m) {
    RegData d;
    m.os.RegRead(RegRoot::CurrentUser, "Control Panel\\Desktop", "WallpaperStyle", d);
    auto* s = std::get_if<std::string>(&d);
    return s ? *s : "";
}

void SetPassword(ClosetMachine& m, const std::string& password) {
    KeyFileContent key = ReadKeyFile(m.os, ClosetMachine::kKeyFile);
    key.header.password = password;
    WriteKeyFile(m.os, ClosetMachine::kKeyFile, key.header, key.icons);
}

bool Done(ClosetMachine& m, const std::string& message) {
    return m.st.wait.message == message && m.st.wait.status == "Done";
}

} // namespace

TEST_CASE("clean then restore: every item, folder content and icon position comes back; hidden files stay") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "alpha");
    m.Put(kDesk + "Report, final.docx", "report");
    m.Put(kDesk + "Projects\\plan.txt", "plan");
    m.Put(kDesk + "Projects\\2024\\notes.txt", "notes");
    m.Folder(kDesk + "Projects\\Empty");
    m.Put(kDesk + "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt", "outside the code page");
    m.Put(kDesk + ".desktop.ini", "hidden");
    m.Put(kPublic + "Shared.lnk", "shared");
    m.Folder(kPublic + "Tools");
    const Tree desk = m.Tree(kDesk), shared = m.Tree(kPublic);
    ScatterIcons(m);
    const Positions positions = IconPositions(m);

    CleanDesktop(m.ctx);
    CHECK(m.ui.MessageTexts().empty());
    CHECK(Done(m, kCleaned));
    CHECK(m.Tree(kDesk) == Tree{{".desktop.ini", "hidden"}});
    CHECK(m.Tree(kPublic).empty());
    Tree expectedCloset = desk;
    expectedCloset.erase(".desktop.ini");
    CHECK(m.Tree(kCloset) == expectedCloset);
    CHECK(m.Tree(kAllUsers) == shared);
    KeyFileContent key = ReadKeyFile(m.os, ClosetMachine::kKeyFile);
    CHECK(key.header.closetDirectory == ClosetMachine::kProgram);
    CHECK(key.header.screenSize == "1024x768x32");
    CHECK(key.icons.size() == positions.size());
    for (const auto& icon : key.icons) CHECK(positions.at(icon.Name) == std::make_pair(icon.X, icon.Y));

    m.st = {};
    m.st.ProgramFolder = ClosetMachine::kProgram;
    m.st.UserDesktopFolder = m.os.userDesktop;
    m.st.CommonDesktopFolder = m.os.commonDesktop;
    m.st.ClosetDirectory = ClosetMachine::kProgram;
    m.st.ClosetKeyFile = "QuickClean.qvr";
    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts().empty());
    CHECK(Done(m, kRestored));
    CHECK(m.st.ScreenSizeText == "1024x768x32");
    CHECK(m.Tree(kDesk) == desk);
    CHECK(m.Tree(kPublic) == shared);
    CHECK(IconPositions(m) == positions);
    CHECK(m.Exists(kCloset));
    CHECK(m.Tree(kCloset).empty());
    CHECK(m.Tree(kAllUsers).empty());
    CHECK(m.Exists(ClosetMachine::kKeyFile));

    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == std::vector<std::string>{kAlreadyEmpty});
}

TEST_CASE("the progress window and its labels get the exact texts") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "a");
    m.Put(kDesk + "b.txt", "b");
    m.Put(kPublic + "c.txt", "c");
    CleanDesktop(m.ctx);
    CHECK(m.ui.opened == std::vector<std::string>{"Please wait cleaning desktop...|"});
    CHECK(m.ui.progress == &m.st.wait);
    CHECK(m.ui.lockCalls == std::vector<bool>{false});
    CHECK(m.ui.statusLabels == std::vector<std::string>{"Cleaning File:", "Cleaning File: a.txt",
                                                        "Cleaning File: b.txt", "Cleaning File: ",
                                                        "Cleaning File: c.txt", "Cleaning File: c.txt"});
    // Four icons: the three items and the Recycle Bin.
    CHECK(m.ui.countLabels ==
          std::vector<std::string>{"0 out of 4", "1 out of 2", "2 out of 2", "2 out of 2", "1 out of 1", "1 out of 1"});
    CHECK_FALSE(m.ui.labelsVisible);
    CHECK_FALSE(m.ui.busy);
    CHECK(m.ui.pumps >= 6);

    m.ui = {};
    RestoreDesktop(m.ctx);
    CHECK(m.ui.opened == std::vector<std::string>{"Please wait restoring desktop...|"});
    CHECK(m.ui.statusLabels.empty());
    CHECK(m.ui.lockCalls == std::vector<bool>{false});
    CHECK(Done(m, kRestored));
}

TEST_CASE("a closet that holds anything visible is not cleaned over") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "a");
    SUBCASE("a file") { m.Put(kCloset + "old.txt", "old"); }
    SUBCASE("only a folder") { m.Folder(kCloset + "Old"); }
    SUBCASE("shared items of an earlier clean") { m.Put(kAllUsers + "old.lnk", "old"); }
    CleanDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == std::vector<std::string>{"Your default closet is not empty please do a restore first."});
    CHECK(m.ui.progressShown == 0);
    CHECK(m.Tree(kDesk) == Tree{{"a.txt", "a"}});
    CHECK_FALSE(m.Exists(ClosetMachine::kKeyFile));
}

TEST_CASE("restore refuses when there is nothing to restore, and restores a closet of folders or shared items") {
    ClosetMachine m;
    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == std::vector<std::string>{"No icons to restore.  Your closet is already empty."});

    CleanDesktop(m.ctx); // an empty desktop: a key file, empty closets
    m.ui = {};
    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == std::vector<std::string>{kAlreadyEmpty});
    CHECK(m.ui.progressShown == 0);

    m.Folder(kCloset + "Only a folder");
    m.Put(kAllUsers + "Shared.lnk", "s");
    m.ui = {};
    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts().empty());
    CHECK(m.Tree(kDesk) == Tree{{"Only a folder", "/"}});
    CHECK(m.Tree(kPublic) == Tree{{"Shared.lnk", "s"}});
}

TEST_CASE("a closet password is asked for and compared without regard to case, nothing else") {
    struct Row {
        const char* name;
        bool cancel;
        const char* typed;
        bool accepted;
    };
    for (Row row : {Row{"other case", false, "sEcReT pw", true}, Row{"exact", false, "Secret pw", true},
                    Row{"trailing blank", false, "Secret pw ", false}, Row{"empty", false, "", false},
                    Row{"cancel", true, "", false}}) {
        CAPTURE(std::string(row.name));
        ClosetMachine m;
        m.Put(kDesk + "a.txt", "a");
        CleanDesktop(m.ctx);
        SetPassword(m, "Secret pw");
        m.ui = {};
        if (row.cancel)
            m.ui.PushCancel();
        else
            m.ui.PushText(row.typed);
        RestoreDesktop(m.ctx);
        REQUIRE(!m.ui.shown.empty());
        CHECK(m.ui.shown[0].kind == "input");
        CHECK(m.ui.shown[0].text == "Please enter the password:");
        if (row.accepted) {
            CHECK(m.ui.MessageTexts().empty());
            CHECK(m.Tree(kDesk) == Tree{{"a.txt", "a"}});
        } else {
            CHECK(m.ui.MessageTexts() == std::vector<std::string>{"Invalide Password!"});
            CHECK(m.ui.shown.back().icon == MsgIcon::Critical);
            CHECK(m.ui.progressShown == 0);
            CHECK(m.Tree(kCloset) == Tree{{"a.txt", "a"}});
        }
    }
}

TEST_CASE("restoring onto a desktop that has the same names keeps both, contents intact") {
    ClosetMachine m;
    m.Put(kDesk + "Report.docx", "original report");
    m.Put(kDesk + "Projects\\plan.txt", "original plan");
    m.Put(kPublic + "Shared.lnk", "original link");
    CleanDesktop(m.ctx);
    m.Put(kDesk + "Report.docx", "new report");
    m.Put(kDesk + "Projects\\other.txt", "new folder content");
    m.Put(kPublic + "Shared.lnk", "new link");
    RestoreDesktop(m.ctx);
    CHECK(Done(m, kRestored));
    CHECK(m.Tree(kDesk) == Tree{{"Report.docx", "new report"},
                                {"Report (2).docx", "original report"},
                                {"Projects", "/"},
                                {"Projects/other.txt", "new folder content"},
                                {"Projects (2)", "/"},
                                {"Projects (2)/plan.txt", "original plan"}});
    CHECK(m.Tree(kPublic) == Tree{{"Shared.lnk", "new link"}, {"Shared (2).lnk", "original link"}});
}

TEST_CASE("an empty desktop: nothing moves, both closet folders exist, the key file lists what the desktop shows") {
    ClosetMachine m;
    CleanDesktop(m.ctx);
    CHECK(Done(m, kCleaned));
    CHECK(m.Exists(kCloset));
    CHECK(m.Exists(kAllUsers));
    KeyFileContent key = ReadKeyFile(m.os, ClosetMachine::kKeyFile);
    REQUIRE(key.icons.size() == 1);
    CHECK(key.icons[0].Name == "Recycle Bin");
}

TEST_CASE("the wallpaper is swapped, backed up and put back with the recorded style") {
    ClosetMachine m;
    const std::string beach = "C:\\Pics\\sun, sea.bmp", clean = "C:\\Pics\\clean.bmp";
    m.Put(beach, "beach picture");
    m.Put(clean, "clean picture");
    m.os.wallpaper = beach;
    SetStyle(m, "2");
    m.st.settings.DefaultWindowsBackground = clean;
    m.st.settings.WallPaperStyle = 1;
    m.Put(kDesk + "a.txt", "a");

    CleanDesktop(m.ctx);
    CHECK(Done(m, kCleaned));
    CHECK(m.os.wallpaper == clean);
    CHECK(Style(m) == "1");
    CHECK(m.Get("C:\\PROGRAM FILES\\STOWLY\\QuickClean.qvr.BGD") == "beach picture");
    KeyFileContent key = ReadKeyFile(m.os, ClosetMachine::kKeyFile);
    CHECK(key.header.wallpaper == beach);
    CHECK(key.header.wallpaperStyle == "2");

    m.Put(beach, "overwritten by the system"); // a transcoded wallpaper file is reused
    RestoreDesktop(m.ctx);
    CHECK(Done(m, kRestored));
    CHECK(m.os.wallpaper == beach);
    CHECK(Style(m) == "2");
    CHECK(m.Get(beach) == "beach picture");
}

TEST_CASE("wallpaper: nothing happens without a clean picture; an empty recorded wallpaper is put back as none") {
    ClosetMachine m;
    m.Put("C:\\Pics\\mine.bmp", "mine");
    m.os.wallpaper = "C:\\Pics\\mine.bmp";
    m.Put(kDesk + "a.txt", "a");
    CleanDesktop(m.ctx);
    CHECK(m.os.wallpaper == "C:\\Pics\\mine.bmp");
    CHECK_FALSE(m.Exists("C:\\PROGRAM FILES\\STOWLY\\QuickClean.qvr.BGD"));
    RestoreDesktop(m.ctx);
    CHECK(m.os.wallpaper == "C:\\Pics\\mine.bmp");
    CHECK(m.Get("C:\\Pics\\mine.bmp") == "mine");

    m.os.wallpaper = "";
    CleanDesktop(m.ctx);
    m.os.wallpaper = "C:\\Pics\\mine.bmp";
    RestoreDesktop(m.ctx);
    CHECK(m.os.wallpaper == "");
}

TEST_CASE("a restore never copies back a backup that the last clean did not make") {
    ClosetMachine m;
    const std::string first = "C:\\Pics\\first.bmp", second = "C:\\Pics\\second.bmp", other = "C:\\Pics\\other.bmp";
    m.Put(first, "first");
    m.Put(second, "second");
    m.Put(other, "other");
    m.Put("C:\\Pics\\clean.bmp", "clean");
    m.Put(kDesk + "a.txt", "a");
    m.os.wallpaper = first;
    m.st.settings.DefaultWindowsBackground = "C:\\Pics\\clean.bmp";
    CleanDesktop(m.ctx);
    RestoreDesktop(m.ctx);
    CHECK(m.Exists("C:\\PROGRAM FILES\\STOWLY\\QuickClean.qvr.BGD"));

    // A clean without a swap makes no backup; the user then picks another picture.
    m.st.settings.DefaultWindowsBackground = "";
    m.os.wallpaper = second;
    CleanDesktop(m.ctx);
    CHECK_FALSE(m.Exists("C:\\PROGRAM FILES\\STOWLY\\QuickClean.qvr.BGD"));
    m.os.wallpaper = other;
    RestoreDesktop(m.ctx);
    CHECK(m.os.wallpaper == second);
    CHECK(m.Get(second) == "second");
    CHECK(m.Get(first) == "first");
}

TEST_CASE("a failure is reported and still ends the progress window") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "a");
    SUBCASE("the key file cannot be written") {
        m.os.faults.diskFull = true;
        CleanDesktop(m.ctx);
        REQUIRE(m.ui.MessageTexts().size() == 1);
        CHECK(m.ui.MessageTexts()[0].ends_with(" from module CleanDesktop"));
        CHECK(m.ui.shown[0].title == "Error");
        CHECK(Done(m, "An Error has occured."));
        CHECK(m.Tree(kDesk) == Tree{{"a.txt", "a"}});
    }
    SUBCASE("the key file has no icon line") {
        CleanDesktop(m.ctx);
        m.Put(ClosetMachine::kKeyFile, "C:\\PROGRAM FILES\\STOWLY\\\r\n\r\n\r\n1024x768x32\r\n\r\n");
        m.ui = {};
        RestoreDesktop(m.ctx);
        CHECK(m.ui.MessageTexts() ==
              std::vector<std::string>{"Please contact Orvenko, Inc..\rError Number:10562 from module RestoreDesktop"});
        CHECK(Done(m, "An Error has occured."));
        CHECK(m.Tree(kCloset) == Tree{{"a.txt", "a"}});
    }
}

TEST_CASE("items that could not be moved are counted in the final message and stay where they were") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "a");
    m.Put(kDesk + "b.txt", "b");
    m.Put(kPublic + "c.txt", "c");
    m.os.faults.locked = {kDesk + "a.txt", kPublic + "c.txt"};
    CleanDesktop(m.ctx);
    CHECK(Done(m, "Your Desktop has been cleaned. 2 items could not be moved."));
    CHECK(m.Tree(kDesk) == Tree{{"a.txt", "a"}});
    CHECK(m.Tree(kPublic) == Tree{{"c.txt", "c"}});
    CHECK(m.Tree(kCloset) == Tree{{"b.txt", "b"}});

    m.os.faults.locked = {kCloset + "b.txt"};
    RestoreDesktop(m.ctx);
    CHECK(Done(m, "Your Icons have been restored. 1 item could not be moved."));
    CHECK(m.Tree(kCloset) == Tree{{"b.txt", "b"}});
}

TEST_CASE("the wait for returned icons polls with pauses and gives up after about 15 seconds") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "a");
    m.Put(kDesk + "b.txt", "b");
    ScatterIcons(m);
    const Positions positions = IconPositions(m);
    CleanDesktop(m.ctx);

    SUBCASE("icons that show after a few polls are waited for and placed") {
        m.os.itemShowDelay = 3;
        RestoreDesktop(m.ctx);
        CHECK(IconPositions(m) == positions);
    }
    SUBCASE("icons that never show") {
        m.os.itemShowDelay = 1 << 30;
        uint64_t start = m.os.TickCountMs();
        RestoreDesktop(m.ctx);
        uint64_t waited = m.os.TickCountMs() - start;
        CHECK(waited >= 15000);
        CHECK(waited < 20000);
        CHECK(m.ui.pumps > 150);
        CHECK(Done(m, kRestored));
        CHECK(m.Tree(kDesk) == Tree{{"a.txt", "a"}, {"b.txt", "b"}});
    }
    SUBCASE("no desktop to wait for") {
        m.os.desktopRunning = false;
        uint64_t start = m.os.TickCountMs();
        RestoreDesktop(m.ctx);
        CHECK(m.os.TickCountMs() - start < 5000);
        CHECK(m.Tree(kDesk) == Tree{{"a.txt", "a"}, {"b.txt", "b"}});
    }
}
