#include <doctest/doctest.h>

#include <algorithm>
#include <filesystem>

#include "ClosetMachine.h"
#include "closet/CleanRestore.h"
#include "closet/KeyFile.h"
#include "core/Error.h"
#include "core/ReportError.h"

using namespace stowly;
using stowly::test::ClosetMachine;
using stowly::test::Tree;

namespace {

const std::string kDesk = ClosetMachine::kDesk, kPublic = ClosetMachine::kPublic, kCloset = ClosetMachine::kCloset,
                  kAllUsers = ClosetMachine::kAllUsers, kKeyFile = ClosetMachine::kKeyFile,
                  kBackup = kKeyFile + ".BGD";
constexpr const char* kCleaned = "Your Desktop has been cleaned.";
constexpr const char* kRestored = "Your Icons have been restored.";
using Texts = std::vector<std::string>;
using Positions = std::map<std::string, std::pair<int32_t, int32_t>>;

// Where the icons are; `scatter` first moves them somewhere no grid would put them.
Positions IconPositions(ClosetMachine& m, bool scatter = false) {
    Positions p;
    for (int i = 0; scatter && i < static_cast<int>(m.os.Icons().size()); ++i)
        m.os.SetDesktopItemPosition(i, static_cast<int16_t>(600 - 37 * i), static_cast<int16_t>(13 + 41 * i));
    for (const auto& icon : m.os.Icons()) p[icon.name] = {icon.x, icon.y};
    return p;
}

std::string Style(ClosetMachine& m) {
    RegData d;
    m.os.RegRead(RegRoot::CurrentUser, "Control Panel\\Desktop", "WallpaperStyle", d);
    return std::get_if<std::string>(&d) ? std::get<std::string>(d) : "";
}

bool Done(ClosetMachine& m, const std::string& message) { return m.ui.progressMessage == message && m.ui.progressDone; }

} // namespace

TEST_CASE("clean then restore: every item, folder content and icon position comes back; hidden files stay") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "alpha");
    m.Put(kDesk + "Report, final.docx", "report");
    m.Put(kDesk + "Projects\\2024\\notes.txt", "notes");
    m.Folder(kDesk + "Projects\\Empty");
    m.Put(kDesk + "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt", "outside the code page");
    m.Put(kDesk + ".desktop.ini", "hidden");
    m.Put(kPublic + "Shared.lnk", "shared");
    m.Folder(kPublic + "Tools");
    const Tree desk = m.Contents(kDesk), shared = m.Contents(kPublic);
    const Positions positions = IconPositions(m, true);

    CleanDesktop(m.ctx);
    CHECK((m.ui.MessageTexts().empty() && Done(m, kCleaned)));
    CHECK((m.Contents(kDesk) == Tree{{".desktop.ini", "hidden"}} && m.Contents(kPublic).empty()));
    Tree closet = desk;
    closet.erase(".desktop.ini");
    CHECK((m.Contents(kCloset) == closet && m.Contents(kAllUsers) == shared));
    CHECK(ReadKeyFile(m.os, kKeyFile).icons.size() == positions.size());

    m.Reset(); // a later start of the program: only the key file knows
    m.st.ScreenSizeText.clear();
    RestoreDesktop(m.ctx);
    CHECK((m.ui.MessageTexts().empty() && Done(m, kRestored)));
    CHECK(m.st.ScreenSizeText == "1024x768x32");
    CHECK((m.Contents(kDesk) == desk && m.Contents(kPublic) == shared));
    CHECK(IconPositions(m) == positions);
    CHECK((m.Exists(kCloset) && m.Contents(kCloset).empty() && m.Contents(kAllUsers).empty()));

    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == Texts{"No icons to restore. Your closet is already empty."});
}

TEST_CASE("a closet that holds anything visible is not cleaned over") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "a");
    SUBCASE("a file") { m.Put(kCloset + "old.txt", "old"); }
    SUBCASE("only a folder") { m.Folder(kCloset + "Old"); }
    SUBCASE("shared items of an earlier clean") { m.Put(kAllUsers + "old.lnk", "old"); }
    CleanDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == Texts{"Your default closet is not empty please do a restore first."});
    CHECK((m.Contents(kDesk) == Tree{{"a.txt", "a"}} && !m.Exists(kKeyFile)));
}

TEST_CASE("empty desktop and empty closets: both refusals; a closet of a folder or shared items restores") {
    ClosetMachine m;
    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == Texts{"No icons to restore.  Your closet is already empty."});

    m.ui = {};
    CleanDesktop(m.ctx);
    CHECK((Done(m, kCleaned) && m.Exists(kCloset) && m.Exists(kAllUsers)));
    KeyFileContent key = ReadKeyFile(m.os, kKeyFile);
    CHECK((key.icons.size() == 1 && key.icons[0].Name == "Recycle Bin"));
    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == Texts{"No icons to restore. Your closet is already empty."});

    m.Folder(kCloset + "Only a folder");
    m.Put(kAllUsers + "Shared.lnk", "s");
    RestoreDesktop(m.ctx);
    CHECK((m.Contents(kDesk) == Tree{{"Only a folder", "/"}} && m.Contents(kPublic) == Tree{{"Shared.lnk", "s"}}));
}

TEST_CASE("a closet password is compared without regard to case, and nothing else") {
    for (const char* typed : {"sEcReT pw", "Secret pw ", "", static_cast<const char*>(nullptr)}) { // nullptr: Cancel
        CAPTURE(std::string(typed ? typed : "<cancel>"));
        const bool accepted = typed && *typed == 's';
        ClosetMachine m;
        m.Put(kDesk + "a.txt", "a");
        CleanDesktop(m.ctx);
        KeyFileContent key = ReadKeyFile(m.os, kKeyFile);
        key.header.password = "Secret pw";
        WriteKeyFile(m.os, kKeyFile, key.header, key.icons);
        m.ui = {};
        if (typed) m.ui.PushText(typed); else m.ui.PushCancel();
        RestoreDesktop(m.ctx);
        CHECK((!m.ui.shown.empty() && m.ui.shown[0].text == "Please enter the password:"));
        CHECK(m.ui.MessageTexts() == (accepted ? Texts{} : Texts{"Invalide Password!"}));
        CHECK(m.Contents(accepted ? kDesk : kCloset) == Tree{{"a.txt", "a"}});
    }
}

TEST_CASE("restoring onto a desktop that has the same names keeps both, contents intact") {
    ClosetMachine m;
    for (const std::string& path : {kDesk + "Report.docx", kDesk + "Projects\\plan.txt", kPublic + "Shared.lnk"}) m.Put(path, "old");
    CleanDesktop(m.ctx);
    for (const std::string& path : {kDesk + "Report.docx", kDesk + "Projects\\other.txt", kPublic + "Shared.lnk"}) m.Put(path, "new");
    RestoreDesktop(m.ctx);
    CHECK(Done(m, kRestored));
    CHECK(m.Contents(kDesk) == Tree{{"Report.docx", "new"}, {"Report (2).docx", "old"}, {"Projects", "/"},
                                    {"Projects/other.txt", "new"}, {"Projects (2)", "/"}, {"Projects (2)/plan.txt", "old"}});
    CHECK(m.Contents(kPublic) == Tree{{"Shared.lnk", "new"}, {"Shared (2).lnk", "old"}});
}

TEST_CASE("the wallpaper is swapped and put back with the recorded style; a stale backup is never copied back") {
    ClosetMachine m;
    const std::string beach = "C:\\Pics\\sun, sea.bmp", clean = "C:\\Pics\\clean.bmp", other = "C:\\Pics\\other.bmp";
    for (const auto& pic : {beach, clean, other}) m.Put(pic, pic);
    m.os.wallpaper = beach;
    m.os.RegWrite(RegRoot::CurrentUser, "Control Panel\\Desktop", "WallpaperStyle", std::string("2"), true);
    m.st.settings.DefaultWindowsBackground = clean;
    m.st.settings.WallPaperStyle = 1;
    m.Put(kDesk + "a.txt", "a");
    CleanDesktop(m.ctx);
    CHECK((Done(m, kCleaned) && m.os.wallpaper == clean && Style(m) == "1" && m.Get(kBackup) == beach));
    KeyFileContent key = ReadKeyFile(m.os, kKeyFile);
    CHECK((key.header.wallpaper == beach && key.header.wallpaperStyle == "2"));
    m.Put(beach, "edited while the desktop was clean"); // never replaced by the backup
    RestoreDesktop(m.ctx);
    CHECK((Done(m, kRestored) && m.os.wallpaper == beach && Style(m) == "2"));
    CHECK(m.Get(beach) == "edited while the desktop was clean");
    // A picture that went away meanwhile comes back from the backup.
    CleanDesktop(m.ctx);
    std::filesystem::remove(m.os.HostPath(beach));
    RestoreDesktop(m.ctx);
    CHECK((Done(m, kRestored) && m.os.wallpaper == beach && m.Get(beach) == "edited while the desktop was clean"));
    REQUIRE(m.Exists(kBackup)); // left behind: stale for the next clean
    // A clean without a swap makes no backup; the user then picks another picture.
    m.st.settings.DefaultWindowsBackground = "";
    m.os.wallpaper = other;
    CleanDesktop(m.ctx);
    CHECK_FALSE(m.Exists(kBackup));
    m.os.wallpaper = beach;
    m.Put(beach, "the user's new picture");
    RestoreDesktop(m.ctx);
    CHECK((m.os.wallpaper == other && m.Get(other) == other && m.Get(beach) == "the user's new picture"));
    m.os.wallpaper = "";
    CleanDesktop(m.ctx);
    m.os.wallpaper = beach;
    RestoreDesktop(m.ctx);
    CHECK(m.os.wallpaper == "");
}

TEST_CASE("a failure is reported and still ends the progress window") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "a");
    SUBCASE("the key file cannot be written") {
        m.os.faults.diskFull = true;
        CleanDesktop(m.ctx);
        CHECK((m.ui.MessageTexts().size() == 1 && m.ui.MessageTexts()[0].ends_with(" from module CleanDesktop")));
        CHECK((Done(m, "An Error has occured.") && m.Contents(kDesk) == Tree{{"a.txt", "a"}}));
    }
    SUBCASE("the key file cannot be written: the program's file error, not the system's number") {
        m.os.faults.locked.insert(kKeyFile);
        CleanDesktop(m.ctx);
        CHECK(m.ui.MessageTexts() == Texts{ErrorReportText(err::PathFileAccess, "CleanDesktop")});
        CHECK((Done(m, "An Error has occured.") && m.Contents(kDesk) == Tree{{"a.txt", "a"}}));
    }
    SUBCASE("a file named like the closet folder: nothing moves, no key file") {
        m.Put(kCloset.substr(0, kCloset.size() - 1), "a file, not a folder");
        CleanDesktop(m.ctx);
        CHECK(m.ui.MessageTexts() == Texts{ErrorReportText(err::PathFileAccess, "CleanDesktop")});
        CHECK((Done(m, "An Error has occured.") && m.Contents(kDesk) == Tree{{"a.txt", "a"}} && !m.Exists(kKeyFile)));
    }
}

TEST_CASE("items that could not be moved are counted in the final message and stay where they were") {
    ClosetMachine m;
    for (const std::string& path : {kDesk + "a.txt", kDesk + "b.txt", kPublic + "c.txt"}) m.Put(path, "x");
    m.os.faults.locked = {kDesk + "a.txt", kPublic + "c.txt"};
    CleanDesktop(m.ctx);
    CHECK(Done(m, "Your Desktop has been cleaned. 2 items could not be moved."));
    CHECK((m.Contents(kDesk) == Tree{{"a.txt", "x"}} && m.Contents(kPublic) == Tree{{"c.txt", "x"}}));
    CHECK(m.Contents(kCloset) == Tree{{"b.txt", "x"}});
    m.os.faults.locked = {kCloset + "b.txt"};
    RestoreDesktop(m.ctx);
    CHECK(Done(m, "Your Icons have been restored. 1 item could not be moved."));
    CHECK(m.Contents(kCloset) == Tree{{"b.txt", "x"}});
}

TEST_CASE("the wait for returned icons places late icons, gives up after about 15 seconds, skips a missing desktop") {
    for (auto [delay, running] : {std::pair{3, true}, {1 << 30, true}, {1 << 30, false}}) {
        ClosetMachine m;
        for (const char* name : {"a.txt", "b.txt"}) m.Put(kDesk + name, name);
        const Positions positions = IconPositions(m, true);
        CleanDesktop(m.ctx);
        m.os.itemShowDelay = delay;
        m.os.desktopRunning = running;
        const uint64_t start = m.os.TickCountMs();
        RestoreDesktop(m.ctx);
        const uint64_t waited = m.os.TickCountMs() - start;
        CHECK((Done(m, kRestored) && m.Contents(kDesk) == Tree{{"a.txt", "a.txt"}, {"b.txt", "b.txt"}}));
        if (delay == 3) CHECK(IconPositions(m) == positions);
        if (delay == 3 || !running) CHECK(waited < 5000);
        else CHECK((waited >= 15000 && waited < 20000 && m.ui.pumps > 150));
    }
}

TEST_CASE("the files always come back; a key file's damaged icon part costs only positions, and is told") {
    struct Row {
        const char* name;
        std::string iconLines; // after the five header lines
        bool told;
    };
    const std::string many = [] {
        std::string lines;
        for (int i = 0; i < 32768; ++i) lines += "\"x" + std::to_string(i) + "\",1,1\r\n";
        return lines;
    }();
    const Row rows[] = {
        {"no icon lines (the desktop did not answer)", "", false},
        {"an empty line after the last icon", "\"a.txt\",500,600\r\n\r\n", false},
        {"a damaged X", "\"a.txt\",500,600\r\n\"b.txt\",1x,5\r\n", true},
        {"a cut-off line", "\"a.txt\",500,600\r\n\"b.txt\"", true},
        {"an X past 16 bits", "\"a.txt\",500,600\r\n\"b.txt\",40000,5\r\n", true},
        {"more than 32767 icons", "\"a.txt\",500,600\r\n" + many, true},
    };
    for (const Row& r : rows) {
        CAPTURE(r.name);
        ClosetMachine m;
        for (const char* name : {"a.txt", "b.txt"}) m.Put(kDesk + name, name);
        CleanDesktop(m.ctx);
        m.Put(kKeyFile, std::string(ClosetMachine::kProgram) + "\r\n\r\n\r\n1024x768x32\r\n\r\n" + r.iconLines);
        RestoreDesktop(m.ctx);
        CHECK(m.ui.MessageTexts().empty());
        CHECK(Done(m, std::string(kRestored) + (r.told ? " Some icon positions could not be read from the key file." : "")));
        CHECK(m.Contents(kDesk) == Tree{{"a.txt", "a.txt"}, {"b.txt", "b.txt"}});
        if (!r.iconLines.empty()) CHECK(IconPositions(m)["a.txt"] == std::pair<int32_t, int32_t>{500, 600});
    }
}

TEST_CASE("the closet beside the key file is restored, whatever folder its first line names") {
    for (const std::string& line1 : {std::string("E:\\OLD PLACE\\STOWLY\\"), std::string("closet\\"), std::string(""),
                                    std::string(ClosetMachine::kProgram) + "..\\",
                                    std::string("c:\\program files\\stowly")}) {
        CAPTURE(line1);
        const bool same = line1 == "c:\\program files\\stowly";
        ClosetMachine m;
        m.Put(kDesk + "a.txt", "a");
        m.Put(kPublic + "s.lnk", "s");
        CleanDesktop(m.ctx);
        KeyFileContent key = ReadKeyFile(m.os, kKeyFile);
        key.header.closetDirectory = line1;
        WriteKeyFile(m.os, kKeyFile, key.header, key.icons);
        RestoreDesktop(m.ctx);
        CHECK(Done(m, std::string(kRestored) +
                          (same ? "" : " The key file named another closet folder; the one beside it was used.")));
        CHECK((m.Contents(kDesk) == Tree{{"a.txt", "a"}} && m.Contents(kPublic) == Tree{{"s.lnk", "s"}}));
        CHECK(m.st.ClosetDirectory == ClosetMachine::kProgram);
    }
}

TEST_CASE("a key file whose header is damaged moves nothing and says where the files are") {
    for (const std::string& header : {std::string("C:\\AP\0P\\\r\n\r\n\r\n1024x768x32\r\n\r\n", 29),
                                      std::string("\"C:\\APP\\,\r\n\r\n\r\n1024x768x32\r\n\r\n"),
                                      std::string("C:\\APP\\\r\n\r\n")}) {
        CAPTURE(header);
        ClosetMachine m;
        m.Put(kDesk + "a.txt", "a");
        CleanDesktop(m.ctx);
        m.Put(kKeyFile, header);
        m.ui = {};
        RestoreDesktop(m.ctx);
        CHECK(m.ui.MessageTexts() == Texts{"The closet key file is damaged, so nothing was moved. Your files are in \"" +
                                           kCloset.substr(0, kCloset.size() - 1) + "\"."});
        CHECK(m.Contents(kCloset) == Tree{{"a.txt", "a"}});
    }
}

TEST_CASE("a desktop folder that is missing, relative or a drive root stops clean and restore before anything moves") {
    for (const char* bad : {"", "C:\\", "C:", "Desktop", "\\\\server\\share", "C:\\Users\\..\\..\\"}) {
        CAPTURE(std::string(bad));
        for (bool user : {true, false}) {
            ClosetMachine m;
            m.Put(kDesk + "a.txt", "a");
            m.Put("C:\\root.txt", "r");
            (user ? m.st.UserDesktopFolder : m.st.CommonDesktopFolder) = bad;
            CleanDesktop(m.ctx);
            CHECK(m.ui.MessageTexts() == Texts{"The desktop folder could not be found. Nothing was moved."});
            CHECK((!m.Exists(kKeyFile) && !m.Exists(kCloset) && m.Get("C:\\root.txt") == "r"));
            m.Reset();
            CleanDesktop(m.ctx);
            (user ? m.st.UserDesktopFolder : m.st.CommonDesktopFolder) = bad;
            m.ui = {};
            RestoreDesktop(m.ctx);
            CHECK(m.ui.MessageTexts() == Texts{"The desktop folder could not be found. Nothing was moved."});
            CHECK(m.Contents(kCloset) == Tree{{"a.txt", "a"}});
        }
    }
}

TEST_CASE("a closet holding only hidden items is not cleaned over, and a restore brings them back") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "a");
    CleanDesktop(m.ctx);
    std::filesystem::rename(m.os.HostPath(kCloset + "a.txt"), m.os.HostPath(kCloset).string() + "/.a.txt");
    const std::string key = m.Get(kKeyFile);
    CleanDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == Texts{"Your default closet is not empty please do a restore first."});
    CHECK(m.Get(kKeyFile) == key);
    RestoreDesktop(m.ctx);
    CHECK((Done(m, kRestored) && m.Contents(kDesk) == Tree{{".a.txt", "a"}}));
}

TEST_CASE("a wallpaper backup that fails after every item moved is told, and the wallpaper is left as it is") {
    ClosetMachine m;
    const std::string beach = "C:\\Pics\\beach.bmp", clean = "C:\\Pics\\clean.bmp";
    m.Put(beach, "beach");
    m.Put(clean, "clean");
    m.os.wallpaper = beach;
    m.st.settings.DefaultWindowsBackground = clean;
    m.Put(kDesk + "a.txt", "a");
    m.os.faults.locked.insert(kBackup);
    CleanDesktop(m.ctx);
    CHECK(m.ui.MessageTexts().empty());
    CHECK(Done(m, std::string(kCleaned) + " The wallpaper could not be backed up, so it was left as it is."));
    CHECK((m.os.wallpaper == beach && m.Contents(kCloset) == Tree{{"a.txt", "a"}}));
}

TEST_CASE("links move as links, on one volume or across two, and what they point to stays where it is") {
    namespace fs = std::filesystem;
    {
        test::TestDir probe; // Wine makes no links: there the moves of links are left to the native run
        std::error_code ec;
        fs::create_directory_symlink(probe.path(), probe.path() / "link", ec);
        if (ec) {
            MESSAGE("this system makes no links");
            return;
        }
    }
    for (const std::string& program : {std::string(ClosetMachine::kProgram), std::string("D:\\STOWLY\\")}) {
        CAPTURE(program);
        ClosetMachine m;
        m.st.ProgramFolder = m.st.ClosetDirectory = program;
        fs::create_directories(m.os.Root() / "D");
        m.Put("C:\\Data\\Projects\\plan.txt", "plan");
        m.Put("C:\\Data\\notes.txt", "notes");
        m.Put(kDesk + "a.txt", "a");
        const fs::path desk = m.os.HostPath(kDesk);
        fs::create_directory_symlink(m.os.HostPath("C:\\Data\\Projects"), desk / "Projects");
        fs::create_symlink(m.os.HostPath("C:\\Data\\notes.txt"), desk / "notes.txt");
        fs::create_directory_symlink(desk, desk / "Loop"); // a link to the desktop itself
        const Tree data = m.Contents("C:\\Data\\");

        CleanDesktop(m.ctx);
        CHECK(Done(m, kCleaned));
        const fs::path closet = m.os.HostPath(program + "QuickClean");
        for (const char* link : {"Projects", "notes.txt", "Loop"}) {
            CAPTURE(link);
            CHECK(fs::is_symlink(fs::symlink_status(closet / link)));
        }
        CHECK(fs::read_symlink(closet / "Projects") == m.os.HostPath("C:\\Data\\Projects"));
        CHECK((m.Contents("C:\\Data\\") == data && m.Get(program + "QuickClean\\a.txt") == "a"));

        RestoreDesktop(m.ctx);
        CHECK(Done(m, kRestored));
        CHECK((fs::is_symlink(fs::symlink_status(desk / "Projects")) && fs::is_symlink(fs::symlink_status(desk / "Loop"))));
        CHECK((m.Get(kDesk + "notes.txt") == "notes" && m.Get(kDesk + "a.txt") == "a"));
        CHECK(m.Contents("C:\\Data\\") == data);
        CHECK(m.Contents(program + "QuickClean\\").empty());
    }
}

TEST_CASE("a slow desktop is waited for while its icons keep coming; the progress ends on the exact count") {
    ClosetMachine m;
    for (int i = 0; i < 60; ++i) m.Put(kDesk + "item " + std::to_string(1000 + i) + ".txt", "x");
    m.Put(kPublic + "shared.lnk", "s");
    const Positions positions = IconPositions(m, true);
    CleanDesktop(m.ctx);
    CHECK(m.ui.pumps < 30); // window messages run a few times a second, not for every key line and item
    CHECK((m.ui.countLabels.back() == "1 out of 1" && m.ui.statusLabels.back() == "Cleaning File: shared.lnk"));
    CHECK(std::find(m.ui.countLabels.begin(), m.ui.countLabels.end(), "60 out of 60") != m.ui.countLabels.end());
    CHECK(std::find(m.ui.statusLabels.begin(), m.ui.statusLabels.end(), "Cleaning File: item 1059.txt") !=
          m.ui.statusLabels.end());
    // One new icon every fourth poll: 240 polls of 75 ms, past the 15 seconds a stalled desktop gets.
    m.os.pollsBetweenItems = 4;
    RestoreDesktop(m.ctx);
    CHECK(Done(m, kRestored));
    CHECK(IconPositions(m) == positions);
}
